import QtQuick

// The microphone level over the talk button: a white rounded bar with a blue fill that
// never leaves it (float samples may pass 1).
Rectangle {
    id: meter

    property real level: 0
    property real gap: 2

    height: 60 * styleManager.scaleRatio
    radius: width / 2

    Rectangle {
        objectName: "levelFill"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: meter.gap * styleManager.scaleRatio
        width: meter.width - 4 * styleManager.scaleRatio
        height: Math.max(0, Math.min(meter.level, 1)) * 54 * styleManager.scaleRatio
        radius: width / 2
        color: "#01adff"
    }
}
