import QtQuick
import QtQuick.Controls as QQC

// An in-window popup in the program's glow-and-gradient look, dragged by its title bar.
// It opens centred in the window; once dragged it stays where it was left.
QQC.Popup {
    id: popup

    property bool movable: true
    property alias title: frame.title
    property alias backgroundColor: frame.glowColor
    property alias titleBackgroundColor: frame.titleBarColor

    parent: QQC.Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    topPadding: topInset + frame.titleBar.height

    background: PopupFrame {
        id: frame
        glowColor: "#40009ca2"
        glowRadius: 8 * styleManager.scaleRatio
        cornerRadius: 3
        radius: 5
        titleBarRadius: 3
        dragArea.target: popup
        dragArea.enabled: popup.movable
        onCloseClicked: popup.close()
    }

    // Controls push a background to z -1, beneath the popup's own item, which takes every
    // press on a modal popup before the title bar's close button and drag area see it.
    // Level with the content (and still before it among the children) the bar gets its
    // presses again.
    Component.onCompleted: background.z = 0

    enter: Transition {
        NumberAnimation { property: "opacity"; from: 0; to: 1 }
    }

    exit: Transition {
        NumberAnimation { property: "opacity"; from: 1; to: 0 }
    }
}
