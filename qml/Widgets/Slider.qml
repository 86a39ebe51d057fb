import QtQuick
import QtQuick.Controls as QQC

// Track, progress bar and a glowing round handle that carries the value tip while held.
QQC.Slider {
    id: control

    property int tipPrecision: 0
    property alias tipBackgroundColor: valueTip.color
    property alias tipTextColor: valueTip.textColor
    property alias textColor: valueTip.textColor
    property alias backgroundColor: track.color
    property alias backgroundBorder: track.border
    property alias progressBarColor: progress.color
    property alias handleColor: knob.color
    property alias handleGlowColor: knob.glowColor
    property real barRadius: 4

    topPadding: 0
    bottomPadding: 0

    background: Rectangle {
        id: track
        implicitWidth: 200
        implicitHeight: 16
        x: control.leftPadding
        y: control.topPadding + (control.availableHeight - height) / 2
        width: control.availableWidth
        height: control.availableHeight / 2
        radius: control.barRadius
        color: styleManager.style.color("Widgets-Slider-Background")

        Rectangle {
            id: progress
            width: control.visualPosition * track.width
            height: track.height
            radius: control.barRadius
            color: styleManager.style.color("Widgets-Slider-ProgressBar-Background")
        }
    }

    handle: GlowRectangle {
        id: knob
        width: control.availableHeight
        height: width
        x: control.leftPadding + control.visualPosition * (control.availableWidth - width)
        y: control.topPadding + (control.availableHeight - height) / 2
        radius: width / 2
        glowRadius: radius
        color: styleManager.style.color("Widgets-Slider-ProgressBar-Background")
        glowColor: Qt.darker(color)

        ToolTip {
            id: valueTip
            objectName: "SliderValueTip"
            visible: control.pressed
            font.pointSize: 10 * styleManager.fontScaleRatio
            text: " " + control.value.toFixed(control.tipPrecision) + " "
        }
    }
}
