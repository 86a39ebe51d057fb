import QtQuick

// A device of the tree: its name and its online and total channel counts, opening into
// its channels. The open height comes from the records and the tree's open rows, not
// from the channel rows, so that a row made again as it scrolls back stands at its full
// height at once.
TreeRow {
    id: row

    readonly property bool offline: theData?.onlineChannelNums === 0
    // The details box text; made only when the row is hovered.
    function toolTipText() {
        return ["设备名称: " + theData?.deviceName, "传输模式: " + theData?.transport, "更新时间: " + theData?.updatedAt,
                "设备类型: " + theData?.deviceType].join("\n");
    }

    // Whether a channel shows its sub-channels. Most devices have none, and their
    // channels are not looked at.
    readonly property bool showsSubChannels: expanded && !!theData && tree.anyOpenUnder(tree.channelPrefix(theData))
    // Read once per channel list, not per change of the tree's state.
    readonly property var channelPlaces: showsSubChannels ? tree.placesOf(theData.channelList) : ({})
    // The channels that show their sub-channels, by place: the taller rows of the list.
    readonly property var openChannels: showsSubChannels ? tree.openChannels(theData, channelPlaces) : []

    // 30 per channel, and per sub-channel of an open channel.
    function openRows() {
        return tree && theData ? tree.deviceRows(theData, openChannels) : 0;
    }

    isDeviceRow: true
    rowKey: tree ? tree.deviceKey(theData) : ""
    childHeight: expanded ? openRows() * 30 * styleManager.scaleRatio : 0
    onTextClicked: tree.deviceClicked(row)

    texts: [
        TreeText {
            objectName: "nameText"
            anchors.left: parent.left
            text: row.theData?.deviceName ?? ""
            color: row.offline ? styleManager.style.color("Home-DeviceListView-Item-Offline") : row.tree.textColor
        },

        TreeText {
            objectName: "countText"
            anchors.right: parent.right
            text: "(" + row.theData?.onlineChannelNums + "/" + row.theData?.channelNums + ")"
            color: styleManager.style.color(row.offline ? "Home-DeviceListView-Item-Offline" : "Home-DeviceListView-Item-Online")
        }
    ]

    childList: Component {
        ChildList {
            objectName: "channelList"
            owner: row
            // The device that owns the rows of this list and of their sub-channel lists.
            readonly property int deviceIndex: row.index
            readonly property var device: row.theData

            windowed: true
            tallRows: row.openChannels
            recordKey: row.tree ? row.tree.channelKey : null
            model: row.theData?.channelList
            delegate: ChannelRow {}
        }
    }
}
