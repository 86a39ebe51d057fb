import QtQuick
import QtTest
import QtPositioning
import an.location 1.0
import "qrc:/zelka/qml/Widgets" as Widgets

// The map gesture area over a real map: right drags turn and tilt, left drags pan, the
// wheel zooms, and a pinch zooms about the fingers.
TestCase {
    id: testCase
    name: "MapOperationArea"
    when: windowShown
    width: 800
    height: 600
    visible: true

    Component {
        id: areaComponent

        Widgets.MapOperationArea {
            property alias map: map

            width: 800
            height: 600
            targetMap: map

            Map {
                id: map
                anchors.fill: parent
                color: "transparent"
                zoomLevel: 10
                center: QtPositioning.coordinate(30, 120)
            }
        }
    }

    function createArea() {
        const area = createTemporaryObject(areaComponent, testCase);
        verify(area);
        return area;
    }

    // Presses, moves in small steps (the handlers see each one) and releases.
    function drag(item, x, y, dx, dy, button) {
        mousePress(item, x, y, button);
        const steps = 10;
        for (let i = 1; i <= steps; ++i)
            mouseMove(item, x + dx * i / steps, y + dy * i / steps, 0, button);
        mouseRelease(item, x + dx, y + dy, button);
    }

    function test_rightDragTurnsAndTilts() {
        const area = createArea();
        const map = area.map;
        drag(area, 400, 300, 40, 0, Qt.RightButton);
        fuzzyCompare(map.bearing, 10, 0.001);
        compare(map.tilt, 0);
        drag(area, 400, 300, 0, -20, Qt.RightButton);
        fuzzyCompare(map.tilt, 10, 0.001);
        fuzzyCompare(map.bearing, 10, 0.001);
    }

    // The ground under the pointer stays under it.
    function test_leftDragPans() {
        const area = createArea();
        const map = area.map;
        const start = map.toCoordinate(Qt.point(300, 300), false);
        drag(area, 300, 300, 30, -10, Qt.LeftButton);
        const now = map.fromCoordinate(start, false);
        fuzzyCompare(now.x, 330, 0.5);
        fuzzyCompare(now.y, 290, 0.5);
        compare(map.bearing, 0);
        compare(map.tilt, 0);
    }

    function test_wheelZoomsAnEighthPerNotch() {
        const area = createArea();
        const map = area.map;
        mouseWheel(area, 400, 300, 0, 120);
        fuzzyCompare(map.zoomLevel, 10.125, 0.0001);
        mouseWheel(area, 400, 300, 0, -240);
        fuzzyCompare(map.zoomLevel, 9.875, 0.0001);
    }

    // Two fingers spreading to twice their distance (from where the handler took them as
    // a pinch): one level in, the ground that lay between them stays there.
    function test_pinchZoomsAboutTheFingers() {
        const area = createArea();
        const map = area.map;
        const centre = Qt.point(300, 250);
        const ground = map.toCoordinate(centre, false);
        const touch = touchEvent(area);
        touch.press(0, area, centre.x - 50, centre.y).press(1, area, centre.x + 50, centre.y).commit();
        // Spread until the handler takes it as a pinch and zooms, then to twice that.
        let half = 50;
        while (map.zoomLevel === 10 && half < 150) {
            half += 2;
            touch.move(0, area, centre.x - half, centre.y).move(1, area, centre.x + half, centre.y).commit();
        }
        const zoom = map.zoomLevel;
        verify(zoom > 10, "no pinch");
        const from = half;
        for (let step = 1; step <= 10; ++step) {
            half = from * (1 + step / 10);
            touch.move(0, area, centre.x - half, centre.y).move(1, area, centre.x + half, centre.y).commit();
        }
        touch.release(0, area, centre.x - half, centre.y).release(1, area, centre.x + half, centre.y).commit();
        fuzzyCompare(map.zoomLevel, zoom + 1, 0.01);
        const now = map.fromCoordinate(ground, false);
        fuzzyCompare(now.x, centre.x, 1);
        fuzzyCompare(now.y, centre.y, 1);
    }
}
