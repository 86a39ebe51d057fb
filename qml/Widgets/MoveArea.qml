import QtQuick

// Drags `target` with the pointer: each step moves the target by the pointer's offset
// from the pressed point, so the pressed point stays under the pointer as the area
// moves along with its target.
MouseArea {
    id: area

    property var target
    property point startPos: Qt.point(0, 0)
    property point offsetPos: Qt.point(0, 0)

    onPressed: mouse => {
        startPos = Qt.point(mouse.x, mouse.y);
        cursorShape = Qt.SizeAllCursor;
    }

    onPositionChanged: mouse => {
        if (!pressed)
            return;
        offsetPos = Qt.point(mouse.x - startPos.x, mouse.y - startPos.y);
        if (!target)
            return;
        target.x += offsetPos.x;
        target.y += offsetPos.y;
    }

    onReleased: mouse => {
        startPos = Qt.point(mouse.x, mouse.y);
        cursorShape = Qt.ArrowCursor;
    }

    // Leaves the click to whatever lies underneath.
    onClicked: mouse => mouse.accepted = false
}
