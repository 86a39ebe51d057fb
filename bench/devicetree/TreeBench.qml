import QtQuick

// The device trees as the logged-in client holds them on its home page: the home page's
// tree shown, and the side panels of four pages not shown, each with its device, group
// and favourite trees. `trees` false
// leaves them out, for the cost of the device list itself. `qmlRoot` names where the
// interface files come from: the module's resources, or a folder of other sources.
// `groups` adds a group tree, shown, for the large cases.
Item {
    id: root

    property bool trees: true
    property bool groups: false
    property string qmlRoot: "qrc:/zelka/qml"
    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")
    property bool loggedIn: false
    // Device lists published so far.
    property int lists: 0
    readonly property Item homeTree: trees ? homeLoader.item : null
    readonly property Item groupTree: groups ? groupLoader.item : null
    // What a tree shows, and the margin its lists make rows for beyond it, in rows.
    readonly property real rowHeight: 30 * styleManager.scaleRatio
    readonly property real windowMargin: 120 * styleManager.scaleRatio

    function logIn(user, password) {
        networkManager.login(user, password, "", function (ok) { root.loggedIn = ok; });
    }

    function refresh() {
        networkManager.getDeviceList();
    }

    // The device of `index` opened or closed as a click on its square would.
    function setOpen(index, open) {
        const list = homeTree.listView;
        list.positionViewAtIndex(index, ListView.Beginning);
        if (typeof homeTree.setRowOpen === "function") {
            homeTree.setRowOpen(homeTree.deviceKey(deviceManager.deviceList[index]), open);
            return;
        }
        const row = list.itemAtIndex(index);
        if (row)
            row.expanded = open;
    }

    // Every device opened: through the tree's record of open rows where it keeps one,
    // otherwise row by row (every row then exists).
    function openAll() {
        const list = deviceManager.deviceList;
        if (typeof homeTree.setRowOpen === "function") {
            for (let i = 0; i < list.length; ++i)
                homeTree.setRowOpen(homeTree.deviceKey(list[i]), true);
            return;
        }
        for (let i = 0; i < homeTree.listView.count; ++i) {
            const row = homeTree.listView.itemAtIndex(i);
            if (row)
                row.expanded = true;
        }
    }

    function scrollTo(y) {
        homeTree.listView.contentY = y;
    }

    function contentHeight() {
        return homeTree.listView.contentHeight;
    }

    function treeNamed(name) {
        return name === "group" ? groupTree : homeTree;
    }

    // The rows a tree's view shows, a row cut at each edge, and its lists' margins.
    function rowsShownWithMargin(name) {
        const list = treeNamed(name).listView;
        return Math.ceil((list.height + 2 * windowMargin) / rowHeight) + 2;
    }

    function scrollTreeTo(name, y) {
        treeNamed(name).listView.contentY = y;
    }

    function deviceIndex(name) {
        const list = deviceManager.deviceList;
        for (let i = 0; i < list.length; ++i) {
            if (list[i].deviceName === name)
                return i;
        }
        return -1;
    }

    // The channel of the device of `index` that has sub-channels, opened.
    function openSubChannels(index) {
        const channels = deviceManager.deviceList[index].channelList;
        for (let i = 0; i < channels.length; ++i) {
            if (channels[i].hasSubChannels) {
                homeTree.setRowOpen(homeTree.channelKey(channels[i]), true);
                return channels[i].subChannelList.length;
            }
        }
        return 0;
    }

    // The span of a top row in its tree's content, with the view at its top: [top, bottom].
    function rowSpan(name, index) {
        const list = treeNamed(name).listView;
        list.positionViewAtIndex(index, ListView.Beginning);
        const row = list.itemAtIndex(index);
        return row ? [row.y, row.y + row.height] : [0, 0];
    }

    function loadGroups() {
        networkManager.getGroupList(list => groupTree.model = list);
    }

    function groupIndex(name) {
        const list = groupTree.model;
        for (let i = 0; list && i < list.length; ++i) {
            if (list[i].Name === name)
                return i;
        }
        return -1;
    }

    // A group opened as a click on its square would, and its first device once the
    // group's answer came.
    function openGroup(index) {
        groupTree.listView.positionViewAtIndex(index, ListView.Beginning);
        groupTree.setRowOpen("g" + index, true);
    }

    function groupAnswered(index) {
        return groupTree.stateOf("g" + index).children !== undefined;
    }

    function groupDeviceKey(index) {
        return groupTree.childKey("g" + index, 0);
    }

    function openGroupDevice(index) {
        groupTree.setRowOpen(groupDeviceKey(index), true);
    }

    function groupDeviceAnswered(index) {
        return groupTree.stateOf(groupDeviceKey(index)).children !== undefined;
    }

    width: 1688
    height: 904

    Connections {
        target: deviceManager

        function onDeviceListChanged() {
            ++root.lists;
        }
    }

    Loader {
        id: homeLoader
        active: root.trees
        x: 0
        width: 300
        height: parent.height
        source: root.qmlRoot + "/HomePage/DeviceListView.qml"
    }

    Loader {
        id: groupLoader
        active: root.trees && root.groups
        x: root.width - 320
        width: 300
        height: parent.height
        source: root.qmlRoot + "/VideoSquare/GroupListView.qml"
    }

    Row {
        x: 340
        Repeater {
            model: root.trees ? 4 : 0

            Loader {
                visible: false
                width: 320 * styleManager.scaleRatio
                height: root.height
                source: root.qmlRoot + "/VideoSquare/DeviceManageSwipeView.qml"
            }
        }
    }
}
