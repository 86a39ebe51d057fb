import QtQuick
import "../HomePage/DeviceTree" as DeviceTree

// The side panel's favourite tree: the favourite devices the panel hands in, each
// opening into its favourite channels. A channel's star removes it from the favourites
// or adds it back; the tree keeps the answer, and a removed channel stays listed, grey,
// until the panel loads the favourites again.
DeviceTree.TreeFrame {
    id: root

    signal clickFavoriteDevice(var channelList)
    signal clickFavoriteChannel(var info)

    function deviceClicked(row) {
        setTopCurrent(row.index, row.rowKey);
        clickFavoriteDevice(row.theData?.channels);
    }

    function channelClicked(row) {
        const view = row.view;
        view.pick(row.index);
        setTopCurrent(view.parentIndex, view.ownerKey);
        if (clickParent)
            clickFavoriteDevice(view.model);
        clickFavoriteChannel(row.theData);
    }

    // Answers to the stars, dropped when the tree goes.
    readonly property DeviceTree.ReplyGate answers: DeviceTree.ReplyGate {}

    delegate: FavoriteDeviceRow {}

    component FavoriteDeviceRow: DeviceTree.TreeRow {
        id: deviceItem

        // The details box text; made only when the row is hovered.
        function toolTipText() {
            return ["设备名称: " + theData?.DeviceName, "传输模式: " + theData?.Transport, "更新时间: " + theData?.UpdatedAt,
                    "设备类型: " + theData?.DeviceType].join("\n");
        }

        isDeviceRow: true
        // A new array drops every row's state: the place in it names the row.
        rowKey: "f" + index
        childHeight: expanded ? (theData?.channels?.length ?? 0) * 30 * styleManager.scaleRatio : 0
        onTextClicked: tree.deviceClicked(deviceItem)

        texts: DeviceTree.TreeText {
            objectName: "nameText"
            anchors.left: parent.left
            text: deviceItem.theData?.DeviceName ?? ""
            color: deviceItem.theData?.Online === 0 ? styleManager.style.color("Home-DeviceListView-Item-Offline")
                                                    : deviceItem.tree.textColor
        }

        childList: Component {
            DeviceTree.ChildList {
                objectName: "channelList"
                owner: deviceItem
                windowed: true
                model: deviceItem.theData?.channels
                delegate: FavoriteChannelRow {}
            }
        }
    }

    // The star's flag starts from the record and then follows the server's answers,
    // which the tree keeps for the row while the list stands: the row itself goes when
    // it scrolls away.
    component FavoriteChannelRow: DeviceTree.ServerChannelRow {
        id: channel

        readonly property string starKey: (view?.ownerKey ?? "") + "/" + index
        readonly property var answeredFlag: tree ? tree.stateOf(starKey).favourite : undefined
        readonly property int favoritesChannel: answeredFlag ?? theData?.FavoritesChannel ?? 0

        function setFavourite(flag) {
            const keeper = tree;
            const key = starKey;
            const generation = keeper.generation;
            const answered = keeper.answers.alive(success => {
                if (success && keeper.generation === generation)
                    keeper.setState(key, "favourite", flag);
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
    }
}
