import QtQuick
import QtQuick.Controls as QQC
import "../Widgets" as Widgets
import "../HomePage" as HomePage
import "../Api/api.js" as Api

// The records of one channel's day as a table: cloud records (type 0) with flag, link,
// snapshot and removal, device records (other types) with play and download only.
// Everything that answers later goes through the table, which outlives its rows: the
// page reloads the model for every day, tab and channel, and a row scrolled far out is
// released by the list.
Item {
    id: root

    property int type: 0
    property alias model: recordListModel
    property color textColor: styleManager.style.color("Login-TextColor")

    readonly property real s: styleManager.scaleRatio
    readonly property bool cloud: type === 0
    readonly property color rowColor: styleManager.style.color("Widgets-ToolTip-Gradient1")
    // Columns in order; a width of -1 takes the rest of the row. Cloud-only columns take
    // no room for device records.
    readonly property var columns: [
        { title: "序号", width: 60 },
        { title: "通道名称", width: 200 },
        { title: "开始时间", width: 160 },
        { title: "紧急标记", width: 100, cloudOnly: true },
        { title: "录像时长", width: 100 },
        { title: "录像地址", width: -1 },
        { title: "快照", width: 60, cloudOnly: true },
        { title: "链接", width: 60, cloudOnly: true },
        { title: "播放", width: 60 },
        { title: "下载", width: 60 },
        { title: "删除", width: 60, cloudOnly: true }
    ]
    readonly property var columnShown: columns.map(column => cloud || !column.cloudOnly)
    readonly property var columnWidths: {
        let fixed = 0;
        let shown = 0;
        for (let i = 0; i < columns.length; ++i) {
            if (!columnShown[i])
                continue;
            ++shown;
            fixed += Math.max(0, columns[i].width) * s;
        }
        const rest = Math.max(0, content.width - fixed - (shown - 1));
        return columns.map((column, i) => !columnShown[i] ? 0 : column.width < 0 ? rest : column.width * s);
    }

    // Downloads by kind, name, channel and start: a download runs on while its row goes.
    readonly property QtObject downloads: Widgets.DownloadTracker {}
    // Each play click supersedes the earlier ones, also those still waiting for a
    // device playback address.
    property int __playSerial: 0

    // A device download was granted its address and asked for (`answer` as of
    // DownloadTracker.start()): the row of that key (if any) opens its popup.
    signal downloadStarted(string key, string answer)
    // The answers of flag changes and removals, for the row that shows the record (if
    // it still does).
    signal flagAnswered(int channelID, string startAt, bool success, string errorString)
    signal removeRefused(int channelID, string startAt, string errorString)

    function recordAddress(path) {
        return "http://" + settingManager.settings.host + ":" + settingManager.settings.port + path;
    }

    function startText(startAt) {
        return qmlApi.convertDatetime(startAt, "yyyyMMddhhmmss", "yyyy-MM-dd hh:mm:ss");
    }

    function durationText(duration) {
        return Api.getFull(Math.floor(duration / 3600)) + ":" + Api.getFull(Math.floor(duration / 60) % 60) + ":"
               + Api.getFull(Math.floor(duration % 60));
    }

    // Device downloads take the cloud form too, so that every popup names its record.
    function downloadTitle(record) {
        return "下载录像: [" + record.name + "]-" + startText(record.startAt);
    }

    function downloadKey(cloudRecord, record) {
        return JSON.stringify([cloudRecord ? "cloud" : "device", record.name, record.channelID, record.startAt]);
    }

    // The row of a record now, by channel and start: positions change with every reload.
    function rowOf(channelID, startAt) {
        for (let row = 0; row < recordListModel.count; ++row) {
            const record = recordListModel.get(row);
            if (record.channelID === channelID && record.startAt === startAt)
                return row;
        }
        return -1;
    }

    function setImportant(record, important) {
        const channelID = record.channelID;
        const startAt = record.startAt;
        networkManager.setRecordImportant(channelID, startAt, important, (success, errorString) => {
            const row = root.rowOf(channelID, startAt);
            if (success && row >= 0) {
                recordListModel.setProperty(row, "important", important);
                console.log("setRecordImportant", success, important);
            }
            root.flagAnswered(channelID, startAt, success, errorString);
        });
    }

    function removeRecord(record) {
        const channelID = record.channelID;
        const startAt = record.startAt;
        networkManager.removeRecord(channelID, startAt, (success, errorString) => {
            if (!success) {
                root.removeRefused(channelID, startAt, errorString);
                return;
            }
            const row = root.rowOf(channelID, startAt);
            if (row >= 0)
                recordListModel.remove(row);
        });
    }

    function copyLink(record) {
        qmlApi.setClipBoardText(recordAddress(record.hls));
    }

    function play(record) {
        const serial = ++__playSerial;
        const title = record.name + "-" + startText(record.startAt);
        if (cloud) {
            showPlayback(title, recordAddress(record.hls));
            return;
        }
        networkManager.getDeviceRecordUrl(record.channelID, record.name, record.startAt, record.duration,
                                          (success, result) => {
            if (serial !== root.__playSerial)
                return;
            if (!success) {
                console.log(result);
                return;
            }
            const url = root.recordAddress(result);
            console.log(networkManager.maskedUrl(url));
            root.showPlayback(title, url);
        });
    }

    // One window and one tile for every row: a new record replaces the playing one.
    function showPlayback(title, url) {
        playWindow.open();
        playWindow.title = title;
        playView.title = title;
        playView.videoUrl = url;
    }

    function downloadFinished(success, errorString) {
        if (success)
            Qt.openUrlExternally(downloads.folderUrl(networkManager.getRecordPath()));
        else
            console.log(errorString);
    }

    // Cloud records download at once, answering as DownloadTracker.start() does; device
    // records first get an address (the answer is then "pending", the rest comes with
    // downloadStarted). A record's download belongs to its key: another record whose
    // file name is the same (names differing in blanks and colons) owns nothing of it.
    function download(record) {
        const name = record.name;
        const channelID = record.channelID;
        const startAt = record.startAt;
        if (cloud) {
            const cloudKey = downloadKey(true, record);
            return downloads.start(cloudKey, cloudKey, (progress, finished) => {
                networkManager.downloadRecord(name, channelID, startAt, progress, finished);
            }, downloadFinished);
        }
        const key = downloadKey(false, record);
        networkManager.getDeviceRecordDownloadUrl(channelID, name, startAt, record.duration, (success, result) => {
            if (!success) {
                console.log(result);
                return;
            }
            const answer = root.downloads.start(key, key, (progress, finished) => {
                networkManager.downloadDeviceRecord(result, name, channelID, startAt, progress, finished);
            }, root.downloadFinished);
            root.downloadStarted(key, answer);
        });
        return "pending";
    }

    // By the table's type at the moment of the stop; only a download that this record
    // started and that still runs.
    function stopDownload(record) {
        const key = downloadKey(cloud, record);
        if (!downloads.owns(key, key))
            return;
        if (cloud)
            networkManager.stopDownloadRecord(record.name, record.channelID, record.startAt);
        else
            networkManager.stopDownloadDeviceRecord(record.name, record.channelID, record.startAt);
    }

    // The preview stands left of the cell, level with its top, or above it where the
    // table ends.
    function showSnap(cell, source) {
        const p = cell.mapToItem(root, 0, 0);
        snapPreview.x = p.x - snapPreview.width;
        snapPreview.y = p.y + snapPreview.height > root.height ? p.y - snapPreview.height : p.y;
        snapPreview.source = source;
        snapPreview.open();
    }

    function hideSnap() {
        snapPreview.close();
    }

    ListModel {
        id: recordListModel
    }

    Item {
        id: content
        anchors.fill: parent
        anchors.margins: 10 * root.s

        Row {
            id: header
            objectName: "header"
            width: parent.width
            height: 40 * root.s
            spacing: 1

            Repeater {
                model: root.columns

                Rectangle {
                    required property var modelData
                    required property int index

                    objectName: "header-" + modelData.title
                    visible: root.columnShown[index]
                    width: root.columnWidths[index]
                    height: header.height
                    color: styleManager.style.color("Home-DeviceListView-Item-Checked")

                    Text {
                        anchors.centerIn: parent
                        text: parent.modelData.title
                        color: root.textColor
                        font.family: "微软雅黑"
                        font.pointSize: 11 * styleManager.fontScaleRatio
                    }
                }
            }
        }

        ListView {
            id: listView
            objectName: "listView"
            anchors.top: header.bottom
            anchors.topMargin: 1
            anchors.bottom: parent.bottom
            width: parent.width
            clip: true
            spacing: 1
            model: recordListModel
            // No highlight is drawn; its invisible stand-in would follow each resize of the
            // current row at 400 px a second, drawing frames for seconds after a page switch.
            highlightFollowsCurrentItem: false
            delegate: RecordRow {
                view: root
                width: listView.width
                height: header.height
            }

            add: Transition {
                NumberAnimation { property: "y"; from: 0; duration: 300 }
            }

            QQC.ScrollBar.vertical: Widgets.ScrollBar {
                width: 12 * root.s
                policy: QQC.ScrollBar.AsNeeded
            }
        }
    }

    QQC.Popup {
        id: snapPreview
        objectName: "snapPreview"

        property alias source: previewImage.source

        width: 600 * root.s
        height: 600 * root.s
        padding: 0
        background: Item {}
        closePolicy: QQC.Popup.NoAutoClose

        enter: Transition {
            NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 250 }
        }
        exit: Transition {
            NumberAnimation { property: "opacity"; from: 1; to: 0; duration: 250 }
        }

        contentItem: Item {
            Image {
                id: previewImage
                objectName: "previewImage"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(parent.width, implicitWidth)
                fillMode: Image.PreserveAspectFit
            }
        }
    }

    Widgets.PopupWindow {
        id: playWindow
        objectName: "playWindow"
        layoutSize: Qt.size(860 * ratio, 560 * ratio)
        contentItem: Item {
            HomePage.CameraRectangle {
                id: playView
                objectName: "playView"
                anchors.fill: parent
                anchors.margins: 2 * playWindow.ratio
                streamType: 1
            }
        }
        onClosed: playView.stopChannel()
    }
}
