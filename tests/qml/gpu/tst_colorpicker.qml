import QtQuick
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// The colour picker's glow, which only the OpenGL scene graph draws, and its open panel
// on screen once the animators have run on the render thread.
Rectangle {
    id: scene
    width: 600
    height: 620
    color: "#000000"

    Widgets.ColorPicker {
        id: picker
        x: 70
        y: 60
        initColor: "#80ff0000"
    }

    TestCase {
        name: "ColorPickerGlow"
        when: windowShown

        function bytes(colour) {
            const c = Qt.color(colour);
            return [c.r, c.g, c.b].map(v => Math.round(v * 255));
        }

        function test_openPanelGlowsAtItsEdges() {
            picker.open();
            tryCompare(picker, "scale", 1.0, patience);
            tryCompare(picker, "opacity", 1.0, patience);
            // Let a frame with the final values reach the window.
            wait(100);
            const picture = grabImage(scene);
            // Inside: the panel's own background.
            compare(bytes(picture.pixel(70 + 5, 60 + 250)).join(","), "246,246,246");
            // Just outside each edge: a faint violet glow, bluer than red, on black.
            for (const [x, y] of [[70 - 2, 60 + 250], [70 + 460 + 1, 60 + 250], [70 + 230, 60 - 2],
                                  [70 + 230, 60 + 500 + 1]]) {
                const pixel = bytes(picture.pixel(x, y));
                verify(pixel[2] >= 4 && pixel[2] > pixel[0] && pixel[2] > pixel[1], "glow at " + x + "," + y + ": " + pixel);
            }
            // Well outside: nothing.
            for (const [x, y] of [[70 - 12, 60 + 250], [70 + 460 + 12, 60 + 250], [70 + 230, 60 - 12]])
                compare(bytes(picture.pixel(x, y)).join(","), "0,0,0", "beyond the glow at " + x + "," + y);
            // The square shows the colour given at creation: red at its top right.
            const squareTopRight = bytes(picture.pixel(70 + 10 + 15 + 298, 60 + 35 + 15 + 2));
            verify(squareTopRight[0] > 240 && squareTopRight[1] < 20 && squareTopRight[2] < 20,
                   "top right of the square: " + squareTopRight);
        }
    }
}
