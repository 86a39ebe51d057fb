import QtQuick

// The round plus of a closed row, the minus of an open one.
Rectangle {
    id: button

    property bool expanded: false

    width: 18 * styleManager.scaleRatio
    height: width
    radius: width / 2
    antialiasing: true
    border.color: "#707070"
    color: expanded ? "#272A2D" : "white"

    Behavior on color {
        ColorAnimation { duration: 250 }
    }

    Rectangle {
        objectName: "horizontalBar"
        anchors.centerIn: parent
        width: 12 * styleManager.scaleRatio
        height: 2 * styleManager.scaleRatio
        radius: height / 2
        color: button.expanded ? "white" : "#0B1934"

        Behavior on color {
            ColorAnimation { duration: 250 }
        }
    }

    Rectangle {
        objectName: "verticalBar"
        anchors.centerIn: parent
        width: 2 * styleManager.scaleRatio
        height: 12 * styleManager.scaleRatio
        radius: width / 2
        visible: !button.expanded
        color: "#0B1934"
    }
}
