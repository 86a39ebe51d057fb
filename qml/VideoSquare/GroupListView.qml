import QtQuick
import "../HomePage/DeviceTree" as DeviceTree
import "../Widgets" as Widgets

// The side panel's group tree: the server's channel groups, the devices of a group and
// the channels of such a device. The panel hands in the groups; every expansion of a
// group or device asks the server for its level again, and only the newest answer for a
// row fills it. Rows are rebuilt closed whenever their list gets a new array. The tree
// keeps each open row's answer, so that a row made again as it scrolls back shows it.
DeviceTree.TreeFrame {
    id: root

    property bool couldCarouselGroup: false

    signal clickGroupDevice(int labelId, int deviceId)
    signal clickGroupChannel(var info)
    signal clickCarouselGroup(var groupInfo)

    function deviceClicked(row) {
        row.view.pick(row.index);
        clickGroupDevice(row.view.labelId, row.theData?.ID ?? 0);
    }

    // Asks for the children of an open row; until the answer the row shows the last one.
    // Each answer is a new array, whose rows start closed (their keys name the answer).
    function load(row, request) {
        request(row.gate.latest(list => {
            const answers = (stateOf(row.rowKey).answers ?? 0) + 1;
            setState(row.rowKey, "answers", answers);
            setState(row.rowKey, "children", list);
            if (row.childView)
                fill(row.childView, list);
        }));
    }

    // A row made open: the answer the tree kept, or a new request when none came and
    // none is on its way.
    function restoreChildren(row, list, request) {
        const kept = stateOf(row.rowKey).children;
        if (kept !== undefined)
            fill(list, kept);
        else if (row.gate.tickets.length === 0)
            load(row, request);
    }

    // The key of the row at `index` of the list that the row of `ownerKey` opens into:
    // the owner's key and its answer.
    function childKey(ownerKey, index) {
        return ownerKey + "." + (stateOf(ownerKey).answers ?? 0) + "/" + index;
    }

    // Rows under an open row, from the answers kept: so a row made again stands at its
    // full height at once.
    function rowsUnder(key, depth) {
        let rows = (stateOf(key).children ?? []).length;
        for (const open of openChildren(key, depth))
            rows += open.rows;
        return rows;
    }

    // The open children of the row of `key`, by place: [{ index, rows, key }], their rows
    // `depth` - 1 levels down.
    function openChildren(key, depth) {
        if (depth < 2)
            return [];
        const prefix = childKey(key, "");
        const count = (stateOf(key).children ?? []).length;
        const placeOf = child => {
            const place = child.slice(prefix.length);
            return /^[0-9]+$/.test(place) && Number(place) < count ? Number(place) : undefined;
        };
        return openRowsUnder(prefix, placeOf, child => rowsUnder(child, depth - 1));
    }

    // The channel's device becomes current in its group; with clickParent the device is
    // reported before the channel.
    function channelClicked(row) {
        const view = row.view;
        view.pick(row.index);
        view.deviceList.pick(view.parentIndex);
        if (clickParent)
            clickGroupDevice(view.labelId, view.deviceId);
        clickGroupChannel(row.theData);
    }

    delegate: GroupRow {}

    // Never drawn as current; its play button asks the page for a carousel over the group.
    component GroupRow: DeviceTree.TreeRow {
        id: groupItem

        // The details box text; made only when the row is hovered.
        function toolTipText() {
            return ["id: " + theData?.ID, "name: " + theData?.Name].join("\n");
        }

        readonly property DeviceTree.ReplyGate gate: DeviceTree.ReplyGate {}

        function request(callback) {
            networkManager.getGroupDevice(theData?.ID ?? 0, callback);
        }

        isDeviceRow: true
        showsCurrent: false
        // A new array drops every row's state: the place in it names the row.
        rowKey: "g" + index
        childHeight: expanded ? tree.rowsUnder(rowKey, 2) * 30 * styleManager.scaleRatio : 0
        onTextClicked: tree.setTopCurrent(index, rowKey)
        onExpandedChanged: {
            if (expanded)
                tree.load(groupItem, request);
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

        childList: Component {
            DeviceTree.ChildList {
                id: groupDevices
                objectName: "deviceList"
                owner: groupItem
                windowed: true
                tallRows: groupItem.tree ? groupItem.tree.openChildren(groupItem.rowKey, 2) : []
                readonly property int labelId: groupItem.theData?.ID ?? 0
                delegate: GroupDeviceRow {}
                Component.onCompleted: groupItem.tree.restoreChildren(groupItem, groupDevices, groupItem.request)
            }
        }
    }

    component GroupDeviceRow: DeviceTree.TreeRow {
        id: groupDevice

        // The details box text; made only when the row is hovered.
        function toolTipText() {
            return ["id: " + theData?.ID, "online: " + theData?.Online, "name: " + theData?.Name].join("\n");
        }

        readonly property DeviceTree.ReplyGate gate: DeviceTree.ReplyGate {}

        function request(callback) {
            networkManager.getGroupDeviceChannel(view?.labelId ?? 0, theData?.ID ?? 0, callback);
        }

        isDeviceRow: true
        rowKey: view && tree ? tree.childKey(view.ownerKey, index) : ""
        childHeight: expanded ? tree.rowsUnder(rowKey, 1) * 30 * styleManager.scaleRatio : 0
        onTextClicked: tree.deviceClicked(groupDevice)
        onExpandedChanged: {
            if (expanded)
                tree.load(groupDevice, request);
        }

        texts: DeviceTree.TreeText {
            objectName: "nameText"
            anchors.left: parent.left
            text: groupDevice.theData?.Name ?? ""
            color: groupDevice.theData?.Online === 0 ? styleManager.style.color("Home-DeviceListView-Item-Offline")
                                                     : groupDevice.tree.textColor
        }

        childList: Component {
            DeviceTree.ChildList {
                id: deviceChannels
                objectName: "channelList"
                owner: groupDevice
                windowed: true
                readonly property ListView deviceList: groupDevice.view
                readonly property int labelId: groupDevice.view?.labelId ?? 0
                readonly property int deviceId: groupDevice.theData?.ID ?? 0
                delegate: DeviceTree.ServerChannelRow {
                    id: channel

                    hasStar: false
                    onTextClicked: tree.channelClicked(channel)
                }
                Component.onCompleted: groupDevice.tree.restoreChildren(groupDevice, deviceChannels, groupDevice.request)
            }
        }
    }
}
