import QtQuick
import Qt5Compat.GraphicalEffects

// A disc of one colour, cut from a filled rectangle by a rounded mask.
Item {
    id: root

    property alias color: source.color

    Rectangle {
        id: source
        anchors.fill: parent
        visible: false
    }

    Rectangle {
        id: mask
        anchors.fill: parent
        radius: width / 2
        visible: false
    }

    OpacityMask {
        anchors.fill: parent
        source: source
        maskSource: mask
    }
}
