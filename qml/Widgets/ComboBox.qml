import QtQuick
import QtQuick.Controls as QQC

// A drop-down list with a painted arrow and a popup that grows open and shrinks shut.
QQC.ComboBox {
    id: control

    property color textColor: styleManager.style.color("Widgets-ComboBox-TextColor")
    property color selectedColor: styleManager.style.color("Widgets-ComboBox-SelectedColor")
    property color borderColor: styleManager.style.color("Widgets-ComboBox-BorderColor")
    property color backgroundColor: styleManager.style.color("Widgets-ComboBox-Background")
    property color popupColor: styleManager.style.color("Widgets-ComboBox-PopupColor")
    property int maxDisplayRow: 4
    // With nothing chosen yet the first element stands in.
    readonly property var currentData: elementAt(currentIndex < 0 ? 0 : currentIndex)

    font.pointSize: 10 * styleManager.fontScaleRatio
    font.family: "微软雅黑"

    // The arrow, the text's inset and the entries' paddings keep their pixels down to a
    // ratio of 1 and shrink below it with the box and the text: at their full size they
    // left a box scaled to a small screen too little room for its text.
    readonly property real __shrink: Math.min(1, styleManager.scaleRatio)

    function elementAt(row) {
        if (model === undefined || model === null)
            return undefined;
        if (Array.isArray(model))
            return model[row];
        if (typeof model.get === "function")
            return model.get(row);
        return undefined;
    }

    background: Rectangle {
        implicitWidth: 120
        implicitHeight: 40
        color: control.backgroundColor
        border.color: control.borderColor
        radius: 2
    }

    contentItem: Text {
        leftPadding: 10 * control.__shrink
        rightPadding: control.indicator.width + control.spacing
        text: control.displayText
        font: control.font
        color: control.textColor
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    indicator: Canvas {
        id: arrow
        width: 12 * control.__shrink
        height: 8 * control.__shrink
        x: control.width - width - control.rightPadding
        y: control.topPadding + (control.availableHeight - height) / 2

        onPaint: {
            const ctx = getContext("2d");
            ctx.reset();
            ctx.beginPath();
            ctx.moveTo(0, 0);
            ctx.lineTo(width, 0);
            ctx.lineTo(width / 2, height);
            ctx.closePath();
            ctx.fillStyle = control.pressed ? Qt.darker(control.textColor) : control.textColor;
            ctx.fill();
        }

        Connections {
            target: control
            function onPressedChanged() { arrow.requestPaint(); }
            function onTextColorChanged() { arrow.requestPaint(); }
        }

        Connections {
            target: styleManager
            function onStyleChanged() { arrow.requestPaint(); }
        }
    }

    delegate: QQC.ItemDelegate {
        id: row
        required property int index
        required property var modelData
        width: control.width
        height: control.height
        // The style's 11 above, 13 below and 12 at the sides: at full size they took the
        // whole height of an entry below a ratio of about 0.8, where the eliding text then
        // drew no line at all.
        topPadding: 11 * control.__shrink
        bottomPadding: 13 * control.__shrink
        leftPadding: 12 * control.__shrink
        rightPadding: 12 * control.__shrink
        highlighted: control.highlightedIndex === index

        background: Rectangle {
            color: row.highlighted ? control.selectedColor : "transparent"
        }

        contentItem: Text {
            text: control.textRole === "" ? row.modelData : control.textAt(row.index)
            color: control.textColor
            font: control.font
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
    }

    popup: QQC.Popup {
        id: dropDown
        objectName: "ComboBoxPopup"
        readonly property real actualHeight: control.height * Math.min(control.count, control.maxDisplayRow)

        y: control.height - 1
        width: control.width
        height: 0
        padding: 1

        enter: Transition {
            NumberAnimation { property: "height"; from: 0; to: dropDown.actualHeight; duration: 200 }
        }
        exit: Transition {
            NumberAnimation { property: "height"; from: dropDown.actualHeight; to: 0; duration: 200 }
        }

        background: Rectangle {
            radius: 2
            color: control.popupColor
            border.color: control.borderColor
        }

        contentItem: ListView {
            clip: true
            model: control.popup.visible ? control.delegateModel : null
            currentIndex: control.highlightedIndex
            QQC.ScrollBar.vertical: ScrollBar { width: 12 }
        }
    }
}
