import QtQuick

// The tool bar of wide tiles: six captioned buttons on an arched picture, the outer ones
// raised highest.
Image {
    id: bar

    // The tile whose actions the buttons run.
    property var host: null
    property real level: 0
    readonly property var raises: [25, 15, 8, 8, 15, 25]

    width: 600 * styleManager.scaleRatio
    height: 60 * styleManager.scaleRatio
    fillMode: Image.PreserveAspectFit
    source: styleManager.style.image("CamerIcon-ButtonBack")

    BarHoverArea {
        anchors.fill: parent
        exitTimer: bar.host.exitTimer

        Row {
            x: 80 * styleManager.scaleRatio
            height: parent.height
            spacing: 40 * styleManager.scaleRatio

            Repeater {
                model: bar.host.__actionKeys

                IButton {
                    id: button
                    objectName: "wideButton" + index
                    y: (bar.height - height) / 2 - bar.raises[index] * styleManager.scaleRatio
                    normalImage: styleManager.style.image("CamerIcon-" + modelData + "-Pressed")
                    hoveredImage: styleManager.style.image("CamerIcon-" + modelData + "-Hovered")
                    pressedImage: hoveredImage
                    text: bar.host.__actionText(index)
                    onClicked: bar.host.__runAction(index)

                    LevelMeter {
                        objectName: "levelMeter"
                        visible: index === 1 && bar.host.isTalking
                        anchors.bottom: button.button.top
                        anchors.horizontalCenter: button.horizontalCenter
                        width: 10 * styleManager.scaleRatio
                        gap: 2
                        level: bar.level
                    }
                }
            }
        }
    }
}
