import QtQuick

// A channel of a device, or a sub-channel of a channel: its name, whether it is in use,
// and the favourite star, which asks the server and changes only with its answer. A
// channel whose sub-channels arrive later turns its camera icon into the expand button.
TreeRow {
    id: row

    readonly property bool online: theData?.online !== 0
    readonly property bool favourite: (theData?.favoritesChannel ?? 0) !== 0
    readonly property string toolTipText: ["name: " + theData?.name, "online: " + (theData?.online === 0 ? "离线" : "在线"),
                                           "protocol: " + theData?.protocol, "rtspUrl: " + theData?.rtspUrl,
                                           "recordUrl: " + theData?.recordUrl, "iP: " + theData?.iP,
                                           "port: " + theData?.port].join("\n")
    readonly property color lineColor: online ? tree.textColor : styleManager.style.color("Home-DeviceListView-Item-Offline")
    // The page's or window's colour; a tree placed elsewhere takes the style's.
    readonly property color favouriteColor: typeof inputColor === "undefined" ? styleManager.style.color("Login-InputColor")
                                                                             : inputColor

    expandable: theData?.hasSubChannels === true
    childHeight: expanded ? (theData?.subChannelList?.length ?? 0) * 30 * styleManager.scaleRatio : 0
    onTextClicked: tree.channelClicked(row)

    texts: [
        Text {
            objectName: "nameText"
            anchors.fill: parent
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
            text: row.theData?.name ?? ""
            color: row.lineColor
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
        },

        Text {
            objectName: "stateText"
            anchors.right: star.left
            anchors.rightMargin: 5 * styleManager.scaleRatio
            anchors.verticalCenter: parent.verticalCenter
            text: row.theData?.enable === 0 ? "未用" : "启用"
            color: row.lineColor
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
        },

        // Takes its own clicks: the row is neither selected nor reported.
        Text {
            id: star
            objectName: "star"
            anchors.right: parent.right
            anchors.rightMargin: 8 * styleManager.scaleRatio
            anchors.verticalCenter: parent.verticalCenter
            text: "★"
            style: Text.Outline
            color: row.favourite ? row.favouriteColor : styleManager.style.color("Home-DeviceListView-Item-Offline")
            styleColor: row.favourite ? row.tree.textColor : styleManager.style.color("Home-DeviceListView-Item-Offline")
            font.family: "微软雅黑"
            font.pointSize: 12 * styleManager.fontScaleRatio

            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: {
                    if (row.favourite)
                        networkManager.deleteFavoritesChannel(row.theData);
                    else
                        networkManager.addFavoritesChannel(row.theData);
                }
            }
        }
    ]

    // Sub-channels are drawn by this same row.
    childItems: ListView {
        objectName: "subChannelList"

        readonly property Item tree: row.tree
        readonly property int parentIndex: row.index
        readonly property var theData: row.theData
        readonly property int deviceIndex: row.view.deviceIndex
        readonly property var device: row.view.device
        readonly property Component channelRow: row.view.channelRow

        anchors.fill: parent
        interactive: false
        model: row.theData?.subChannelList
        delegate: channelRow
    }
}
