import QtQuick
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// Buttons and the tool tip under real pointer input: pictures and fills follow hover and
// press, fills fade, the tool tip fades in and hides on time.
Item {
    id: scene
    width: 400
    height: 300

    readonly property string normalPicture: styleManager.style.image("Login-LoginButton-Normal")
    readonly property string hoveredPicture: styleManager.style.image("Login-LoginButton-Hovered")
    readonly property string pressedPicture: styleManager.style.image("Login-LoginButton-Pressed")

    Component {
        id: imageButtonComponent
        Widgets.ImageButton {
            x: 50
            y: 50
            width: 120
            height: 40
            text: "登录"
            normalImage: scene.normalPicture
            hoveredImage: scene.hoveredPicture
            pressedImage: scene.pressedPicture
        }
    }

    Component {
        id: colorButtonComponent
        Widgets.ColorButton {
            x: 50
            y: 50
            width: 120
            height: 40
            text: "确定"
            normalColor: "#204060"
            hoveredColor: "#80a0c0"
            pressedColor: "#102030"
        }
    }

    Component {
        id: toolTipComponent
        Item {
            property alias tip: tip
            x: 150
            y: 150
            width: 40
            height: 20
            Widgets.ToolTip { id: tip }
        }
    }

    TestCase {
        name: "Buttons"
        when: windowShown

        function init() {
            // Park the pointer away from every button.
            mouseMove(scene, 390, 290);
        }

        function expectLook(button, state, picture) {
            compare(button.state, state);
            compare(String(button.image.source), picture);
        }

        function test_imageButtonFollowsHoverAndPress() {
            const button = createTemporaryObject(imageButtonComponent, scene);
            expectLook(button, "Normal", scene.normalPicture);
            mouseMove(button, 60, 20);
            tryCompare(button, "hovered", true, patience);
            expectLook(button, "Hovered", scene.hoveredPicture);
            mousePress(button, 60, 20);
            expectLook(button, "Pressed", scene.pressedPicture);
            mouseRelease(button, 60, 20);
            expectLook(button, "Hovered", scene.hoveredPicture);
            mouseMove(scene, 390, 290);
            tryCompare(button, "hovered", false, patience);
            expectLook(button, "Normal", scene.normalPicture);
        }

        function test_imageButtonCaptionAndClick() {
            const button = createTemporaryObject(imageButtonComponent, scene);
            const clicks = createTemporaryObject(signalSpyComponent, scene, { target: button, signalName: "clicked" });
            mouseClick(button);
            compare(clicks.count, 1);
            button.textColor = "#ff0000";
            compare(button.textColor, Qt.color("#ff0000"));
        }

        function test_imageButtonWithOnlyNormalPicture() {
            const plain = createTemporaryObject(imageButtonPlainComponent, scene);
            mouseMove(plain, 10, 10);
            tryCompare(plain, "hovered", true, patience);
            expectLook(plain, "Hovered", scene.normalPicture);
            mousePress(plain, 10, 10);
            expectLook(plain, "Pressed", scene.normalPicture);
            mouseRelease(plain, 10, 10);
        }

        function test_imageButtonForcedPressedLook() {
            const button = createTemporaryObject(imageButtonComponent, scene);
            button.isCurrent = true;
            expectLook(button, "Pressed", scene.pressedPicture);
            button.isCurrent = false;
            // Checked shows the pressed look even on a button that is not checkable.
            verify(!button.checkable);
            button.checked = true;
            expectLook(button, "Pressed", scene.pressedPicture);
        }

        function test_imageButtonPressWithoutHover() {
            const button = createTemporaryObject(imageButtonComponent, scene, { hoverEnabled: false });
            mousePress(button, 60, 20);
            verify(!button.hovered);
            expectLook(button, "Pressed", scene.pressedPicture);
            mouseRelease(button, 60, 20);
            expectLook(button, "Normal", scene.normalPicture);
        }

        function test_imageButtonShrinksPictureByState() {
            const button = createTemporaryObject(imageButtonShrinkComponent, scene);
            compare(button.image.width, 40);
            mouseMove(button, 20, 20);
            tryCompare(button, "hovered", true, patience);
            compare(button.image.width, 20);
        }

        // The fill fades: 300 ms from one colour to the next, not a jump.
        function expectFade(button, target) {
            const start = Date.now();
            wait(100);
            verify(!Qt.colorEqual(button.background.color, target), "the fill jumped to " + target);
            tryVerify(() => Qt.colorEqual(button.background.color, target), patience);
            const took = Date.now() - start;
            verify(took >= 250, "fade took only " + took + " ms");
        }

        function test_colorButtonFadesBetweenStates() {
            const button = createTemporaryObject(colorButtonComponent, scene);
            verify(Qt.colorEqual(button.background.color, "#204060"));
            mouseMove(button, 60, 20);
            expectFade(button, "#80a0c0");
            mousePress(button, 60, 20);
            expectFade(button, "#102030");
            mouseRelease(button, 60, 20);
            expectFade(button, "#80a0c0");
            mouseMove(scene, 390, 290);
            expectFade(button, "#204060");
        }

        function test_colorButtonPressWithoutHoverKeepsNormal() {
            const button = createTemporaryObject(colorButtonComponent, scene, { hoverEnabled: false });
            mousePress(button, 60, 20);
            verify(button.pressed);
            wait(350);
            verify(Qt.colorEqual(button.background.color, "#204060"));
            mouseRelease(button, 60, 20);
        }

        function test_colorButtonCheckedNeedsCheckable() {
            const button = createTemporaryObject(colorButtonComponent, scene);
            button.checked = true;
            wait(350);
            verify(Qt.colorEqual(button.background.color, "#204060"), "checked alone changes nothing");
            button.checkable = true;
            tryVerify(() => Qt.colorEqual(button.background.color, "#102030"), patience);
        }

        function test_colorButtonBorderAndRadius() {
            const button = createTemporaryObject(colorButtonComponent, scene);
            button.radius = 4;
            compare(button.background.radius, 4);
            // Naming a border colour is enough to draw the usual one-pixel border.
            button.border.color = "#ff0000";
            compare(button.background.border.width, 1);
            const picture = grabImage(button);
            verify(Qt.colorEqual(picture.pixel(60, 0), "#ff0000"), "top border drawn, got " + picture.pixel(60, 0));
        }

        function test_colorButtonDefaultsDeriveNothing() {
            const button = createTemporaryObject(colorButtonPlainComponent, scene);
            mouseMove(button, 10, 10);
            tryVerify(() => Qt.colorEqual(button.background.color, "white"), patience);
            compare(button.font.family, "微软雅黑");
            compare(button.font.pointSize, 10 * styleManager.fontScaleRatio);
        }

        function test_toolTipLook() {
            const holder = createTemporaryObject(toolTipComponent, scene);
            const tip = holder.tip;
            compare(tip.opacity, 0);
            compare(tip.topPadding, 5);
            compare(tip.bottomPadding, 5);
            compare(tip.textColor, Qt.color(styleManager.style.color("Widgets-ToolTip-TextColor")));
            compare(tip.border.color, Qt.color("#888"));
            compare(tip.background.gradient.stops[0].color, Qt.color(styleManager.style.color("Widgets-ToolTip-Gradient1")));
            compare(tip.background.gradient.stops[1].color, Qt.color(styleManager.style.color("Widgets-ToolTip-Gradient2")));
            compare(tip.wrapMode, Text.NoWrap);
        }

        function test_toolTipShowsFadesAndHidesOnTime() {
            const holder = createTemporaryObject(toolTipComponent, scene);
            const tip = holder.tip;
            for (let round = 0; round < 2; ++round) {
                const start = Date.now();
                tip.show("无法跳转!", 800);
                verify(tip.visible);
                compare(tip.text, "无法跳转!");
                verify(tip.opacity < 0.2, "fade starts from 0, not " + tip.opacity);
                tryVerify(() => tip.opacity > 0, patience, "the fade started");
                verify(tip.opacity < 1, "half-way opacity " + tip.opacity);
                // Fully faded in unless a loaded machine slowed the fade past the 800 ms.
                tryVerify(() => tip.opacity === 1.0 || Date.now() - start >= 800, patience, "faded in");
                tryCompare(tip, "visible", false, patience);
                const shown = Date.now() - start;
                verify(shown >= 750 && shown < patience, "shown for " + shown + " ms");
            }
        }

        function test_toolTipFollowsHoverBinding() {
            const button = createTemporaryObject(imageButtonWithHintComponent, scene);
            const tip = button.hint;
            verify(!tip.visible);
            mouseMove(button, 10, 10);
            tryCompare(tip, "visible", true, patience);
            compare(tip.text, "放大");
            mouseMove(scene, 390, 290);
            tryCompare(tip, "visible", false, patience);
        }
    }

    Component {
        id: signalSpyComponent
        SignalSpy {}
    }

    Component {
        id: imageButtonPlainComponent
        Widgets.ImageButton {
            x: 200
            y: 200
            width: 40
            height: 40
            normalImage: scene.normalPicture
        }
    }

    Component {
        id: imageButtonShrinkComponent
        Widgets.ImageButton {
            x: 200
            y: 200
            width: 40
            height: 40
            normalImage: scene.normalPicture
            image.width: state === "Normal" ? width : 20
        }
    }

    Component {
        id: imageButtonWithHintComponent
        Widgets.ImageButton {
            property alias hint: hint
            x: 200
            y: 200
            width: 40
            height: 40
            normalImage: scene.normalPicture
            Widgets.ToolTip {
                id: hint
                visible: parent.hovered
                text: "放大"
            }
        }
    }

    Component {
        id: colorButtonPlainComponent
        Widgets.ColorButton {
            x: 200
            y: 200
            width: 40
            height: 40
            normalColor: "#204060"
        }
    }
}
