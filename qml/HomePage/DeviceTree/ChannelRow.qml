import QtQuick

// A channel of a device, or a sub-channel of a channel, in the device tree. Its star
// asks the server and changes only with its answer, which sets the channel's own flag.
// A channel whose sub-channels arrive later turns its camera icon into the expand button.
ChannelLine {
    id: row

    // A ChannelInfo carries the names the line reads.
    channel: theData
    favourite: (theData?.favoritesChannel ?? 0) !== 0
    expandable: theData?.hasSubChannels === true
    childHeight: expanded ? (theData?.subChannelList?.length ?? 0) * 30 * styleManager.scaleRatio : 0
    onTextClicked: tree.channelClicked(row)
    onStarClicked: {
        if (favourite)
            networkManager.deleteFavoritesChannel(theData);
        else
            networkManager.addFavoritesChannel(theData);
    }

    // Sub-channels are drawn by this same row.
    childItems: ListView {
        objectName: "subChannelList"

        readonly property Item tree: row.tree
        readonly property int parentIndex: row.index
        readonly property var theData: row.theData
        readonly property int deviceIndex: row.view.deviceIndex
        readonly property var device: row.view.device

        anchors.fill: parent
        interactive: false
        model: row.theData?.subChannelList
        delegate: row.tree ? row.tree.channelRow : null
    }
}
