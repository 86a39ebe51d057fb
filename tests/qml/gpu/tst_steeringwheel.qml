import QtQuick
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// The wheel's face is drawn only through its round mask, which only the OpenGL scene
// graph draws: the handle and the lit quarter must show through it.
Rectangle {
    id: scene
    width: 400
    height: 400
    color: "#000000"

    // Side 200 at (100, 100): centre (200, 200) in the scene.
    Widgets.SteeringWheelButton {
        id: wheel
        x: 100
        y: 100
        width: 200
        height: width
    }

    TestCase {
        name: "SteeringWheelPixels"
        when: windowShown

        function channels(colour) {
            const c = Qt.color(colour);
            return { r: c.r * 255, g: c.g * 255, b: c.b * 255 };
        }

        function isHandle(colour) {
            const c = channels(colour);
            return c.g > 150 && c.b > 150 && c.r < 100;
        }

        // Grabbing renders the scene as it stands, canvas repaints included.
        function frame() {
            return grabImage(scene);
        }

        function test_handleShowsThroughTheMask() {
            const picture = frame();
            verify(isHandle(picture.pixel(200, 200)), "handle at the centre: " + picture.pixel(200, 200));
            verify(!isHandle(picture.pixel(240, 140)), "no handle away from the centre: " + picture.pixel(240, 140));
        }

        function test_handleFollowsThePressToTheRim() {
            mousePress(wheel, 100, 10);
            const picture = frame();
            // Held inside the ring: its centre 200/3 above the wheel's centre.
            verify(isHandle(picture.pixel(200, 200 - 66)), "handle up at the rim: " + picture.pixel(200, 134));
            verify(!isHandle(picture.pixel(200, 200)), "centre left: " + picture.pixel(200, 200));
            mouseRelease(wheel, 100, 10);
            verify(isHandle(frame().pixel(200, 200)), "handle back at the centre");
        }

        // The lit quarter is amber: more red than blue where it shows.
        function test_litQuarterShows() {
            const spot = Qt.point(200 + 80 * Math.sin(0.35), 200 - 80 * Math.cos(0.35));
            const before = channels(frame().pixel(spot.x, spot.y));
            mousePress(wheel, 100, 30);
            mouseMove(wheel, 100 + 60, 60, -1, Qt.LeftButton);  // lower the handle off the spot
            mouseMove(wheel, 100, 60, -1, Qt.LeftButton);
            const lit = channels(frame().pixel(spot.x, spot.y));
            mouseRelease(wheel, 100, 60);
            verify(lit.r > before.r + 8, "amber at the lit quarter: before " + JSON.stringify(before) + " lit " + JSON.stringify(lit));
            const after = channels(frame().pixel(spot.x, spot.y));
            verify(Math.abs(after.r - before.r) <= 3, "unlit again: " + JSON.stringify(after));
        }
    }
}
