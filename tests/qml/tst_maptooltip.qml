import QtQuick
import QtTest
import "qrc:/zelka/qml/ElectronicMap" as ElectronicMap

// The map pin's label: a box as big as its text plus margins, the arrow centred under
// it, and a fade-in from transparent at every show and none at a hide.
TestCase {
    id: testCase
    name: "MapToolTip"
    when: windowShown
    width: 400
    height: 300
    visible: true

    readonly property real s: styleManager.scaleRatio

    Component {
        id: pinComponent

        Item {
            property alias tip: tip
            property bool hovered: false

            x: 150
            y: 150
            width: 20
            height: 20

            ElectronicMap.MapToolTip {
                id: tip
                visible: parent.hovered
                text: "通道名ID: 11\n通道名字: 东门"
            }
        }
    }

    function test_boxArrowAndFade() {
        const pin = createTemporaryObject(pinComponent, testCase);
        const tip = pin.tip;
        compare(tip.opacity, 0);
        pin.hovered = true;
        tryCompare(tip, "visible", true);
        const content = findChild(tip.contentItem, "content");
        const arrow = findChild(tip.contentItem, "arrow");
        const text = findChild(tip.contentItem, "tooltipText");
        compare(text.lineCount, 2);
        compare(content.height, text.height + 12 * s);
        compare(content.width, text.width + 20 * s);
        compare(tip.contentItem.implicitHeight, content.height + 15 * s);
        // Centred to whole pixels.
        fuzzyCompare(arrow.x + arrow.width / 2, content.x + content.width / 2, 0.5);
        compare(arrow.y + arrow.height / 2, content.y + content.height);
        compare(arrow.rotation, 45);
        compare(text.color, Qt.color("#000"));
        verify(tip.opacity < 0.5, "fading in, not shown at once");
        tryCompare(tip, "opacity", 1, 2000);

        // Gone at once; shown again, from transparent again.
        pin.hovered = false;
        compare(tip.visible, false);
        pin.hovered = true;
        tryCompare(tip, "visible", true);
        verify(tip.opacity < 0.5, "the fade starts again");
        tryCompare(tip, "opacity", 1, 2000);

        // A longer text widens the box; the arrow stays centred.
        const before = content.width;
        tip.text = "通道名ID: 11\n通道名字: 一个很长很长的通道名字";
        verify(content.width > before);
        // Centred to whole pixels.
        fuzzyCompare(arrow.x + arrow.width / 2, content.x + content.width / 2, 0.5);
    }
}
