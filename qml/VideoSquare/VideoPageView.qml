import QtQuick
import "../HomePage" as HomePage
import "../Widgets" as Widgets

// A list of channels as a paged grid of five columns, each cell a tile showing the
// channel's snapshot. A double-click lays a tile over the whole view and plays the
// channel; a second one puts it back into its cell and stops the stream.
Item {
    id: root

    property var channelList: []
    property int channelCount: 0
    property int currentPage: 0
    property int numberPerPage: 30
    property int totalPage: Math.ceil((channelList ? channelList.length : 0) / numberPerPage)
    property int currentPageNumber: snapGridView.count
    property color textColor: styleManager.style.color("Login-TextColor")

    // Copies of the records as given: a device's channel objects die when the device
    // list is reloaded, and the grid must not keep dead objects.
    property var __records: []
    // The tile laid over the view, playing; null while every tile is in its cell.
    property var __enlargedTile: null

    readonly property real __s: styleManager.scaleRatio
    readonly property real __f: styleManager.fontScaleRatio

    function __copy(record) {
        if (!record)
            return { name: "", online: undefined, snapUrl: "", parentDeviceID: -1, channelID: -1 };
        return {
            name: record.name,
            online: record.online,
            snapUrl: record.snapUrl,
            parentDeviceID: record.parentDeviceID,
            channelID: record.channelID
        };
    }

    function recalcModel() {
        // The tiles of the old page die with their cells; a playing one sends its stop
        // first, since a tile says nothing when it is destroyed.
        if (__enlargedTile) {
            const tile = __enlargedTile;
            __enlargedTile = null;
            tile.stopVideo();
        }
        const start = numberPerPage * currentPage;
        const end = start + numberPerPage < channelCount ? start + numberPerPage : channelCount;
        snapGridView.model = __records.slice(start, end);
    }

    function __tileMoved(tile, record) {
        if (tile.parent === tile.noFillParent) {
            __enlargedTile = tile;
            tile.playChannel(record);
        } else if (__enlargedTile === tile && tile.parent === tile.fillParent) {
            __enlargedTile = null;
            tile.stopVideo();
        }
    }

    onChannelListChanged: {
        const list = channelList || [];
        const records = [];
        for (let i = 0; i < list.length; ++i)
            records.push(__copy(list[i]));
        __records = records;
        currentPage = 0;
        numberPerPage = 30;
        pageSizeBox.currentIndex = 0;
        channelCount = list.length;
        recalcModel();
    }
    onCurrentPageChanged: recalcModel()
    onNumberPerPageChanged: recalcModel()

    // Every cell of the page is built at once and kept while scrolled out of sight: the
    // tiles keep their state and fetch their pictures once per page.
    Flickable {
        id: snapGridView
        objectName: "snapGridView"

        property alias model: cellRepeater.model
        readonly property alias count: cellRepeater.count
        readonly property real cellWidth: width / 5
        readonly property real cellHeight: 200 * root.__s

        function itemAtIndex(index) {
            return cellRepeater.itemAt(index);
        }

        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: viewFooter.top
        clip: true
        flickableDirection: Flickable.VerticalFlick
        contentWidth: width
        contentHeight: cellGrid.height

        Grid {
            id: cellGrid
            columns: 5

            Repeater {
                id: cellRepeater
                model: []

                delegate: Item {
                    id: rootItem

                    required property int index
                    required property var modelData
                    readonly property bool offline: modelData.online === 0

                    objectName: "cell" + index
                    width: snapGridView.cellWidth
                    height: snapGridView.cellHeight

                    Item {
                        objectName: "cellBody"
                        anchors.fill: parent
                        anchors.margins: 10 * root.__s
                        opacity: rootItem.offline ? 0.7 : 1.0

                        Rectangle {
                            id: cameraBackground
                            objectName: "cameraBackground"
                            anchors.top: parent.top
                            anchors.left: parent.left
                            anchors.right: parent.right
                            anchors.bottom: nameBackground.top
                            color: "#20ffffff"

                            HomePage.CameraRectangle {
                                id: cameraRectangle
                                objectName: "cameraTile"
                                anchors.fill: parent
                                fillParent: cameraBackground
                                noFillParent: root
                                snapUrl: rootItem.modelData.snapUrl === undefined ? "" : rootItem.modelData.snapUrl
                                // Defined, so that a double-click moves the tile; the square keeps no current tile.
                                setCurrentFunction: function (tile) {}
                                onParentChanged: root.__tileMoved(cameraRectangle, rootItem.modelData)

                                // Made only while the tile plays: a page holds up to sixty tiles.
                                Loader {
                                    objectName: "ptzLoader"
                                    anchors.fill: parent
                                    active: cameraRectangle.videoUrl !== ""

                                    sourceComponent: HomePage.PtzControlPanel {
                                        objectName: "ptzControlPanel"
                                        hovered: cameraRectangle.hovered
                                        exitTimer: cameraRectangle.exitTimer
                                        deviceId: cameraRectangle.deviceId
                                        channelId: cameraRectangle.channelId
                                    }
                                }
                            }
                        }

                        Rectangle {
                            id: nameBackground
                            objectName: "nameBackground"
                            anchors.left: parent.left
                            anchors.right: parent.right
                            anchors.bottom: parent.bottom
                            height: 28 * root.__s
                            color: "#ffffff"

                            Text {
                                id: nameText
                                objectName: "nameText"
                                anchors.left: parent.left
                                anchors.leftMargin: 5 * root.__s
                                anchors.verticalCenter: parent.verticalCenter
                                text: "[" + (rootItem.index + 1) + "] " + rootItem.modelData.name
                                font.family: "微软雅黑"
                                font.pointSize: 10 * root.__f
                                color: styleManager.style.color(rootItem.offline ? "Home-DeviceListView-Item-Offline"
                                                                                 : "Home-DeviceListView-Item-Online")
                            }

                            Text {
                                objectName: "onlineText"
                                anchors.right: parent.right
                                anchors.rightMargin: 5 * root.__s
                                anchors.verticalCenter: parent.verticalCenter
                                text: rootItem.offline ? "✖离线" : "✔在线"
                                font: nameText.font
                                color: nameText.color
                            }
                        }
                    }
                }
            }
        }
    }

    Item {
        id: viewFooter
        objectName: "viewFooter"
        width: 680 * root.__s
        height: 40 * root.__s
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10 * root.__s

        Row {
            y: 10 * root.__s
            height: 30 * root.__s
            spacing: 10 * root.__s

            Widgets.PagingRow {
                objectName: "pagingRow"
                height: parent.height
                currentPage: root.currentPage
                totalPage: root.totalPage
                rowCount: root.currentPageNumber
                total: root.channelList ? root.channelList.length : 0
                textColor: root.textColor
                jumpOnReturn: true
                onPageChosen: page => root.currentPage = page
            }

            Widgets.ComboBox {
                id: pageSizeBox
                objectName: "pageSizeBox"
                width: 100 * root.__s
                height: parent.height
                maxDisplayRow: 5
                font.pointSize: 10 * root.__f
                model: ["30 条每页", "40 条每页", "50 条每页", "60 条每页"]
                onActivated: index => {
                    root.currentPage = 0;
                    root.numberPerPage = (index + 3) * 10;
                }
            }
        }
    }
}
