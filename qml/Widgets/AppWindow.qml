import QtQuick
import Qt5Compat.GraphicalEffects
import an.window 1.0

// A framed tool window with a caption bar, kept above the main window. Showing it fades
// it in; hiding it, also by its close button, takes it away at once.
FramelessWindow {
    id: window

    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")
    property alias closeButton: closer
    property alias captionTitle: caption
    property Item contentItem: Item {}
    property Item controlButtons: Item {}
    property string titleText: ""

    signal closeClicked()

    function placeContent() {
        if (!contentItem)
            return;
        contentItem.parent = background;
        contentItem.anchors.top = caption.bottom;
        contentItem.anchors.topMargin = 5 * styleManager.scaleRatio;
        contentItem.anchors.left = background.left;
        contentItem.anchors.right = background.right;
        contentItem.anchors.bottom = background.bottom;
    }

    function placeControlButtons() {
        if (!controlButtons)
            return;
        controlButtons.parent = caption;
        controlButtons.anchors.top = closer.top;
        controlButtons.anchors.right = closer.left;
        controlButtons.width = Qt.binding(() => closer.width);
        controlButtons.height = Qt.binding(() => closer.height);
    }

    width: 600 * styleManager.scaleRatio
    height: 650 * styleManager.scaleRatio
    captionWidth: width - 60 * styleManager.scaleRatio
    captionHeight: 30 * styleManager.scaleRatio
    topWindow: typeof homeWindow !== "undefined" ? homeWindow : null
    resizable: false
    visible: false
    color: "transparent"
    opacity: visible ? 1.0 : 0.0

    Behavior on opacity {
        NumberAnimation {}
    }

    // Closed by the window manager as by its own button.
    onClosing: {
        window.closeClicked();
        window.visible = false;
    }
    onContentItemChanged: placeContent()
    onControlButtonsChanged: placeControlButtons()
    Component.onCompleted: {
        placeContent();
        placeControlButtons();
    }

    Rectangle {
        id: outline
        anchors.fill: parent
        anchors.margins: 8
        color: "transparent"
        border.color: "#4294a4"
        border.width: 1
    }

    Glow {
        anchors.fill: outline
        source: outline
        radius: 8
        samples: radius * 2
        color: outline.border.color
    }

    Rectangle {
        id: background
        objectName: "AppWindowBackground"
        anchors.fill: outline
        anchors.margins: outline.border.width
        clip: true
        gradient: Gradient {
            GradientStop { position: 0; color: "#ee002E3B" }
            GradientStop { position: 1; color: "#86157595" }
        }

        Image {
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 5
            source: styleManager.style.image("Home-AppWindow-Border")
        }

        Rectangle {
            id: caption
            objectName: "AppWindowCaption"
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            height: 28 * styleManager.scaleRatio
            color: styleManager.style.color("Home-Window-Title-Caption-Background")
            clip: true

            Rectangle {
                id: dot
                anchors.left: parent.left
                anchors.leftMargin: 12 * styleManager.scaleRatio
                anchors.verticalCenter: parent.verticalCenter
                width: 8 * styleManager.scaleRatio
                height: width
                radius: width / 2
                color: window.inputColor
            }

            Text {
                anchors.left: dot.right
                anchors.leftMargin: 10 * styleManager.scaleRatio
                anchors.verticalCenter: parent.verticalCenter
                text: window.titleText
                color: window.textColor
                font.family: "微软雅黑"
                font.pointSize: 11 * styleManager.fontScaleRatio
            }

            WindowCloseButton {
                id: closer
                objectName: "AppWindowCloseButton"
                anchors.top: parent.top
                anchors.right: parent.right
                width: height
                height: parent.height
                onClicked: {
                    window.closeClicked();
                    window.visible = false;
                }
            }
        }
    }
}
