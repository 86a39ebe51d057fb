import QtQuick
import Qt5Compat.GraphicalEffects
import an.network 1.0

// Round PTZ joystick. The handle follows the pointer inside the ring, the quarter under
// the pointer lights up, and each change of quarter reports a direction; letting go
// reports Stop. The owner sets `height: width`: every length here is a fraction of it.
GlowRectangle {
    id: wheel

    property alias mouseArea: pointerArea
    property bool isStop: true

    signal wheelDirection(int direction)
    // Declared for callers that may want the handle's angle; nothing emits it yet.
    signal wheelAngle(real angle)

    color: styleManager.style.color("Widgets-SteeringWheelButton-Background")
    border.color: styleManager.style.color("Widgets-SteeringWheelButton-BorderColor")
    border.width: 2
    radius: width / 2
    glowColor: Qt.darker(color)
    glowRadius: width / 8

    // Cells of the direction grid, numbered left to right, top to bottom before the
    // grid is turned by 45 degrees; this is the only place where directions are named.
    readonly property var cellCommands: [NetworkManager.Up, NetworkManager.Right, NetworkManager.Left,
                                         NetworkManager.Down]

    function commandOfCell(cell) {
        return cell >= 0 && cell < cellCommands.length ? cellCommands[cell] : NetworkManager.Stop;
    }

    // Distance from the centre at which the handle touches the rim from inside.
    function handleReach() {
        return (width - handle.width) / 2;
    }

    function placeHandle(pointerX, pointerY) {
        const half = handle.width / 2;
        const centre = width / 2;
        const reach = handleReach();
        const dx = pointerX - centre;
        const dy = pointerY - centre;
        if (Math.sqrt(dx * dx + dy * dy) <= reach) {
            handle.x = pointerX - half;
            handle.y = pointerY - half;
            return;
        }
        const angle = Math.atan2(dy, dx);
        handle.x = reach * Math.cos(angle) + reach;
        handle.y = reach * Math.sin(angle) + reach;
    }

    function cellAt(item, px, py) {
        const point = item.mapToItem(grid, px, py);
        return grid.indexAt(point.x + grid.contentX, point.y + grid.contentY);
    }

    // The sector of the pointer's direction: a pointer beyond the turned grid's corners
    // falls back on the handle, which never leaves the disc and so always hits a cell.
    function chooseCell(pointerX, pointerY) {
        // The grid lays its cells out once per frame; a press in the first frame or
        // right after a resize must not meet missing or stale cells.
        grid.forceLayout();
        const cell = cellAt(pointerArea, pointerX, pointerY);
        if (cell >= 0)
            return cell;
        return cellAt(layer, handle.center.x, handle.center.y);
    }

    function steer(pointerX, pointerY) {
        placeHandle(pointerX, pointerY);
        const cell = chooseCell(pointerX, pointerY);
        if (cell !== grid.currentIndex) {
            grid.currentIndex = cell;
            wheelDirection(commandOfCell(cell));
        }
        isStop = false;
    }

    function letGo() {
        handle.x = (width - handle.width) / 2;
        handle.y = (height - handle.height) / 2;
        grid.currentIndex = -1;
        wheelDirection(NetworkManager.Stop);
        isStop = true;
    }

    // Drawn only through the round mask below, so nothing shows outside the disc.
    Item {
        id: layer
        anchors.fill: parent
        visible: false

        GridView {
            id: grid
            objectName: "SteeringWheelGrid"
            anchors.fill: parent
            rotation: 45
            interactive: false
            cellWidth: wheel.width / 2
            cellHeight: wheel.width / 2
            model: 4
            currentIndex: -1
            delegate: Item {
                width: grid.cellWidth
                height: grid.cellHeight
            }
        }

        SteeringWheelCanvas {
            id: canvas
            objectName: "SteeringWheelCanvas"
            anchors.fill: parent
            currentCell: grid.currentIndex
            handleWidth: handle.width
        }

        GlowRectangle {
            id: handle
            objectName: "SteeringWheelHandle"

            readonly property point center: Qt.point(x + width / 2, y + height / 2)

            width: wheel.width / 3
            height: wheel.width / 3
            radius: width / 2
            color: styleManager.style.color("Widgets-SteeringWheelButton-HandlerColor")
            glowColor: Qt.darker(color, 1.5)
            glowRadius: radius / 4

            onWidthChanged: x = (wheel.width - width) / 2
            onHeightChanged: y = (wheel.width - height) / 2
        }
    }

    Rectangle {
        id: disc
        anchors.fill: parent
        radius: width / 2
        visible: false
    }

    OpacityMask {
        anchors.fill: parent
        source: layer
        maskSource: disc
    }

    MouseArea {
        id: pointerArea
        anchors.fill: parent
        hoverEnabled: false

        onPressed: mouse => wheel.steer(mouse.x, mouse.y)
        onPositionChanged: mouse => {
            if (pressed)
                wheel.steer(mouse.x, mouse.y);
            else
                wheel.letGo();
        }
        onReleased: wheel.letGo()
        onCanceled: wheel.letGo()
    }
}
