import QtQuick

// A tool bar's surface: while the pointer is over it (its buttons included) the tile's
// hide timer stands still; leaving starts the countdown again.
MouseArea {
    // The tile's hide timer.
    property var exitTimer: null

    hoverEnabled: true
    acceptedButtons: Qt.LeftButton

    onEntered: hold(true)
    onExited: hold(false)
    onCanceled: hold(false)

    function hold(on) {
        exitTimer.held = on;
        if (on)
            exitTimer.stop();
        else
            exitTimer.restart();
    }
}
