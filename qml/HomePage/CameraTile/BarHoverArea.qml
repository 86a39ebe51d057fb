import QtQuick

// A tool bar's surface: while the pointer is over it (its buttons included) the tile's
// hide timer stands still; leaving starts the countdown again.
MouseArea {
    // The tile's hide timer.
    property var exitTimer: null

    hoverEnabled: true
    acceptedButtons: Qt.LeftButton

    onEntered: exitTimer.stop()
    onExited: exitTimer.restart()
    onCanceled: exitTimer.restart()
}
