import QtQuick

// The details box that a device tree shows beside a hovered row: yellow text on the
// tool-tip gradient, wrapping anywhere within 200, growing downwards. Its owner sets
// the text, the place and whether it shows; it fades in and out in 250 ms.
Item {
    id: deviceToolTip

    property bool show: false
    property alias text: content.text
    property alias font: content.font

    width: box.width + 20 * styleManager.scaleRatio
    height: box.height + 10 * styleManager.scaleRatio
    opacity: show ? 1 : 0

    Behavior on opacity {
        OpacityAnimator { duration: 250 }
    }

    Rectangle {
        id: box
        anchors.centerIn: parent
        width: content.width + 20 * styleManager.scaleRatio
        height: content.height + 10 * styleManager.scaleRatio
        radius: 5
        clip: true
        gradient: Gradient {
            GradientStop { position: 0; color: styleManager.style.color("Widgets-ToolTip-Gradient1") }
            GradientStop { position: 1; color: styleManager.style.color("Widgets-ToolTip-Gradient2") }
        }

        Text {
            id: content
            objectName: "toolTipText"
            anchors.centerIn: parent
            width: 200 * styleManager.scaleRatio
            wrapMode: Text.WrapAnywhere
            color: "#fff000"
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
        }
    }
}
