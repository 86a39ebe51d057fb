import QtQuick
import QtTest
import an.window 1.0
import "qrc:/zelka/qml/Widgets" as Widgets

// The framed tool window: hidden at first, fading in when shown, gone at once when
// hidden or closed, with its content and extra buttons placed in its frame.
Item {
    id: scene
    width: 300
    height: 200

    FramelessWindow {
        id: homeWindow
        width: 800
        height: 600
    }

    Component {
        id: frameComponent
        Widgets.AppWindow {
            titleText: "用户信息"
            contentItem: Rectangle { objectName: "UserForm"; color: "#203040" }
            controlButtons: Row { objectName: "ExtraButtons" }
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
        name: "AppWindow"
        when: windowShown

        function shownFrame() {
            const frame = createTemporaryObject(frameComponent, scene);
            frame.visible = true;
            tryCompare(frame, "opacity", 1.0, patience);
            return frame;
        }

        function test_hiddenAtCreationWithItsSizes() {
            const frame = createTemporaryObject(frameComponent, scene);
            const s = styleManager.scaleRatio;
            verify(!frame.visible);
            compare(frame.opacity, 0);
            compare(frame.width, Math.floor(600 * s));
            compare(frame.height, Math.floor(650 * s));
            compare(frame.captionWidth, Math.floor(frame.width - 60 * s));
            compare(frame.captionHeight, Math.floor(30 * s));
            verify(!frame.resizable);
            compare(frame.topWindow, homeWindow);
            compare(frame.color, Qt.color("transparent"));
            compare(frame.textColor, Qt.color(styleManager.style.color("Login-TextColor")));
            compare(frame.inputColor, Qt.color(styleManager.style.color("Login-InputColor")));
        }

        function test_showingFadesInHidingIsImmediate() {
            const frame = createTemporaryObject(frameComponent, scene);
            const fade = createTemporaryObject(fadeComponent, scene, { watched: frame });
            frame.visible = true;
            tryCompare(frame, "opacity", 1.0, patience);
            verify(fade.between > 0, "faded in rather than jumped");
            frame.visible = false;
            verify(!frame.visible);
        }

        function test_closeButtonAnnouncesThenHides() {
            const frame = shownFrame();
            const clicks = createTemporaryObject(spyComponent, scene, { target: frame, signalName: "closeClicked" });
            let visibleWhenAnnounced = null;
            frame.closeClicked.connect(() => visibleWhenAnnounced = frame.visible);
            mouseClick(frame.closeButton);
            compare(clicks.count, 1);
            compare(visibleWhenAnnounced, true);
            verify(!frame.visible);
            // Shown again, it fades in again.
            frame.visible = true;
            tryCompare(frame, "opacity", 1.0, patience);
        }

        // Closed the window manager's way, it announces the close as its button does (the
        // account window's own state follows that), and shows again when asked.
        function test_windowManagersCloseAnnouncesTheClose() {
            const frame = shownFrame();
            const clicks = createTemporaryObject(spyComponent, scene, { target: frame, signalName: "closeClicked" });
            frame.close();
            compare(clicks.count, 1);
            verify(!frame.visible);
            frame.visible = true;
            tryCompare(frame, "opacity", 1.0, patience);
        }

        function test_captionLayout() {
            const frame = shownFrame();
            const s = styleManager.scaleRatio;
            const caption = frame.captionTitle;
            compare(caption.objectName, "AppWindowCaption");
            compare(caption.height, 28 * s);
            compare(caption.width, caption.parent.width);
            compare(caption.color, Qt.color(styleManager.style.color("Home-Window-Title-Caption-Background")));
            const closer = frame.closeButton;
            compare(closer.height, caption.height);
            compare(closer.width, closer.height);
            compare(closer.x + closer.width, caption.width);
            compare(String(closer.normalImage), styleManager.style.image("Login-CloseButton-Normal"));
            // The background sits inside the 8-pixel margin and the outline's border.
            const background = caption.parent;
            compare(background.objectName, "AppWindowBackground");
            const origin = background.mapToItem(null, 0, 0);
            compare(origin.x, 9);
            compare(origin.y, 9);
            compare(background.width, frame.width - 18);
        }

        function test_contentBelowTheCaption() {
            const frame = shownFrame();
            const content = frame.contentItem;
            const caption = frame.captionTitle;
            const background = caption.parent;
            compare(content.parent, background);
            compare(content.y, caption.height + 5 * styleManager.scaleRatio);
            compare(content.x, 0);
            compare(content.width, background.width);
            compare(content.y + content.height, background.height);
        }

        function test_controlButtonsLeftOfTheCloseButton() {
            const frame = shownFrame();
            const buttons = frame.controlButtons;
            const closer = frame.closeButton;
            compare(buttons.parent, frame.captionTitle);
            compare(buttons.y, closer.y);
            compare(buttons.x + buttons.width, closer.x);
            compare(buttons.width, closer.width);
            compare(buttons.height, closer.height);
        }

        function test_replacedContentIsPlacedToo() {
            const frame = shownFrame();
            const form = createTemporaryQmlObject("import QtQuick; Rectangle { color: 'red' }", scene);
            frame.contentItem = form;
            compare(form.parent, frame.captionTitle.parent);
            compare(form.y, frame.captionTitle.height + 5 * styleManager.scaleRatio);
            compare(form.width, form.parent.width);
        }

        function test_followsTheMainWindowOnTop() {
            const frame = createTemporaryObject(frameComponent, scene);
            homeWindow.topHint = true;
            verify(frame.topHint);
            homeWindow.topHint = false;
            verify(!frame.topHint);
        }
    }
}
