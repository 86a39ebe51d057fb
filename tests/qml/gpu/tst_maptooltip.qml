import QtQuick
import QtTest
import "qrc:/zelka/qml/ElectronicMap" as ElectronicMap

// The map pin's label casts its shadow down and to the right, on the OpenGL scene graph
// that draws the effect, once it has faded in.
Rectangle {
    id: scene
    width: 400
    height: 300
    color: "#ffffff"

    Item {
        id: pin
        property bool hovered: false
        x: 190
        y: 200
        width: 20
        height: 20

        ElectronicMap.MapToolTip {
            id: tip
            visible: pin.hovered
            text: "通道名ID: 11\n通道名字: 东门"
        }
    }

    TestCase {
        name: "MapToolTipShadow"
        when: windowShown

        function grey(picture, x, y) {
            const c = Qt.color(picture.pixel(x, y));
            return Math.round((c.r + c.g + c.b) / 3 * 255);
        }

        function test_shadowBelowAndRight() {
            pin.hovered = true;
            tryCompare(tip, "opacity", 1, 30000);
            wait(100);
            const content = findChild(tip.contentItem, "content");
            const box = content.mapToItem(scene, 0, 0);
            const picture = grabImage(scene);
            const middle = Math.round(box.y + content.height / 2);
            compare(grey(picture, Math.round(box.x + content.width / 2), middle), 255, "the box is white");
            verify(grey(picture, Math.round(box.x + content.width + 3), middle) < 245, "a shadow right of the box");
            compare(grey(picture, Math.round(box.x - 8), middle), 255, "none left of it");
            compare(grey(picture, Math.round(box.x + content.width / 2), Math.round(box.y - 8)), 255, "none above it");
        }
    }
}
