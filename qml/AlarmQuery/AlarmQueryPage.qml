import QtQuick
import QtQuick.Controls as QQC
import an.video 1.0
import "../Widgets" as Widgets
import "../HomePage" as HomePage

// The alarm list of the server, one page at a time, filtered by level, method and a
// search text. Every change of page, page size, filter or search text sends a query of
// its own; only the answer to the latest query fills the table, so that a slow answer to
// an older selection never overwrites a newer one.
Item {
    id: root

    property bool isCurrent: false
    property int currentPage: 0
    property int numberPerPage: 10
    property int alarmTotal: 0
    readonly property int totalPage: alarmTotal > 0 ? Math.ceil(alarmTotal / numberPerPage) : 0
    property color textColor: styleManager.style.color("Login-TextColor")

    readonly property real s: styleManager.scaleRatio
    readonly property real fs: styleManager.fontScaleRatio
    readonly property color rowColor: styleManager.style.color("Widgets-ToolTip-Gradient1")
    readonly property color buttonColor: styleManager.style.color("Login-LoginButton-Normal")

    // Header cells in column order; a width of -1 takes what the others leave.
    readonly property var columns: [
        { name: "indexHeader", title: "序号", width: 40 },
        { name: "deviceNameHeader", title: "设备名称", width: 220 },
        { name: "deviceIdHeader", title: "设备ID", width: 220 },
        { name: "channelNameHeader", title: "通道名称", width: 220 },
        { name: "channelIdHeader", title: "通道ID", width: 220 },
        { name: "alarmTimeHeader", title: "告警时间", width: 180 },
        { name: "alarmLevelHeader", title: "告警级别", width: 90 },
        { name: "alarmMethodHeader", title: "告警方式", width: 90 },
        { name: "alarmTypeHeader", title: "告警类型", width: 120 },
        { name: "snapHeader", title: "快照", width: 60 },
        { name: "relationHeader", title: "关联录像", width: -1 },
        { name: "deleteHeader", title: "删除", width: 50 }
    ]
    // The record column keeps room for its three buttons: in a window narrower than the
    // columns were laid out for (a small screen), the fixed ones give up the difference.
    readonly property var columnWidths: {
        const fixed = columns.reduce((sum, column) => sum + Math.max(0, column.width), 0) * s;
        const room = Math.max(0, content.width - (columns.length - 1));
        const shrink = Math.min(1, Math.max(0, room - 100 * s) / fixed);
        const rest = Math.max(0, room - fixed * shrink);
        return columns.map(column => column.width < 0 ? rest : column.width * s * shrink);
    }

    // Serial of the latest query: an answer carrying another one is stale.
    property int __querySerial: 0
    // Serial of the latest query answered. While they differ, the rows on screen belong
    // to an earlier page, filter or search than the bar shows: no "删除本页" then.
    property int __shownSerial: 0
    readonly property bool queryOut: __querySerial !== __shownSerial
    property bool __built: false

    // Record downloads by channel name, channel id and alarm time: the rows come and go
    // with every query while their downloads run on.
    readonly property QtObject downloads: Widgets.DownloadTracker {}

    // A refused deletion of one alarm, for the row that shows it (if it still does).
    signal deleteRefused(int alarmId, string errorString)

    function recalcModel() {
        const serial = ++__querySerial;
        networkManager.getAlarmList(currentPage, numberPerPage, alarmLevelComboBox.currentIndex,
                                    alarmTypeComboBox.currentIndex, (count, list) => {
            if (serial !== root.__querySerial)
                return;
            root.__shownSerial = serial;
            root.alarmTotal = count;
            alarmListModel.clear();
            for (const alarm of list)
                alarmListModel.append(alarm);
        }, searchEdit.text);
    }

    function filterChanged() {
        if (__built)
            recalcModel();
    }

    // The answer finds its row by id: after a new query the row may be gone, or stand
    // elsewhere, and no other row may go in its place.
    function deleteAlarm(alarmId) {
        networkManager.deleteAlarm([alarmId], (success, errorString) => {
            if (!success) {
                root.deleteRefused(alarmId, errorString);
                return;
            }
            for (let row = 0; row < alarmListModel.count; ++row) {
                if (alarmListModel.get(row).ID === alarmId) {
                    alarmListModel.remove(row);
                    return;
                }
            }
        });
    }

    function deletePage() {
        if (queryOut)
            return;
        const ids = [];
        for (let row = 0; row < alarmListModel.count; ++row)
            ids.push(alarmListModel.get(row).ID);
        networkManager.deleteAlarm(ids, success => {
            if (success)
                root.recalcModel();
        });
    }

    function clearAlarms() {
        networkManager.clearAlarm(success => {
            if (success)
                root.recalcModel();
        });
    }

    function downloadKey(channelName, channelId, alarmTime) {
        return JSON.stringify([channelName, channelId, alarmTime]);
    }

    // `owner` names the alarm whose row asks; the answer is that of downloads.start().
    function downloadRecord(record, channelName, channelId, alarmTime, owner) {
        return downloads.start(downloadKey(channelName, channelId, alarmTime), owner, (progress, finished) => {
            networkManager.downAlarmRecord(record, channelName, channelId, alarmTime, progress, finished);
        }, (success, errorString) => {
            if (success)
                Qt.openUrlExternally(root.downloads.folderUrl(networkManager.getRecordPath()));
            else
                print(errorString);
        });
    }

    // Another alarm of the same channel and second downloads into the same file: only
    // the row that started the running download may stop it.
    function stopDownload(channelName, channelId, alarmTime, owner) {
        if (downloads.owns(downloadKey(channelName, channelId, alarmTime), owner))
            networkManager.stopDownloadAlarmRecord(channelName, channelId, alarmTime);
    }

    function recordAddress(path) {
        return "http://" + settingManager.settings.host + ":" + settingManager.settings.port + path;
    }

    // The window and its tile belong to the page: a new query leaves the playback running.
    function playRecord(path, channelName, alarmTime) {
        playAlarmPopup.play(path, channelName, alarmTime);
    }

    function copyLink(path) {
        qmlApi.setClipBoardText(recordAddress(path));
    }

    // The preview stands left of the cell, below its top, or above it where the page
    // ends; the empty value on the way makes every entry fetch the picture anew.
    function showSnap(cell, snapUrl) {
        const p = cell.mapToItem(root, 0, 0);
        snapPopup.x = p.x - snapPopup.width;
        snapPopup.y = p.y + snapPopup.height > root.height ? p.y - snapPopup.height : p.y;
        snapPopup.snapUrl = "";
        snapPopup.snapUrl = snapUrl;
        snapPopup.open();
    }

    function hideSnap() {
        snapPopup.close();
    }

    clip: true

    onCurrentPageChanged: recalcModel()
    onNumberPerPageChanged: recalcModel()
    onIsCurrentChanged: {
        if (isCurrent)
            recalcModel();
    }

    // The filter boxes take their first index while the page is built; only the query
    // of the finished page goes out.
    Component.onCompleted: {
        __built = true;
        recalcModel();
    }

    component PageText: Text {
        color: root.textColor
        font.family: "微软雅黑"
        font.pointSize: 11 * root.fs
        verticalAlignment: Text.AlignVCenter
    }

    component PageButton: Widgets.ColorButton {
        normalColor: root.buttonColor
        hoveredColor: Qt.lighter(root.buttonColor)
        pressedColor: Qt.darker(root.buttonColor, 1.2)
        textColor: styleManager.style.color("Login-TextColor")
        radius: 2
    }

    ListModel {
        id: alarmListModel
        objectName: "alarmListModel"
        // Each alarm as the server sent it: its keys are the roles, whatever their types.
        dynamicRoles: true
    }

    Item {
        id: content
        anchors.fill: parent
        anchors.margins: 10 * root.s

        Row {
            id: operationRow
            objectName: "operationRow"
            height: 40 * root.s
            spacing: 10 * root.s

            PageText {
                anchors.verticalCenter: parent.verticalCenter
                leftPadding: 10 * root.s
                text: qsTr("告警级别:")
            }

            Widgets.ComboBox {
                id: alarmLevelComboBox
                objectName: "alarmLevelComboBox"
                anchors.verticalCenter: parent.verticalCenter
                width: 150 * root.s
                height: 30 * root.s
                backgroundColor: "transparent"
                maxDisplayRow: 5
                model: [qsTr("全部告警级别"), qsTr("一级警情"), qsTr("二级警情"), qsTr("三级警情"), qsTr("四级警情")]
                onCurrentIndexChanged: root.filterChanged()
            }

            PageText {
                anchors.verticalCenter: parent.verticalCenter
                leftPadding: 10 * root.s
                text: qsTr("告警方式:")
            }

            Widgets.ComboBox {
                id: alarmTypeComboBox
                objectName: "alarmTypeComboBox"
                anchors.verticalCenter: parent.verticalCenter
                width: 150 * root.s
                height: 30 * root.s
                backgroundColor: "transparent"
                maxDisplayRow: 8
                model: ["全部报警方式", "电话报警", "设备报警", "短信报警", "GPS报警", "视频报警", "设备故障报警", "其他报警"]
                onCurrentIndexChanged: root.filterChanged()
            }

            Widgets.InputField {
                id: searchEdit
                objectName: "searchEdit"
                anchors.verticalCenter: parent.verticalCenter
                width: 200 * root.s
                color: root.textColor
                placeholderText: "设备ID或通道ID"
                placeholderTextColor: Qt.darker(root.textColor, 1.6)
                onTextChanged: root.filterChanged()
            }

            PageButton {
                objectName: "clearAlarmButton"
                width: 100 * root.s
                height: 30 * root.s
                text: "清空告警"
                onClicked: root.clearAlarms()
            }

            PageButton {
                objectName: "deletePageButton"
                width: 100 * root.s
                height: 30 * root.s
                text: "删除本页"
                enabled: !root.queryOut
                // Fades, so that a quick answer hardly shows.
                opacity: enabled ? 1 : 0.5
                onClicked: root.deletePage()

                Behavior on opacity {
                    NumberAnimation { duration: 300 }
                }
            }
        }

        Row {
            id: listViewHeader
            objectName: "listViewHeader"
            anchors.top: operationRow.bottom
            width: parent.width
            height: 40 * root.s
            spacing: 1

            Repeater {
                model: root.columns

                Rectangle {
                    required property var modelData
                    required property int index
                    objectName: modelData.name
                    width: root.columnWidths[index]
                    height: listViewHeader.height
                    color: styleManager.style.color("Home-DeviceListView-Item-Checked")

                    PageText {
                        anchors.centerIn: parent
                        text: parent.modelData.title
                    }
                }
            }
        }

        ListView {
            id: alarmListView
            objectName: "alarmListView"
            anchors.top: listViewHeader.bottom
            anchors.topMargin: 1
            anchors.bottom: listViewFooter.top
            width: parent.width
            clip: true
            spacing: 1
            model: alarmListModel
            boundsBehavior: Flickable.StopAtBounds
            // No highlight is drawn; its invisible stand-in would follow each resize of the
            // current row at 400 px a second, drawing frames for seconds after a page switch.
            highlightFollowsCurrentItem: false

            QQC.ScrollBar.vertical: Widgets.ScrollBar {
                width: 12 * root.s
                policy: QQC.ScrollBar.AsNeeded
            }

            add: Transition {
                NumberAnimation { property: "y"; from: 0; duration: 300 }
            }

            delegate: AlarmRow {
                page: root
                width: alarmListView.width
                height: listViewHeader.height
            }
        }

        Item {
            id: listViewFooter
            objectName: "listViewFooter"
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 10 * root.s
            width: 680 * root.s
            height: 40 * root.s

            Row {
                y: 10 * root.s
                height: 30 * root.s
                spacing: 10 * root.s

                PageButton {
                    objectName: "leftPageButton"
                    width: 32 * root.s
                    height: parent.height
                    text: "<"
                    font.pointSize: 12 * root.fs
                    textColor: root.textColor
                    onClicked: {
                        if (root.currentPage - 1 < 0)
                            leftPageTooltip.show("已经是第一页!", 800);
                        else
                            --root.currentPage;
                    }

                    Widgets.ToolTip {
                        id: leftPageTooltip
                        objectName: "leftPageTooltip"
                    }
                }

                PageText {
                    objectName: "pageIndicator"
                    height: parent.height
                    text: "当前页: " + (root.currentPage + 1) + " / " + root.totalPage
                }

                PageButton {
                    objectName: "rightPageButton"
                    width: 32 * root.s
                    height: parent.height
                    text: ">"
                    font.pointSize: 12 * root.fs
                    textColor: root.textColor
                    onClicked: {
                        if (root.currentPage + 1 >= root.totalPage)
                            rightPageTooltip.show("已经是最后一页!", 800);
                        else
                            ++root.currentPage;
                    }

                    Widgets.ToolTip {
                        id: rightPageTooltip
                        objectName: "rightPageTooltip"
                    }
                }

                PageText {
                    height: parent.height
                    text: "到第"
                }

                Rectangle {
                    width: 50 * root.s
                    height: parent.height
                    color: styleManager.style.color("Widgets-ComboBox-Background")
                    border.color: styleManager.style.color("Widgets-ComboBox-BorderColor")
                    clip: true

                    TextInput {
                        id: pageEdit
                        objectName: "pageEdit"
                        anchors.fill: parent
                        font.family: "微软雅黑"
                        font.pointSize: 11 * root.fs
                        color: root.textColor
                        horizontalAlignment: TextInput.AlignHCenter
                        verticalAlignment: TextInput.AlignVCenter
                        selectByMouse: true
                        selectionColor: "#a01AA9FF"
                        text: "1"
                        validator: IntValidator { bottom: 1; top: 10000 }
                        onAccepted: gotoPageButton.clicked()
                    }
                }

                PageText {
                    height: parent.height
                    text: "页"
                }

                PageButton {
                    id: gotoPageButton
                    objectName: "gotoPageButton"
                    width: 60 * root.s
                    height: parent.height
                    text: "确定"
                    textColor: root.textColor
                    onClicked: {
                        const page = parseInt(pageEdit.text, 10);
                        if (pageEdit.text !== "" && page > 0 && page <= root.totalPage)
                            root.currentPage = page - 1;
                        else
                            gotoPageTooltip.show("无法跳转!", 800);
                    }

                    Widgets.ToolTip {
                        id: gotoPageTooltip
                        objectName: "gotoPageTooltip"
                    }
                }

                PageText {
                    objectName: "rowCount"
                    height: parent.height
                    text: "当前页: " + alarmListView.count + " 条 / 总 " + root.alarmTotal + " 条"
                }

                Widgets.ComboBox {
                    objectName: "pageSizeComboBox"
                    width: 100 * root.s
                    height: parent.height
                    maxDisplayRow: 5
                    model: ["10 条每页", "20 条每页", "30 条每页", "40 条每页"]
                    onActivated: index => {
                        root.currentPage = 0;
                        root.numberPerPage = (index + 1) * 10;
                    }
                }
            }
        }
    }

    QQC.Popup {
        id: snapPopup
        objectName: "snapPopup"

        property string snapUrl: ""

        parent: root
        width: 600 * root.s
        height: 500 * root.s
        padding: 0

        background: Item {
            VideoSnapItem {
                objectName: "snapPreview"
                anchors.fill: parent
                snapUrl: snapPopup.snapUrl
                fillMode: VideoSnapItem.PreserveAspectFit
            }
        }

        enter: Transition {
            NumberAnimation { property: "opacity"; from: 0; to: 1 }
        }

        exit: Transition {
            NumberAnimation { property: "opacity"; from: 1; to: 0 }
        }
    }

    HomePage.AlarmPlaybackPopup {
        id: playAlarmPopup
        objectName: "playAlarmPopup"
    }
}
