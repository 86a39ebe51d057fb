import QtQuick
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// The confirmation box under real clicks: the confirmed action runs once, never on
// cancel or after any other way of closing, and the box cannot be dismissed by accident.
Item {
    id: scene
    width: 600
    height: 400

    Component {
        id: boxComponent
        Widgets.MessageBox {
            title: "提示"
            message: "确定删除该录像吗?"
        }
    }

    TestCase {
        name: "MessageBox"
        when: windowShown

        property var calls: []

        function init() {
            calls = [];
        }

        function action(name) {
            return () => calls.push(name);
        }

        function confirmButton(box) {
            return findChild(box.contentItem, "MessageBoxConfirm");
        }

        function cancelButton(box) {
            return findChild(box.contentItem, "MessageBoxCancel");
        }

        function openedBox(openIt) {
            const box = createTemporaryObject(boxComponent, scene);
            openIt(box);
            tryCompare(box, "opacity", 1.0, patience);
            return box;
        }

        function expectClosed(box) {
            tryCompare(box, "visible", false, patience);
        }

        function test_confirmRunsTheActionOnce() {
            const box = openedBox(b => b.openWithConfirm(action("delete")));
            mouseClick(confirmButton(box));
            compare(calls, ["delete"]);
            expectClosed(box);
            compare(box.__confirmCallback, undefined);
            // Opened plainly afterwards, confirming only closes.
            box.open();
            tryCompare(box, "opacity", 1.0, patience);
            mouseClick(confirmButton(box));
            expectClosed(box);
            compare(calls, ["delete"]);
        }

        function test_confirmOnPlainOpenOnlyCloses() {
            const box = openedBox(b => b.open());
            mouseClick(confirmButton(box));
            expectClosed(box);
            compare(calls, []);
        }

        function test_cancelDropsTheAction() {
            const box = openedBox(b => b.openWithConfirm(action("delete")));
            mouseClick(cancelButton(box));
            expectClosed(box);
            compare(calls, []);
            box.open();
            tryCompare(box, "opacity", 1.0, patience);
            mouseClick(confirmButton(box));
            expectClosed(box);
            compare(calls, []);
        }

        // Closing by the title bar is a refusal too: the dismissed action must not run
        // when the box is next confirmed for something else.
        function test_titleBarCloseDropsTheAction() {
            const box = openedBox(b => b.openWithConfirm(action("delete")));
            mouseClick(findChild(box.background, "PopupCloseButton"));
            expectClosed(box);
            box.open();
            tryCompare(box, "opacity", 1.0, patience);
            mouseClick(confirmButton(box));
            expectClosed(box);
            compare(calls, []);
        }

        function test_laterRequestReplacesThePendingOne() {
            const box = openedBox(b => b.openWithConfirm(action("first")));
            box.openWithConfirm(action("second"));
            mouseClick(confirmButton(box));
            compare(calls, ["second"]);
            expectClosed(box);
        }

        function test_clicksDuringTheFadeRunNothingMore() {
            const box = openedBox(b => b.openWithConfirm(action("delete")));
            const button = confirmButton(box);
            mouseClick(button);
            mouseClick(button);
            mouseClick(button);
            expectClosed(box);
            compare(calls, ["delete"]);
        }

        // An action that asks a follow-up question keeps the box open with the new action.
        function test_actionMayAskAgain() {
            let box = null;
            box = openedBox(b => b.openWithConfirm(() => {
                calls.push("first");
                box.openWithConfirm(action("second"));
            }));
            mouseClick(confirmButton(box));
            compare(calls, ["first"]);
            tryCompare(box, "opacity", 1.0, patience);
            verify(box.visible);
            mouseClick(confirmButton(box));
            compare(calls, ["first", "second"]);
            expectClosed(box);
        }

        function test_notDismissedByEscapeOrOutsideClicks() {
            const box = openedBox(b => b.openWithConfirm(action("delete")));
            verify(box.modal);
            keyClick(Qt.Key_Escape);
            mouseClick(scene, 5, 5);
            wait(300);
            verify(box.visible);
            compare(box.opacity, 1.0);
            compare(calls, []);
        }

        function test_layoutAndLook() {
            const box = openedBox(b => b.open());
            compare(box.width, 260 * styleManager.fontScaleRatio);
            compare(box.height, 150 * styleManager.fontScaleRatio);
            compare(box.messageFont.family, "微软雅黑");
            compare(box.messageFont.pointSize, 10 * styleManager.fontScaleRatio);
            const text = findChild(box.contentItem, "MessageBoxText");
            compare(text.text, "确定删除该录像吗?");
            compare(text.horizontalAlignment, Text.AlignHCenter);
            compare(text.verticalAlignment, Text.AlignVCenter);
            const confirm = confirmButton(box);
            const cancel = cancelButton(box);
            compare(confirm.text, "确定");
            compare(cancel.text, "取消");
            for (const button of [confirm, cancel]) {
                compare(button.width, 60 * styleManager.scaleRatio);
                compare(button.height, 30 * styleManager.scaleRatio);
                compare(button.radius, 2);
                compare(button.normalColor, Qt.color(styleManager.style.color("Login-LoginButton-Normal")));
                compare(button.hoveredColor, Qt.lighter(box.buttonColor));
                compare(button.pressedColor, Qt.darker(box.buttonColor, 1.2));
                compare(button.textColor, Qt.color("white"));
            }
            // Buttons side by side, 20 apart, centred under the message.
            const confirmAt = confirm.mapToItem(box.contentItem, 0, 0);
            const cancelAt = cancel.mapToItem(box.contentItem, 0, 0);
            compare(cancelAt.x - (confirmAt.x + confirm.width), 20 * styleManager.scaleRatio);
            fuzzyCompare(confirmAt.x, box.contentItem.width - (cancelAt.x + cancel.width), 1);
            verify(confirmAt.y >= text.y + text.height);
            box.buttonColor = "#ff0000";
            compare(confirm.normalColor, Qt.color("#ff0000"));
            box.buttonTextColor = "#000000";
            compare(cancel.textColor, Qt.color("#000000"));
        }
    }
}
