import QtQuick
import QtQuick.Shapes

// The line from a hovered tree row to its details box: a slant from the row's height
// (offsetY) to the height of the round mark beside the box, then straight on to the
// mark, drawn in two steps of 120 ms. The box fades in at the end of the drawing, and
// only if the link is still wanted then. Not mirrored, the row is at the left edge and
// the box at the right; mirrored, the other way round (animationLeft draws that form).
Shape {
    id: link

    property real offsetY: 0
    property bool mirrored: false
    // The details box: the mark fades with it, and the drawing's end shows it.
    property Item toolTip: null
    readonly property SequentialAnimation animationRight: Drawing {
        shape: link
        first: line1
        second: line2
        fromEdge: 0
        toEdge: link.width
    }
    readonly property SequentialAnimation animationLeft: Drawing {
        shape: link
        first: line1
        second: line2
        fromEdge: link.width
        toEdge: 0
    }
    // The height of the mark's centre, where the straight part runs.
    readonly property real markCentre: mark.y + mark.width / 2

    visible: false
    antialiasing: true

    ShapePath {
        strokeWidth: 2
        strokeColor: "#00c9ff"
        fillColor: "transparent"
        startX: link.mirrored ? link.width : 0
        startY: link.offsetY

        PathLine {
            id: line1
            objectName: "line1"
            x: link.mirrored ? link.width : 0
            y: link.offsetY
        }

        PathLine {
            id: line2
            objectName: "line2"
            x: line1.x
            y: line1.y
        }
    }

    Rectangle {
        id: mark
        objectName: "mark"
        x: (link.mirrored ? 0 : link.width) - width / 2
        y: 10
        width: 10
        height: 10
        radius: 5
        color: "#00c9ff"
        opacity: link.toolTip ? link.toolTip.opacity : 0
    }

    // Runs from the row's edge (fromEdge) to the box's edge (toEdge): 60 % of the way on
    // the slant, the rest straight.
    component Drawing: SequentialAnimation {
        id: drawing

        property real fromEdge
        property real toEdge
        readonly property real turn: fromEdge + (toEdge - fromEdge) * 0.6
        property Shape shape
        property PathLine first
        property PathLine second

        ScriptAction {
            script: {
                const first = drawing.first;
                drawing.second.x = Qt.binding(() => first.x);
                drawing.second.y = Qt.binding(() => first.y);
            }
        }

        ParallelAnimation {
            NumberAnimation { target: drawing.first; property: "x"; from: drawing.fromEdge; to: drawing.turn; duration: 120 }
            NumberAnimation { target: drawing.first; property: "y"; from: drawing.shape.offsetY; to: drawing.shape.markCentre; duration: 120 }
        }

        NumberAnimation { target: drawing.second; property: "x"; from: drawing.turn; to: drawing.toEdge; duration: 120 }

        ScriptAction {
            script: {
                if (drawing.shape.toolTip)
                    drawing.shape.toolTip.show = drawing.shape.visible;
            }
        }
    }
}
