import QtQuick
import QtQuick.Controls as QQC
import "../Widgets" as Widgets

// One record of the record table: its cells line up with the table's header cells.
// Server work goes through the table, which outlives the row.
MouseArea {
    id: rootItem

    required property int index
    required property var model
    property Item view
    property bool hovered: false
    property color color: hovered ? Qt.lighter(view.rowColor, 1.5) : view.rowColor

    readonly property real s: styleManager.scaleRatio
    // What the table's calls need of the record, read when they are made.
    readonly property var record: ({ name: model.name, channelID: model.channelID, startAt: model.startAt,
                                     duration: model.duration, hls: model.hls })
    readonly property string downloadKey: view.downloadKey(view.cloud, record)
    // The last start was refused: a download of that file is running.
    property bool downloadRefused: false

    function text(value) {
        return value === undefined || value === null ? "" : String(value);
    }

    // A start asked for: the popup opens, saying so when another download of that file
    // runs.
    function showDownload(answer) {
        downloadRefused = answer === "refused";
        downloadPopup.open();
    }

    hoverEnabled: true
    // A row made again while its download runs shows that download's popup again.
    Component.onCompleted: {
        if (view.downloads.owns(downloadKey, downloadKey))
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
        visible: rootItem.view.columnShown[column]
        width: rootItem.view.columnWidths[column]
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
            color: rootItem.view.textColor
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
            horizontalAlignment: TextEdit.AlignHCenter
            verticalAlignment: TextEdit.AlignVCenter
        }
    }

    component RowButton: Widgets.ImageButton {
        anchors.centerIn: parent
        width: 28 * rootItem.s
        height: 30 * rootItem.s
    }

    Row {
        height: parent.height
        spacing: 1

        TextCell { column: 0; objectName: "numberCell"; text: rootItem.index + 1 }
        TextCell { column: 1; objectName: "nameCell"; text: rootItem.text(rootItem.model.name) }
        TextCell { column: 2; objectName: "startCell"; text: rootItem.view.startText(rootItem.text(rootItem.model.startAt)) }

        Cell {
            column: 3

            QQC.Switch {
                id: flagSwitch
                objectName: "flagSwitch"
                anchors.centerIn: parent
                width: 55 * rootItem.s
                height: 30 * rootItem.s
                padding: 0
                indicator: null
                contentItem: null
                checked: rootItem.model.important === true
                background: Image {
                    mipmap: true
                    source: styleManager.style.image(flagSwitch.checked ? "RecordManage-Switch-On"
                                                                        : "RecordManage-Switch-Off")
                }
                onToggled: rootItem.view.setImportant(rootItem.record, !(rootItem.model.important === true))

                Widgets.ToolTip {
                    id: flagTooltip
                    objectName: "flagTooltip"
                }

                Connections {
                    target: rootItem.view

                    // The switch shows the row's flag again: the new one after a success,
                    // the old one after a refusal.
                    function onFlagAnswered(channelID, startAt, success, errorString) {
                        if (channelID !== rootItem.model.channelID || startAt !== rootItem.model.startAt)
                            return;
                        flagSwitch.checked = Qt.binding(() => rootItem.model.important === true);
                        if (!success)
                            flagTooltip.show(errorString, 800);
                    }
                }
            }
        }

        TextCell {
            column: 4
            objectName: "durationCell"
            text: rootItem.view.durationText(Number(rootItem.model.duration) || 0)
        }
        TextCell {
            column: 5
            objectName: "addressCell"
            clip: true
            text: rootItem.text(rootItem.model.hls) || "--"
        }

        Cell {
            id: snapCell
            objectName: "snapCell"
            column: 6

            Image {
                id: snapImage
                objectName: "snapImage"
                anchors.centerIn: parent
                width: parent.height
                height: parent.height
                sourceSize.width: width
                sourceSize.height: height
                source: !rootItem.view.cloud ? ""
                        : rootItem.text(rootItem.model.snap) === "" ? styleManager.style.image("Home-NoSnap")
                        : rootItem.view.recordAddress(rootItem.model.snap)
            }

            MouseArea {
                anchors.fill: parent
                hoverEnabled: true
                onEntered: rootItem.view.showSnap(snapCell, snapImage.source)
                onExited: rootItem.view.hideSnap()
                onCanceled: rootItem.view.hideSnap()
            }
        }

        Cell {
            column: 7

            RowButton {
                objectName: "linkButton"
                normalImage: styleManager.style.image("RecordManage-LinkIcon")
                onClicked: {
                    rootItem.view.copyLink(rootItem.record);
                    linkTooltip.show("已经复制到剪切板!", 800);
                }

                Widgets.ToolTip {
                    id: linkTooltip
                    objectName: "linkTooltip"
                }
            }
        }

        Cell {
            column: 8

            RowButton {
                objectName: "playButton"
                normalImage: styleManager.style.image("RecordManage-PlayIcon")
                onClicked: rootItem.view.play(rootItem.record)
            }
        }

        Cell {
            column: 9

            RowButton {
                objectName: "downloadButton"
                normalImage: styleManager.style.image("RecordManage-DownloadIcon")
                onClicked: {
                    // Device records get their address first: the popup opens with it.
                    const answer = rootItem.view.download(rootItem.record);
                    if (answer !== "pending")
                        rootItem.showDownload(answer);
                }

                Widgets.DownloadPopup {
                    id: downloadPopup
                    objectName: "downloadPopup"
                    // Also when the row is made again while its download runs.
                    title: rootItem.view.downloadTitle(rootItem.record)
                    textColor: rootItem.view.textColor
                    progress: rootItem.view.downloads.owns(rootItem.downloadKey, rootItem.downloadKey)
                              ? rootItem.view.downloads.progress(rootItem.downloadKey) : 0
                    message: rootItem.downloadRefused ? "录像正在下载" : ""
                    onStopRequested: rootItem.view.stopDownload(rootItem.record)

                    Connections {
                        target: rootItem.view.downloads

                        function onFinished(key, owner, success) {
                            if (key !== rootItem.downloadKey)
                                return;
                            if (!rootItem.view.downloads.isRunning(key))
                                rootItem.downloadRefused = false;
                            if (success)
                                downloadPopup.close();
                        }
                    }

                    Connections {
                        target: rootItem.view

                        function onDownloadStarted(key, answer) {
                            if (key === rootItem.downloadKey)
                                rootItem.showDownload(answer);
                        }
                    }
                }
            }
        }

        Cell {
            column: 10

            RowButton {
                objectName: "deleteButton"
                normalImage: styleManager.style.image("RecordManage-DeleteIcon")
                onClicked: rootItem.view.removeRecord(rootItem.record)

                Widgets.ToolTip {
                    id: deleteTooltip
                    objectName: "deleteTooltip"
                }

                Connections {
                    target: rootItem.view

                    function onRemoveRefused(channelID, startAt, errorString) {
                        if (channelID === rootItem.model.channelID && startAt === rootItem.model.startAt)
                            deleteTooltip.show(errorString, 800);
                    }
                }
            }
        }
    }
}
