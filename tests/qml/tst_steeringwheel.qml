import QtQuick
import QtTest
import an.network 1.0
import "qrc:/zelka/qml/Widgets" as Widgets

// The PTZ wheel under real pointer input: directions per quarter, Stop on release, the
// handle held inside the ring, and the painted quarter following the pointer and style.
Item {
    id: scene
    width: 500
    height: 500

    // Wheel side W = 300 at (50, 50): centre (150, 150) in its own coordinates, handle
    // 100 wide, so the handle's centre stays within 100 of the wheel's centre.
    readonly property real side: 300
    readonly property real centre: side / 2
    readonly property real reach: side / 3

    Component {
        id: wheelComponent
        Widgets.SteeringWheelButton {
            x: 50
            y: 50
            width: scene.side
            height: width
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "SteeringWheel"
        when: windowShown

        function makeWheel() {
            const wheel = createTemporaryObject(wheelComponent, scene);
            const spy = createTemporaryObject(spyComponent, scene, { target: wheel, signalName: "wheelDirection" });
            return { wheel: wheel, spy: spy };
        }

        function emitted(spy) {
            const values = [];
            for (let k = 0; k < spy.count; ++k)
                values.push(spy.signalArguments[k][0]);
            return values;
        }

        // A pointer move with the left button held, as a real drag sends it.
        function dragTo(item, px, py) {
            mouseMove(item, px, py, -1, Qt.LeftButton);
        }

        function handleOf(wheel) {
            return findChild(wheel, "SteeringWheelHandle");
        }

        function distanceFromCentre(point) {
            return Math.hypot(point.x - scene.centre, point.y - scene.centre);
        }

        function expectHandleCentred(wheel) {
            const handle = handleOf(wheel);
            compare(handle.width, wheel.width / 3);
            compare(handle.x, (wheel.width - handle.width) / 2);
            compare(handle.y, (wheel.width - handle.height) / 2);
        }

        function test_idleAtStart() {
            const made = makeWheel();
            verify(made.wheel.isStop);
            expectHandleCentred(made.wheel);
            compare(findChild(made.wheel, "SteeringWheelGrid").currentIndex, -1);
            verify(!made.wheel.mouseArea.hoverEnabled);
            compare(made.wheel.radius, scene.side / 2);
            compare(made.wheel.glowRadius, scene.side / 8);
            compare(made.wheel.border.width, 2);
        }

        function test_pressAndReleaseInAQuarter_data() {
            return [
                { tag: "upper", x: 150, y: 30, direction: NetworkManager.Up },
                { tag: "right", x: 270, y: 150, direction: NetworkManager.Right },
                { tag: "left", x: 30, y: 150, direction: NetworkManager.Left },
                { tag: "lower", x: 150, y: 270, direction: NetworkManager.Down },
                // The corners of the square lie outside the disc and outside the turned
                // grid; the pointer's direction still decides.
                { tag: "corner nearer the top", x: 20, y: 4, direction: NetworkManager.Up },
                { tag: "corner nearer the left", x: 4, y: 20, direction: NetworkManager.Left },
                { tag: "corner nearer the right", x: 296, y: 280, direction: NetworkManager.Right },
                { tag: "corner nearer the bottom", x: 280, y: 296, direction: NetworkManager.Down }
            ];
        }

        function test_pressAndReleaseInAQuarter(data) {
            const made = makeWheel();
            mousePress(made.wheel, data.x, data.y);
            compare(emitted(made.spy), [data.direction]);
            verify(!made.wheel.isStop);
            verify(made.wheel.mouseArea.pressed);
            mouseRelease(made.wheel, data.x, data.y);
            compare(emitted(made.spy), [data.direction, NetworkManager.Stop]);
            verify(made.wheel.isStop);
            expectHandleCentred(made.wheel);
            compare(findChild(made.wheel, "SteeringWheelGrid").currentIndex, -1);
        }

        function test_directionValuesAreTheCommandNumbers() {
            const made = makeWheel();
            const points = [[150, 30], [270, 150], [30, 150], [150, 270]];
            for (const point of points) {
                mousePress(made.wheel, point[0], point[1]);
                mouseRelease(made.wheel, point[0], point[1]);
            }
            compare(emitted(made.spy), [21, 0, 24, 0, 23, 0, 22, 0]);
        }

        function test_handleFollowsThePointerInsideTheRing() {
            const made = makeWheel();
            const handle = handleOf(made.wheel);
            mousePress(made.wheel, 180, 110);
            compare(handle.center.x, 180);
            compare(handle.center.y, 110);
            dragTo(made.wheel, 120, 200);
            compare(handle.center.x, 120);
            compare(handle.center.y, 200);
            mouseRelease(made.wheel, 120, 200);
        }

        // Sweeps the pointer round the upper-right border, then along a wide circle far
        // beyond the wheel; every step keeps the handle within its ring.
        function test_dragAcrossQuartersAndBeyond() {
            const made = makeWheel();
            const handle = handleOf(made.wheel);
            mousePress(made.wheel, 150, 60);
            for (let degrees = -80; degrees <= 10; degrees += 2) {
                const angle = degrees * Math.PI / 180;
                dragTo(made.wheel, scene.centre + 90 * Math.cos(angle), scene.centre + 90 * Math.sin(angle));
                verify(distanceFromCentre(handle.center) <= scene.reach + 0.001);
            }
            compare(emitted(made.spy), [NetworkManager.Up, NetworkManager.Right]);

            // Far outside, button held: the handle rides the rim towards the pointer.
            made.spy.clear();
            for (let degrees = 10; degrees <= 80; degrees += 5) {
                const angle = degrees * Math.PI / 180;
                dragTo(made.wheel, scene.centre + 400 * Math.cos(angle), scene.centre + 400 * Math.sin(angle));
                fuzzyCompare(distanceFromCentre(handle.center), scene.reach, 0.001);
                const handleAngle = Math.atan2(handle.center.y - scene.centre, handle.center.x - scene.centre);
                // The pointer lands on whole pixels.
                fuzzyCompare(handleAngle, angle, 0.01);
            }
            compare(emitted(made.spy), [NetworkManager.Down]);
            verify(!made.wheel.isStop);
            mouseRelease(made.wheel, scene.centre + 400 * Math.cos(Math.PI / 3), scene.centre + 400 * Math.sin(Math.PI / 3));
            compare(emitted(made.spy), [NetworkManager.Down, NetworkManager.Stop]);
            verify(made.wheel.isStop);
            expectHandleCentred(made.wheel);
        }

        function test_movesWithinOneQuarterEmitNothingMore() {
            const made = makeWheel();
            mousePress(made.wheel, 270, 150);
            dragTo(made.wheel, 250, 130);
            dragTo(made.wheel, 290, 170);
            dragTo(made.wheel, 200, 160);
            compare(emitted(made.spy), [NetworkManager.Right]);
            mouseRelease(made.wheel, 200, 160);
        }

        // The PTZ panel disables the wheel when the pointer leaves it, mid-drag or not.
        function test_cancelStopsLikeARelease() {
            const made = makeWheel();
            mousePress(made.wheel, 150, 270);
            made.wheel.enabled = false;
            compare(emitted(made.spy), [NetworkManager.Down, NetworkManager.Stop]);
            verify(made.wheel.isStop);
            expectHandleCentred(made.wheel);
        }

        function test_hoverWithoutButtonStops() {
            const made = makeWheel();
            made.wheel.mouseArea.hoverEnabled = true;
            mouseMove(made.wheel, 150, 40);
            mouseMove(made.wheel, 152, 42);
            verify(made.spy.count >= 1);
            for (const value of emitted(made.spy))
                compare(value, NetworkManager.Stop);
            verify(made.wheel.isStop);
            mouseMove(scene, 490, 490);
        }

        function test_resizeRecentresTheHandle() {
            const made = makeWheel();
            made.wheel.width = 210;
            expectHandleCentred(made.wheel);
            compare(handleOf(made.wheel).width, 70);
            compare(made.wheel.radius, 105);
            // Directions keep working at the new size.
            mousePress(made.wheel, 105, 200);
            mouseRelease(made.wheel, 105, 200);
            compare(emitted(made.spy), [NetworkManager.Down, NetworkManager.Stop]);
        }

        // Canvas pixels: [r, g, b, a], read from the canvas's own picture.
        function pixel(canvas, px, py) {
            if (!canvas.available)
                return [-1, -1, -1, -1];
            const data = canvas.getContext("2d").getImageData(px, py, 1, 1).data;
            return [data[0], data[1], data[2], data[3]];
        }

        // A point of the upper quarter 120 pixels out, clear of the arrow heads.
        function upperQuarterPoint() {
            const angle = -Math.PI / 2 + 20 * Math.PI / 180;
            return Qt.point(Math.round(scene.centre + 120 * Math.cos(angle)),
                            Math.round(scene.centre + 120 * Math.sin(angle)));
        }

        function lowerQuarterPoint() {
            const point = upperQuarterPoint();
            return Qt.point(point.x, scene.side - point.y);
        }

        function test_litQuarterFollowsThePointer() {
            const made = makeWheel();
            const canvas = findChild(made.wheel, "SteeringWheelCanvas");
            const upper = upperQuarterPoint();
            const lower = lowerQuarterPoint();
            tryVerify(() => pixel(canvas, scene.centre + 40, scene.centre + 40)[3] > 0, patience, "centre disc painted");
            compare(pixel(canvas, upper.x, upper.y)[3], 0);

            mousePress(made.wheel, 150, 40);
            tryVerify(() => pixel(canvas, upper.x, upper.y)[3] > 0, patience, "upper quarter lit");
            compare(pixel(canvas, lower.x, lower.y)[3], 0);

            dragTo(made.wheel, 150, 260);
            tryVerify(() => pixel(canvas, lower.x, lower.y)[3] > 0, patience, "lower quarter lit");
            tryCompare(pixel(canvas, upper.x, upper.y), 3, 0, patience);

            mouseRelease(made.wheel, 150, 260);
            tryVerify(() => pixel(canvas, lower.x, lower.y)[3] === 0, patience, "nothing lit after release");
        }

        function colourClose(actual, expected) {
            for (let k = 0; k < 3; ++k) {
                if (Math.abs(actual[k] - expected[k]) > 3)
                    return false;
            }
            return true;
        }

        function test_styleChangeRepaints() {
            const made = makeWheel();
            const canvas = findChild(made.wheel, "SteeringWheelCanvas");
            // Inside the right-pointing arrow head, half way along it.
            const arrowX = scene.side - 10 - scene.side / 30;
            const arrowY = scene.centre;
            tryVerify(() => colourClose(pixel(canvas, arrowX, arrowY), [0x16, 0xff, 0xfe]), patience,
                      "arrow in the built-in colour");
            const file = String(Qt.resolvedUrl("data/restyled_steeringwheel.json")).replace("file://", "");
            styleManager.loadStyleFile(file);
            try {
                tryVerify(() => colourClose(pixel(canvas, arrowX, arrowY), [0xff, 0x00, 0x40]), patience,
                          "arrow repainted in the new colour");
                compare(made.wheel.color, Qt.color("#80204060"));
                compare(handleOf(made.wheel).color, Qt.color("#e0ff8000"));
            } finally {
                styleManager.loadStyleFile(":/zelka/style/default.json");
            }
        }
    }
}
