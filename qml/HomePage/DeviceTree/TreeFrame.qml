import QtQuick
import QtQuick.Controls as QQC
import "../../Widgets" as Widgets

// What every channel tree shares: the gradient ground that swallows wheel turns, the
// scrolling top list with its bar, the hover flags, and the details box that a hovered
// row fills and places. Whose box, link and drawing these are, the tree that derives
// from this one says; inside the side panel they are the panel's, found by name where
// the panel creates its trees.
Rectangle {
    id: frame

    property color textColor: styleManager.style.color("Login-TextColor")
    property bool parentHovered: false
    property bool childHovered: false
    property bool clickParent: false
    // The details box (y, text, show), its link (visible, offsetY) and the animation that
    // draws the link; missing parts are left alone.
    property Item toolTipBox: typeof deviceToolTip !== "undefined" ? deviceToolTip : null
    property Item toolTipLink: typeof deviceToolTipLink !== "undefined" ? deviceToolTipLink : null
    property var toolTipAnimation: typeof animationLeft !== "undefined" ? animationLeft : null
    // The rows of the top list. A new array rebuilds the rows on screen; whether they
    // come back open is keepsStateOnReload's to say.
    property var model
    // Rows exist only while on screen, so what a row must remember lives here, by the
    // row's key: whether it is open, the current row of the list it opens into, the
    // children a server answer gave it, and the rows an open row holds while its new list
    // is on the way. `rowState` changes only by reassignment, so that bindings on it
    // follow.
    property var rowState: ({})
    // Whether a new top-level array keeps the rows' state (a device list refresh) or
    // starts every row closed (a reloaded group or favourite list).
    property bool keepsStateOnReload: false
    // The key of the top list's current row, so that a new array keeps it current.
    property string currentKey: ""
    // Counts the new arrays that dropped the rows' state: an answer meant for a row of an
    // older array finds it changed.
    property int generation: 0
    // A new array while the tree is hidden (its page is not shown) lets the old rows go
    // and waits until the tree shows to make the new ones.
    property bool reloadPending: false
    // The array the rows were made from before the present one, and where the view stood
    // on it (trees that keep their rows' state).
    property var previousModel: []
    property var keptView: null
    // How long a held row waits for its list, from when that list was asked for: as long
    // as a call may take. A list asked for only once another came waits anew (holdLonger).
    property int holdPatience: 30000
    // What the waits are measured on, in ms: a clock that only goes forward, so that a
    // wall clock set back (time synchronisation, by hand) keeps no row held the longer.
    property var clock: () => qmlApi.steadyMSecs()
    // When each held row stops waiting, by key, on `clock`.
    property var holdDeadlines: ({})
    property alias delegate: listView.delegate
    readonly property alias listView: listView

    // Gives a list of the tree its rows. A list given rows equal to those it holds would
    // keep its rows, open ones open: every answer rebuilds them instead.
    function fill(view, rows) {
        view.model = undefined;
        view.model = rows;
    }

    function stateOf(key) {
        return rowState[key] ?? {};
    }

    // A changed copy: rows bound to the state see the new value.
    function setState(key, name, value) {
        const fields = {};
        fields[name] = value;
        setStates(key, fields);
    }

    function setStates(key, fields) {
        const kept = stateOf(key);
        if (!key || Object.keys(fields).every(name => kept[name] === fields[name]))
            return;
        const changed = Object.assign({}, rowState);
        changed[key] = Object.assign({}, kept, fields);
        rowState = changed;
    }

    // Whether an open row's key starts with `prefix`.
    function anyOpenUnder(prefix) {
        for (const key in rowState) {
            if (key.startsWith(prefix) && rowState[key].open === true)
                return true;
        }
        return false;
    }

    // The open rows whose keys start with `prefix`, by their place in their list:
    // [{ index, rows, key }], `index` from placeOf(key) (rows it gives none are left out),
    // `rows` from rowsOf(key, index).
    function openRowsUnder(prefix, placeOf, rowsOf) {
        const open = [];
        for (const key in rowState) {
            if (!key.startsWith(prefix) || rowState[key].open !== true)
                continue;
            const index = placeOf(key);
            if (index !== undefined)
                open.push({ index: index, rows: rowsOf(key, index), key: key });
        }
        return open.sort((a, b) => a.index - b.index);
    }

    function isRowOpen(key) {
        return stateOf(key).open === true;
    }

    function setRowOpen(key, open) {
        setState(key, "open", open);
    }

    // The current row of the list that the row of `key` opens into, by its place and
    // its record's key ("" where the list names no records); -1 when none was picked yet
    // (the list then makes its first row current).
    function childCurrent(key) {
        return stateOf(key).current ?? -1;
    }

    function childCurrentKey(key) {
        return stateOf(key).currentKey ?? "";
    }

    function setChildCurrent(key, index, recordKey) {
        setStates(key, { current: index, currentKey: recordKey });
    }

    // Rows an open row shows while its new list has not come yet (undefined: none held).
    function heldRows(key) {
        return stateOf(key).held;
    }

    // Holds the rows of `holds` (key: rows) in place of any held before; what is still
    // held when its call could have failed is let go.
    function holdRows(holds) {
        const changed = {};
        let any = false;
        for (const key in rowState) {
            const state = rowState[key];
            any = any || state.held !== undefined;
            changed[key] = state.held === undefined ? state : Object.assign({}, state, { held: undefined });
        }
        for (const key in holds) {
            any = true;
            changed[key] = Object.assign({}, changed[key] ?? {}, { held: holds[key] });
        }
        if (any)
            rowState = changed;
        holdDeadlines = {};
        holdLonger(Object.keys(holds));
    }

    // The held rows of `keys` wait the whole patience from now: their list is asked for now.
    function holdLonger(keys) {
        const deadline = clock() + holdPatience;
        for (const key of keys)
            holdDeadlines[key] = deadline;
        armHoldTimer();
    }

    // Set for the nearest deadline; stopped while no row is held.
    function armHoldTimer() {
        const deadlines = Object.values(holdDeadlines);
        if (deadlines.length === 0) {
            holdTimer.stop();
            return;
        }
        holdTimer.interval = Math.max(0, Math.min(...deadlines) - clock());
        holdTimer.restart();
    }

    function releaseOverdue() {
        const now = clock();
        releaseRows(Object.keys(holdDeadlines).filter(key => holdDeadlines[key] <= now));
        armHoldTimer();
    }

    function releaseRows(keys) {
        const changed = Object.assign({}, rowState);
        let any = false;
        for (const key of keys) {
            delete holdDeadlines[key];
            if (changed[key]?.held === undefined)
                continue;
            changed[key] = Object.assign({}, changed[key], { held: undefined });
            any = true;
        }
        if (any)
            rowState = changed;
    }

    function setTopCurrent(index, key) {
        listView.currentIndex = index;
        currentKey = key;
    }

    // The top list's current row again after a new array: the row of the same key.
    function restoreTopCurrent(keyOf) {
        if (!currentKey || !model)
            return;
        for (let i = 0; i < model.length; ++i) {
            if (keyOf(model[i]) === currentKey) {
                listView.currentIndex = i;
                return;
            }
        }
    }

    // Where the view stood: the row at its top, by key, and how far into that row.
    function viewAnchor() {
        const index = listView.indexAt(0, listView.contentY);
        const row = index >= 0 ? listView.itemAtIndex(index) : null;
        return row && row.rowKey ? { key: row.rowKey, offset: listView.contentY - row.y } : null;
    }

    // The view where it stood before a new array, through the row of the same key.
    function restoreView(keyOf) {
        const anchor = keptView;
        keptView = null;
        if (!anchor || !model)
            return;
        for (let i = 0; i < model.length; ++i) {
            if (keyOf(model[i]) !== anchor.key)
                continue;
            listView.positionViewAtIndex(i, ListView.Beginning);
            const row = listView.itemAtIndex(i);
            if (row)
                listView.contentY = row.y + anchor.offset;
            return;
        }
    }

    function show() {
        widthAnimation.to = 250 * styleManager.scaleRatio;
        widthAnimation.restart();
    }

    function hide() {
        widthAnimation.to = 0;
        widthAnimation.restart();
    }

    // The first hovered or pressed row of `view` gets the box and a new link; none
    // clears this level's flag, and the box stays only while the other level has one.
    // Device and group rows are the parent level, channel rows the child level.
    function showToolTip(view, parentLevel) {
        const s = styleManager.scaleRatio;
        for (let i = 0; i < view.count; ++i) {
            const target = view.itemAtIndex(i);
            if (!target || !(target.hovered || target.pressed))
                continue;
            if (parentLevel)
                parentHovered = true;
            else
                childHovered = true;
            // The top list's margin counts twice here; the offsets allow for it. A list
            // inside a row may show only a part of its rows, its content scrolled to match.
            const point = view === listView ? view.mapToItem(frame, target.x, view.y + target.y)
                                            : target.mapToItem(frame, 0, 0);
            if (toolTipLink) {
                toolTipLink.visible = true;
                toolTipLink.offsetY = ((parentLevel ? 5 : 15) + 60) * s;
            }
            if (toolTipAnimation)
                toolTipAnimation.restart();
            if (toolTipBox) {
                // Only the top list scrolls; rows inside a row move with it.
                toolTipBox.y = point.y - 60 * s - (view === listView ? view.contentY : 0);
                toolTipBox.text = target.toolTipText();
            }
            return;
        }
        if (parentLevel)
            parentHovered = false;
        else
            childHovered = false;
        if (toolTipLink)
            toolTipLink.visible = parentHovered || childHovered;
        if (toolTipBox)
            toolTipBox.show = parentHovered || childHovered;
    }

    // Rows rebuilt by a new array read their state as they are made.
    signal reloaded()
    // A new array is about to replace `before`, whose records still live.
    signal replacing(var before)

    function reload() {
        reloadPending = false;
        fill(listView, model);
        reloaded();
    }

    onModelChanged: {
        if (!keepsStateOnReload) {
            rowState = {};
            currentKey = "";
            ++generation;
        } else {
            replacing(previousModel);
            // Rows let go earlier (a hidden tree) have left their anchor already.
            if (!reloadPending)
                keptView = viewAnchor();
        }
        previousModel = model;
        if (visible) {
            reload();
        } else {
            listView.model = undefined;
            reloadPending = true;
        }
    }
    onVisibleChanged: {
        if (visible && reloadPending)
            reload();
    }
    height: 400 * styleManager.scaleRatio
    gradient: Gradient {
        GradientStop { position: 0; color: styleManager.style.color("Widgets-ToolTip-Gradient1") }
        GradientStop { position: 1; color: styleManager.style.color("Widgets-ToolTip-Gradient2") }
    }

    // A list that never comes (its call failed) holds its rows no longer than a call may take.
    Timer {
        id: holdTimer
        onTriggered: frame.releaseOverdue()
    }

    NumberAnimation {
        id: widthAnimation
        target: frame
        property: "width"
        duration: 400
        easing.type: Easing.InOutBack
        easing.overshoot: 1.0
    }

    // Wheel turns over the tree never reach what lies beneath it, also when the list
    // cannot scroll further or is empty.
    MouseArea {
        anchors.fill: parent
        onWheel: wheel => wheel.accepted = true
    }

    Item {
        anchors.fill: parent
        anchors.leftMargin: 2 * styleManager.scaleRatio
        anchors.rightMargin: 2 * styleManager.scaleRatio
        anchors.bottomMargin: 4 * styleManager.scaleRatio
        clip: true

        ListView {
            id: listView
            objectName: "listView"

            readonly property Item tree: frame

            anchors.fill: parent
            anchors.topMargin: 10 * styleManager.scaleRatio
            // Rows made while the list had no height (a panel not laid out yet) stay
            // hidden from the pointer until the list lays them out again.
            onHeightChanged: forceLayout()

            QQC.ScrollBar.vertical: Widgets.ScrollBar {
                width: 12
            }
        }
    }
}
