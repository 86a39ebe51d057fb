import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage"

// The home page's still layers as the OpenGL scene graph draws them, from one texture:
// over the main window's picture (which the page's texture hides) the page shows that
// same picture, pixel for pixel wherever the page lies and at whatever scale the window
// draws it, with the panels' bodies on it.
Item {
    id: scene
    width: 1280
    height: 800

    readonly property real s: styleManager.scaleRatio
    readonly property real dpr: Screen.devicePixelRatio
    readonly property color textColor: "#ffffff"

    // The window's picture at 16:10, so enlarged unevenly from the 16:9 file.
    HomeWindow.WindowPicture {
        id: picture
        width: scene.width
        height: scene.height

        // Where the main window puts its pages: below the title strip, in their loaders.
        Item {
            id: pageArea
            anchors.fill: parent
            anchors.topMargin: 46

            Item {
                id: holder
                width: pageArea.width
                height: pageArea.height

                HomePage {
                    id: page
                    anchors.fill: parent
                    backgroundPicture: picture
                    visible: false
                }
            }
        }
    }

    SignalSpy {
        id: reads
        target: picture
        signalName: "statusChanged"
    }

    TestCase {
        name: "HomeBackdrop"
        when: windowShown

        function near(actual, expected, tolerance) {
            const close = (x, y) => Math.abs(x - y) <= tolerance / 255;
            return close(actual.r, expected.r) && close(actual.g, expected.g) && close(actual.b, expected.b);
        }

        // Points of the page's left and bottom margins, outside every panel and glow, in the
        // scene's coordinates.
        function marginPoints() {
            const points = [];
            for (let y = 60; y < holder.height - 40; y += 97)
                points.push(holder.mapToItem(scene, 4, y));
            for (let x = 40; x < holder.width - 40; x += 131)
                points.push(holder.mapToItem(scene, x, holder.height - 3));
            return points.filter(p => p.x >= 0 && p.x < scene.width && p.y >= 0 && p.y < scene.height);
        }

        // The window's picture alone, then with the page over it.
        function grabBoth() {
            page.visible = false;
            waitForRendering(scene);
            const alone = grabImage(scene);
            page.visible = true;
            waitForRendering(scene);
            return [alone, grabImage(scene)];
        }

        // Grabs hold device pixels.
        function pixel(image, point) {
            return image.pixel(Math.floor(point.x * dpr), Math.floor(point.y * dpr));
        }

        function expectPicture(what) {
            const [alone, shot] = grabBoth();
            for (const p of marginPoints()) {
                verify(near(pixel(shot, p), pixel(alone, p), 1),
                       what + " at " + p.x + "," + p.y + ": " + pixel(shot, p) + " for " + pixel(alone, p));
            }
            return shot;
        }

        function test_pictureAndBodiesFromOneTexture() {
            tryCompare(picture, "status", Image.Ready, patience);
            verify(picture.smooth, "filtered where it is not drawn pixel for pixel");
            page.visible = true;
            verify(findChild(page, "backdrop").layer.enabled, "the still layers are one texture");
            tryCompare(findChild(page, "backdropPicture"), "status", Image.Ready, patience);
            const shot = expectPicture("the page's margin");

            // Inside the status panel's body, right of its title: the body (#70002E3B) over
            // its glow's full colour (#40009ca2) over the picture.
            const panel = findChild(page, "deviceStatusPanel");
            const inside = panel.mapToItem(scene, panel.width - 12 * s - 20, 12 * s + 16);
            const over = (colour, alpha, under) => colour * alpha + under * (1 - alpha);
            page.visible = false;
            waitForRendering(scene);
            const under = pixel(grabImage(scene), inside);
            const glow = [over(0, 0x40 / 255, under.r), over(0x9c / 255, 0x40 / 255, under.g),
                          over(0xa2 / 255, 0x40 / 255, under.b)];
            const body = Qt.rgba(over(0, 0x70 / 255, glow[0]), over(0x2e / 255, 0x70 / 255, glow[1]),
                                 over(0x3b / 255, 0x70 / 255, glow[2]), 1);
            verify(near(pixel(shot, inside), body, 3), "body " + pixel(shot, inside) + " for " + body);

            // Slid to the right, as while pages switch, and lower under a taller title strip,
            // as after a change of scale: the picture stays where the window has it.
            holder.x = 150;
            expectPicture("the slid page's margin");
            holder.x = 0;
            pageArea.anchors.topMargin = 60;
            expectPicture("the lowered page's margin");
            pageArea.anchors.topMargin = 46;
        }

        // A live resize reads the file once, when the size holds; at 16:9 and smaller than
        // the file the picture is drawn pixel for pixel, unfiltered, and the page's copy
        // still matches it.
        function test_resizeReadsThePictureOnce() {
            tryCompare(picture, "status", Image.Ready, patience);
            reads.clear();
            for (let step = 1; step <= 10; ++step) {
                picture.width = scene.width - 48 * step;
                picture.height = scene.height - 35 * step;
            }
            compare(reads.count, 0, "no read while the size changes");
            tryVerify(() => picture.pixelForPixel, patience, "read again at the new size");
            compare(reads.count, 1);
            verify(!picture.smooth, "unfiltered where drawn pixel for pixel");
            expectPicture("the page's margin at 16:9");
        }
    }
}
