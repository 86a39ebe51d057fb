import QtQuick

// The list a row opens into: it fills the row's child area and does not scroll by
// itself. Its current row is kept in the tree under the owner's key, so that a row made
// again (scrolled back, or after a new device list) shows the same current row.
//
// A windowed list (rows of equal height under a row of the top list) makes rows only for
// the part of the area that the top list shows: it stands over that part alone and
// scrolls its content to match, so its rows stay where the whole list would put them.
ListView {
    id: list

    // The row that opens into this list.
    property Item owner: null
    readonly property Item tree: owner ? owner.tree : null
    readonly property string ownerKey: owner ? owner.rowKey : ""
    readonly property int parentIndex: owner ? owner.index : -1
    readonly property var theData: owner ? owner.theData : null
    property bool windowed: false
    property bool placing: false
    // Beyond the shown part, made ahead of the scrolling.
    readonly property real windowMargin: 120 * styleManager.scaleRatio

    // A click picked a row of this list.
    function pick(index) {
        currentIndex = index;
        tree.setChildCurrent(ownerKey, index);
    }

    function restoreCurrent() {
        if (!tree)
            return;
        const kept = tree.childCurrent(ownerKey);
        if (kept >= 0 && kept < count && kept !== currentIndex)
            currentIndex = kept;
        place();
    }

    // The shown part of the child area, in its own coordinates: from the top list's view
    // and the owner's place in it (the area starts under the owner's 30 high line).
    function place() {
        if (!owner)
            return;
        const areaHeight = owner.childAreaHeight;
        let top = 0;
        let bottom = areaHeight;
        if (windowed && !tree) {
            // A row still being made, not yet in its list: nothing to show yet.
            bottom = 0;
        } else if (windowed) {
            const topList = tree.listView;
            const areaTop = owner.y + 30 * styleManager.scaleRatio;
            top = Math.min(areaHeight, Math.max(0, topList.contentY - areaTop - windowMargin));
            bottom = Math.min(areaHeight, Math.max(top, topList.contentY + topList.height - areaTop + windowMargin));
        }
        y = top;
        height = bottom - top;
        if (windowed && height > 0 && contentY !== top)
            scrollTo(top);
    }

    // A jump goes through the row that will stand first: a list that is moved far with
    // no row near would make every row from its first on the way.
    function scrollTo(top) {
        if (placing)
            return;
        placing = true;
        const rowHeight = 30 * styleManager.scaleRatio;
        if (Math.abs(contentY - top) > 2 * rowHeight)
            positionViewAtIndex(Math.floor(top / rowHeight), ListView.Beginning);
        contentY = top;
        placing = false;
    }

    width: parent ? parent.width : 0
    interactive: false
    onCountChanged: restoreCurrent()
    onWindowedChanged: {
        if (!windowed)
            contentY = 0;
        place();
    }
    // The list moves its content itself when its rows change; the window puts it back.
    onContentYChanged: {
        if (windowed && !placing && height > 0 && contentY !== y)
            place();
    }
    Component.onCompleted: restoreCurrent()

    Connections {
        target: list.windowed && list.tree ? list.tree.listView : null

        function onContentYChanged() {
            list.place();
        }

        function onHeightChanged() {
            list.place();
        }
    }

    Connections {
        target: list.owner

        function onYChanged() {
            list.place();
        }

        function onTreeChanged() {
            list.place();
        }

        function onChildAreaHeightChanged() {
            list.place();
        }
    }
}
