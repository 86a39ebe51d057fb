import QtQuick
import "../HomePage/DeviceTree" as DeviceTree
import "../Widgets" as Widgets

// The side panel's group tree: the server's channel groups, the devices of a group and
// the channels of such a device. The panel hands in the groups; every expansion of a
// group or device asks the server for its level again, and only the newest answer for a
// row fills it. Rows are rebuilt closed whenever their list gets a new array.
DeviceTree.TreeFrame {
    id: root

    property bool couldCarouselGroup: false

    signal clickGroupDevice(int labelId, int deviceId)
    signal clickGroupChannel(var info)
    signal clickCarouselGroup(var groupInfo)

    function deviceClicked(row) {
        row.view.currentIndex = row.index;
        clickGroupDevice(row.view.labelId, row.theData?.ID ?? 0);
    }

    // The channel's device becomes current in its group; with clickParent the device is
    // reported before the channel.
    function channelClicked(row) {
        const view = row.view;
        view.currentIndex = row.index;
        view.deviceList.currentIndex = view.parentIndex;
        if (clickParent)
            clickGroupDevice(view.labelId, view.deviceId);
        clickGroupChannel(row.theData);
    }

    keepsAllRows: false
    delegate: GroupRow {}

    // Never drawn as current; its play button asks the page for a carousel over the group.
    component GroupRow: DeviceTree.TreeRow {
        id: groupItem

        readonly property string toolTipText: ["id: " + theData?.ID, "name: " + theData?.Name].join("\n")

        isDeviceRow: true
        showsCurrent: false
        childHeight: expanded ? Math.max(0, deviceListView.contentHeight) : 0
        onTextClicked: view.currentIndex = index
        onExpandedChanged: {
            if (expanded)
                networkManager.getGroupDevice(theData?.ID ?? 0, gate.latest(list => tree.fill(deviceListView, list)));
        }

        DeviceTree.ReplyGate {
            id: gate
        }

        texts: [
            DeviceTree.TreeText {
                objectName: "nameText"
                anchors.left: parent.left
                text: groupItem.theData?.Name ?? ""
                color: groupItem.theData?.onlineChannelNums === 0 ? styleManager.style.color("Home-DeviceListView-Item-Offline")
                                                                   : groupItem.tree.textColor
            },

            Widgets.ImageButton {
                objectName: "playButton"
                anchors.right: parent.right
                width: height
                height: parent.height
                visible: groupItem.tree.couldCarouselGroup
                enabled: visible
                normalImage: styleManager.style.image("RecordManage-PlayIcon")
                onClicked: groupItem.tree.clickCarouselGroup(groupItem.theData)
            }
        ]

        childItems: ListView {
            id: deviceListView
            objectName: "deviceList"

            readonly property Item tree: groupItem.tree
            readonly property int labelId: groupItem.theData?.ID ?? 0

            anchors.fill: parent
            interactive: false
            delegate: GroupDeviceRow {}

            DeviceTree.RowKeeper {
                list: deviceListView
            }
        }
    }

    component GroupDeviceRow: DeviceTree.TreeRow {
        id: item

        readonly property string toolTipText: ["id: " + theData?.ID, "online: " + theData?.Online,
                                               "name: " + theData?.Name].join("\n")

        isDeviceRow: true
        childHeight: expanded ? channelListView.count * 30 * styleManager.scaleRatio : 0
        onTextClicked: tree.deviceClicked(item)
        onExpandedChanged: {
            if (expanded)
                networkManager.getGroupDeviceChannel(view?.labelId ?? 0, theData?.ID ?? 0,
                                                     gate.latest(list => tree.fill(channelListView, list)));
        }

        DeviceTree.ReplyGate {
            id: gate
        }

        texts: DeviceTree.TreeText {
            objectName: "nameText"
            anchors.left: parent.left
            text: item.theData?.Name ?? ""
            color: item.theData?.Online === 0 ? styleManager.style.color("Home-DeviceListView-Item-Offline")
                                              : item.tree.textColor
        }

        childItems: ListView {
            id: channelListView
            objectName: "channelList"

            readonly property Item tree: item.tree
            readonly property ListView deviceList: item.view
            readonly property int parentIndex: item.index
            readonly property int labelId: item.view?.labelId ?? 0
            readonly property int deviceId: item.theData?.ID ?? 0

            anchors.fill: parent
            interactive: false
            delegate: DeviceTree.ServerChannelRow {
                id: channel

                hasStar: false
                onTextClicked: tree.channelClicked(channel)
            }
        }
    }
}
