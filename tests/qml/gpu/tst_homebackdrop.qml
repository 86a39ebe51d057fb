import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage"

// The home page's still layers as the OpenGL scene graph draws them, from one texture:
// over the window's picture (which the page's texture hides) the page shows that same
// picture, in place wherever the page lies, with the panels' bodies on it.
Image {
    id: scene
    width: 1280
    height: 800
    source: Qt.resolvedUrl("file:///" + qmlApi.getApplicationDir() + "/background/home.png")

    readonly property real s: styleManager.scaleRatio
    readonly property color textColor: "#ffffff"

    // Where the main window puts its pages: below the title strip.
    Item {
        id: holder
        y: 46
        width: scene.width
        height: scene.height - 46

        HomePage {
            id: page
            width: holder.width
            height: holder.height
            backgroundPicture: scene
            visible: false
        }
    }

    TestCase {
        name: "HomeBackdrop"
        when: windowShown

        function near(actual, expected, tolerance) {
            const close = (x, y) => Math.abs(x - y) <= tolerance / 255;
            return close(actual.r, expected.r) && close(actual.g, expected.g) && close(actual.b, expected.b);
        }

        // Points of the page's left and bottom margins, outside every panel and glow, in
        // the scene's coordinates.
        function marginPoints() {
            const points = [];
            for (let y = 60; y < holder.height - 40; y += 97)
                points.push(Qt.point(holder.x + 4, holder.y + y));
            for (let x = 40; x < holder.width - 40; x += 131)
                points.push(Qt.point(holder.x + x, holder.y + holder.height - 3));
            return points;
        }

        function expectPicture(shot, picture, what) {
            for (const p of marginPoints()) {
                if (p.x >= scene.width)
                    continue;
                verify(near(shot.pixel(p.x, p.y), picture.pixel(p.x, p.y), 1),
                       what + " at " + p.x + "," + p.y + ": " + shot.pixel(p.x, p.y) + " for " + picture.pixel(p.x, p.y));
            }
        }

        function test_pictureAndBodiesFromOneTexture() {
            tryCompare(scene, "status", Image.Ready, patience);
            waitForRendering(scene);
            const picture = grabImage(scene);

            page.visible = true;
            const backdrop = findChild(page, "backdrop");
            verify(backdrop.layer.enabled, "the still layers are one texture");
            tryCompare(findChild(page, "backdropPicture"), "status", Image.Ready, patience);
            waitForRendering(scene);
            let shot = grabImage(scene);
            expectPicture(shot, picture, "the page's margin");

            // Inside the status panel's body, right of its title: the body (#70002E3B) over
            // its glow's full colour (#40009ca2) over the picture.
            const panel = findChild(page, "deviceStatusPanel");
            const inside = panel.mapToItem(scene, panel.width - 12 * s - 20, 12 * s + 16);
            const over = (colour, alpha, under) => colour * alpha + under * (1 - alpha);
            const under = picture.pixel(inside.x, inside.y);
            const glow = [over(0, 0x40 / 255, under.r), over(0x9c / 255, 0x40 / 255, under.g),
                          over(0xa2 / 255, 0x40 / 255, under.b)];
            const body = Qt.rgba(over(0, 0x70 / 255, glow[0]), over(0x2e / 255, 0x70 / 255, glow[1]),
                                 over(0x3b / 255, 0x70 / 255, glow[2]), 1);
            verify(near(shot.pixel(inside.x, inside.y), body, 3),
                   "body " + shot.pixel(inside.x, inside.y) + " for " + body);

            // Slid to the right, as while pages switch: the picture stays where the window has it.
            holder.x = 150;
            waitForRendering(scene);
            shot = grabImage(scene);
            expectPicture(shot, picture, "the slid page's margin");
            holder.x = 0;
        }
    }
}
