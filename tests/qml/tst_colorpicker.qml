import QtQuick
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// The colour picker under real pointer and key input: its placing of colours, the edges
// of the square and the bars, the three hue rules, the editors and their validators,
// confirm and cancel, Esc, opening and closing, and dragging.
Item {
    id: scene
    width: 900
    height: 760

    // Takes the presses that reach the page beneath the panel.
    MouseArea {
        id: beneath
        property int presses: 0
        anchors.fill: parent
        onPressed: presses += 1
    }

    Component {
        id: pickerComponent
        Widgets.ColorPicker {
            x: 150
            y: 120
        }
    }

    TestCase {
        id: testCase
        name: "ColorPicker"
        when: windowShown

        readonly property real sliderRange: 268

        function init() {
            failOnWarning(/TypeError|ReferenceError|Unable to assign|Binding loop/);
            beneath.presses = 0;
        }

        function part(picker, name) {
            const found = findChild(picker, name);
            verify(found, "no " + name);
            return found;
        }

        function createPicker(properties) {
            const picker = createTemporaryObject(pickerComponent, scene, properties || {});
            verify(picker);
            // The grids get their widths when first laid out.
            tryVerify(() => part(picker, "alphaPicker").width > 0, patience);
            return picker;
        }

        function openPicker(properties) {
            const picker = createPicker(properties);
            picker.open();
            tryCompare(picker, "scale", 1.0, patience);
            tryCompare(picker, "opacity", 1.0, patience);
            return picker;
        }

        // 8-bit components, as the editors show them.
        function bytes(colour) {
            const c = Qt.color(colour);
            return [c.r, c.g, c.b, c.a].map(v => Math.round(v * 255));
        }

        function compareColour(actual, expected, what) {
            compare(bytes(actual).join(","), bytes(expected).join(","), what);
        }

        function editorTexts(picker) {
            return ["redEditor", "greenEditor", "blueEditor", "alphaEditor", "argbEditor"]
                .map(name => part(picker, name).text);
        }

        function placing(picker) {
            const cursor = part(picker, "colorPickerCursor");
            return { x: cursor.x, y: cursor.y, hue: part(picker, "hueSlider").x,
                     alpha: part(picker, "alphaSlider").x };
        }

        // Clicks into an editor's box, replaces its text key by key and, unless told
        // otherwise, presses Enter.
        function typeInto(picker, name, text, noEnter) {
            const editor = part(picker, name);
            mouseClick(editor, editor.width / 2, editor.height - 12);
            keyClick(Qt.Key_A, Qt.ControlModifier);
            keyClick(Qt.Key_Backspace);
            for (const character of text)
                keyClick(character);
            if (!noEnter)
                keyClick(Qt.Key_Return);
        }

        function test_newPanelIsOpaqueWhiteAndClosed() {
            const picker = createPicker();
            compare(picker.width, 460);
            compare(picker.height, 500);
            compare(picker.scale, 0);
            compare(picker.opacity, 0);
            compare(picker.enabled, false);
            compare(picker.visible, true);
            compare(picker.movable, true);
            compare(picker.title, "选择新颜色");
            compare(JSON.stringify(placing(picker)), JSON.stringify({ x: 0, y: 0, hue: 0, alpha: sliderRange }));
            compare(editorTexts(picker).join(" "), "255 255 255 255 ffffff");
            compareColour(picker.currentColor, "white");
            compareColour(picker.initColor, "white");
            // A closed panel takes no input: the press reaches the page beneath.
            mousePress(part(picker, "pickerRect"), 100, 100);
            mouseRelease(part(picker, "pickerRect"), 100, 100);
            compare(beneath.presses, 1);
            compare(part(picker, "colorPickerCursor").x, 0);
        }

        function test_layoutInFixedPixels() {
            const picker = createPicker();
            const at = name => {
                const item = part(picker, name);
                const p = item.mapToItem(picker, 0, 0);
                return [Math.round(p.x), Math.round(p.y), item.width, item.height].join(",");
            };
            // Scale 0 collapses every mapping to the centre: measure the open panel.
            picker.open();
            tryCompare(picker, "scale", 1.0, patience);
            compare(at("contentText"), "25,15,435,20");
            compare(at("pickerRect"), "10,35,330,290");
            compare(at("previewItem"), "350,50,90,90");
            compare(at("redEditor"), "350,150,90,50");
            compare(at("argbEditor"), "350,374,90,50");
            compare(at("huePicker"), "25,335,300,32");
            compare(at("alphaPickerItem"), "25,392,300,32");
            compare(at("confirmButton"), "25,449,200,32");
            compare(at("cancelButton"), "235,449,200,32");
            compare(part(picker, "hueSlider").scale, 0.9);
            compare(part(picker, "alphaSlider").scale, 0.9);
        }

        function test_hexTextPlacesTheColour() {
            const picker = openPicker();
            typeInto(picker, "argbEditor", "ff0000");
            compare(JSON.stringify(placing(picker)), JSON.stringify({ x: 300, y: 0, hue: 0, alpha: sliderRange }));
            compare(editorTexts(picker).join(" "), "255 0 0 255 ff0000");
            compareColour(picker.currentColor, "#ff0000");

            typeInto(picker, "argbEditor", "80ff0000");
            fuzzyCompare(part(picker, "alphaSlider").x, sliderRange * 128 / 255, 1e-6);
            compare(editorTexts(picker).join(" "), "255 0 0 128 80ff0000");
            compareColour(picker.currentColor, "#80ff0000");

            // Three digits, one each for red, green and blue; capitals are taken too.
            typeInto(picker, "argbEditor", "0F0");
            compare(editorTexts(picker).join(" "), "0 255 0 255 00ff00");

            // The numeric editors: Enter in any one reads all four.
            typeInto(picker, "blueEditor", "255");
            compare(editorTexts(picker).join(" "), "0 255 255 255 00ffff");
            typeInto(picker, "alphaEditor", "0");
            compare(editorTexts(picker).join(" "), "0 255 255 0 0000ffff");
            compare(part(picker, "alphaSlider").x, 0);
        }

        function test_badTextKeepsTheColour() {
            const picker = openPicker();
            typeInto(picker, "argbEditor", "80ff0000");
            const before = JSON.stringify(placing(picker));
            for (const text of ["", "f", "ff", "ff00", "ff000", "ff00000"]) {
                typeInto(picker, "argbEditor", text);
                compare(JSON.stringify(placing(picker)), before, "\"" + text + "\" moved the colour");
                compareColour(picker.currentColor, "#80ff0000", "\"" + text + "\" changed the colour");
            }
            // The validators refuse keystrokes outside their ranges.
            typeInto(picker, "argbEditor", "12g3456789", true);
            compare(part(picker, "argbEditor").text, "12345678");
            typeInto(picker, "redEditor", "1a-2.5", true);
            compare(part(picker, "redEditor").text, "125");
            typeInto(picker, "redEditor", "2555", true);
            compare(part(picker, "redEditor").text, "255");
            // Enter acts only on accepted text: 300 may stand unfinished, but is not taken.
            typeInto(picker, "redEditor", "300");
            compareColour(picker.currentColor, "#80ff0000");
            typeInto(picker, "redEditor", "");
            compareColour(picker.currentColor, "#80ff0000");
        }

        function test_unfinishedEditorsGiveComponentsInRange() {
            const picker = openPicker();
            typeInto(picker, "argbEditor", "ff102030");
            // An empty editor reads 0, an unfinished 300 is held to 255.
            typeInto(picker, "greenEditor", "", true);
            typeInto(picker, "blueEditor", "300", true);
            typeInto(picker, "redEditor", "64");
            compareColour(picker.currentColor, Qt.rgba(64 / 255, 0, 1, 1));
            compare(editorTexts(picker).join(" "), "64 0 255 255 4000ff");
        }

        function test_dragsStopAtTheEdges() {
            const picker = openPicker();
            const square = part(picker, "pickerRect");
            const cursor = part(picker, "colorPickerCursor");
            mousePress(square, 115, 65);
            compare(cursor.x, 100);
            compare(cursor.y, 50);
            tryCompare(cursor, "scale", 0.7, patience);
            mouseMove(square, -100, -30);
            compare(cursor.x, 0);
            compare(cursor.y, 0);
            compareColour(picker.currentColor, "white");
            mouseMove(square, 500, 420);
            compare(cursor.x, 300);
            compare(cursor.y, 260);
            compareColour(picker.currentColor, "black");
            mouseMove(square, 0, 420);
            compare(cursor.x, 0);
            compareColour(picker.currentColor, "black");
            // The left column gives greys.
            mouseMove(square, 0, 145);
            compare(cursor.y, 130);
            compareColour(picker.currentColor, Qt.rgba(0.5, 0.5, 0.5, 1));
            mouseRelease(square, 0, 145);
            tryCompare(cursor, "scale", 1.0, patience);

            for (const name of ["hueSlider", "alphaSlider"]) {
                const slider = part(picker, name);
                const bar = slider.parent;
                mousePress(bar, 150, 16);
                compare(slider.x, 134, name);
                tryCompare(slider, "scale", 0.6, patience);
                mouseMove(bar, -80, 60);
                compare(slider.x, 0, name);
                mouseMove(bar, 420, -60);
                compare(slider.x, sliderRange, name);
                mouseRelease(bar, 420, -60);
                tryCompare(slider, "scale", 0.9, patience);
            }
            // The alpha slider at its left end gives alpha 0.
            const alphaBar = part(picker, "alphaPickerItem");
            mouseClick(alphaBar, 0, 16);
            compare(part(picker, "alphaEditor").text, "0");
            verify(/^00[0-9a-f]{6}$/.test(part(picker, "argbEditor").text), part(picker, "argbEditor").text);
        }

        function test_threeHueRulesMeetAtZeroHalfAndOne() {
            const picker = openPicker();
            typeInto(picker, "argbEditor", "ff0000");
            const square = part(picker, "pickerRect");
            const bar = part(picker, "huePicker");
            const slider = part(picker, "hueSlider");
            const cases = [{ pointer: 0, value: 0, colour: "#ff0000", readAt: 150 },
                           { pointer: 150, value: 0.5, colour: "#00ffff", readAt: 0 },
                           { pointer: 299, value: 1, colour: "#ff0000", readAt: 150 }];
            for (const c of cases) {
                mouseClick(bar, c.pointer, 16);
                compare(slider.value, c.value);
                compareColour(slider.color, c.colour, "slider fill at " + c.value);
                compareColour(square.hueColor, c.colour, "square edge at " + c.value);
                compareColour(picker.currentColor, c.colour, "current colour at " + c.value);
                // The bar's gradient at the position equal to the value; the slider is elsewhere.
                mouseClick(bar, c.readAt, 16);
                const spot = bar.mapToItem(scene, Math.min(299, c.value * 300), 16);
                const pixel = bytes(grabImage(scene).pixel(spot.x, spot.y));
                const expected = bytes(c.colour);
                for (let i = 0; i < 3; ++i)
                    verify(Math.abs(pixel[i] - expected[i]) <= 8, "bar at " + c.value + ": " + pixel);
            }
            // Off those three points the rules part: a hue of 0.24 of the circle puts the
            // slider at 0.24 of its way, whose fill is pure green; the colour keeps its hue.
            picker.initColor = Qt.hsva(0.24, 1, 1, 1);
            fuzzyCompare(slider.x, sliderRange * 0.24, 0.1);
            compareColour(slider.color, "#00ff00");
            compareColour(square.hueColor, "#00ff00");
            fuzzyCompare(picker.currentColor.hsvHue, 0.24, 1e-3);
            // A colour without hue puts the slider at 0.
            for (const grey of ["white", "#808080", "black"]) {
                picker.initColor = "#ff0000";
                picker.initColor = Qt.hsva(0.5, 1, 1, 1);
                picker.initColor = grey;
                compare(slider.x, 0, grey);
            }
        }

        function test_confirmCommitsAndCancelRestores() {
            const picker = openPicker();
            const seen = [];
            picker.accepted.connect(() => seen.push({ what: "accepted", enabled: picker.enabled,
                init: bytes(picker.initColor).join(","), current: bytes(picker.currentColor).join(",") }));
            picker.rejected.connect(() => seen.push({ what: "rejected", enabled: picker.enabled,
                init: bytes(picker.initColor).join(","), current: bytes(picker.currentColor).join(",") }));

            typeInto(picker, "argbEditor", "80123456");
            mouseClick(part(picker, "confirmButton"));
            compare(seen.length, 1);
            compare(JSON.stringify(seen[0]), JSON.stringify({ what: "accepted", enabled: false,
                init: "18,52,86,128", current: "18,52,86,128" }));
            tryCompare(picker, "scale", 0, patience);
            tryCompare(picker, "opacity", 0, patience);

            // Reopened, it shows the committed colour; a cancelled edit goes back to it.
            picker.open();
            tryCompare(picker, "scale", 1.0, patience);
            compare(part(picker, "argbEditor").text, "80123456");
            typeInto(picker, "argbEditor", "ff00ff");
            mouseClick(part(picker, "cancelButton"));
            compare(seen.length, 2);
            compare(JSON.stringify(seen[1]), JSON.stringify({ what: "rejected", enabled: false,
                init: "18,52,86,128", current: "18,52,86,128" }));
            compare(part(picker, "argbEditor").text, "80123456");
            tryCompare(picker, "scale", 0, patience);
        }

        function test_escapeCancelsOnlyWhileFocused() {
            const picker = createPicker();
            let rejected = 0;
            picker.rejected.connect(() => rejected += 1);
            // Closed: nothing.
            keyClick(Qt.Key_Escape);
            compare(rejected, 0);
            compare(picker.enabled, false);
            compare(picker.scale, 0);

            picker.open();
            verify(picker.activeFocus);
            keyClick(Qt.Key_Escape);
            compare(rejected, 1);
            compare(picker.enabled, false);
            verify(!picker.activeFocus);
            tryCompare(picker, "opacity", 0, patience);

            // From inside an editor, with an unconfirmed edit.
            picker.open();
            tryCompare(picker, "scale", 1.0, patience);
            typeInto(picker, "redEditor", "12", true);
            keyClick(Qt.Key_Escape);
            compare(rejected, 2);
            compare(editorTexts(picker).join(" "), "255 255 255 255 ffffff");
        }

        function test_openAndHideReverseMidway() {
            const picker = createPicker();
            picker.open();
            compare(picker.enabled, true);
            tryVerify(() => picker.scale > 0.2, patience);
            picker.hide();
            compare(picker.enabled, false);
            tryCompare(picker, "scale", 0, patience);
            tryCompare(picker, "opacity", 0, patience);
            // Changing the colour while open moves everything at once.
            picker.open();
            picker.initColor = "#0000ff";
            compare(part(picker, "colorPickerCursor").x, 300);
            fuzzyCompare(part(picker, "hueSlider").x, sliderRange * 2 / 3, 1e-3);
        }

        function test_dragByTheTitleWhileMovable() {
            const picker = openPicker();
            // On the title, 40 right of its left end: (215, 145) in the scene. The press
            // point stays under the pointer.
            mousePress(scene, 215, 145);
            mouseMove(scene, 235, 160);
            compare(picker.x, 170);
            compare(picker.y, 135);
            mouseMove(scene, 265, 185);
            mouseRelease(scene, 265, 185);
            compare(picker.x, 200);
            compare(picker.y, 160);

            picker.movable = false;
            mousePress(scene, 245, 185);
            mouseMove(scene, 285, 215);
            mouseRelease(scene, 285, 215);
            compare(picker.x, 200);
            compare(picker.y, 160);
            // Everything else keeps working.
            const square = part(picker, "pickerRect");
            mouseClick(square, 115, 65);
            compare(part(picker, "colorPickerCursor").x, 100);
            mouseClick(part(picker, "huePicker"), 150, 16);
            compare(part(picker, "hueSlider").x, 134);
            typeInto(picker, "argbEditor", "ff0000");
            compare(part(picker, "colorPickerCursor").x, 300);
            let accepted = 0;
            picker.accepted.connect(() => accepted += 1);
            mouseClick(part(picker, "confirmButton"));
            compare(accepted, 1);
            compare(beneath.presses, 0);
        }

        function test_colourGivenAtCreationIsPlacedOnceLaidOut() {
            const picker = createPicker({ initColor: "#800000ff" });
            fuzzyCompare(part(picker, "alphaSlider").x, sliderRange * 128 / 255, 1e-6);
            fuzzyCompare(part(picker, "hueSlider").x, sliderRange * 2 / 3, 1e-3);
            compare(part(picker, "colorPickerCursor").x, 300);
            compare(part(picker, "colorPickerCursor").y, 0);
            compare(editorTexts(picker).join(" "), "0 0 255 128 800000ff");
            compareColour(picker.currentColor, "#800000ff");
        }
    }
}
