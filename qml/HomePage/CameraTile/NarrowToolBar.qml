import QtQuick
import "../../Widgets" as Widgets

// The tool bar of narrow tiles: six picture buttons along the bottom edge, each with its
// action's text as tool tip.
Rectangle {
    id: bar

    // The tile whose actions the buttons run.
    property var host: null
    property real level: 0

    height: 30 * styleManager.scaleRatio
    color: "#a02C333E"

    BarHoverArea {
        anchors.fill: parent
        exitTimer: bar.host.exitTimer

        Row {
            spacing: 4 * styleManager.scaleRatio

            Repeater {
                model: bar.host.__actionKeys

                Widgets.ImageButton {
                    id: button
                    objectName: "narrowButton" + index
                    width: 30 * styleManager.scaleRatio
                    height: width
                    normalImage: styleManager.style.image("CamerIcon-" + modelData + "-Pressed")
                    hoveredImage: styleManager.style.image("CamerIcon-" + modelData + "-Hovered")
                    pressedImage: hoveredImage
                    image.width: (state === "Normal" ? 30 : 20) * styleManager.scaleRatio
                    image.height: image.width
                    onClicked: bar.host.__runAction(index)

                    Widgets.ToolTip {
                        objectName: "toolTip"
                        visible: button.hovered
                        text: bar.host.__actionText(index)
                    }

                    LevelMeter {
                        objectName: "levelMeter"
                        visible: index === 1 && bar.host.isTalking
                        anchors.bottom: parent.top
                        anchors.horizontalCenter: parent.horizontalCenter
                        width: 8 * styleManager.scaleRatio
                        gap: 4
                        level: bar.level
                    }
                }
            }
        }
    }
}
