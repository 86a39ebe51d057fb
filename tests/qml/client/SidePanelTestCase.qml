import QtQuick
import QtTest
import "qrc:/zelka/qml/VideoSquare" as VideoSquare

// Base of the side panel's tests: the panel at the right edge of a page that offers
// inputColor, the server's groups and favourites per case, the panel's tabs, and a
// record of what the panel hands to the page, in order.
DeviceTreeTestCase {
    id: panelCase

    readonly property color pageInputColor: "#a01b2c"

    Component {
        id: hostComponent

        Item {
            property color inputColor: panelCase.pageInputColor
            width: 1400
            height: 900

            VideoSquare.DeviceManageSwipeView {
                objectName: "panel"
                anchors.top: parent.top
                anchors.bottom: parent.bottom
                anchors.right: parent.right
            }
        }
    }

    // Devices 1 (A, online), 2 (B, offline) and 3 (C); groups 5 "东区" (channels 11, 12
    // of A and 21 of B), 6 "空组" (none) and 7 "西区" (channel 31 of C, offline).
    // Channel 12 has no SnapUrl; 11 and 31 are favourites.
    function groupData() {
        const twelve = channel(12, 1, "西门", { FavoritesChannel: 0, Enable: 0 });
        delete twelve.SnapUrl;
        return {
            Devices: [device(1, "设备A"), device(2, "设备B", { Online: 0 }), device(3, "设备C")],
            Channels: [channel(11, 1, "东门", { FavoritesChannel: 1, GpsLatitude: 30.25, GpsLongitude: 120.5 }), twelve,
                       channel(21, 2, "球机", { Online: 0 }), channel(31, 3, "围墙", { Online: 0, FavoritesChannel: 1 })],
            Groups: [{ ID: 5, Name: "东区", Channels: [11, 12, 21] }, { ID: 6, Name: "空组", Channels: [] },
                     { ID: 7, Name: "西区", Channels: [31] }]
        };
    }

    function putData(data) {
        verify(testServer.changeData(data));
    }

    // The panel on its page, the server holding `data` (groupData() unless given).
    function openPanel(data) {
        logIn();
        putData(data || groupData());
        return createPanel();
    }

    function createPanel() {
        const host = createTemporaryObject(hostComponent, panelCase);
        const panel = findChild(host, "panel");
        verify(panel);
        tryCompare(findChild(panel, "deviceListView"), "width", panel.width, patience);
        return panel;
    }

    function tab(panel, index) {
        return piece(panel, ["deviceTab", "groupTab", "favoriteTab"][index]);
    }

    function groupTree(panel) {
        return piece(panel, "groupListView");
    }

    function favoriteTree(panel) {
        return piece(panel, "favoriteListView");
    }

    // Clicks a tab and waits for the page to be in place (to the whole pixel the view snaps
    // to) and, for the group and favourite tabs, for the tree to be given the server's answer.
    function openTab(panel, index) {
        const tree = index === 1 ? groupTree(panel) : index === 2 ? favoriteTree(panel) : null;
        const given = tree ? modelChanges(tree.listView) : null;
        mouseClick(tab(panel, index));
        const view = piece(panel, "swipeView");
        tryCompare(view, "currentIndex", index, patience);
        tryVerify(() => !view.contentItem.moving && Math.abs(view.contentItem.contentX - index * view.width) < 1, patience,
                  "the page slid in");
        if (tree)
            tryVerify(() => given.count > 0, patience, "the tree was given the server's answer");
        return tree;
    }

    // Everything the panel hands to the page, as "list:<names>", "channel:<name>",
    // "group:<name>" and "tab:<index>".
    function recordPanel(panel) {
        const record = [];
        const names = list => list ? Array.from(list).map(info => info.name).join(",") : String(list);
        panel.clickChannelList.connect(list => record.push({ text: "list:" + names(list), value: list }));
        panel.clickChannel.connect(info => record.push({ text: "channel:" + info.name, value: info }));
        panel.clickCarouselGroup.connect(group => record.push({ text: "group:" + group.Name, value: group }));
        panel.clickDeviceListButton.connect(() => record.push({ text: "tab:0" }));
        panel.clickDeviceGroupButton.connect(() => record.push({ text: "tab:1" }));
        panel.clickDeviceFavoriteButton.connect(() => record.push({ text: "tab:2" }));
        return record;
    }

    function texts(record) {
        return record.map(entry => entry.text);
    }

    // Opens a row of the group tree (or a device in it) and waits for the server's answer
    // to be laid out.
    function expandLoaded(row) {
        clickSquare(row);
        // The list is made as the row opens; the tree keeps the answer that fills it.
        tryVerify(() => {
            const kept = row.tree.stateOf(row.rowKey).children;
            return kept !== undefined && channelListOf(row) !== null && channelListOf(row).count === kept.length;
        }, patience, "the list of " + row.theData?.Name + " arrived");
        const list = channelListOf(row);
        // This row's area and those of the rows that hold it reach their heights: a row
        // still outside a growing area takes no click.
        for (let current = row; current; current = rowHolding(current.view)) {
            const area = piece(current, "childArea");
            tryVerify(() => area.height === current.childHeight, patience, "the child area settled");
        }
        settle(row);
        return list;
    }

    // Counts the arrays a list is given from now on.
    function modelChanges(list) {
        const changes = { count: 0 };
        // A tree lets a list's rows go before it gives it the new ones.
        list.modelChanged.connect(() => {
            if (list.model !== undefined)
                ++changes.count;
        });
        return changes;
    }

    function channelListOf(row) {
        return findChild(row, "deviceList") || findChild(row, "channelList");
    }

    function rowOf(list, index) {
        tryVerify(() => list.itemAtIndex(index) !== null, patience, "row " + index + " of " + list.objectName);
        return list.itemAtIndex(index);
    }
}
