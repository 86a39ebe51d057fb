import QtQuick
import QtQuick.Controls as QQC

// The program's one tool-tip look: a gradient box that fades in each time it shows.
QQC.ToolTip {
    id: control

    property alias color: box.color
    property alias border: box.border
    property alias textColor: content.color
    property alias wrapMode: content.wrapMode

    topPadding: 5
    bottomPadding: 5
    clip: true
    opacity: 0
    font.pointSize: 9 * styleManager.fontScaleRatio
    font.family: "微软雅黑"

    NumberAnimation on opacity {
        running: control.visible
        from: 0
        to: 1.0
        duration: 500
        easing.type: Easing.InOutQuad
    }

    background: Rectangle {
        id: box
        radius: 4
        border.color: "#888"
        border.width: 1
        gradient: Gradient {
            GradientStop { position: 0; color: styleManager.style.color("Widgets-ToolTip-Gradient1") }
            GradientStop { position: 1; color: styleManager.style.color("Widgets-ToolTip-Gradient2") }
        }
    }

    contentItem: Text {
        id: content
        text: control.text
        font: control.font
        color: styleManager.style.color("Widgets-ToolTip-TextColor")
        wrapMode: Text.NoWrap
    }
}
