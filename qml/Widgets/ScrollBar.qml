import QtQuick
import QtQuick.Controls as QQC

// A thin pill without a track, shown only while scrolling content larger than its view.
QQC.ScrollBar {
    id: control

    contentItem: Rectangle {
        implicitWidth: 12
        implicitHeight: 12
        radius: width / 2
        color: control.pressed ? styleManager.style.color("Widgets-ScrollBar-Pressed")
                               : styleManager.style.color("Widgets-ScrollBar-Normal")
        visible: control.active && control.size < 1.0
    }

    background: Item {}
}
