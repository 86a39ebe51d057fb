import QtQuick
import QtQuick.Layouts
import "../Widgets" as Widgets
import "../RealtimeRetrieval" as RealtimeRetrieval

// The home dashboard: seven glowing panels on a 3 x 4 grid. While the page is on screen
// it asks the server for its load figures every 2 s and hands them to the charts.
Item {
    id: homePage

    property bool isCurrent: false
    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")
    // The window's picture under the page (none on a page of its own): the page draws the
    // part it covers itself, into the texture that holds its panels' frames.
    property Image backgroundPicture: null

    // While a request is out a tick leaves the server alone, so that a hung server does
    // not collect requests; it is out until its answer or its failure, which the
    // transport reports for an unanswered call after this long at the latest.
    property int stateReplyPatience: 30000
    // When the server-state request now out was sent, 0 when none is; its number.
    property double stateRequestSentAt: 0
    property int stateRequestNumber: 0

    readonly property alias stateTimer: stateTimer
    readonly property alias diskChart: diskChart
    readonly property alias cpuMemoryChart: cpuMemoryChart
    readonly property alias networkChart: networkChart
    readonly property alias deviceStatusView: deviceStatusView
    readonly property alias deviceListView: deviceListView
    readonly property alias cameraWall: cameraWall
    readonly property alias carouselSettingPopup: carouselSettingPopup

    function requestServerState() {
        const now = Date.now();
        if (stateRequestSentAt > 0 && now - stateRequestSentAt < stateReplyPatience)
            return;
        stateRequestSentAt = now;
        const number = ++stateRequestNumber;
        const ended = () => {
            if (number === stateRequestNumber)
                stateRequestSentAt = 0;
        };
        networkManager.getServerState(object => {
            ended();
            processStateData(object);
        }, ended);
    }

    // Each chart takes its own members: one that cannot read its part leaves the
    // others updating.
    function processStateData(object) {
        const updates = [() => diskChart.updateDisk(object.diskData),
                         () => cpuMemoryChart.updatePerformance(object.cpuData, object.memData),
                         () => networkChart.updatePerformance(object.netUpData, object.netDownData)];
        for (const update of updates) {
            try {
                update();
            } catch (error) {
                console.log("processStateData:", error);
            }
        }
    }

    onIsCurrentChanged: {
        if (isCurrent) {
            cpuMemoryChart.clearSeries();
            networkChart.clearSeries();
        }
    }

    // The wall's carousel: it clears the four tiles when it starts and fills the first
    // ones at every tick. Of all carousels only this one may start by itself.
    RealtimeRetrieval.CarouselSettingPopup {
        id: carouselSettingPopup
        objectName: "carouselSettingPopup"
        layoutCount: 4
        onStart: cameraWall.stopAll()
        onCarousel: channelList => cameraWall.playCarousel(channelList)
        Component.onCompleted: {
            if (settingManager.settings.carouselOnStart)
                startCarousel();
        }
    }

    // An alarm's recording, in a window of its own.
    AlarmPlaybackPopup {
        id: playAlarmPopup
        objectName: "playAlarmPopup"
    }

    Timer {
        id: stateTimer
        interval: 2000
        repeat: true
        running: homePage.isCurrent
        onTriggered: homePage.requestServerState()
    }

    // The page's still layers in one texture: the window's picture where the page lies and
    // the panels' glowing bodies, which the contents lie on. Without it every frame that the
    // clock or a chart asks for blends the picture, seven glows and seven bodies over the
    // whole page again; with it the texture is drawn again only when the page's size or
    // place changes, and the frame copies it once.
    Item {
        id: backdrop
        objectName: "backdrop"

        // Where the window's picture lies in the page: it follows the page as it slides in
        // and out, and as the title strip above the pages changes height with the scale.
        // The mapping itself is no binding: the places of every item from the page up to
        // the picture are read, so that a move of any of them shifts it.
        readonly property point pictureOrigin: {
            const picture = homePage.backgroundPicture;
            if (!picture)
                return Qt.point(0, 0);
            for (let item = homePage; item && item !== picture; item = item.parent)
                void [item.x, item.y];
            void [picture.x, picture.y];
            return backdrop.mapFromItem(picture, 0, 0);
        }

        // Only where shaders draw: the software renderer draws no effect (the texture
        // would not show), and it redraws only the changed parts of a frame anyway.
        readonly property bool cached: GraphicsInfo.shaderType === GraphicsInfo.RhiShader

        anchors.fill: parent
        layer.enabled: cached
        // With the picture in it the texture covers whatever lies below: drawn unblended,
        // the depth test leaves out the window's picture under the page.
        layer.effect: ShaderEffect {
            blending: !backdropPicture.visible
        }

        Image {
            id: backdropPicture
            objectName: "backdropPicture"
            x: backdrop.pictureOrigin.x
            y: backdrop.pictureOrigin.y
            width: homePage.backgroundPicture ? homePage.backgroundPicture.width : 0
            height: homePage.backgroundPicture ? homePage.backgroundPicture.height : 0
            source: homePage.backgroundPicture ? homePage.backgroundPicture.source : ""
            // The window's own picture, loaded at the size it shows at, and sampled as the
            // window samples it: any difference would show as a seam at the page's edge.
            sourceSize: homePage.backgroundPicture ? homePage.backgroundPicture.sourceSize : Qt.size(0, 0)
            smooth: homePage.backgroundPicture ? homePage.backgroundPicture.smooth : true
            visible: backdrop.cached && status === Image.Ready
        }

        // In the order the grid draws its panels: the tree's panel, raised, comes last.
        Repeater {
            model: [liveViewPanel, latestAlarmPanel, deviceStatusPanel, diskPanel, cpuMemoryPanel, networkPanel,
                    deviceListPanel]

            Widgets.GlowRectangle {
                required property Item modelData

                objectName: modelData.objectName + "Frame"
                x: gridLayout.x + modelData.x + modelData.rect.x
                y: gridLayout.y + modelData.y + modelData.rect.y
                width: modelData.rect.width
                height: modelData.rect.height
                visible: modelData.visible
                color: modelData.frameColor
                radius: modelData.frameRadius
                cornerRadius: modelData.cornerRadius
                glowRadius: modelData.glowRadius
                glowColor: modelData.glowColor
            }
        }
    }

    GridLayout {
        id: gridLayout

        readonly property real cellWidth: (width - columnSpacing * (columns - 1)) / columns
        readonly property real cellHeight: (height - rowSpacing * (rows - 1)) / rows

        anchors.fill: parent
        anchors.leftMargin: 20 * styleManager.scaleRatio
        anchors.rightMargin: 20 * styleManager.scaleRatio
        anchors.bottomMargin: 20 * styleManager.scaleRatio
        anchors.topMargin: 0
        rows: 3
        columns: 4

        // Above the other panels: the tree's details box opens to its right, over them.
        GlowItem {
            id: deviceListPanel
            objectName: "deviceListPanel"
            z: 10
            Layout.row: 0
            Layout.column: 0
            Layout.preferredWidth: gridLayout.cellWidth - 40
            Layout.preferredHeight: gridLayout.cellHeight
            title: "设备列表"
            titleIcon: styleManager.style.image("Home-DeviceListIcon")
            content: DeviceListView {
                id: deviceListView
                objectName: "deviceListView"

                // A click that brings no channel (a record the tree released) plays nothing.
                onClickChannel: info => {
                    if (info !== undefined && info !== null)
                        cameraWall.cameraView.playCurrentCamera(info);
                }
            }
            contentTitle: Widgets.ImageButton {
                id: refreshButton
                objectName: "deviceRefreshButton"
                anchors.right: parent ? parent.right : undefined
                anchors.rightMargin: 5 * styleManager.scaleRatio
                anchors.verticalCenter: parent ? parent.verticalCenter : undefined
                width: height
                height: 28 * styleManager.scaleRatio
                normalImage: styleManager.style.image("Home-DeviceListView-Refresh-Normal")
                hoveredImage: styleManager.style.image("Home-DeviceListView-Refresh-Hovered")
                pressedImage: styleManager.style.image("Home-DeviceListView-Refresh-Pressed")
                onClicked: networkManager.getDeviceList()

                Widgets.ToolTip {
                    objectName: "deviceRefreshToolTip"
                    text: "刷新"
                    visible: refreshButton.hovered || refreshButton.pressed
                }
            }
        }

        GlowItem {
            id: liveViewPanel
            objectName: "liveViewPanel"
            Layout.row: 0
            Layout.column: 1
            Layout.rowSpan: 2
            Layout.columnSpan: 2
            Layout.preferredWidth: gridLayout.cellWidth * 2 + gridLayout.columnSpacing + 80
            Layout.preferredHeight: gridLayout.cellHeight * 2 + gridLayout.rowSpacing
            title: "实时调阅"
            titleIcon: styleManager.style.image("Home-RealtimeRetrievalIcon")
            content: CameraWall {
                id: cameraWall
                objectName: "cameraWall"
            }
            contentTitle: Widgets.ColorButton {
                objectName: "carouselButton"
                anchors.top: parent ? parent.top : undefined
                anchors.right: parent ? parent.right : undefined
                anchors.rightMargin: 5 * styleManager.scaleRatio
                width: 100 * styleManager.scaleRatio
                height: 30 * styleManager.scaleRatio
                normalColor: styleManager.style.color("Login-LoginButton-Normal")
                hoveredColor: Qt.lighter(normalColor)
                pressedColor: Qt.darker(normalColor, 1.2)
                textColor: styleManager.style.color("Login-TextColor")
                font.pointSize: 12 * styleManager.fontScaleRatio
                radius: 2
                text: carouselSettingPopup.running ? "暂停轮播" : "轮播"
                onClicked: {
                    if (carouselSettingPopup.running)
                        carouselSettingPopup.stopCarousel();
                    else
                        carouselSettingPopup.open();
                }
            }
        }

        GlowItem {
            id: latestAlarmPanel
            objectName: "latestAlarmPanel"
            Layout.row: 0
            Layout.column: 3
            Layout.rowSpan: 3
            Layout.preferredWidth: gridLayout.cellWidth - 40
            Layout.preferredHeight: gridLayout.cellHeight * 3 + gridLayout.rowSpacing
            title: "最新告警"
            titleIcon: styleManager.style.image("Home-LastestAlarmIcon")
            // Fetched once when the page is made, then at each press of the refresh button.
            content: LatestAlarmList {
                id: newAlarmListView
                objectName: "newAlarmListView"
                onPlayRequested: alarm => playAlarmPopup.play(alarm.AlarmRecord, alarm.ChannelName, alarm.AlarmTime)
            }
            contentTitle: AlarmRefreshButton {
                id: refreshAlarmButton
                objectName: "refreshAlarmButton"
                querying: newAlarmListView.querying
                onClicked: newAlarmListView.refresh()
            }
        }

        GlowItem {
            id: deviceStatusPanel
            objectName: "deviceStatusPanel"
            Layout.row: 1
            Layout.column: 0
            Layout.preferredWidth: gridLayout.cellWidth - 40
            Layout.preferredHeight: gridLayout.cellHeight
            title: "设备状态"
            titleIcon: styleManager.style.image("Home-DeviceStatusIcon")
            content: DeviceStatusView {
                id: deviceStatusView
                objectName: "deviceStatusView"
            }
        }

        GlowItem {
            id: diskPanel
            objectName: "diskPanel"
            Layout.row: 2
            Layout.column: 0
            Layout.preferredWidth: gridLayout.cellWidth - 40
            Layout.preferredHeight: gridLayout.cellHeight
            title: "磁盘使用"
            titleIcon: styleManager.style.image("Home-DiskChartIcon")
            content: DiskChart {
                id: diskChart
                objectName: "diskChart"
            }
        }

        GlowItem {
            id: cpuMemoryPanel
            objectName: "cpuMemoryPanel"
            Layout.row: 2
            Layout.column: 1
            Layout.preferredWidth: gridLayout.cellWidth + 40
            Layout.preferredHeight: gridLayout.cellHeight
            title: "CPU/内存使用"
            titleIcon: styleManager.style.image("Home-CpuChartIcon")
            content: CpuMemoryChart {
                id: cpuMemoryChart
                objectName: "cpuMemoryChart"
            }
        }

        GlowItem {
            id: networkPanel
            objectName: "networkPanel"
            Layout.row: 2
            Layout.column: 2
            Layout.preferredWidth: gridLayout.cellWidth + 40
            Layout.preferredHeight: gridLayout.cellHeight
            title: "带宽使用(Mbps)"
            titleIcon: styleManager.style.image("Home-NetworkChartIcon")
            content: NetworkChart {
                id: networkChart
                objectName: "networkChart"
            }
        }
    }

    // A panel: a title bar (icon, title and an item at its right) over a content area that
    // its content fills, both on a glowing body inset in the panel. The body and its glow
    // are drawn by the page's backdrop, from these figures.
    component GlowItem: Item {
        id: panel

        property string title
        property url titleIcon
        property Item content: Item {}
        property Item contentTitle: Item {}
        readonly property alias rect: body
        readonly property color frameColor: "#70002E3B"
        readonly property real frameRadius: 2
        readonly property real cornerRadius: 4 * styleManager.scaleRatio
        readonly property real glowRadius: 10 * styleManager.scaleRatio
        readonly property color glowColor: "#40009ca2"

        function adoptContent() {
            if (!content)
                return;
            content.parent = contentArea;
            content.anchors.fill = contentArea;
        }

        function adoptContentTitle() {
            if (contentTitle)
                contentTitle.parent = titleBar;
        }

        onContentChanged: adoptContent()
        onContentTitleChanged: adoptContentTitle()
        Component.onCompleted: {
            adoptContent();
            adoptContentTitle();
        }

        Item {
            id: body
            anchors.fill: parent
            anchors.margins: 12 * styleManager.scaleRatio

            Item {
                id: titleBar
                objectName: "panelTitleBar"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                height: 32 * styleManager.scaleRatio

                Image {
                    id: titleIconImage
                    x: 5 * styleManager.scaleRatio
                    anchors.verticalCenter: parent.verticalCenter
                    width: 32 * styleManager.scaleRatio
                    height: width
                    mipmap: true
                    source: panel.titleIcon
                }

                Text {
                    objectName: "panelTitleText"
                    anchors.left: titleIconImage.right
                    anchors.verticalCenter: parent.verticalCenter
                    leftPadding: 5 * styleManager.scaleRatio
                    text: panel.title
                    font.family: "微软雅黑"
                    font.pointSize: 11 * styleManager.fontScaleRatio
                    color: homePage.textColor
                }
            }

            Item {
                id: contentArea
                objectName: "panelContentArea"
                anchors.fill: parent
                anchors.topMargin: titleBar.height + 5 * styleManager.scaleRatio
                anchors.leftMargin: 5 * styleManager.scaleRatio
                anchors.rightMargin: 5 * styleManager.scaleRatio
                anchors.bottomMargin: 5 * styleManager.scaleRatio
            }
        }
    }

    // Four tiles in two rows; the current tile (the cursor) plays the next picked channel.
    // The wall is also the area that a maximised tile fills.
    component CameraWall: Item {
        id: rootItem

        readonly property alias cameraView: cameraView
        readonly property var cameras: [cell1.camera, cell2.camera, cell3.camera, cell4.camera]
        // A maximised tile covers the others: they keep their streams but draw nothing.
        readonly property bool hasFillCamera: cameras.some(camera => camera.parent === rootItem)

        // The carousel starts on a cleared wall.
        function stopAll() {
            for (const camera of cameras)
                camera.stopChannel();
        }

        // One carousel tick: its channels in the first tiles, the cursor stays.
        function playCarousel(channelList) {
            for (let i = 0; i < channelList.length && i < cameras.length; ++i) {
                const entry = channelList[i];
                entry.name = entry.Name;
                entry.parentDeviceID = entry.ParentDeviceID;
                entry.channelID = entry.ChannelID;
                entry.snapUrl = "";
                cameras[i].playChannel(entry);
            }
        }

        GridLayout {
            id: cameraView
            objectName: "cameraView"

            readonly property real cellWidth: (width - columnSpacing * (columns - 1)) / columns
            readonly property real cellHeight: (height - rowSpacing * (rows - 1)) / rows
            property var currentCamera: undefined

            function setCurrentCamera(camera) {
                currentCamera = camera;
            }

            function playCurrentCamera(info) {
                if (currentCamera === undefined || currentCamera === null)
                    return;
                currentCamera.playChannel(info);
                const at = rootItem.cameras.indexOf(currentCamera);
                currentCamera = rootItem.cameras[(at + 1) % rootItem.cameras.length];
            }

            anchors.fill: parent
            rows: 2
            columns: 2
            rowSpacing: 5
            columnSpacing: 5

            WallCell { id: cell1; number: 1; wall: rootItem; view: cameraView }
            WallCell { id: cell2; number: 2; wall: rootItem; view: cameraView }
            WallCell { id: cell3; number: 3; wall: rootItem; view: cameraView }
            WallCell { id: cell4; number: 4; wall: rootItem; view: cameraView }

            Component.onCompleted: currentCamera = cell1.camera
        }
    }

    // A cell of the wall with its live tile, which fills the cell until it is maximised,
    // and the tile's PTZ overlay.
    component WallCell: Item {
        id: cell

        property int number: 0
        property Item wall
        property var view
        readonly property alias camera: camera

        objectName: "cameraRect" + number + "Item"
        Layout.preferredWidth: view.cellWidth
        Layout.preferredHeight: view.cellHeight

        CameraRectangle {
            id: camera
            objectName: "cameraRect" + cell.number
            anchors.fill: parent
            setCurrentFunction: cell.view.setCurrentCamera
            isCurrent: cell.view.currentCamera === camera
            fillParent: cell.wall
            noFillParent: cell
            videoVisible: !cell.wall.hasFillCamera || camera.parent === cell.wall

            PtzControlPanel {
                objectName: "ptzControlPanel" + cell.number
                visible: camera.videoUrl !== ""
                hovered: camera.hovered
                exitTimer: camera.exitTimer
                deviceId: camera.deviceId
                channelId: camera.channelId
            }
        }
    }
}
