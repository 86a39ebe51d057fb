import QtQuick

// A single-line field whose border lights up under the pointer and while typing.
FocusOnPressTextField {
    id: control

    property alias backgroundColor: frame.color
    property alias borderWidth: frame.border.width
    property color borderColor: styleManager.style.color("Login-Input-BorderColor")
    property color hoveredColor: borderColor
    property alias radius: frame.radius

    clip: true
    font.family: "微软雅黑"
    font.pointSize: 12 * styleManager.fontScaleRatio
    color: styleManager.style.color("Login-TextColor")
    selectByMouse: true
    selectedTextColor: "white"
    hoverEnabled: true
    topPadding: 1
    bottomPadding: 1

    background: Rectangle {
        id: frame
        opacity: 0.8
        color: "transparent"
        radius: 4
        border.width: 1
        border.color: control.hovered || control.activeFocus ? control.hoveredColor : control.borderColor

        Behavior on border.color {
            ColorAnimation {}
        }
    }
}
