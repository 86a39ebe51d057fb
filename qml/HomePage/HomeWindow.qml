import QtQuick
import Qt5Compat.GraphicalEffects
import an.window 1.0
import ".././Widgets" as Widgets
import "../VideoSquare"
import "../RealtimeRetrieval"
import "../ElectronicMap"
import "../RecordManage"
import "../AlarmQuery"

// The main window after login: one loader per page that ui_config.ini switches on, the
// side menu that picks the page shown, the title and the title-bar controls. A page
// change narrows the old page toward the left edge while the new one widens from the
// right. Everything created inside reaches the window as homeWindow and takes its
// textColor and inputColor.
FramelessWindow {
    id: homeWindow

    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")

    // Fades out, then ends the application.
    function quit() {
        quitAnimation.restart();
    }

    // The pages are laid out for the screen this window is on, at a ratio that fits the
    // design into that screen's available area: the size follows the ratio alone, so a
    // move to another screen resizes the window once, in one step, inside that screen.
    layoutSize: styleManager.mainWindowSize
    // Drags only between 450 from either edge of the top strip.
    captionArea: Qt.rect(450 * styleManager.scaleRatio, 0, width - 900 * styleManager.scaleRatio,
                         30 * styleManager.scaleRatio)
    title: networkManager.otherConfig.title
    visible: false
    resizable: true
    color: "transparent"
    // The background picture's mean colour: a part the window gains by a resize shows it
    // until the first frame at the new size, not the window manager's frame behind it.
    placeholderColor: "#092d4d"
    opacity: 0

    Component.onCompleted: {
        styleManager.followWindow(homeWindow);
        networkManager.getDeviceList();
        // Fixed once: a later change of size must not move the window.
        centreInAvailableArea();
        showAnimation.start();
    }

    NumberAnimation {
        id: showAnimation
        target: homeWindow
        property: "opacity"
        from: 0
        to: 1.0
        duration: 800
        onStarted: homeWindow.visible = true
    }

    NumberAnimation {
        id: quitAnimation
        target: homeWindow
        property: "opacity"
        to: 0.0
        duration: 600
        onStopped: Qt.quit()
    }

    // The window's picture, read from beside the executable at the size it is drawn at in
    // device pixels (a picture is only ever made smaller), first as soon as the window has
    // a size, then each time a new size has held for a moment: a live resize reads the file
    // once, when it ends, not at every step. Where the picture is drawn pixel for pixel it
    // is sampled without filtering, which a software OpenGL driver does at a fraction of
    // the cost in every full-window frame; anywhere else (a window or screen ratio that
    // enlarges it, another aspect, a resize still going on) it is filtered.
    component WindowPicture: Image {
        id: picture

        readonly property size drawnSize: Qt.size(width * Screen.devicePixelRatio, height * Screen.devicePixelRatio)
        readonly property bool pixelForPixel: status === Image.Ready && implicitWidth === drawnSize.width
                                              && implicitHeight === drawnSize.height

        // The size first, then the file: the other order would read it whole once first.
        function takeDrawnSize() {
            sourceSize = drawnSize;
            source = Qt.resolvedUrl("file:///" + qmlApi.getApplicationDir() + "/background/home.png");
        }

        smooth: !pixelForPixel

        onDrawnSizeChanged: {
            if (drawnSize.width <= 0 || drawnSize.height <= 0)
                return;
            if (source.toString() === "")
                takeDrawnSize();
            else
                settleTimer.restart();
        }

        Timer {
            id: settleTimer
            interval: 300
            onTriggered: picture.takeDrawnSize()
        }
    }

    WindowPicture {
        id: background
        objectName: "background"
        anchors.fill: parent

        Item {
            id: contentLayer
            objectName: "contentLayer"

            // The loader shown at rest, and the one the running (or last) switch brings in.
            property Item currentContent: homeLoader
            property Item nextContent: null

            function loaderFor(menu) {
                switch (menu) {
                case HomeMenu.Home: return homeLoader;
                case HomeMenu.VideoSquare: return videoSquareLoader;
                case HomeMenu.RealtimeRetrieval: return realtimeRetrievalLoader;
                case HomeMenu.ElectronicMap: return electronicMapLoader;
                case HomeMenu.RecordManage: return recordManageLoader;
                case HomeMenu.AlarmQuery: return alarmQueryLoader;
                default: return null;
                }
            }

            // A choice during a switch first completes it. The system-setting entry has no
            // page: choosing it leaves the page shown so far.
            function choose(menu) {
                if (menu === HomeMenu.None)
                    return;
                if (switchAnimation.running)
                    switchAnimation.complete();
                const loader = loaderFor(menu);
                if (!loader)
                    return;
                nextContent = loader;
                switchAnimation.restart();
            }

            // The old page keeps its left edge at the layer's and narrows toward it; the new
            // one keeps its right edge at the layer's and widens from there. On the first
            // switch to the home page both are the home loader.
            function beginSwitch() {
                const next = nextContent;
                currentContent.x = 0;
                next.x = Qt.binding(() => contentLayer.width - next.width);
                next.visible = true;
            }

            function endSwitch() {
                currentContent.width = 0;
                currentContent.visible = false;
                currentContent = nextContent;
                currentContent.width = Qt.binding(() => contentLayer.width);
                currentContent.visible = true;
            }

            // The menu is light only over the default map.
            function updateMenuTint() {
                const map = electronicMapLoader.item;
                homeMenu.dark = !(map && map.isCurrent && map.type === 0);
            }

            anchors.fill: parent
            anchors.topMargin: 46 * styleManager.scaleRatio

            // Each page is built once, shown or not, and kept. The visibility starts as a
            // binding to the menu; the switches assign it from then on.
            Loader {
                id: homeLoader
                objectName: "homeLoader"
                width: contentLayer.width
                height: contentLayer.height
                visible: homeMenu.currentMenu === HomeMenu.Home
                active: styleManager.interface.visible("Home")
                sourceComponent: Component {
                    HomePage {
                        backgroundPicture: background
                    }
                }
                onLoaded: item.isCurrent = Qt.binding(() => homeLoader.visible)
            }

            Loader {
                id: videoSquareLoader
                objectName: "videoSquareLoader"
                width: contentLayer.width
                height: contentLayer.height
                visible: homeMenu.currentMenu === HomeMenu.VideoSquare
                active: styleManager.interface.visible("VideoSquare")
                sourceComponent: Component {
                    VideoSquarePage {}
                }
            }

            Loader {
                id: realtimeRetrievalLoader
                objectName: "realtimeRetrievalLoader"
                width: contentLayer.width
                height: contentLayer.height
                visible: homeMenu.currentMenu === HomeMenu.RealtimeRetrieval
                active: styleManager.interface.visible("RealtimeRetrieval")
                sourceComponent: Component {
                    RealtimeRetrievalPage {}
                }
            }

            Loader {
                id: electronicMapLoader
                objectName: "electronicMapLoader"
                anchors.bottom: contentLayer.bottom
                width: contentLayer.width
                height: contentLayer.height
                visible: homeMenu.currentMenu === HomeMenu.ElectronicMap
                active: styleManager.interface.visible("ElectronicMap")
                sourceComponent: Component {
                    ElectronicMapPage {}
                }
                onLoaded: item.isCurrent = Qt.binding(() => electronicMapLoader.visible)
            }

            Loader {
                id: recordManageLoader
                objectName: "recordManageLoader"
                width: contentLayer.width
                height: contentLayer.height
                visible: homeMenu.currentMenu === HomeMenu.RecordManage
                active: styleManager.interface.visible("RecordManage")
                sourceComponent: Component {
                    RecordManagePage {}
                }
            }

            Loader {
                id: alarmQueryLoader
                objectName: "alarmQueryLoader"
                width: contentLayer.width
                height: contentLayer.height
                visible: homeMenu.currentMenu === HomeMenu.AlarmQuery
                active: styleManager.interface.visible("AlarmQuery")
                sourceComponent: Component {
                    AlarmQueryPage {}
                }
                onLoaded: item.isCurrent = Qt.binding(() => alarmQueryLoader.visible)
            }

            Connections {
                target: homeMenu

                function onCurrentMenuChanged() {
                    contentLayer.choose(homeMenu.currentMenu);
                }
            }

            Connections {
                target: electronicMapLoader.item

                function onTypeChanged() {
                    contentLayer.updateMenuTint();
                }

                function onIsCurrentChanged() {
                    contentLayer.updateMenuTint();
                }
            }

            // Both widths run on the same curve, so together they always fill the layer.
            ParallelAnimation {
                id: switchAnimation
                objectName: "switchAnimation"

                onStarted: contentLayer.beginSwitch()
                onStopped: contentLayer.endSwitch()

                NumberAnimation {
                    target: contentLayer.currentContent
                    property: "width"
                    from: contentLayer.width
                    to: 0
                    duration: 400
                    easing.type: Easing.InOutBack
                    easing.overshoot: 1.0
                }

                NumberAnimation {
                    target: contentLayer.nextContent
                    property: "width"
                    from: 0
                    to: contentLayer.width
                    duration: 400
                    easing.type: Easing.InOutBack
                    easing.overshoot: 1.0
                }
            }
        }

        Item {
            id: suspendedLayer
            anchors.fill: parent

            HomeMenu {
                id: homeMenu
                objectName: "homeMenu"
                anchors.left: parent.left
                // The left rounded corners lie outside the window.
                anchors.leftMargin: -radius
                anchors.verticalCenter: parent.verticalCenter
            }

            Widgets.ColorButton {
                id: foldButton
                objectName: "menuFoldButton"
                anchors.left: homeMenu.right
                // Folded, the button sits at the window's left edge.
                anchors.leftMargin: homeMenu.expanded ? 0 : homeMenu.radius
                anchors.verticalCenter: homeMenu.verticalCenter
                width: 16 * styleManager.scaleRatio
                height: 40 * styleManager.scaleRatio
                text: "  "
                normalColor: "#10eeeeee"
                radius: 2
                onClicked: homeMenu.expanded = !homeMenu.expanded

                Image {
                    objectName: "menuFoldPicture"
                    anchors.fill: parent
                    source: styleManager.style.image(homeMenu.expanded ? "VideoSquare-ListView-Fold"
                                                                       : "VideoSquare-ListView-UnFold")
                }
            }

            FontLoader {
                id: yousheFont
                source: "qrc:/zelka/res/font/YouSheBiaoTiHei.ttf"
            }

            // Drawn once and kept: the title seldom changes, and the blur passes would
            // otherwise run again in every frame the window draws.
            Glow {
                anchors.fill: titleText
                cached: true
                radius: 8
                samples: radius * 2
                color: homeWindow.textColor
                opacity: 0.4
                source: titleText
            }

            Text {
                id: titleText
                objectName: "titleText"
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.top: parent.top
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                text: networkManager.otherConfig.title
                color: homeWindow.textColor
                // The title font file is not shipped; its family name falls back to the
                // bundled CJK font.
                font.family: yousheFont.status === FontLoader.Ready ? yousheFont.name : "YouSheBiaoTiHei"
                font.pointSize: 28 * styleManager.fontScaleRatio
                font.letterSpacing: 4
            }
        }

        ControlButtons {
            id: controlButtons
            objectName: "controlButtons"
        }
    }
}
