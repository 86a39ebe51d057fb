import QtQuick
import QtQuick.Controls as QQC
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// The in-window popup and the drag area under real pointer input: centred opening, fades,
// dragging by the title bar and by a MoveArea, the close button.
Item {
    id: scene
    width: 600
    height: 400

    Component {
        id: popupComponent
        Widgets.MovablePopup {
            width: 200
            height: 120
            title: "下载进度"
            contentItem: Rectangle { objectName: "PopupBody"; color: "#336699" }
        }
    }

    Component {
        id: targetComponent
        Rectangle {
            property alias mover: mover
            x: 100
            y: 100
            width: 120
            height: 60
            color: "#808080"
            Widgets.MoveArea {
                id: mover
                anchors.fill: parent
            }
        }
    }

    Component {
        id: loneAreaComponent
        Widgets.MoveArea {
            x: 300
            y: 100
            width: 100
            height: 50
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
        name: "MovablePopup"
        when: windowShown

        function titleBarOf(popup) {
            return findChild(popup.background, "PopupTitleBar");
        }

        function openedPopup(properties) {
            const popup = createTemporaryObject(popupComponent, scene, properties || {});
            popup.open();
            tryCompare(popup, "opacity", 1.0, patience);
            verify(popup.opened);
            return popup;
        }

        // Presses at (px, py) of the item, moves by (dx, dy) in steps with the button
        // held, and releases there. Positions are fixed in the window, as a real
        // pointer's are, while the item moves away under them.
        function dragBy(item, px, py, dx, dy) {
            const origin = item.mapToItem(scene, px, py);
            mousePress(scene, origin.x, origin.y);
            const steps = 5;
            for (let k = 1; k <= steps; ++k)
                mouseMove(scene, origin.x + dx * k / steps, origin.y + dy * k / steps, -1, Qt.LeftButton);
            mouseRelease(scene, origin.x + dx, origin.y + dy);
        }

        function test_opensCentredAndFadesIn() {
            const popup = createTemporaryObject(popupComponent, scene);
            const overlay = QQC.Overlay.overlay;
            verify(!popup.visible);
            const fade = createTemporaryObject(fadeComponent, scene, { watched: popup });
            popup.open();
            compare(popup.parent, overlay);
            compare(popup.x, Math.round((overlay.width - popup.width) / 2));
            compare(popup.y, Math.round((overlay.height - popup.height) / 2));
            tryCompare(popup, "opacity", 1.0, patience);
            verify(fade.between > 0, "faded in rather than jumped");
        }

        function test_closeButtonClosesWithAFade() {
            const popup = openedPopup();
            const closer = findChild(popup.background, "PopupCloseButton");
            compare(closer.height, titleBarOf(popup).height);
            compare(closer.width, closer.height);
            const fade = createTemporaryObject(fadeComponent, scene, { watched: popup });
            mouseClick(closer);
            tryCompare(popup, "visible", false, patience);
            verify(fade.between > 0, "faded out rather than jumped");
        }

        // A title longer than the bar ends, elided, before the close button.
        function test_longTitleStopsBeforeTheCloseButton() {
            const popup = openedPopup({ title: "下载录像: [rec_101_20261208123000.mp4]-2026-12-08 12:30:00".repeat(2) });
            const text = findChild(popup.background, "PopupTitle");
            const closer = findChild(popup.background, "PopupCloseButton");
            verify(text.truncated);
            verify(text.mapToItem(popup.background, text.width, 0).x <= closer.mapToItem(popup.background, 0, 0).x);
        }

        function test_titleBarDragsThePopup() {
            const popup = openedPopup();
            const bar = titleBarOf(popup);
            const startX = popup.x;
            const startY = popup.y;
            dragBy(bar, 40, 16, 30, -10);
            compare(popup.x, startX + 30);
            compare(popup.y, startY - 10);
            // Again from wherever it stands now.
            dragBy(bar, 60, 10, -45, 25);
            compare(popup.x, startX - 15);
            compare(popup.y, startY + 15);
        }

        function test_draggedPositionOutlivesClosing() {
            const popup = openedPopup();
            const startX = popup.x;
            const startY = popup.y;
            dragBy(titleBarOf(popup), 40, 16, 30, -10);
            popup.close();
            tryCompare(popup, "visible", false, patience);
            popup.open();
            compare(popup.x, startX + 30);
            compare(popup.y, startY - 10);
        }

        function test_fixedPopupIgnoresDragButCloses() {
            const popup = openedPopup({ movable: false });
            const startX = popup.x;
            const startY = popup.y;
            dragBy(titleBarOf(popup), 40, 16, 30, -10);
            compare(popup.x, startX);
            compare(popup.y, startY);
            mouseClick(findChild(popup.background, "PopupCloseButton"));
            tryCompare(popup, "visible", false, patience);
        }

        // A modal popup's own item takes the presses that reach it; the title bar must
        // still see them.
        function test_modalPopupKeepsItsTitleBar() {
            const popup = openedPopup({ modal: true });
            const startX = popup.x;
            const startY = popup.y;
            dragBy(titleBarOf(popup), 40, 16, 30, -10);
            compare(popup.x, startX + 30);
            compare(popup.y, startY - 10);
            mouseClick(findChild(popup.background, "PopupCloseButton"));
            tryCompare(popup, "visible", false, patience);
        }

        function test_contentStartsBelowTheTitleBar() {
            const popup = openedPopup();
            const bar = titleBarOf(popup);
            compare(bar.height, 32 * styleManager.scaleRatio);
            compare(popup.topPadding, popup.topInset + bar.height);
            const body = popup.contentItem;
            compare(body.objectName, "PopupBody");
            verify(body.mapToItem(popup.background, 0, 0).y >= bar.height);
            compare(bar.width, popup.background.width);
            // The content is drawn over the body, not under it.
            compare(popup.background.z, popup.contentItem.z);
            const layers = Array.from(popup.background.parent.children);
            verify(layers.indexOf(popup.background) < layers.indexOf(body));
        }

        function test_lookFromStyleAndAliases() {
            const popup = openedPopup();
            const bar = titleBarOf(popup);
            compare(popup.title, "下载进度");
            compare(popup.backgroundColor, Qt.color("#40009ca2"));
            compare(popup.titleBackgroundColor, Qt.color(styleManager.style.color("Widgets-Popup-Title-Background")));
            popup.titleBackgroundColor = "#ff0000";
            compare(bar.color, Qt.color("#ff0000"));
            popup.backgroundColor = "#2000ff00";
            compare(popup.background.glowColor, Qt.color("#2000ff00"));
        }

        function test_moveAreaDragsItsTarget() {
            const item = createTemporaryObject(targetComponent, scene);
            item.mover.target = item;
            dragBy(item.mover, 20, 20, 30, -10);
            compare(item.x, 130);
            compare(item.y, 90);
            // The pressed point stayed under the pointer: the last step's offset is small.
            verify(Math.abs(item.mover.offsetPos.x) <= 6 && Math.abs(item.mover.offsetPos.y) <= 2);
            compare(item.mover.startPos, Qt.point(20, 20));
        }

        function test_moveAreaCursorWhilePressed() {
            const item = createTemporaryObject(targetComponent, scene);
            item.mover.target = item;
            mousePress(item.mover, 10, 10);
            compare(item.mover.cursorShape, Qt.SizeAllCursor);
            mouseRelease(item.mover, 10, 10);
            compare(item.mover.cursorShape, Qt.ArrowCursor);
        }

        function test_moveAreaWithoutTargetMovesNothing() {
            const area = createTemporaryObject(loneAreaComponent, scene);
            dragBy(area, 10, 10, 30, -10);
            compare(area.x, 300);
            compare(area.y, 100);
            compare(area.offsetPos, Qt.point(30, -10));
        }
    }
}
