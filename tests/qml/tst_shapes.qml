import QtQuick
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// Shapes and the sliding container: geometry, bindings and the slide's timing.
Item {
    id: scene
    width: 400
    height: 400

    Component {
        id: swipeComponent
        Widgets.SwipeView {
            width: 200
            height: 100
            Rectangle { objectName: "page0"; color: "red" }
            Rectangle { objectName: "page1"; color: "green" }
            Rectangle { objectName: "page2"; color: "blue" }
        }
    }

    Component {
        id: glowComponent
        Widgets.GlowRectangle {
            width: 100
            height: 60
            color: "#203040"
            radius: 6
        }
    }

    Component {
        id: parallelogramComponent
        Widgets.Parallelogram {
            x: 50
            y: 50
            width: 40
            height: 20
        }
    }

    Component {
        id: circleComponent
        Widgets.Circle {
            width: 40
            height: 40
        }
    }

    TestCase {
        name: "Shapes"
        when: windowShown

        function guideOf(view) {
            return view.children[0];
        }

        function pageX(view, index) {
            return view.children[index + 1].mapToItem(view, 0, 0).x;
        }

        function test_swipeLaysOutPagesInARow() {
            const view = createTemporaryObject(swipeComponent, scene);
            const guide = guideOf(view);
            compare(guide.objectName, "FirstItem");
            compare(guide.width, 0);
            compare(guide.height, 0);
            verify(view.clip);
            compare(view.children.length, 4);
            for (let k = 0; k < 3; ++k) {
                const page = view.children[k + 1];
                compare(page.objectName, "page" + k);
                compare(page.width, view.width);
                compare(page.height, view.height);
                compare(pageX(view, k), k * view.width);
            }
        }

        function test_swipeSlidesToAnIndex() {
            const view = createTemporaryObject(swipeComponent, scene);
            const guide = guideOf(view);
            const start = Date.now();
            view.currentIndex = 2;
            tryVerify(() => guide.x < 0, patience, "the slide started");
            verify(guide.x > -400, "sliding, at " + guide.x);
            tryCompare(guide, "x", -400, patience);
            const took = Date.now() - start;
            verify(took >= 200 && took < patience, "one slide of 250 ms took " + took + " ms");
            compare(pageX(view, 2), 0);
            view.currentIndex = 0;
            tryCompare(guide, "x", 0, patience);
            compare(pageX(view, 0), 0);
        }

        function test_swipeResizeJumps() {
            const view = createTemporaryObject(swipeComponent, scene);
            view.currentIndex = 2;
            tryCompare(guideOf(view), "x", -400, patience);
            view.width = 300;
            compare(guideOf(view).x, -600, "a resize jumps at once");
            compare(pageX(view, 2), 0);
            compare(view.children[3].width, 300);
            wait(300);
            compare(guideOf(view).x, -600);
            // And the slide still animates after a resize.
            view.currentIndex = 1;
            tryVerify(() => guideOf(view).x > -600, patience, "the slide started");
            verify(guideOf(view).x < -300, "sliding, at " + guideOf(view).x);
            tryCompare(guideOf(view), "x", -300, patience);
        }

        function test_swipeDoesNotClamp() {
            const view = createTemporaryObject(swipeComponent, scene);
            view.currentIndex = 5;
            tryCompare(guideOf(view), "x", -1000, patience);
            verify(pageX(view, 2) + view.width <= 0, "every page is out of view");
        }

        function test_glowFollowsRectangle() {
            const glow = createTemporaryObject(glowComponent, scene);
            const effect = glow.children[0];
            compare(glow.spread, 0.2);
            compare(glow.glowRadius, 0);
            compare(glow.cornerRadius, 6);
            compare(effect.cached, true);
            verify(!effect.visible, "no glow at radius 0");
            glow.glowRadius = 10;
            verify(effect.visible);
            compare(glow.cornerRadius, 16);
            glow.rect.anchors.margins = 12;
            compare(effect.x, 12);
            compare(effect.y, 12);
            compare(effect.width, 76);
            compare(effect.height, 36);
            compare(glow.rect.width, 76);
            glow.cornerRadius = 3;
            compare(glow.cornerRadius, 3);
        }

        function test_glowRectangleOpaqueWithoutGlow() {
            const glow = createTemporaryObject(glowComponent, scene, { x: 20, y: 20 });
            const picture = grabImage(glow);
            verify(Qt.colorEqual(picture.pixel(50, 30), "#203040"));
        }

        function test_parallelogramShear() {
            const shape = createTemporaryObject(parallelogramComponent, scene, { xs: 0.5 });
            const topLeft = shape.mapToItem(scene, 0, 0);
            const bottomLeft = shape.mapToItem(scene, 0, 20);
            compare(topLeft.x, 50);
            compare(bottomLeft.x - topLeft.x, 10);
            compare(bottomLeft.y - topLeft.y, 20);
            shape.xs = 0;
            shape.ys = 0.25;
            const topRight = shape.mapToItem(scene, 40, 0);
            compare(topRight.y - topLeft.y, 10);
            compare(topRight.x - topLeft.x, 40);
            shape.ys = 0;
            compare(shape.mapToItem(scene, 40, 20), Qt.point(90, 70));
        }

        function test_circleColour() {
            const circle = createTemporaryObject(circleComponent, scene);
            compare(circle.color, Qt.color("white"));
            circle.color = "#ff0000";
            compare(circle.color, Qt.color("#ff0000"));
            // The mask rounds by half the side; the source fills the item.
            compare(circle.children[1].radius, 20);
            compare(circle.children[0].width, 40);
        }

        // A style change reaches the widgets that read it: colours by binding, the
        // painted arrow by repainting.
        function test_styleReloadRestyles() {
            const combo = createTemporaryObject(styledComboComponent, scene);
            const arrowAt = () => grabImage(combo).pixel(combo.indicator.x + 6, combo.indicator.y + 2);
            const before = styleManager.style.color("Widgets-ComboBox-TextColor");
            tryVerify(() => Qt.colorEqual(arrowAt(), before), patience);
            const file = String(Qt.resolvedUrl("data/restyled.json")).replace("file://", "");
            styleManager.loadStyleFile(file);
            try {
                compare(combo.textColor, Qt.color("#ff4000"));
                tryVerify(() => Qt.colorEqual(arrowAt(), "#ff4000"), patience, "the arrow is repainted");
            } finally {
                styleManager.loadStyleFile(":/zelka/style/default.json");
            }
            compare(combo.textColor, Qt.color(before));
        }
    }

    Component {
        id: styledComboComponent
        Widgets.ComboBox {
            x: 20
            y: 300
            width: 120
            height: 30
            model: ["x"]
        }
    }
}
