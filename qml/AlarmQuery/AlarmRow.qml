import QtQuick
import QtQuick.Controls as QQC
import an.video 1.0
import "../Widgets" as Widgets

// One alarm of the alarm page's table: its cells line up with the page's header cells.
// Everything that answers later (deletion, download) goes through the page, which
// outlives the row: a new query rebuilds every row.
MouseArea {
    id: rootItem

    required property int index
    required property var model
    property Item page
    property bool hovered: false
    property color color: hovered ? Qt.lighter(page.rowColor) : page.rowColor

    readonly property real s: styleManager.scaleRatio
    readonly property bool hasRecord: text(model.AlarmRecord) !== ""
    readonly property string downloadKey: page.downloadKey(model.ChannelName, model.ChannelID, model.AlarmTime)
    // The alarm: its row, made again, takes its download back; another alarm's row with
    // the same key does not.
    readonly property string downloadOwner: "alarm " + text(model.ID)
    // The last start was refused: a download of that file is running.
    property bool downloadRefused: false

    function text(value) {
        return value === undefined || value === null ? "" : String(value);
    }

    hoverEnabled: true
    // A row made again while its download runs shows that download's popup again.
    Component.onCompleted: {
        if (page.downloads.owns(downloadKey, downloadOwner))
            downloadPopup.open();
    }
    onEntered: hovered = true
    onExited: hovered = false
    onCanceled: hovered = false

    Behavior on color {
        ColorAnimation { duration: 100 }
    }

    component Cell: Rectangle {
        property int column
        width: rootItem.page.columnWidths[column]
        height: rootItem.height
        color: rootItem.color
    }

    component TextCell: Cell {
        property alias text: field.text

        TextEdit {
            id: field
            anchors.fill: parent
            readOnly: true
            selectByMouse: true
            selectionColor: "#a01AA9FF"
            color: rootItem.page.textColor
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
            horizontalAlignment: TextEdit.AlignHCenter
            verticalAlignment: TextEdit.AlignVCenter
        }
    }

    Row {
        height: parent.height
        spacing: 1

        TextCell { column: 0; text: rootItem.index + 1 }
        TextCell {
            column: 1
            objectName: "deviceNameCell"
            text: rootItem.text(rootItem.model.DeviceName) || "--"
        }
        TextCell { column: 2; text: rootItem.text(rootItem.model.DeviceID) }
        TextCell { column: 3; text: rootItem.text(rootItem.model.ChannelName) }
        TextCell { column: 4; text: rootItem.text(rootItem.model.ChannelID) }
        TextCell { column: 5; clip: true; text: rootItem.text(rootItem.model.AlarmTime) }
        TextCell {
            column: 6
            objectName: "alarmLevelCell"
            clip: true
            text: networkManager.getAlarmLevel(rootItem.model.AlarmPriority)
        }
        TextCell {
            column: 7
            objectName: "alarmMethodCell"
            clip: true
            text: networkManager.getAlarmMethod(rootItem.model.AlarmMethod)
        }
        TextCell {
            column: 8
            objectName: "alarmTypeCell"
            clip: true
            text: networkManager.getAlarmType(rootItem.model.AlarmMethod, rootItem.model.AlarmType) || "--"
        }

        Cell {
            id: snapCell
            objectName: "snapCell"
            column: 9

            VideoSnapItem {
                id: snapImage
                objectName: "snapImage"
                anchors.centerIn: parent
                height: parent.height
                width: height
                snapUrl: rootItem.text(rootItem.model.AlarmSnap)
            }

            MouseArea {
                anchors.fill: parent
                hoverEnabled: true
                onEntered: rootItem.page.showSnap(snapCell, snapImage.snapUrl)
                onExited: rootItem.page.hideSnap()
                onCanceled: rootItem.page.hideSnap()
            }
        }

        Cell {
            column: 10

            Row {
                objectName: "recordButtons"
                anchors.centerIn: parent
                spacing: 5 * rootItem.s
                visible: rootItem.hasRecord

                Widgets.ImageButton {
                    objectName: "playButton"
                    width: 28 * rootItem.s
                    height: 30 * rootItem.s
                    normalImage: styleManager.style.image("RecordManage-PlayIcon")
                    onClicked: rootItem.page.playRecord(rootItem.model.AlarmRecord, rootItem.text(rootItem.model.ChannelName),
                                                        rootItem.text(rootItem.model.AlarmTime))
                }

                Widgets.ImageButton {
                    objectName: "downloadButton"
                    width: 28 * rootItem.s
                    height: 30 * rootItem.s
                    normalImage: styleManager.style.image("RecordManage-DownloadIcon")
                    onClicked: {
                        const answer = rootItem.page.downloadRecord(rootItem.model.AlarmRecord, rootItem.model.ChannelName,
                                                                    rootItem.model.ChannelID, rootItem.model.AlarmTime,
                                                                    rootItem.downloadOwner);
                        rootItem.downloadRefused = answer === "refused";
                        downloadPopup.open();
                    }

                    Widgets.DownloadPopup {
                        id: downloadPopup
                        objectName: "downloadPopup"
                        textColor: rootItem.page.textColor
                        // Another row's download of the same file is not this popup's.
                        progress: rootItem.page.downloads.owns(rootItem.downloadKey, rootItem.downloadOwner)
                                  ? rootItem.page.downloads.progress(rootItem.downloadKey) : 0
                        message: rootItem.downloadRefused ? "录像正在下载" : ""
                        onStopRequested: rootItem.page.stopDownload(rootItem.model.ChannelName, rootItem.model.ChannelID,
                                                                    rootItem.model.AlarmTime, rootItem.downloadOwner)

                        Connections {
                            target: rootItem.page.downloads

                            function onFinished(key, owner, success) {
                                if (key !== rootItem.downloadKey)
                                    return;
                                if (!rootItem.page.downloads.isRunning(key))
                                    rootItem.downloadRefused = false;
                                if (success && owner === rootItem.downloadOwner)
                                    downloadPopup.close();
                            }
                        }
                    }
                }

                Widgets.ImageButton {
                    objectName: "linkButton"
                    width: 28 * rootItem.s
                    height: 30 * rootItem.s
                    normalImage: styleManager.style.image("RecordManage-LinkIcon")
                    onClicked: {
                        rootItem.page.copyLink(rootItem.model.AlarmRecord);
                        linkTooltip.show("已经复制到剪切板!", 800);
                    }

                    Widgets.ToolTip {
                        id: linkTooltip
                        objectName: "linkTooltip"
                    }
                }
            }
        }

        Cell {
            column: 11

            Widgets.ImageButton {
                objectName: "deleteButton"
                anchors.centerIn: parent
                width: 28 * rootItem.s
                height: 30 * rootItem.s
                normalImage: styleManager.style.image("RecordManage-DeleteIcon")
                onClicked: rootItem.page.deleteAlarm(rootItem.model.ID)

                Widgets.ToolTip {
                    id: deleteTooltip
                    objectName: "deleteTooltip"
                }

                Connections {
                    target: rootItem.page

                    function onDeleteRefused(alarmId, errorString) {
                        if (alarmId === rootItem.model.ID)
                            deleteTooltip.show(errorString, 800);
                    }
                }
            }
        }
    }
}
