import QtQuick
import Qt5Compat.GraphicalEffects

// A disc of one colour, cut from a filled rectangle by a rounded mask.
Item {
    id: root

    property alias color: fill.color

    Rectangle {
        id: fill
        anchors.fill: parent
        visible: false
    }

    Rectangle {
        id: roundMask
        anchors.fill: parent
        radius: width / 2
        visible: false
    }

    OpacityMask {
        anchors.fill: parent
        source: fill
        maskSource: roundMask
    }
}
