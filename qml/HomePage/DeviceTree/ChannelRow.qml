import QtQuick

// A channel of a device, or a sub-channel of a channel, in the device tree. Its star
// asks the server and changes only with its answer, which sets the channel's own flag.
// A channel whose sub-channels arrive later turns its camera icon into the expand button.
ChannelLine {
    id: row

    // A ChannelInfo carries the names the line reads.
    channel: theData
    favourite: (theData?.favoritesChannel ?? 0) !== 0
    // An open channel of a new list shows its button while its sub-channels are on the way.
    expandable: theData?.hasSubChannels === true || (!!tree && tree.heldRows(rowKey) !== undefined)
    rowKey: tree && theData ? tree.channelKey(theData) : ""
    childHeight: expanded && theData ? tree.subRows(theData) * 30 * styleManager.scaleRatio : 0
    onTextClicked: tree.channelClicked(row)
    onStarClicked: {
        if (favourite)
            networkManager.deleteFavoritesChannel(theData);
        else
            networkManager.addFavoritesChannel(theData);
    }

    // Sub-channels are drawn by this same row.
    childList: Component {
        ChildList {
            objectName: "subChannelList"
            owner: row
            readonly property int deviceIndex: row.view?.deviceIndex ?? -1
            readonly property var device: row.view?.device ?? null

            windowed: true
            recordKey: row.tree ? row.tree.channelKey : null
            model: row.theData?.subChannelList
            delegate: row.tree ? row.tree.channelRow : null
        }
    }
}
