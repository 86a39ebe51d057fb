import QtQuick
import QtTest
import an.window 1.0
import "qrc:/zelka/qml/Widgets" as Widgets

// The popup window inside a context that has the main window: centred on it at the first
// opening only, fading in and out, following its stay-on-top state.
Item {
    id: scene
    width: 300
    height: 200

    FramelessWindow {
        id: homeWindow
        x: 100
        y: 80
        width: 800
        height: 600
    }

    Component {
        id: popupComponent
        Widgets.PopupWindow {
            width: 400
            height: 300
            title: "录像回放"
            contentItem: Rectangle { objectName: "PlayerArea"; color: "#203040" }
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    Component {
        id: fadeComponent
        FadeRecorder {}
    }

    TestCase {
        name: "PopupWindow"
        when: windowShown

        function init() {
            homeWindow.x = 100;
            homeWindow.y = 80;
            homeWindow.topHint = false;
        }

        function makePopup() {
            const popup = createTemporaryObject(popupComponent, scene);
            const closed = createTemporaryObject(spyComponent, scene, { target: popup, signalName: "closed" });
            return { popup: popup, closed: closed };
        }

        function openFully(popup) {
            popup.open();
            tryCompare(popup, "opacity", 1, patience);
        }

        function hideFully(popup) {
            popup.hideWindow();
            tryCompare(popup, "visible", false, patience);
        }

        function test_hiddenAtCreation() {
            const made = makePopup();
            compare(made.popup.opacity, 0);
            verify(!made.popup.visible);
            verify(made.popup.__first);
            compare(made.popup.topWindow, homeWindow);
            verify(made.popup.taskbarHint);
            compare(made.popup.color, Qt.color("transparent"));
            compare(made.popup.title, "录像回放");
        }

        function test_firstOpenCentresOnTheMainWindowAndFadesIn() {
            const made = makePopup();
            const fade = createTemporaryObject(fadeComponent, scene, { watched: made.popup });
            made.popup.open();
            verify(!made.popup.__first);
            compare(made.popup.x, 100 + (800 - 400) / 2);
            compare(made.popup.y, 80 + (600 - 300) / 2);
            verify(made.popup.visible);
            tryCompare(made.popup, "opacity", 1, patience);
            verify(fade.between > 0, "faded in rather than jumped");
            verify(made.popup.visible);
        }

        function test_laterOpeningsKeepTheMovedPosition() {
            const made = makePopup();
            openFully(made.popup);
            made.popup.x = 40;
            made.popup.y = 50;
            hideFully(made.popup);
            homeWindow.x = 300;
            made.popup.open();
            compare(made.popup.x, 40);
            compare(made.popup.y, 50);
            tryCompare(made.popup, "opacity", 1, patience);
        }

        // On a desk of two screens, with the main window on the second: the first opening
        // lies centred on it and inside the second screen's area, also where the main window
        // reaches past that screen; a place kept from a screen that is gone comes back.
        function test_opensOnTheMainWindowsScreen() {
            if (Qt.application.screens.length < 2)
                skip("needs the offscreen platform with two screens");
            const second = Qt.application.screens[1];
            homeWindow.x = second.virtualX + 200;
            homeWindow.y = second.virtualY + 100;
            compare(homeWindow.availableArea, Qt.rect(second.virtualX, second.virtualY, second.width, second.height));
            const made = makePopup();
            made.popup.open();
            compare(made.popup.x, homeWindow.x + (800 - 400) / 2);
            compare(made.popup.y, homeWindow.y + (600 - 300) / 2);
            hideFully(made.popup);

            // The main window past the second screen's right edge, centre still on it.
            homeWindow.x = second.virtualX + second.width - 500;
            const squeezed = makePopup();
            squeezed.popup.open();
            compare(squeezed.popup.x, second.virtualX + second.width - 400, "inside the second screen");
            compare(squeezed.popup.y, homeWindow.y + (600 - 300) / 2);
            hideFully(squeezed.popup);

            squeezed.popup.x = second.virtualX + second.width + 5000;
            homeWindow.x = second.virtualX + 200;
            squeezed.popup.open();
            compare(squeezed.popup.x, homeWindow.x + (800 - 400) / 2, "back on the owner");
            tryCompare(squeezed.popup, "opacity", 1, patience);
        }

        // Reopened after its owner moved to another screen, it opens on the owner's screen
        // (centred on the owner), not where it was on the other.
        function test_reopensOnTheOwnersNewScreen() {
            if (Qt.application.screens.length < 2)
                skip("needs the offscreen platform with two screens");
            const second = Qt.application.screens[1];
            const made = makePopup();
            openFully(made.popup);
            hideFully(made.popup);
            homeWindow.x = second.virtualX + 200;
            homeWindow.y = second.virtualY + 100;
            made.popup.open();
            compare(made.popup.x, homeWindow.x + (800 - 400) / 2);
            compare(made.popup.y, homeWindow.y + (600 - 300) / 2);
            tryCompare(made.popup, "opacity", 1, patience);
        }

        // Closed the window manager's way (a close request, not its own button), it is closed
        // as by its button and opens again at the next request.
        function test_reopensAfterTheWindowManagersClose() {
            const made = makePopup();
            openFully(made.popup);
            made.popup.close();
            compare(made.closed.count, 1);
            tryCompare(made.popup, "visible", false, patience);
            made.popup.open();
            tryCompare(made.popup, "visible", true, patience);
            tryCompare(made.popup, "opacity", 1, patience);
        }

        // A popup larger than the available area of the owner's screen is bounded by it,
        // wherever the owner goes; on a larger screen it takes its own size again.
        function test_noLargerThanTheOwnersScreen() {
            const area = homeWindow.availableArea;
            const made = makePopup();
            made.popup.width = area.width + 300;
            made.popup.height = area.height + 200;
            made.popup.open();
            compare(made.popup.width, area.width);
            compare(made.popup.height, area.height);
            compare(made.popup.x, area.x);
            compare(made.popup.y, area.y);
            if (Qt.application.screens.length < 2)
                return;
            const second = Qt.application.screens[1];
            const large = createTemporaryObject(popupComponent, scene, { width: second.width + 100, height: 500 });
            homeWindow.x = second.virtualX + 200;
            homeWindow.y = second.virtualY + 100;
            large.open();
            compare(large.width, second.width);
            homeWindow.x = 100;
            homeWindow.y = 80;
            large.width = second.width + 100;
            compare(large.width, second.width + 100);
        }

        function test_hideFadesOutThenCloses() {
            const made = makePopup();
            openFully(made.popup);
            const fade = createTemporaryObject(fadeComponent, scene, { watched: made.popup });
            made.popup.hideWindow();
            compare(made.closed.count, 1);
            verify(made.popup.visible, "still visible while fading out");
            verify(made.popup.opacity > 0);
            tryCompare(made.popup, "visible", false, patience);
            compare(made.popup.opacity, 0);
            verify(fade.between > 0, "faded out rather than jumped");
            // Hiding a hidden window announces the close again.
            made.popup.hideWindow();
            compare(made.closed.count, 2);
            verify(!made.popup.visible);
        }

        function test_closeButtonHides() {
            const made = makePopup();
            openFully(made.popup);
            const closer = findChild(made.popup.contentItem.parent.parent, "PopupCloseButton");
            verify(closer);
            mouseClick(closer);
            compare(made.closed.count, 1);
            tryCompare(made.popup, "visible", false, patience);
        }

        function test_contentFillsTheAreaBelowTheTitle() {
            const made = makePopup();
            openFully(made.popup);
            const s = styleManager.scaleRatio;
            const content = made.popup.contentItem;
            compare(content.parent.objectName, "PopupWindowContent");
            compare(content.width, made.popup.width - 2 * 8 * s);
            compare(content.height, made.popup.height - 2 * 8 * s - 32 * s);
            const origin = content.mapToItem(null, 0, 0);
            compare(origin.x, 8 * s);
            compare(origin.y, 8 * s + 32 * s);
            compare(made.popup.captionWidth, Math.floor(made.popup.width - 120 * s));
            compare(made.popup.captionHeight, Math.floor(35 * s));
        }

        function test_replacedContentFillsTheArea() {
            const made = makePopup();
            const replacement = createTemporaryQmlObject("import QtQuick; Rectangle { color: 'red' }", scene);
            made.popup.contentItem = replacement;
            compare(replacement.parent.objectName, "PopupWindowContent");
            compare(replacement.width, replacement.parent.width);
            compare(replacement.height, replacement.parent.height);
        }

        function test_followsTheMainWindowOnTop() {
            const made = makePopup();
            verify(!made.popup.topHint);
            homeWindow.topHint = true;
            verify(made.popup.topHint);
            homeWindow.topHint = false;
            verify(!made.popup.topHint);
        }
    }
}
