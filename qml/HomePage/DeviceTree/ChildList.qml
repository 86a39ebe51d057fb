import QtQuick

// The list a row opens into: it fills the row's child area and does not scroll by
// itself. Its current row is kept in the tree under the owner's key, by the row's record
// where the list can name its records (recordKey), so that a row made again (scrolled
// back, or after a new device list) shows the same current row, also when the new list
// has rows inserted before it.
//
// A windowed list makes rows only for the part of the area that the top list shows: it
// stands over that part alone and scrolls its content so that its rows stand where the
// whole list would put them. Where a row stands comes from the records and the tree's
// open rows (tallRows), not from rows made: the rows above the part are never made.
ListView {
    id: list

    // The row that opens into this list.
    property Item owner: null
    readonly property Item tree: owner ? owner.tree : null
    readonly property string ownerKey: owner ? owner.rowKey : ""
    readonly property int parentIndex: owner ? owner.index : -1
    readonly property var theData: owner ? owner.theData : null
    property bool windowed: false
    // Names a row's record (a function of it); without it the current row is kept by
    // its place, in lists whose rows are named by their place.
    property var recordKey: null
    // The rows of this list that show rows of their own, by place: [{ index, rows }],
    // `rows` being the lines under that row. Every other row is one line high.
    property var tallRows: []
    readonly property real lineHeight: 30 * styleManager.scaleRatio
    // Beyond the shown part, made ahead of the scrolling.
    readonly property real windowMargin: 120 * styleManager.scaleRatio
    // The whole list's height, from the records.
    readonly property real fullHeight: rowTop(count)
    property bool placing: false

    // The list has placed itself: lists in its rows place themselves after it.
    signal placed()

    // A click picked a row of this list.
    function pick(index) {
        currentIndex = index;
        tree.setChildCurrent(ownerKey, index, keyAt(model, index));
    }

    function keyAt(records, index) {
        return recordKey && records && index >= 0 && index < records.length ? recordKey(records[index]) : "";
    }

    // The kept row's place in the present records: where it was when its record is still
    // there, otherwise looked for; -1 when it is gone.
    function keptCurrent() {
        const index = tree.childCurrent(ownerKey);
        const key = tree.childCurrentKey(ownerKey);
        if (!key || index < 0)
            return index;
        const records = model;
        if (keyAt(records, index) === key)
            return index;
        for (let i = 0; records && i < records.length; ++i) {
            if (keyAt(records, i) === key)
                return i;
        }
        return -1;
    }

    function restoreCurrent() {
        if (!tree)
            return;
        const kept = keptCurrent();
        if (kept >= 0 && kept < count && kept !== currentIndex)
            currentIndex = kept;
        place();
    }

    // The top of the row at `index` in the whole list.
    function rowTop(index) {
        let top = index * lineHeight;
        for (const tall of tallRows) {
            if (tall.index >= index)
                break;
            top += tall.rows * lineHeight;
        }
        return top;
    }

    // The row of the whole list that covers `y`.
    function rowAt(y) {
        let extra = 0;
        for (const tall of tallRows) {
            const top = tall.index * lineHeight + extra;
            if (y < top)
                break;
            if (y < top + (1 + tall.rows) * lineHeight)
                return tall.index;
            extra += tall.rows * lineHeight;
        }
        return Math.max(0, Math.min(count - 1, Math.floor((y - extra) / lineHeight)));
    }

    // The child area's top in the top list's content: the owner's place there and its
    // line. A list held by another list finds its owner's place from that list's records,
    // so it does not wait for that list to place its rows first.
    function areaTop() {
        const holder = owner.view;
        if (!holder)
            return NaN;
        const ownerTop = holder === tree.listView ? owner.y : holder.areaTop() + holder.rowTop(owner.index);
        return ownerTop + lineHeight;
    }

    // The shown part of the child area, in its own coordinates: from the top list's view
    // and the area's place in it.
    function place() {
        if (!owner)
            return;
        const areaHeight = owner.childAreaHeight;
        let top = 0;
        let bottom = areaHeight;
        if (windowed) {
            // A row still being made, not yet in its list, has nothing to show yet.
            const areaStart = tree ? areaTop() : NaN;
            if (isNaN(areaStart)) {
                bottom = 0;
            } else {
                const topList = tree.listView;
                top = Math.min(areaHeight, Math.max(0, topList.contentY - areaStart - windowMargin));
                bottom = Math.min(areaHeight, Math.max(top, topList.contentY + topList.height - areaStart + windowMargin));
            }
        }
        y = top;
        height = bottom - top;
        if (windowed && height > 0)
            align();
        placed();
    }

    // Scrolls the content so that the row at the top of the shown part stands where the
    // whole list puts it; the rows after it follow at their own heights. A row not made
    // yet is made through the list's own jump, which makes none of the rows on the way.
    function align() {
        if (placing || count === 0)
            return;
        placing = true;
        const index = rowAt(y);
        let row = itemAtIndex(index);
        if (!row) {
            positionViewAtIndex(index, ListView.Beginning);
            row = itemAtIndex(index);
        }
        if (row) {
            const wanted = row.y + y - rowTop(index);
            if (contentY !== wanted)
                contentY = wanted;
        }
        placing = false;
    }

    width: parent ? parent.width : 0
    interactive: false
    // Only the window's rows are made; what lies outside it stays hidden.
    cacheBuffer: 0
    clip: windowed
    // The list places rows it has not made by estimated heights, so its own idea of
    // where its content starts and ends may fall short of where the window scrolls it;
    // margins beyond the whole height keep it from pulling the content back.
    topMargin: windowed ? 2 * fullHeight : 0
    bottomMargin: topMargin
    onCountChanged: restoreCurrent()
    onTallRowsChanged: place()
    onWindowedChanged: {
        if (!windowed)
            contentY = 0;
        place();
    }
    // The list moves its content itself when its rows change; the window puts it back.
    onContentYChanged: {
        if (windowed && !placing && height > 0)
            align();
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

    // A list inside a row of another child list moves with that list.
    Connections {
        target: list.windowed && list.owner && list.tree && list.owner.view !== list.tree.listView ? list.owner.view : null

        function onPlaced() {
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
