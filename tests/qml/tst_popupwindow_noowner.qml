import QtQuick
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// Both window frames created where no main window is in sight: no owner, no centring,
// and no script errors; they still open, fade and close.
Item {
    id: scene
    width: 300
    height: 200

    Component {
        id: popupComponent
        Widgets.PopupWindow {
            x: 40
            y: 30
            width: 300
            height: 200
        }
    }

    Component {
        id: appWindowComponent
        Widgets.AppWindow {}
    }

    TestCase {
        name: "WindowFramesWithoutOwner"
        when: windowShown

        function test_popupWindowOpensInPlace() {
            const popup = createTemporaryObject(popupComponent, scene);
            compare(popup.topWindow, null);
            popup.open();
            verify(!popup.__first);
            compare(popup.x, 40);
            compare(popup.y, 30);
            tryCompare(popup, "opacity", 1, patience);
            verify(popup.visible);
            popup.hideWindow();
            tryCompare(popup, "visible", false, patience);
        }

        function test_appWindowShowsAndHides() {
            const frame = createTemporaryObject(appWindowComponent, scene);
            compare(frame.topWindow, null);
            frame.visible = true;
            tryCompare(frame, "opacity", 1, patience);
            frame.visible = false;
            verify(!frame.visible);
        }
    }
}
