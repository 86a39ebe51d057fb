import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../Widgets" as Widgets
import "carousel.js" as Carousel

// The carousel's set-up dialog and its engine: the operator pages through the server's
// channels, checks the ones to rotate, sets the interval and starts; a repeating timer
// then takes the next ids at every tick and hands their channel records to the holder
// through `carousel`.
Widgets.MovablePopup {
    id: root

    property bool running: false
    property int carouselType: 0
    property int layoutCount: 0
    property int currentIndex: 0
    property var carouselChannelList: []
    property var carouselGroupChannelList: []
    property int selectedCount: 0
    property int currentPage: 0
    property int totalPage: 0
    property int channelTotal: 0
    property int numberPerPage: 10
    property color textColor: styleManager.style.color("Login-TextColor")

    // Bumped by every start and stop: a tick's reply of an earlier run is dropped.
    property int __generation: 0
    // Bumped by every reload of the list and by every store: only the latest reply counts.
    property int __reloadSerial: 0
    property int __storeSerial: 0
    property bool __loaded: false
    // The filter's entry before the operator's choice: `activated` comes after the change.
    property int __statusIndex: 1

    signal start()
    signal stop()
    signal carousel(var channelList)
    signal channelCheckChanged(int id, bool checked)

    readonly property real s: styleManager.scaleRatio
    readonly property real f: styleManager.fontScaleRatio
    readonly property color buttonColor: styleManager.style.color("Login-LoginButton-Normal")

    // The stored selection and interval, read once. The holder may start a carousel from
    // its own completion handler, which can run before this popup's: every start reads
    // them first.
    function loadStoredSettings() {
        if (__loaded)
            return;
        __loaded = true;
        carouselChannelList = Carousel.copyIds(settingManager.settings.carouselList);
        selectedCount = carouselChannelList.length;
        intervalEdit.text = String(settingManager.settings.carouselInterval);
    }

    // getChannelInfoList, except that no request goes out for no ids: that counts as an
    // empty reply.
    function requestChannels(ids, callback) {
        if (ids.length === 0)
            callback([]);
        else
            networkManager.getChannelInfoList(ids, callback);
    }

    // The interval steps of both starts: clamp, show, set the timer. Returns seconds.
    function applyInterval() {
        const seconds = Carousel.clampInterval(intervalEdit.text, settingManager.settings.carouselInterval);
        intervalEdit.text = String(seconds);
        carouselTimer.interval = seconds * 1000;
        return seconds;
    }

    function startCarousel() {
        loadStoredSettings();
        carouselType = 0;
        const seconds = applyInterval();
        __generation += 1;
        running = true;
        start();
        close();
        const serial = ++__storeSerial;
        requestChannels(carouselChannelList.slice(), function (channels) {
            if (serial !== root.__storeSerial)
                return;
            settingManager.settings.carouselList = Carousel.idsOf(channels);
            settingManager.settings.carouselInterval = seconds;
            settingManager.writeSettings();
        });
    }

    function startCarouselGroup(idList) {
        loadStoredSettings();
        carouselGroupChannelList = Carousel.copyIds(idList);
        carouselType = 1;
        applyInterval();
        __generation += 1;
        running = true;
        start();
    }

    function stopCarousel() {
        __generation += 1;
        running = false;
        currentIndex = 0;
        stop();
    }

    function tick() {
        const list = carouselType === 0 ? carouselChannelList : carouselGroupChannelList;
        const taken = Carousel.take(list, layoutCount, currentIndex);
        currentIndex = taken.index;
        const generation = __generation;
        requestChannels(taken.ids, function (channels) {
            if (generation === root.__generation && root.running)
                root.carousel(channels);
        });
    }

    function addCarouselChannel(channelId) {
        const selection = Carousel.withId(carouselChannelList, channelId);
        if (selection === null)
            return;
        carouselChannelList = selection;
        selectedCount = selection.length;
        channelCheckChanged(channelId, true);
    }

    function removeCarouselChannel(channelId) {
        const selection = Carousel.withoutId(carouselChannelList, channelId);
        if (selection === null)
            return;
        carouselChannelList = selection;
        selectedCount = selection.length;
        channelCheckChanged(channelId, false);
    }

    function isSelected(channelId) {
        return carouselChannelList.indexOf(channelId) !== -1;
    }

    // Whether the selection holds every row of the list.
    function allRowsSelected() {
        for (let i = 0; i < listModel.count; ++i) {
            if (!isSelected(listModel.get(i).ChannelID))
                return false;
        }
        return true;
    }

    function recalcModel() {
        const serial = ++__reloadSerial;
        if (selecedSwitch.checked) {
            requestChannels(carouselChannelList.slice(), function (channels) {
                if (serial !== root.__reloadSerial)
                    return;
                root.channelTotal = channels.length;
                listModel.clear();
                for (const channel of channels)
                    listModel.append(channel);
            });
            return;
        }
        networkManager.getChannelList(-1, numberPerPage * currentPage, numberPerPage, statusComboBox.currentIndex,
                                      function (reply) {
            if (serial !== root.__reloadSerial)
                return;
            root.channelTotal = reply.ChannelCount || 0;
            root.totalPage = Math.ceil(root.channelTotal / root.numberPerPage);
            listModel.clear();
            for (const row of Carousel.rowsOf(reply.Channels || []))
                listModel.append(row);
        }, searchEdit.text);
    }

    // Applies the header box's new state to every row of the list shown.
    function checkAllRows(checked) {
        for (let i = 0; i < listModel.count; ++i) {
            const id = listModel.get(i).ChannelID;
            if (checked) {
                addCarouselChannel(id);
            } else {
                const row = listView.itemAtIndex(i);
                if (row)
                    row.noCheckThis();
                removeCarouselChannel(id);
            }
        }
    }

    // A row's box was clicked into `checked`.
    function checkRow(rowIndex, channelId, checked) {
        if (checked) {
            let all = true;
            for (let i = 0; i < listModel.count; ++i)
                all = all && (i === rowIndex || isSelected(listModel.get(i).ChannelID));
            checkHeaderCheckBox.checked = all;
            addCarouselChannel(channelId);
        } else {
            checkHeaderCheckBox.checked = false;
            removeCarouselChannel(channelId);
        }
    }

    modal: true
    width: 800 * s
    height: 600 * s
    title: "轮播列表"

    Component.onCompleted: loadStoredSettings()
    onOpened: recalcModel()
    onCurrentPageChanged: recalcModel()

    Timer {
        id: carouselTimer
        running: root.running
        repeat: true
        triggeredOnStart: true
        onTriggered: root.tick()
    }

    ListModel {
        id: listModel
    }

    component MyCheckBox: Item {
        id: box

        property bool checked: false

        signal clicked()

        Image {
            anchors.centerIn: parent
            width: parent.width
            height: parent.height
            mipmap: true
            source: styleManager.style.image(box.checked ? "Login-CheckBox-Checked" : "Login-CheckBox")
        }

        MouseArea {
            anchors.fill: parent
            onClicked: {
                box.checked = !box.checked;
                box.clicked();
            }
        }
    }

    component RowLabel: Text {
        anchors.verticalCenter: parent ? parent.verticalCenter : undefined
        leftPadding: 10 * root.s
        color: root.textColor
        font.family: "微软雅黑"
        font.pointSize: 11 * root.f
    }

    component InputField: Widgets.InputField {
        anchors.verticalCenter: parent ? parent.verticalCenter : undefined
        color: root.textColor
        placeholderTextColor: "gray"
    }

    component HeaderCell: Rectangle {
        property alias text: label.text

        Layout.fillHeight: true
        color: styleManager.style.color("Home-DeviceListView-Item-Checked")

        Text {
            id: label
            anchors.centerIn: parent
            color: root.textColor
            font.family: "微软雅黑"
            font.pointSize: 11 * root.f
        }
    }

    contentItem: Item {
        Row {
            id: operationRow
            height: 40 * root.s
            spacing: 10 * root.s

            InputField {
                id: searchEdit
                objectName: "searchEdit"
                width: 150 * root.s
                placeholderText: "请输入通道名称"
                onTextChanged: root.recalcModel()
            }

            RowLabel { text: "在线状态:" }

            Widgets.ComboBox {
                id: statusComboBox
                objectName: "statusComboBox"
                width: 100 * root.s
                height: 30 * root.s
                anchors.verticalCenter: parent.verticalCenter
                backgroundColor: "transparent"
                model: ["全部", "在线", "离线"]
                currentIndex: 1
                onActivated: (index) => {
                    if (index !== root.__statusIndex) {
                        root.__statusIndex = index;
                        root.currentPage = 0;
                    }
                    root.recalcModel();
                }
            }

            RowLabel { text: "轮播时间(秒):" }

            InputField {
                id: intervalEdit
                objectName: "intervalEdit"
                width: 80 * root.s
                text: "30"
                validator: IntValidator { bottom: 30; top: 36000 }
            }

            RowLabel {
                id: selectedText
                objectName: "selectedText"
                text: "只显示已选(" + root.selectedCount + "):"
            }

            Switch {
                id: selecedSwitch
                objectName: "selecedSwitch"
                width: 70 * root.s
                height: 30 * root.s
                anchors.verticalCenter: parent.verticalCenter
                contentItem: Item {}
                indicator: Item {}
                background: Image {
                    width: 55 * root.s
                    height: 30 * root.s
                    anchors.verticalCenter: parent.verticalCenter
                    mipmap: true
                    source: styleManager.style.image(selecedSwitch.checked ? "RecordManage-Switch-On"
                                                                           : "RecordManage-Switch-Off")
                }
                onToggled: root.recalcModel()
            }
        }

        RowLayout {
            id: listViewHeader
            anchors.top: operationRow.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            height: 40 * root.s
            spacing: 1

            HeaderCell {
                id: checkHeader
                Layout.preferredWidth: 60 * root.s

                MyCheckBox {
                    id: checkHeaderCheckBox
                    objectName: "checkHeaderCheckBox"
                    anchors.centerIn: parent
                    height: parent.height
                    width: height
                    onClicked: root.checkAllRows(checked)
                }
            }
            HeaderCell { id: deviceNameHeader; Layout.preferredWidth: 300 * root.s; text: "设备名称" }
            HeaderCell { id: channelNameHeader; Layout.preferredWidth: 300 * root.s; text: "通道名称" }
            HeaderCell { id: statusHeader; Layout.fillWidth: true; text: "是否在线" }
        }

        ListView {
            id: listView
            objectName: "listView"
            anchors.top: listViewHeader.bottom
            anchors.bottom: listViewFooter.top
            anchors.left: listViewHeader.left
            anchors.right: listViewHeader.right
            clip: true
            spacing: listViewHeader.spacing
            model: listModel
            ScrollBar.vertical: Widgets.ScrollBar {
                width: 12 * root.s
                policy: ScrollBar.AsNeeded
            }

            delegate: MouseArea {
                id: rootItem

                required property int index
                required property var model
                property bool hovered: false
                property color color: hovered ? Qt.lighter(styleManager.style.color("Widgets-ToolTip-Gradient1"), 1.5)
                                              : styleManager.style.color("Widgets-ToolTip-Gradient1")
                readonly property alias isChecked: checkBox.checked

                function checkThis() { checkBox.checked = true; }
                function noCheckThis() { checkBox.checked = false; }

                width: ListView.view.width
                height: 40 * root.s
                hoverEnabled: true
                onEntered: hovered = true
                onExited: hovered = false
                onCanceled: hovered = false

                Behavior on color {
                    ColorAnimation { duration: 100 }
                }

                Connections {
                    target: root
                    function onChannelCheckChanged(id, checked) {
                        if (id === rootItem.model.ChannelID)
                            checkBox.checked = checked;
                    }
                }

                RowLayout {
                    anchors.fill: parent
                    spacing: 1

                    Rectangle {
                        Layout.preferredWidth: checkHeader.width
                        Layout.fillHeight: true
                        color: rootItem.color

                        MyCheckBox {
                            id: checkBox
                            objectName: "rowCheckBox"
                            anchors.centerIn: parent
                            height: parent.height
                            width: height
                            onClicked: root.checkRow(rootItem.index, rootItem.model.ChannelID, checked)
                            Component.onCompleted: {
                                checked = root.isSelected(rootItem.model.ChannelID);
                                if (checked && rootItem.index + 1 === listModel.count)
                                    checkHeaderCheckBox.checked = root.allRowsSelected();
                                if (!checked)
                                    checkHeaderCheckBox.checked = false;
                            }
                        }
                    }

                    Repeater {
                        model: [{width: deviceNameHeader.width, text: rootItem.model.DevName},
                                {width: channelNameHeader.width, text: rootItem.model.Name}]

                        Rectangle {
                            required property var modelData
                            Layout.preferredWidth: modelData.width
                            Layout.fillHeight: true
                            color: rootItem.color

                            TextEdit {
                                anchors.centerIn: parent
                                readOnly: true
                                selectByMouse: true
                                selectionColor: "#a01AA9FF"
                                color: root.textColor
                                font.family: "微软雅黑"
                                font.pointSize: 10 * root.f
                                text: parent.modelData.text === undefined ? "" : parent.modelData.text
                            }
                        }
                    }

                    Rectangle {
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        color: rootItem.color

                        Text {
                            readonly property bool offline: rootItem.model.Online === 0
                            anchors.centerIn: parent
                            font.family: "微软雅黑"
                            font.pointSize: 10 * root.f
                            text: offline ? "离线" : "在线"
                            color: styleManager.style.color(offline ? "Home-DeviceListView-Item-Offline"
                                                                    : "Home-DeviceListView-Item-Online")
                        }
                    }
                }
            }
        }

        Item {
            id: listViewFooter
            width: 680 * root.s
            height: 32 * root.s
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 10 * root.s

            Widgets.PagingRow {
                id: pagingRow
                objectName: "pagingRow"
                height: parent.height
                visible: !selecedSwitch.checked
                currentPage: root.currentPage
                totalPage: root.totalPage
                rowCount: listView.count
                total: root.channelTotal
                textColor: root.textColor
                onPageChosen: (page) => root.currentPage = page
            }

            Widgets.ColorButton {
                id: startButton
                objectName: "startButton"
                anchors.right: parent.right
                width: 80 * root.s
                height: parent.height
                text: "开始轮播"
                normalColor: root.buttonColor
                hoveredColor: Qt.lighter(normalColor)
                pressedColor: Qt.darker(normalColor, 1.2)
                textColor: root.textColor
                radius: 2
                onClicked: root.startCarousel()
            }
        }
    }
}
