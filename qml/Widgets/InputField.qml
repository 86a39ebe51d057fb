import QtQuick

// A one-line entry field of the pages' tool bars: the pages' font on a clear ground in a
// thin frame, 30 high at scale 1.
FocusOnPressTextField {
    id: control

    // The style keeps 5 above the line and 7 below it, enough at scale 1 and above, where
    // the line just fits. On a small screen the field shrinks faster than its line (font
    // heights round up), and the text input cut the line off from the bottom ("30" showed
    // its top half): there the paddings give way, keeping their proportion. They follow the
    // field's set height, not `height`: until that is set, `height` is the implicit height,
    // which the paddings make (a binding loop while the field is made).
    readonly property real __fieldHeight: 30 * styleManager.scaleRatio
    readonly property real __paddingShare: Math.max(0, Math.min(1, (__fieldHeight - contentHeight) / 12))

    height: __fieldHeight
    leftPadding: 8 * styleManager.scaleRatio
    rightPadding: 8 * styleManager.scaleRatio
    topPadding: 5 * __paddingShare
    bottomPadding: 7 * __paddingShare
    verticalAlignment: TextInput.AlignVCenter
    color: styleManager.style.color("Login-TextColor")
    font.family: "微软雅黑"
    font.pointSize: 11 * styleManager.fontScaleRatio
    selectByMouse: true
    selectionColor: "#a01AA9FF"

    background: Rectangle {
        color: "transparent"
        border.color: styleManager.style.color("Widgets-ComboBox-BorderColor")
    }
}
