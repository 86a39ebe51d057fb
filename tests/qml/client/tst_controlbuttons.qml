import QtQuick
import QtQuick.Window
import QtTest

// The title strip of the main window: where it sits, full screen and back (the caption
// strip comes back), minimising.
ShellTestCase {
    id: testCase
    name: "ControlButtons"

    function test_stripSitsInTheTopRightCorner() {
        const window = openHomeWindow();
        const strip = part(window, "controlButtons");
        compare(strip.height, 50 * s);
        const corner = strip.mapToItem(null, strip.width, 0);
        compare(corner.x, window.width);
        compare(corner.y, 0);
        for (const name of ["minButton", "fullScreenButton", "closeButton"]) {
            compare(part(window, name).width, 32 * s);
            compare(part(window, name).height, 32 * s);
        }
        const closeButton = part(window, "closeButton");
        compare(closeButton.mapToItem(null, closeButton.width, 0).x, window.width, "flush with the right edge");
        compare(part(window, "dateTimePage").width, 180 * s);
    }

    // Two clicks: the primary screen from the origin, one pixel larger each way, then
    // the former geometry with its caption strip, flags, pictures and tool tip.
    function test_fullScreenAndBack() {
        const window = openHomeWindow();
        const strip = part(window, "controlButtons");
        const button = part(window, "fullScreenButton");
        const tip = part(window, "fullScreenToolTip");
        const screen = qmlApi.primaryScreen.size;
        const normal = Qt.rect(window.x, window.y, window.width, window.height);
        const caption = window.captionArea;
        compare(strip.isFull, false);
        compare(button.normalImage, styleManager.style.image("Home-MaxButton-Normal"));
        compare(button.hoveredImage, styleManager.style.image("Home-MaxButton-Hovered"));
        compare(button.pressedImage, styleManager.style.image("Home-MaxButton-Pressed"));
        mouseMove(button, button.width / 2, button.height / 2);
        tryCompare(tip, "visible", true, patience);
        compare(tip.text, "全屏");

        mouseClick(button);
        compare(strip.isFull, true);
        tryVerify(() => window.x === 0 && window.y === 0 && window.width === screen.width + 1
                  && window.height === screen.height + 1, patience,
                  "full screen: " + window.x + "," + window.y + " " + window.width + "x" + window.height);
        compare(window.topHint, true);
        compare(window.movable, false);
        compare(window.resizable, false);
        compare(button.normalImage, styleManager.style.image("Home-NarrowButton-Normal"));
        compare(button.hoveredImage, styleManager.style.image("Home-NarrowButton-Hovered"));
        compare(button.pressedImage, styleManager.style.image("Home-NarrowButton-Pressed"));
        compare(tip.text, "还原");

        mouseMove(button, button.width / 2, button.height / 2);
        mouseClick(button);
        compare(strip.isFull, false);
        tryVerify(() => window.x === normal.x && window.y === normal.y && window.width === normal.width
                  && window.height === normal.height, patience, "restored geometry");
        compare(window.topHint, false);
        compare(window.movable, true);
        compare(window.resizable, true);
        compare(window.captionArea, caption);
        compare(window.captionArea, captionArea(window));
        compare(button.normalImage, styleManager.style.image("Home-MaxButton-Normal"));
        compare(tip.text, "全屏");
    }

    // A write from outside acts like a click; writing the value it has does nothing.
    function test_writingIsFullActsLikeAClick() {
        const window = openHomeWindow();
        const strip = part(window, "controlButtons");
        const screen = qmlApi.primaryScreen.size;
        const normal = Qt.rect(window.x, window.y, window.width, window.height);
        strip.isFull = false;
        compare(window.topHint, false);
        strip.isFull = true;
        tryCompare(window, "width", screen.width + 1, patience);
        compare(window.topHint, true);
        strip.isFull = true;
        compare(window.topHint, true);
        strip.isFull = false;
        tryCompare(window, "width", normal.width, patience);
        compare(Qt.rect(window.x, window.y, window.width, window.height), normal);
        compare(window.captionArea, captionArea(window));
    }

    function test_minimiseButton() {
        const window = openHomeWindow();
        mouseClick(part(window, "minButton"));
        tryCompare(window, "visibility", Window.Minimized, patience);
        window.showNormal();
    }
}
