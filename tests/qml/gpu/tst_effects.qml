import QtQuick
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// Pixels of the shapes drawn through the graphical effects, which only the OpenGL scene
// graph draws: run under Xvfb, not offscreen.
Rectangle {
    id: scene
    width: 300
    height: 200
    color: "#000000"

    Widgets.Circle {
        id: circle
        x: 20
        y: 20
        width: 40
        height: 40
        color: "#ffc000"
    }

    Widgets.GlowRectangle {
        id: plain
        x: 100
        y: 20
        width: 60
        height: 40
        color: "#204060"
        radius: 4
    }

    Widgets.GlowRectangle {
        id: glowing
        x: 200
        y: 20
        width: 60
        height: 40
        color: "#204060"
        radius: 4
        glowColor: "#00ffff"
        glowRadius: 10
    }

    Widgets.Parallelogram {
        id: sheared
        x: 20
        y: 100
        width: 40
        height: 40
        xs: 0.5
        color: "#ffffff"
    }

    TestCase {
        name: "Effects"
        when: windowShown

        function near(actual, expected) {
            const a = Qt.color(actual);
            const e = Qt.color(expected);
            const close = (x, y) => Math.abs(x - y) <= 3 / 255;
            return close(a.r, e.r) && close(a.g, e.g) && close(a.b, e.b);
        }

        function brightness(colour) {
            const c = Qt.color(colour);
            return c.r + c.g + c.b;
        }

        function test_circleIsADisc() {
            const picture = grabImage(scene);
            verify(near(picture.pixel(40, 40), "#ffc000"), "centre " + picture.pixel(40, 40));
            verify(near(picture.pixel(40, 22), "#ffc000"), "top inside " + picture.pixel(40, 22));
            verify(near(picture.pixel(22, 40), "#ffc000"), "left inside " + picture.pixel(22, 40));
            for (const [x, y] of [[21, 21], [58, 21], [21, 58], [58, 58]])
                verify(near(picture.pixel(x, y), "#000000"), "corner " + x + "," + y + " is " + picture.pixel(x, y));
        }

        function test_noGlowAtRadiusZero() {
            const picture = grabImage(scene);
            verify(near(picture.pixel(130, 40), "#204060"));
            // Just outside each edge: background only, no fringe of the default white glow.
            for (const [x, y] of [[99, 40], [160, 40], [130, 19], [130, 60]])
                verify(near(picture.pixel(x, y), "#000000"), "edge " + x + "," + y + " is " + picture.pixel(x, y));
        }

        function test_glowReachesBeyondTheRectangle() {
            const picture = grabImage(scene);
            verify(near(picture.pixel(230, 40), "#204060"));
            const outside = picture.pixel(196, 40);
            verify(brightness(outside) > 0.1, "glow 4 px left of the rectangle: " + outside);
            const c = Qt.color(outside);
            verify(c.g > c.r && c.b > c.r, "the glow is cyan: " + outside);
            verify(near(picture.pixel(182, 40), "#000000"), "nothing 18 px out: " + picture.pixel(182, 40));
        }

        function test_parallelogramIsSheared() {
            const picture = grabImage(scene);
            // Top row spans x 20..60, bottom row 40..80.
            verify(near(picture.pixel(22, 101), "#ffffff"));
            verify(near(picture.pixel(22, 138), "#000000"), "bottom-left is sheared away");
            verify(near(picture.pixel(77, 138), "#ffffff"), "bottom-right is sheared in");
            verify(near(picture.pixel(77, 101), "#000000"));
        }
    }
}
