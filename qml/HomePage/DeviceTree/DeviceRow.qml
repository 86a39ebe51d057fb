import QtQuick

// A device of the tree: its name and its online and total channel counts, opening into
// its channels. All channel rows stay alive, so that they keep their flags and the
// hover scan finds each of them.
TreeRow {
    id: row

    readonly property bool offline: theData?.onlineChannelNums === 0
    readonly property string toolTipText: ["设备名称: " + theData?.deviceName, "传输模式: " + theData?.transport,
                                           "更新时间: " + theData?.updatedAt, "设备类型: " + theData?.deviceType].join("\n")

    isDeviceRow: true
    childHeight: expanded ? channelList.contentHeight : 0
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

    childItems: ListView {
        id: channelList
        objectName: "channelList"

        readonly property Item tree: row.tree
        readonly property int parentIndex: row.index
        readonly property var theData: row.theData
        // The device that owns the rows of this list and of their sub-channel lists.
        readonly property int deviceIndex: row.index
        readonly property var device: row.theData

        anchors.fill: parent
        interactive: false
        model: row.theData?.channelList
        delegate: ChannelRow {}

        RowKeeper {
            list: channelList
        }
    }
}
