import QtQuick

// The device trees as the logged-in client holds them on its home page: the home page's
// tree shown, and the side panels of four pages not shown, each with its device, group
// and favourite trees. `trees` false
// leaves them out, for the cost of the device list itself. `qmlRoot` names where the
// interface files come from: the module's resources, or a folder of other sources.
Item {
    id: root

    property bool trees: true
    property string qmlRoot: "qrc:/zelka/qml"
    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")
    property bool loggedIn: false
    // Device lists published so far.
    property int lists: 0
    readonly property Item homeTree: trees ? homeLoader.item : null

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
