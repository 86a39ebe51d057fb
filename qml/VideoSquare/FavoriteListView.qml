import QtQuick
import "../HomePage/DeviceTree" as DeviceTree

// The side panel's favourite tree: the favourite devices the panel hands in, each
// opening into its favourite channels. A channel's star removes it from the favourites
// or adds it back; the row keeps the answer, and a removed channel stays listed, grey,
// until the panel loads the favourites again.
DeviceTree.TreeFrame {
    id: root

    signal clickFavoriteDevice(var channelList)
    signal clickFavoriteChannel(var info)

    function deviceClicked(row) {
        listView.currentIndex = row.index;
        clickFavoriteDevice(row.theData?.channels);
    }

    function channelClicked(row) {
        const view = row.view;
        view.currentIndex = row.index;
        listView.currentIndex = view.parentIndex;
        if (clickParent)
            clickFavoriteDevice(view.model);
        clickFavoriteChannel(row.theData);
    }

    delegate: FavoriteDeviceRow {}

    component FavoriteDeviceRow: DeviceTree.TreeRow {
        id: item

        readonly property string toolTipText: ["设备名称: " + theData?.DeviceName, "传输模式: " + theData?.Transport,
                                               "更新时间: " + theData?.UpdatedAt, "设备类型: " + theData?.DeviceType].join("\n")

        isDeviceRow: true
        childHeight: expanded ? (theData?.channels?.length ?? 0) * 30 * styleManager.scaleRatio : 0
        onTextClicked: tree.deviceClicked(item)

        texts: DeviceTree.TreeText {
            objectName: "nameText"
            anchors.left: parent.left
            text: item.theData?.DeviceName ?? ""
            color: item.theData?.Online === 0 ? styleManager.style.color("Home-DeviceListView-Item-Offline")
                                              : item.tree.textColor
        }

        childItems: ListView {
            id: channelListView
            objectName: "channelList"

            readonly property Item tree: item.tree
            readonly property int parentIndex: item.index

            anchors.fill: parent
            interactive: false
            model: item.theData?.channels
            delegate: FavoriteChannelRow {}
        }
    }

    // The star's flag starts from the record and then follows the server's answers.
    component FavoriteChannelRow: DeviceTree.ServerChannelRow {
        id: channel

        property int favoritesChannel: theData?.FavoritesChannel ?? 0

        function setFavourite(flag) {
            const answered = gate.alive(success => {
                if (success)
                    channel.favoritesChannel = flag;
            });
            const deviceId = theData?.ParentDeviceID ?? 0;
            const channelId = theData?.ChannelID ?? 0;
            if (flag)
                networkManager.addFavoritesChannel(deviceId, channelId, answered);
            else
                networkManager.deleteFavoritesChannel(deviceId, channelId, answered);
        }

        favourite: favoritesChannel !== 0
        starMargin: 14 * styleManager.scaleRatio
        onTextClicked: tree.channelClicked(channel)
        onStarClicked: setFavourite(favoritesChannel === 0 ? 1 : 0)

        DeviceTree.ReplyGate {
            id: gate
        }
    }
}
