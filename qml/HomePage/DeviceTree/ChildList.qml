import QtQuick

// The list a row opens into: it fills the row's child area and does not scroll by
// itself. Its current row is kept in the tree under the owner's key, so that a row made
// again (scrolled back, or after a new device list) shows the same current row.
ListView {
    id: list

    // The row that opens into this list.
    property Item owner: null
    readonly property Item tree: owner ? owner.tree : null
    readonly property string ownerKey: owner ? owner.rowKey : ""
    readonly property int parentIndex: owner ? owner.index : -1
    readonly property var theData: owner ? owner.theData : null

    // A click picked a row of this list.
    function pick(index) {
        currentIndex = index;
        tree.setChildCurrent(ownerKey, index);
    }

    function restoreCurrent() {
        const kept = tree.childCurrent(ownerKey);
        if (kept >= 0 && kept < count && kept !== currentIndex)
            currentIndex = kept;
    }

    anchors.fill: parent
    interactive: false
    onCountChanged: restoreCurrent()
    Component.onCompleted: restoreCurrent()
}
