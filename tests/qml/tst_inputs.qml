import QtQuick
import QtQuick.Controls as QQC
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// The input controls under real pointer and key input.
Item {
    id: scene
    width: 500
    height: 600

    Component {
        id: comboComponent
        Widgets.ComboBox {
            x: 20
            y: 20
            width: 120
            height: 30
        }
    }

    Component {
        id: lineEditComponent
        Widgets.LineEdit {
            x: 20
            y: 20
            width: 200
            height: 30
            hoveredColor: "#ffc000"
            borderColor: "#666666"
        }
    }

    Component {
        id: checkBoxComponent
        Widgets.CheckBox {
            x: 20
            y: 20
            width: 160
            height: 30
            text: "记住密码"
        }
    }

    Component {
        id: sliderComponent
        Widgets.Slider {
            x: 20
            y: 300
            width: 255
            height: 16
            from: 1
            to: 255
            value: 1
        }
    }

    Component {
        id: listComponent
        ListView {
            property alias bar: bar
            x: 300
            y: 20
            width: 100
            height: 200
            clip: true
            delegate: Rectangle { width: 100; height: 40; color: index % 2 ? "#334" : "#445" }
            QQC.ScrollBar.vertical: Widgets.ScrollBar { id: bar; width: 12 }
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "Inputs"
        when: windowShown

        function init() {
            mouseMove(scene, 490, 590);
        }

        function popupOf(combo) {
            return combo.popup;
        }

        // ComboBox ---------------------------------------------------------------

        function test_comboOpensToRowCount_data() {
            return [
                { tag: "two rows", model: ["10", "20"], maxRows: 4, rows: 2 },
                { tag: "nine rows shows four", model: ["1", "2", "3", "4", "5", "6", "7", "8", "9"], maxRows: 4, rows: 4 },
                { tag: "all rows at once", model: ["a", "b", "c", "d", "e", "f"], maxRows: 6, rows: 6 }
            ];
        }

        function test_comboOpensToRowCount(data) {
            const combo = createTemporaryObject(comboComponent, scene, { model: data.model, maxDisplayRow: data.maxRows });
            const popup = popupOf(combo);
            compare(popup.height, 0);
            mouseClick(combo);
            tryCompare(popup, "opened", true, patience);
            compare(popup.height, combo.height * data.rows);
            compare(popup.y, combo.height - 1);
            compare(popup.width, combo.width);
            const list = popup.contentItem;
            compare(list.height, combo.height * data.rows - 2);
            verify(list.contentHeight >= combo.height * data.model.length - 1, "every row is in the list");
            popup.close();
            tryCompare(popup, "visible", false, patience);
            compare(popup.height, 0);
        }

        function test_comboHeightAnimates() {
            const combo = createTemporaryObject(comboComponent, scene, { model: ["1", "2", "3", "4", "5"] });
            const popup = popupOf(combo);
            const full = combo.height * 4;
            // Every height the popup passes through, not one sample after a fixed wait:
            // on a loaded machine the first frame may come late.
            let growing = 0;
            let shrinking = 0;
            let hiddenWhileShrinking = false;
            let closing = false;
            const note = () => {
                if (popup.height <= 0 || popup.height >= full)
                    return;
                if (!closing)
                    ++growing;
                else if (popup.visible)
                    ++shrinking;
                else
                    hiddenWhileShrinking = true;
            };
            popup.heightChanged.connect(note);
            const start = Date.now();
            mouseClick(combo);
            tryCompare(popup, "height", full, patience);
            verify(Date.now() - start >= 180, "grew in " + (Date.now() - start) + " ms");
            verify(growing > 0, "grew through the heights in between");
            closing = true;
            popup.close();
            tryCompare(popup, "visible", false, patience);
            popup.heightChanged.disconnect(note);
            verify(shrinking > 0, "shrank through the heights in between");
            verify(!hiddenWhileShrinking, "hidden before it had shrunk");
        }

        function test_comboPicksAndReports() {
            const combo = createTemporaryObject(comboComponent, scene, { model: ["10条/页", "20条/页", "50条/页"] });
            const activated = createTemporaryObject(spyComponent, scene, { target: combo, signalName: "activated" });
            compare(combo.currentIndex, 0);
            compare(combo.displayText, "10条/页");
            mouseClick(combo);
            const popup = popupOf(combo);
            tryCompare(popup, "opened", true, patience);
            const list = popup.contentItem;
            // Click the third row inside the popup.
            mouseClick(list, list.width / 2, combo.height * 2 + combo.height / 2);
            compare(activated.count, 1);
            compare(activated.signalArguments[0][0], 2);
            compare(combo.currentIndex, 2);
            compare(combo.currentText, "50条/页");
            compare(combo.currentData, "50条/页");
            tryCompare(popup, "visible", false, patience);
        }

        function test_comboRowsLook() {
            const combo = createTemporaryObject(comboComponent, scene, { model: ["一", "二", "三"] });
            mouseClick(combo);
            const popup = popupOf(combo);
            tryCompare(popup, "opened", true, patience);
            const list = popup.contentItem;
            const row = list.itemAtIndex(1);
            verify(row);
            compare(row.width, combo.width);
            compare(row.height, combo.height);
            compare(row.contentItem.text, "二");
            compare(row.contentItem.horizontalAlignment, Text.AlignHCenter);
            // Moving over a row highlights it in the selected colour.
            mouseMove(list, 10, combo.height * 1.5);
            tryCompare(combo, "highlightedIndex", 1, patience);
            verify(row.highlighted);
            compare(row.background.color, combo.selectedColor);
            compare(list.itemAtIndex(0).background.color, Qt.color("transparent"));
            compare(list.currentIndex, 1);
            popup.close();
        }

        function test_comboTextRole() {
            const combo = createTemporaryObject(comboComponent, scene);
            combo.textRole = "name";
            combo.model = [{ name: "在线", value: 1 }, { name: "离线", value: 0 }];
            compare(combo.displayText, "在线");
            compare(combo.currentData.value, 1);
            mouseClick(combo);
            tryCompare(combo.popup, "opened", true, patience);
            compare(combo.popup.contentItem.itemAtIndex(1).contentItem.text, "离线");
            combo.popup.close();
        }

        function test_comboCurrentData() {
            const none = createTemporaryObject(comboComponent, scene);
            compare(none.currentData, undefined);
            const combo = createTemporaryObject(comboComponent, scene, { model: ["x", "y"] });
            combo.currentIndex = -1;
            compare(combo.currentData, "x");
            combo.currentIndex = 1;
            compare(combo.currentData, "y");
        }

        function test_comboStyleAndBox() {
            const combo = createTemporaryObject(comboComponent, scene, { model: ["x"] });
            compare(combo.textColor, Qt.color(styleManager.style.color("Widgets-ComboBox-TextColor")));
            compare(combo.background.color, Qt.color(styleManager.style.color("Widgets-ComboBox-Background")));
            compare(combo.background.border.color, Qt.color(styleManager.style.color("Widgets-ComboBox-BorderColor")));
            compare(combo.background.radius, 2);
            compare(combo.popup.background.color, Qt.color(styleManager.style.color("Widgets-ComboBox-PopupColor")));
            // Full size down to a ratio of 1, shrinking with a smaller one.
            const k = Math.min(1, styleManager.scaleRatio);
            compare(combo.indicator.width, 12 * k);
            compare(combo.indicator.height, 8 * k);
            compare(combo.indicator.x, combo.width - 12 * k - combo.rightPadding);
            compare(combo.contentItem.leftPadding, 10 * k);
        }

        // A page-size box as the pages scale it shows its text whole at every ratio.
        function test_comboScaledBoxShowsItsText() {
            const s = styleManager.scaleRatio;
            const combo = createTemporaryObject(comboComponent, scene,
                                                { model: ["10 条每页"], width: 100 * s, height: 30 * s });
            verify(!combo.contentItem.truncated, "\"10 条每页\" cut at a ratio of " + s);
        }

        // The arrow as drawn: text colour at rest, darker while pressed.
        function arrowColour(combo) {
            const picture = grabImage(combo);
            return picture.pixel(combo.indicator.x + combo.indicator.width / 2,
                                 combo.indicator.y + combo.indicator.height / 4);
        }

        function colourNear(actual, expected) {
            const a = Qt.color(actual);
            const e = Qt.color(expected);
            const close = (x, y) => Math.abs(x - y) <= 2 / 255;
            return close(a.r, e.r) && close(a.g, e.g) && close(a.b, e.b);
        }

        function test_comboArrowDarkensWhilePressed() {
            const combo = createTemporaryObject(comboComponent, scene, { model: ["x"], textColor: "#80c0ff" });
            tryVerify(() => colourNear(arrowColour(combo), "#80c0ff"), patience, "arrow in the text colour");
            mousePress(combo);
            tryVerify(() => colourNear(arrowColour(combo), Qt.darker("#80c0ff")), patience, "arrow darkened");
            mouseRelease(combo);
            combo.popup.close();
            tryVerify(() => colourNear(arrowColour(combo), "#80c0ff"), patience, "arrow back");
            combo.textColor = "#ff0000";
            tryVerify(() => colourNear(arrowColour(combo), "#ff0000"), patience, "arrow follows the text colour");
        }

        function test_comboScrollsBeyondOpenHeight() {
            const combo = createTemporaryObject(comboComponent, scene, { model: ["1", "2", "3", "4", "5", "6", "7", "8", "9"] });
            mouseClick(combo);
            tryCompare(combo.popup, "opened", true, patience);
            const list = combo.popup.contentItem;
            verify(list.contentHeight > list.height);
            list.contentY = list.contentHeight - list.height;
            verify(list.itemAtIndex(8));
            compare(list.QQC.ScrollBar.vertical.width, 12);
            combo.popup.close();
        }

        // LineEdit ---------------------------------------------------------------

        function test_lineEditValidator() {
            const edit = createTemporaryObject(lineEditComponent, scene);
            edit.validator = Qt.createQmlObject("import QtQuick; IntValidator { bottom: 1; top: 65535 }", edit);
            mouseClick(edit);
            verify(edit.activeFocus);
            keyClick(Qt.Key_8);
            keyClick(Qt.Key_A);
            keyClick(Qt.Key_0);
            keyClick(Qt.Key_Minus);
            keyClick(Qt.Key_8);
            compare(edit.text, "808");
            verify(edit.acceptableInput);
            for (const key of [Qt.Key_0, Qt.Key_0, Qt.Key_0])
                keyClick(key);
            compare(edit.text, "808000".substring(0, edit.text.length));
            verify(!edit.acceptableInput, "808000 is above the top");
        }

        function test_lineEditRegExpValidator() {
            const edit = createTemporaryObject(lineEditComponent, scene);
            edit.validator = Qt.createQmlObject("import QtQuick; RegularExpressionValidator { regularExpression: /[0-9.]{0,15}/ }", edit);
            mouseClick(edit);
            keyClick(Qt.Key_1);
            keyClick(Qt.Key_Period);
            keyClick(Qt.Key_X);
            keyClick(Qt.Key_2);
            compare(edit.text, "1.2");
        }

        function test_lineEditBorderFollowsHoverAndFocus() {
            const edit = createTemporaryObject(lineEditComponent, scene);
            const frame = edit.background;
            compare(frame.opacity, 0.8);
            compare(frame.radius, 4);
            compare(frame.border.width, 1);
            compare(frame.color, Qt.color("transparent"));
            verify(Qt.colorEqual(frame.border.color, "#666666"));
            mouseMove(edit, 20, 10);
            wait(60);
            verify(!Qt.colorEqual(frame.border.color, "#ffc000"), "border animates, not jumps");
            tryVerify(() => Qt.colorEqual(frame.border.color, "#ffc000"), patience);
            mouseClick(edit, 20, 10);
            verify(edit.activeFocus);
            mouseMove(scene, 490, 590);
            tryCompare(edit, "hovered", false, patience);
            wait(300);
            verify(Qt.colorEqual(frame.border.color, "#ffc000"), "focus keeps the lit border");
            edit.focus = false;
            tryVerify(() => Qt.colorEqual(frame.border.color, "#666666"), patience);
        }

        function test_lineEditLook() {
            const edit = createTemporaryObject(lineEditComponent, scene);
            compare(edit.font.family, "微软雅黑");
            compare(edit.font.pointSize, 12 * styleManager.fontScaleRatio);
            compare(edit.color, Qt.color(styleManager.style.color("Login-TextColor")));
            compare(edit.selectedTextColor, Qt.color("white"));
            verify(edit.selectByMouse);
            verify(edit.clip);
            compare(edit.topPadding, 1);
            compare(edit.bottomPadding, 1);
            const plain = createTemporaryObject(plainLineEditComponent, scene);
            compare(plain.borderColor, Qt.color(styleManager.style.color("Login-Input-BorderColor")));
            compare(plain.hoveredColor, plain.borderColor);
        }

        // CheckBox ---------------------------------------------------------------

        function test_checkBoxTogglesAnywhereAndReportsAfter() {
            const box = createTemporaryObject(checkBoxComponent, scene);
            const seen = [];
            box.clicked.connect(() => seen.push(box.checked));
            compare(box.children[0].source, Qt.url(styleManager.style.image("Login-CheckBox")));
            mouseClick(box, 5, box.height / 2);             // on the mark
            compare(seen, [true]);
            compare(box.children[0].source, Qt.url(styleManager.style.image("Login-CheckBox-Checked")));
            mouseClick(box, box.width - 20, box.height / 2); // on the caption
            compare(seen, [true, false]);
            verify(!box.checked);
        }

        function test_checkBoxClickReplacesBinding() {
            const box = createTemporaryObject(boundCheckBoxComponent, scene);
            verify(box.checked);
            mouseClick(box);
            verify(!box.checked);
            box.source = false;
            box.source = true;
            verify(!box.checked, "the click replaced the binding");
        }

        function test_checkBoxLayout() {
            const box = createTemporaryObject(checkBoxComponent, scene);
            const mark = box.children[0];
            const caption = box.children[1];
            compare(mark.x, 0);
            compare(caption.x, mark.width + 8);
            compare(caption.x + caption.width, box.width - 8);
            compare(caption.text, "记住密码");
            compare(caption.font.family, "微软雅黑");
        }

        // Slider -----------------------------------------------------------------

        function test_sliderValueTipWhileHeld() {
            const slider = createTemporaryObject(sliderComponent, scene, { value: 100 });
            const valueTip = findValueTip(slider);
            verify(!valueTip.visible);
            mousePress(slider.handle, slider.handle.width / 2, slider.handle.height / 2);
            tryCompare(valueTip, "visible", true, patience);
            // The press itself may move the value by a step towards the pointer.
            verify(Math.abs(slider.value - 100) <= 1);
            compare(valueTip.text, " " + slider.value.toFixed(0) + " ");
            verify(valueTip.opacity < 0.5, "the tip fades in");
            tryCompare(valueTip, "opacity", 1.0, patience);
            mouseRelease(slider.handle, slider.handle.width / 2, slider.handle.height / 2);
            tryCompare(valueTip, "visible", false, patience);
        }

        function findValueTip(slider) {
            return findChild(slider.handle, "SliderValueTip");
        }

        function test_sliderTipPrecision_data() {
            return [
                { tag: "whole", value: 100, precision: 0, text: " 100 " },
                { tag: "two places", value: 12.345, precision: 2, text: " " + (12.345).toFixed(2) + " " },
                { tag: "pads", value: 3, precision: 1, text: " 3.0 " }
            ];
        }

        function test_sliderTipPrecision(data) {
            const slider = createTemporaryObject(sliderComponent, scene, { from: 0, to: 200, value: data.value, tipPrecision: data.precision });
            compare(findValueTip(slider).text, data.text);
        }

        function test_sliderHandleAtBounds() {
            const slider = createTemporaryObject(sliderComponent, scene);
            const track = slider.background;
            const handle = slider.handle;
            compare(handle.width, slider.availableHeight);
            compare(handle.x, slider.leftPadding);
            compare(track.children[0].width, 0);
            slider.value = 255;
            compare(handle.x + handle.width, track.x + track.width);
            compare(track.children[0].width, track.width);
            compare(track.height, slider.availableHeight / 2);
        }

        function test_sliderDragIsBounded() {
            const slider = createTemporaryObject(sliderComponent, scene, { value: 128 });
            const handle = slider.handle;
            const cx = handle.x + handle.width / 2;
            mousePress(slider, cx, 8);
            mouseMove(slider, cx + 1000, 8);
            compare(slider.value, 255);
            compare(findValueTip(slider).text, " 255 ");
            mouseMove(slider, -1000, 8);
            compare(slider.value, 1);
            mouseRelease(slider, -1000, 8);
            compare(slider.value, 1);
            slider.value = 1000;
            compare(slider.value, 255);
        }

        function test_sliderColoursFromStyle() {
            const slider = createTemporaryObject(sliderComponent, scene);
            compare(slider.backgroundColor, Qt.color(styleManager.style.color("Widgets-Slider-Background")));
            compare(slider.progressBarColor, Qt.color(styleManager.style.color("Widgets-Slider-ProgressBar-Background")));
            compare(slider.handleColor, Qt.color(styleManager.style.color("Widgets-Slider-ProgressBar-Background")));
            compare(slider.handleGlowColor, Qt.darker(slider.handleColor));
            compare(slider.handle.glowRadius, slider.handle.width / 2);
            compare(slider.tipTextColor, Qt.color(styleManager.style.color("Widgets-ToolTip-TextColor")));
            slider.textColor = "#123456";
            compare(slider.tipTextColor, Qt.color("#123456"));
        }

        // ScrollBar --------------------------------------------------------------

        function test_scrollBarHandleOnlyWhenNeeded() {
            const list = createTemporaryObject(listComponent, scene, { model: 3 });
            const bar = list.bar;
            bar.active = true;
            verify(bar.size >= 1.0);
            verify(!bar.contentItem.visible, "content fits: no handle even while active");
            list.model = 20;
            tryVerify(() => bar.size < 1.0, patience);
            verify(bar.contentItem.visible);
            bar.active = false;
            verify(!bar.contentItem.visible, "no handle while idle");
        }

        function test_scrollBarPillAndColours() {
            const list = createTemporaryObject(listComponent, scene, { model: 20 });
            const bar = list.bar;
            tryVerify(() => bar.size < 1.0, patience);
            compare(bar.contentItem.radius, bar.contentItem.width / 2);
            compare(bar.contentItem.color, Qt.color(styleManager.style.color("Widgets-ScrollBar-Normal")));
            mousePress(bar, 6, 10);
            verify(bar.pressed);
            compare(bar.contentItem.color, Qt.color(styleManager.style.color("Widgets-ScrollBar-Pressed")));
            verify(bar.contentItem.visible);
            mouseRelease(bar, 6, 10);
        }
    }

    Component {
        id: plainLineEditComponent
        Widgets.LineEdit { width: 100; height: 30 }
    }

    Component {
        id: boundCheckBoxComponent
        Widgets.CheckBox {
            property bool source: true
            x: 20
            y: 100
            width: 120
            height: 30
            checked: source
        }
    }
}
