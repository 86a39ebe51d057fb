import QtQuick
import Qt5Compat.GraphicalEffects

// A rectangle with a soft glow behind it. The glow follows `rect`, so a user who insets
// the rectangle with margins keeps the glow inside the item's bounds.
Item {
    id: root

    property alias rect: body
    property alias color: body.color
    property alias border: body.border
    property alias radius: body.radius
    property alias spread: glow.spread
    property alias glowColor: glow.color
    property alias glowRadius: glow.glowRadius
    property alias cornerRadius: glow.cornerRadius

    RectangularGlow {
        id: glow
        x: body.x
        y: body.y
        width: body.width
        height: body.height
        spread: 0.2
        color: "white"
        glowRadius: 0
        cornerRadius: body.radius + glowRadius
        cached: true
        // A radius of 0 means no glow: drawn anyway, its edge would fringe the rectangle.
        visible: glowRadius > 0
    }

    Rectangle {
        id: body
        anchors.fill: parent
    }
}
