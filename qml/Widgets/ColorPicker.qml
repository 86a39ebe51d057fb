import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects

// A colour-choosing panel: saturation and brightness in the square, hue and alpha on the
// bars, or numbers typed into the editors. It stands alone (fixed pixels, literal
// colours, no style) so that any page can place it above its content.
Item {
    id: root

    property bool movable: true
    property alias title: contentText.text
    // The committed colour; every change of it places the cursor and sliders anew.
    property color initColor: "white"
    readonly property color currentColor: pickerRect.currentColor

    signal accepted()
    signal rejected()

    function open() {
        enabled = true;
        forceActiveFocus();
    }

    function hide() {
        focus = false;
        enabled = false;
    }

    width: 460
    height: 500
    // Closed as created: neither shown nor taking input; scale and opacity hide it.
    scale: 0
    opacity: 0
    enabled: false

    onInitColorChanged: pickerRect.setColor(initColor)

    Keys.onEscapePressed: cancelButton.clicked()

    ParallelAnimation {
        running: root.enabled
        ScaleAnimator {
            target: root
            to: 1.0
            duration: 350
            easing.type: Easing.OutBack
            easing.overshoot: 1.0
        }
        OpacityAnimator {
            target: root
            to: 1.0
            duration: 300
            easing.type: Easing.OutQuad
        }
    }

    ParallelAnimation {
        running: !root.enabled
        ScaleAnimator {
            target: root
            to: 0.0
            duration: 300
            easing.type: Easing.InBack
            easing.overshoot: 1.0
        }
        OpacityAnimator {
            target: root
            to: 0.0
            duration: 250
            easing.type: Easing.OutQuad
        }
    }

    component ColorEditor: ColumnLayout {
        id: editor

        property alias label: labelText.text
        property alias text: input.text
        property alias validator: input.validator

        signal textEdited()
        signal accepted()

        // The preview's width.
        Layout.preferredWidth: 90
        Layout.preferredHeight: 50
        spacing: 0

        Text {
            id: labelText
            Layout.fillWidth: true
            color: "#222255"
            font.family: "微软雅黑"
            verticalAlignment: Text.AlignVCenter
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: "transparent"
            border.width: 2
            border.color: "#e6e6e6"
            clip: true

            TextInput {
                id: input
                anchors.fill: parent
                leftPadding: 10
                rightPadding: 10
                horizontalAlignment: TextInput.AlignRight
                verticalAlignment: TextInput.AlignVCenter
                selectionColor: "#398ed4"
                selectByMouse: true
                // Fires only for text the validator accepts.
                onAccepted: editor.accepted()
                onTextEdited: editor.textEdited()
            }
        }
    }

    component NumberEditor: ColorEditor {
        validator: IntValidator { bottom: 0; top: 255 }
    }

    // Checkerboard behind the colours that may be transparent.
    component Checkerboard: Grid {
        id: board
        property real cell
        property int cellCount: columns * rows
        Repeater {
            model: board.cellCount
            Rectangle {
                width: board.cell
                height: board.cell
                color: index % 2 === 0 ? "gray" : "transparent"
            }
        }
    }

    // The square cursor and the bar sliders shrink while pressed, with a springy return.
    component PressScale: NumberAnimation {
        duration: 300
        easing.type: Easing.OutBack
    }

    RectangularGlow {
        anchors.centerIn: parent
        width: parent.width + 4
        height: parent.height + 4
        glowRadius: 4
        spread: 0.2
        cornerRadius: 4
        color: "#206856E6"
    }

    Rectangle {
        anchors.fill: parent
        color: "#f6f6f6"
        border.width: 1
        border.color: "#aea4ee"
    }

    MouseArea {
        id: dragArea

        property point startPos: Qt.point(0, 0)
        property point offsetPos: Qt.point(0, 0)

        anchors.fill: parent

        onPressed: mouse => {
            if (!root.movable)
                return;
            startPos = Qt.point(mouse.x, mouse.y);
            cursorShape = Qt.SizeAllCursor;
        }
        onPositionChanged: mouse => {
            if (!root.movable || !pressed)
                return;
            offsetPos = Qt.point(mouse.x - startPos.x, mouse.y - startPos.y);
            root.x += offsetPos.x;
            root.y += offsetPos.y;
        }
        onReleased: cursorShape = Qt.ArrowCursor

        Text {
            id: contentText
            objectName: "contentText"
            y: 15
            height: 20
            anchors.left: parent.left
            anchors.leftMargin: 25
            anchors.right: parent.right
            text: qsTr("选择新颜色")
            color: "#222255"
            font.family: "微软雅黑"
            verticalAlignment: Text.AlignVCenter
        }

        Item {
            id: pickerRect
            objectName: "pickerRect"

            readonly property real cursorWidth: 30
            readonly property real saturation: colorPickerCursor.x / (width - cursorWidth)
            readonly property real brightness: 1 - colorPickerCursor.y / (height - cursorWidth)
            readonly property color currentColor: Qt.hsva(hueSlider.value, saturation, brightness,
                                                           alphaSlider.value)
            readonly property color hueColor: hueColorAt(hueSlider.value)
            property color __color
            // A colour placed before the bars had their widths, placed again once they have.
            property var __colorBeforeLayout: null

            // The colour of the slider and of the square's right edge. Its stops are its
            // own (green at 0.24 of the slider's way, blue at 0.67): it meets the bar's
            // gradient and the HSV hue of the colour only at 0, 0.5 and 1.
            function hueColorAt(sliderValue) {
                const v = 1 - sliderValue;
                if (v >= 0 && v < 0.16)
                    return Qt.rgba(1, 0, v / 0.16, 1);
                if (v >= 0.16 && v < 0.33)
                    return Qt.rgba(1 - (v - 0.16) / 0.17, 0, 1, 1);
                if (v >= 0.33 && v < 0.5)
                    return Qt.rgba(0, (v - 0.33) / 0.17, 1, 1);
                if (v >= 0.5 && v < 0.76)
                    return Qt.rgba(0, 1, 1 - (v - 0.5) / 0.26, 1);
                if (v >= 0.76 && v < 0.85)
                    return Qt.rgba((v - 0.76) / 0.09, 1, 0, 1);
                if (v >= 0.85 && v <= 1)
                    return Qt.rgba(1, 1 - (v - 0.85) / 0.15, 0, 1);
                return Qt.color("red");
            }

            function setColor(color) {
                const c = Qt.color(color);
                const laidOut = alphaPicker.width > 0 && huePicker.width > 0;
                __colorBeforeLayout = laidOut ? null : c;
                alphaSlider.x = laidOut ? (alphaPicker.width - alphaSlider.width) * c.a : 0;
                // Colours without a hue (greys) report -1.
                hueSlider.x = Math.max(0, huePicker.width - hueSlider.width) * Math.max(c.hsvHue, 0);
                colorPickerCursor.x = c.hsvSaturation * (width - cursorWidth);
                colorPickerCursor.y = (1 - c.hsvValue) * (height - cursorWidth);
                // Unconfirmed text goes even when the colour stays (a cancel of an edit
                // that was never entered).
                showInEditors();
            }

            // An empty editor reads 0; numbers the validator lets stand unfinished
            // (above 255) are held to 255.
            function editorComponent(editor) {
                const value = parseInt(editor.text, 10);
                return isNaN(value) ? 0 : Math.max(0, Math.min(255, value)) / 255;
            }

            function fromColor() {
                setColor(Qt.rgba(editorComponent(redEditor), editorComponent(greenEditor),
                                 editorComponent(blueEditor), editorComponent(alphaEditor)));
            }

            // Only 3, 6 or 8 digits name a colour; any other text keeps the colour.
            function fromArgbColor() {
                const digits = argbEditor.text;
                if (digits.length !== 3 && digits.length !== 6 && digits.length !== 8)
                    return;
                __color = "#" + digits;
                setColor(__color);
            }

            function showInEditors() {
                const c = currentColor;
                const red = Math.round(c.r * 255);
                const green = Math.round(c.g * 255);
                const blue = Math.round(c.b * 255);
                const alpha = Math.round(c.a * 255);
                redEditor.text = String(red);
                greenEditor.text = String(green);
                blueEditor.text = String(blue);
                alphaEditor.text = String(alpha);
                const hex = value => (value < 16 ? "0" : "") + value.toString(16);
                argbEditor.text = (alpha === 255 ? "" : hex(alpha)) + hex(red) + hex(green) + hex(blue);
            }

            width: 330
            height: 290
            anchors.top: contentText.bottom
            anchors.left: contentText.left
            anchors.leftMargin: -cursorWidth / 2

            onCurrentColorChanged: showInEditors()
            Component.onCompleted: showInEditors()

            Rectangle {
                x: 15
                y: 15
                width: 300
                height: 260
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0.0; color: "white" }
                    GradientStop { position: 1.0; color: pickerRect.hueColor }
                }
            }

            Rectangle {
                x: 15
                y: 15
                width: 300
                height: 260
                gradient: Gradient {
                    GradientStop { position: 0.0; color: "#00000000" }
                    GradientStop { position: 1.0; color: "#ff000000" }
                }
            }

            Rectangle {
                id: colorPickerCursor
                objectName: "colorPickerCursor"
                width: pickerRect.cursorWidth
                height: pickerRect.cursorWidth
                color: pickerRect.currentColor
                border.width: 1
                border.color: "#e6e6e6"
                Behavior on scale { PressScale {} }

                Rectangle {
                    anchors.fill: parent
                    anchors.margins: 1
                    color: "transparent"
                    border.width: 1
                    border.color: "white"
                }
            }

            MouseArea {
                // The cursor's centre follows the pointer within the gradient area.
                function handleCursorPos(x, y) {
                    const half = pickerRect.cursorWidth * 0.5;
                    colorPickerCursor.x = Math.max(0, Math.min(width, x + half) - pickerRect.cursorWidth);
                    colorPickerCursor.y = Math.max(0, Math.min(height, y + half) - pickerRect.cursorWidth);
                }

                anchors.fill: parent
                onPressed: mouse => {
                    colorPickerCursor.scale = 0.7;
                    handleCursorPos(mouse.x, mouse.y);
                }
                onPositionChanged: mouse => {
                    if (pressed)
                        handleCursorPos(mouse.x, mouse.y);
                }
                onReleased: colorPickerCursor.scale = 1.0
            }
        }

        Item {
            id: previewItem
            objectName: "previewItem"
            width: 90
            height: 90
            anchors.left: pickerRect.right
            anchors.leftMargin: 10
            anchors.top: contentText.bottom
            anchors.topMargin: 15

            Checkerboard {
                columns: 11
                rows: 11
                cell: previewItem.width / 11
            }

            Rectangle {
                anchors.fill: parent
                anchors.margins: -2
                color: pickerRect.currentColor
                border.width: 2
                border.color: "#e6e6e6"
            }
        }

        ColumnLayout {
            anchors.left: previewItem.left
            anchors.top: previewItem.bottom
            anchors.topMargin: 10
            spacing: 6

            NumberEditor {
                id: redEditor
                objectName: "redEditor"
                label: qsTr("红色")
                onAccepted: pickerRect.fromColor()
            }
            NumberEditor {
                id: greenEditor
                objectName: "greenEditor"
                label: qsTr("绿色")
                onAccepted: pickerRect.fromColor()
            }
            NumberEditor {
                id: blueEditor
                objectName: "blueEditor"
                label: qsTr("蓝色")
                onAccepted: pickerRect.fromColor()
            }
            NumberEditor {
                id: alphaEditor
                objectName: "alphaEditor"
                label: qsTr("透明度")
                onAccepted: pickerRect.fromColor()
            }
            ColorEditor {
                id: argbEditor
                objectName: "argbEditor"
                label: qsTr("十六进制 (ARGB)")
                validator: RegularExpressionValidator { regularExpression: /[0-9a-fA-F]{0,8}/ }
                onAccepted: pickerRect.fromArgbColor()
            }
        }

        Rectangle {
            id: huePicker
            objectName: "huePicker"
            width: pickerRect.width - pickerRect.cursorWidth
            height: 32
            anchors.top: pickerRect.bottom
            anchors.topMargin: 10
            anchors.left: contentText.left
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0.0; color: "#ff0000" }
                GradientStop { position: 0.16; color: "#ffff00" }
                GradientStop { position: 0.33; color: "#00ff00" }
                GradientStop { position: 0.5; color: "#00ffff" }
                GradientStop { position: 0.76; color: "#0000ff" }
                GradientStop { position: 0.85; color: "#ff00ff" }
                GradientStop { position: 1.0; color: "#ff0000" }
            }

            Rectangle {
                id: hueSlider
                objectName: "hueSlider"
                readonly property real value: x / (huePicker.width - width)
                width: huePicker.height
                height: huePicker.height
                scale: 0.9
                color: pickerRect.hueColor
                border.width: 2
                border.color: "#e6e6e6"
                Behavior on scale { PressScale {} }

                Rectangle {
                    anchors.fill: parent
                    anchors.margins: 1
                    color: "transparent"
                    border.width: 2
                    border.color: "white"
                }
            }

            SliderArea {
                slider: hueSlider
            }
        }

        Item {
            id: alphaPickerItem
            objectName: "alphaPickerItem"
            width: huePicker.width
            height: huePicker.height
            anchors.top: huePicker.bottom
            anchors.topMargin: 25
            anchors.left: huePicker.left
            clip: true

            Checkerboard {
                id: alphaPicker
                objectName: "alphaPicker"
                columns: 29
                rows: 4
                cell: alphaPickerItem.width / 29
                // The grid has no width until it is first laid out.
                onWidthChanged: {
                    if (width > 0 && pickerRect.__colorBeforeLayout !== null)
                        pickerRect.setColor(pickerRect.__colorBeforeLayout);
                }
            }

            Rectangle {
                anchors.fill: parent
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0.0; color: "#00ffffff" }
                    GradientStop { position: 1.0; color: "#ff000000" }
                }
            }

            Rectangle {
                id: alphaSlider
                objectName: "alphaSlider"
                readonly property real value: x / (alphaPickerItem.width - width)
                // At the right end (opaque) until a colour is placed.
                x: alphaPickerItem.width - width
                width: alphaPickerItem.height
                height: alphaPickerItem.height
                scale: 0.9
                color: Qt.rgba(0.1, 0.1, 0.1, (value + 1) / 2)
                border.width: 2
                border.color: "#e6e6e6"
                Behavior on scale { PressScale {} }

                Rectangle {
                    anchors.fill: parent
                    anchors.margins: 1
                    color: "transparent"
                    border.width: 1
                    border.color: "white"
                }
            }

            SliderArea {
                slider: alphaSlider
            }
        }

        Button {
            id: confirmButton
            objectName: "confirmButton"
            width: 200
            height: alphaPickerItem.height
            anchors.top: alphaPickerItem.bottom
            anchors.topMargin: 25
            anchors.left: alphaPickerItem.left
            text: qsTr("确定")
            font.family: "微软雅黑"
            hoverEnabled: true
            topInset: down ? 1 : 0
            bottomInset: down ? 1 : 0
            leftInset: down ? 1 : 0
            rightInset: down ? 1 : 0
            onClicked: {
                root.initColor = pickerRect.currentColor;
                root.hide();
                root.accepted();
            }
        }

        Button {
            id: cancelButton
            objectName: "cancelButton"
            width: 200
            height: alphaPickerItem.height
            anchors.top: confirmButton.top
            anchors.right: parent.right
            anchors.rightMargin: 25
            text: qsTr("取消")
            font.family: "微软雅黑"
            hoverEnabled: true
            topInset: down ? 1 : 0
            bottomInset: down ? 1 : 0
            leftInset: down ? 1 : 0
            rightInset: down ? 1 : 0
            onClicked: {
                pickerRect.setColor(root.initColor);
                root.hide();
                root.rejected();
            }
        }
    }

    // A bar's slider follows the pointer, its centre held within the bar.
    component SliderArea: MouseArea {
        property Item slider

        function handleCursorPos(x) {
            const half = slider.width / 2;
            slider.x = Math.max(0, Math.min(width, x + half) - slider.width);
        }

        anchors.fill: parent
        onPressed: mouse => {
            slider.scale = 0.6;
            handleCursorPos(mouse.x);
        }
        onPositionChanged: mouse => {
            if (pressed)
                handleCursorPos(mouse.x);
        }
        onReleased: slider.scale = 0.9
    }
}
