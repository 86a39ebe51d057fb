import QtQuick
import QtQuick.Controls as QQC

// A coloured button whose fill fades between the three state colours. It derives
// nothing: callers pass lighter and darker shades themselves.
QQC.AbstractButton {
    id: control
    objectName: "ColorButton"

    property color normalColor: "white"
    property color hoveredColor: "white"
    property color pressedColor: "white"
    property alias radius: fill.radius
    property alias border: fill.border
    property alias textColor: caption.color

    font.pointSize: 10 * styleManager.fontScaleRatio
    font.family: "微软雅黑"

    // Unlike ImageButton, a press shows only under the pointer.
    function currentFill() {
        if (checkable && checked)
            return pressedColor;
        if (hovered)
            return pressed ? pressedColor : hoveredColor;
        return normalColor;
    }

    background: Rectangle {
        id: fill
        width: control.width
        height: control.height
        color: control.currentFill()

        Behavior on color {
            ColorAnimation { duration: 300 }
        }
    }

    contentItem: Text {
        id: caption
        text: control.text
        font: control.font
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
