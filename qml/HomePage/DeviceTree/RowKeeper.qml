import QtQuick

// Keeps every row of a list alive, so that rows out of view keep their flags and the
// hover scan finds them: the cache buffer follows the content height. It is set after
// the layout that changed the height: set during it, the list leaves rows in view
// hidden from the pointer. A timer, unlike a deferred call, dies with the list.
Timer {
    id: keeper

    property ListView list: null
    readonly property Connections heightWatch: Connections {
        target: keeper.list

        function onContentHeightChanged() {
            keeper.restart();
        }
    }

    interval: 0
    onTriggered: list.cacheBuffer = Math.max(0, list.contentHeight)
}
