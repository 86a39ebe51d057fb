import QtQuick
import QtTest
import "../.."

// Home switched off: the first page (the video square) slides in from the right edge,
// coming from the empty home loader.
ShellTestCase {
    id: testCase
    name: "HomeOff"

    function test_firstSwitchComesFromTheEmptyHomeLoader() {
        logIn();
        const component = Qt.createComponent("qrc:/zelka/qml/HomePage/HomeWindow.qml");
        const window = component.createObject(testCase);
        verify(window);
        const layer = part(window, "contentLayer");
        const animation = part(window, "switchAnimation");
        const square = loader(window, 3);
        const home = loader(window, 2);
        // Every width the page passes through, from the start: on a loaded machine the
        // slide may be over before the checks below run.
        let seenSliding = false;
        const note = () => { seenSliding = seenSliding || (square.width < layer.width - 1 && square.width > 1); };
        square.widthChanged.connect(note);
        compare(home.active, false);
        compare(home.item, null);
        tryCompare(menu(window), "currentMenu", 3, patience);
        compare(entries(window).length, 5);
        compare(layer.currentContent === home || layer.nextContent === square, true);
        // While it runs, the page grows from the right edge.
        while (animation.running) {
            if (square.width < layer.width - 1 && square.width > 1)
                verify(Math.abs(square.x + square.width - layer.width) < 0.5, "right edge kept");
            wait(20);
        }
        square.widthChanged.disconnect(note);
        verify(seenSliding, "the page slid in");
        compare(visibleLoaders(window), ["videoSquareLoader"]);
        compare(square.width, layer.width);
        compare(square.x, 0);
        compare(home.visible, false);
        compare(layer.currentContent, square);
        waitForUserRecord(window);

        // Every other page is there; the home page never is.
        for (const type of [4, 5, 6, 7])
            verify(loader(window, type).item);
        compare(home.item, null);
    }
}
