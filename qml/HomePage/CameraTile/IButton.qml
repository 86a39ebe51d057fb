import QtQuick
import Qt5Compat.GraphicalEffects
import "../../Widgets" as Widgets

// A captioned button of the wide tool bar: the picture over its caption, which casts a
// shadow.
Item {
    id: control

    property string normalImage: ""
    property string hoveredImage: normalImage
    property string pressedImage: normalImage
    property string text: ""
    readonly property alias button: imageButton

    signal clicked()

    width: 40 * styleManager.scaleRatio
    height: 60 * styleManager.scaleRatio

    Widgets.ImageButton {
        id: imageButton
        objectName: "imageButton"
        width: 40 * styleManager.scaleRatio
        height: width
        anchors.bottom: caption.top
        normalImage: control.normalImage
        hoveredImage: control.hoveredImage
        pressedImage: control.pressedImage
        image.width: (state === "Normal" ? 40 : 30) * styleManager.scaleRatio
        image.height: image.width
        onClicked: control.clicked()

        Widgets.ToolTip {
            objectName: "toolTip"
            visible: imageButton.hovered
            text: control.text
        }
    }

    Text {
        id: caption
        objectName: "caption"
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        text: control.text
        color: textColor
        // The default font, smaller with a ratio below 1: at its full size the captions of
        // a bar laid out for a small screen ran into one another.
        font.pointSize: Qt.application.font.pointSize * Math.min(1, styleManager.fontScaleRatio)
    }

    DropShadow {
        anchors.fill: caption
        source: caption
        horizontalOffset: 4
        verticalOffset: 4
        radius: 8.0
        samples: 17
        color: "black"
    }
}
