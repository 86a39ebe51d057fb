import QtQuick

// Watches a target's opacity and counts the values strictly between 0 and 1 that it
// passes through: a fade shows some, a jump none. Sampling every change, rather than
// once after a fixed wait, keeps the check sound on a loaded machine.
Item {
    id: recorder

    property QtObject watched: null
    property int between: 0

    function clear() {
        between = 0;
    }

    Connections {
        target: recorder.watched
        function onOpacityChanged() {
            const value = recorder.watched.opacity;
            if (value > 0 && value < 1)
                ++recorder.between;
        }
    }
}
