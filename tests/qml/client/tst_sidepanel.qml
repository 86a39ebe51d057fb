import QtQuick
import QtTest
import "qrc:/zelka/qml/VideoSquare" as VideoSquare
import "qrc:/zelka/qml/HomePage" as HomePage

// The side panel with its device tree: what it hands to the page for a device, a
// channel and a sub-channel, the normalising of server channel objects, its details box
// left of itself, and folding. The two trees are two components.
DeviceTreeTestCase {
    id: testCase
    name: "SidePanel"

    readonly property color pageInputColor: "#a01b2c"

    SignalSpy {
        id: listSpy
        signalName: "clickChannelList"
    }

    SignalSpy {
        id: channelSpy
        signalName: "clickChannel"
    }

    Component {
        id: hostComponent

        Item {
            property color inputColor: testCase.pageInputColor
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

    function openPanel() {
        logIn();
        loadDevices(standardData());
        const host = createTemporaryObject(hostComponent, testCase);
        const panel = findChild(host, "panel");
        verify(panel);
        tryCompare(treeOf(panel), "width", panel.width, patience);
        listSpy.clear();
        channelSpy.clear();
        listSpy.target = panel;
        channelSpy.target = panel;
        return panel;
    }

    function treeOf(panel) {
        return findChild(panel, "deviceListView");
    }

    function test_treeIsTheFirstPageAndFolds() {
        const panel = openPanel();
        const tree = treeOf(panel);
        compare(panel.width, 320 * s);
        tryCompare(tree, "width", panel.width, patience);
        compare(tree.height, panel.height - 36 * s);
        compare(tree.mapToItem(panel, 0, 0).y, 36 * s);
        compare(tree.clickParent, false);
        panel.clickParent = true;
        compare(tree.clickParent, true);
        compare("toolTipAlign" in tree, false, "no side to choose: the box is always left");

        const fold = findChild(panel, "foldButton");
        const picture = findChild(panel, "foldPicture");
        compare(fold.mapToItem(panel, fold.width, 0).x, 0, "right edge on the panel's left edge");
        compare(String(picture.source), styleManager.style.image("VideoSquare-ListView-UnFold"));
        mouseClick(fold);
        compare(panel.expanded, false);
        compare(String(picture.source), styleManager.style.image("VideoSquare-ListView-Fold"));
        tryCompare(panel, "width", 0, patience);
        compare(fold.mapToItem(null, fold.width, 0).x, panel.parent.width, "still on screen at the right edge");
        mouseClick(fold);
        tryCompare(panel, "width", 320 * s, patience);
    }

    // A device: its channel list as the API client holds it, neither copied nor changed.
    function test_deviceClickHandsOnItsChannelList() {
        const panel = openPanel();
        const tree = treeOf(panel);
        clickText(deviceRow(tree, 0));
        compare(listSpy.count, 1);
        compare(channelSpy.count, 0);
        const sent = listSpy.signalArguments[0][0];
        const held = deviceManager.deviceList[0].channelList;
        compare(sent.length, 3);
        for (let i = 0; i < held.length; ++i)
            compare(sent[i], held[i]);
        compare(sent[0].favoritesChannel, 1);
    }

    // A channel with sub-channels hands on their list, one without itself; with
    // clickParent the device's list comes first, also for a sub-channel.
    function test_channelClicksHandOnTheRightThings() {
        const panel = openPanel();
        const tree = treeOf(panel);
        const a = deviceRow(tree, 0);
        expand(a);
        clickText(childRow(a, 1));
        compare(channelSpy.count, 0);
        compare(listSpy.count, 1);
        const subs = listSpy.signalArguments[0][0];
        compare(subs.length, 2);
        compare(subs[1], deviceManager.deviceList[0].channelList[1].subChannelList[1]);

        clickText(childRow(a, 0));
        compare(channelSpy.count, 1);
        compare(channelSpy.signalArguments[0][0], deviceManager.deviceList[0].channelList[0]);
        compare(listSpy.count, 1);

        panel.clickParent = true;
        const order = [];
        panel.clickChannelList.connect(list => order.push("list:" + list.length));
        panel.clickChannel.connect(info => order.push("channel:" + info.name));
        clickText(childRow(a, 2));
        compare(order, ["list:3", "channel:备用"]);
        order.length = 0;
        const gate = childRow(a, 1);
        expand(gate);
        clickText(childRow(gate, 1));
        compare(order, ["list:3", "channel:大门右"], "the sub-channel's device, not its channel");
        compare(findChild(tree, "listView").currentIndex, 0);
    }

    // Server keys are copied to the lower-camel names on the same objects; missing keys
    // give undefined; the list keeps its order and is handed on itself.
    function test_normalisingServerChannels() {
        const panel = openPanel();
        const info = { SnapUrl: "/snap/7", Name: "北门", ChannelID: 7, ParentDeviceID: 2, Online: 1, Extra: "x",
                       name: "old" };
        panel.clickNormalizeChannelInfo(info);
        compare(channelSpy.count, 1);
        const sent = channelSpy.signalArguments[0][0];
        compare(sent.Extra, "x");
        compare(sent.snapUrl, "/snap/7");
        compare(sent.name, "北门");
        compare(sent.channelID, 7);
        compare(sent.parentDeviceID, 2);
        compare(sent.online, 1);
        verify("rtspUrl" in sent && sent.rtspUrl === undefined, "missing keys give undefined");
        verify("gpsLongitude" in sent && sent.gpsLongitude === undefined);
        compare(sent.SnapUrl, "/snap/7", "server keys stay");
        compare(info.snapUrl, "/snap/7", "the same object");

        const list = [{ Name: "一", ChannelID: 1 }, { Name: "二", ChannelID: 2, GpsLatitude: 30.5 }];
        panel.clickkNormalizeChannelList(list);
        compare(listSpy.count, 1);
        const sentList = listSpy.signalArguments[0][0];
        compare(sentList.length, 2);
        compare(sentList[0].name, "一");
        compare(sentList[1].name, "二");
        compare(sentList[1].gpsLatitude, 30.5);
        compare(list[0].channelID, 1, "the same objects");
        panel.clickkNormalizeChannelList([]);
        compare(listSpy.count, 2);
        compare(listSpy.signalArguments[1][0].length, 0);
        panel.clickkNormalizeChannelList(undefined);
        compare(listSpy.count, 3);
        compare(listSpy.signalArguments[2][0], undefined);
    }

    // The tree drives the panel's box, left of the panel, and its mirrored link.
    function test_detailsBoxStandsLeftOfThePanel() {
        const panel = openPanel();
        const tree = treeOf(panel);
        const box = findChild(panel, "deviceToolTip");
        const link = findChild(panel, "deviceToolTipLink");
        const area = findChild(panel, "listArea");
        tryCompare(tree, "width", panel.width, patience);
        compare(box.x + box.width, -60);
        verify(link.mirrored);
        compare(link.x, box.x + box.width - 10);
        compare(link.x + link.width, 10);
        compare(piece(link, "mark").x, -5);

        const a = deviceRow(tree, 0);
        hover(a);
        verify(tree.parentHovered);
        verify(link.visible);
        verify(panel.animationLeft.running);
        compare(link.offsetY, 65 * s);
        compare(box.y, a.mapToItem(area, 0, 0).y - 50 * s);
        compare(box.text.split("\n").length, 4);
        tryCompare(box, "show", true, patience);
        compare(findChild(link, "line2").x, 0);
        compare(findChild(link, "line2").y, 15);

        expand(a);
        const parking = childRow(a, 0);
        hover(parking);
        verify(tree.childHovered);
        compare(box.y, parking.mapToItem(area, 0, 0).y - 60 * s);
        compare(box.text.split("\n")[0], "name: 停车场");
        // The page's colour fills a favourite's star.
        compare(piece(parking, "star").color, pageInputColor);
        mouseMove(panel.parent, 100, 100);
        tryCompare(box, "opacity", 0, patience);
        compare(link.visible, false);
    }

    // Each directory reaches its own file: two components under one type name.
    function test_twoDeviceListViewsAreTwoComponents() {
        const home = Qt.createComponent("qrc:/zelka/qml/HomePage/DeviceListView.qml");
        const side = Qt.createComponent("qrc:/zelka/qml/VideoSquare/DeviceListView.qml");
        compare(home.status, Component.Ready, home.errorString());
        compare(side.status, Component.Ready, side.errorString());
        const homeTree = home.createObject(testCase);
        const sideTree = side.createObject(testCase);
        verify("toolTipAlign" in homeTree);
        verify(!("toolTipAlign" in sideTree));
        verify(findChild(homeTree, "deviceToolTip") !== null, "the home tree has its own box");
        compare(findChild(sideTree, "deviceToolTip"), null);
        compare(sideTree.toolTipBox, null, "outside a panel there is no box to drive");
        homeTree.destroy();
        sideTree.destroy();
        // The stand-ins use each their own.
        const module = qmlApi.readFileToString(":/zelka/qmldir").split("\n");
        verify(module.includes("DeviceListView 1.0 qml/HomePage/DeviceListView.qml"));
        verify(module.includes("DeviceListView 1.0 qml/VideoSquare/DeviceListView.qml"));
    }
}
