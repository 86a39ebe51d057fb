import QtQuick
import QtTest
import "qrc:/zelka/qml/VideoSquare" as VideoSquare
import "qrc:/zelka/qml/HomePage" as HomePage

// The side panel: its tabs and what a click on them loads, what it hands to the page
// for a device, a channel and a group of each of its three trees and in which order,
// the normalising of server channel objects, its details box left of itself, and
// folding. The side panel's and the home page's device trees are two components.
SidePanelTestCase {
    id: testCase
    name: "SidePanel"

    SignalSpy {
        id: listSpy
        signalName: "clickChannelList"
    }

    SignalSpy {
        id: channelSpy
        signalName: "clickChannel"
    }

    // The panel's picks going to a tile, as a page hands them on.
    Component {
        id: tileComponent

        HomePage.CameraRectangle {
            width: 480
            height: 270
        }
    }

    // The panel over the standard devices of the device tree tests.
    function openDevicePanel() {
        logIn();
        loadDevices(standardData());
        const panel = createPanel();
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
        const panel = openDevicePanel();
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
        const panel = openDevicePanel();
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
        const panel = openDevicePanel();
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

    // A row may report a record that a new device list has released (it reads as null):
    // the panel hands nothing on and throws nothing; a live record still goes through.
    property QtObject heldDevice: null
    property QtObject heldChannel: null

    function test_releasedRecordsAreIgnored() {
        const panel = openDevicePanel();
        const tree = treeOf(panel);
        // Held as object properties, which turn null when their object goes.
        heldDevice = deviceManager.deviceList[0];
        heldChannel = heldDevice.channelList[0];
        loadDevices(standardData());
        tryVerify(() => heldDevice === null && heldChannel === null, patience, "the old records were released");
        tree.clickDevice(heldDevice);
        tree.clickChannel(heldChannel);
        tree.clickDevice(null);
        tree.clickChannel(null);
        compare(listSpy.count, 0);
        compare(channelSpy.count, 0);
        compare(testKit.messages().filter(line => /TypeError|ReferenceError/.test(line)), []);
        tree.clickChannel(deviceManager.deviceList[0].channelList[0]);
        compare(channelSpy.count, 1);
    }

    // Server keys are copied to the lower-camel names on the same objects; missing keys
    // give undefined; the list keeps its order and is handed on itself.
    function test_normalisingServerChannels() {
        const panel = openDevicePanel();
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
        const panel = openDevicePanel();
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

    // Three equal tabs that follow the swipe view and back; a click reports its tab and,
    // for the group and favourite tabs, asks the server every time. A swipe asks nothing.
    function test_tabsReportAndLoadOnEveryClick() {
        const panel = openPanel();
        const record = recordPanel(panel);
        const bar = piece(panel, "tabBar");
        const view = piece(panel, "swipeView");
        compare(bar.height, 36 * s);
        const names = ["设备列表", "设备分组", "收藏"];
        const separators = ["#80ffffff", "#60ffffff", null];
        for (let i = 0; i < 3; ++i) {
            const button = tab(panel, i);
            compare(button.text, names[i]);
            compare(button.width, panel.width / 3);
            compare(button.height, 36 * s);
            const separator = findChild(button, "separator");
            compare(separator.visible, separators[i] !== null, "separator of tab " + i);
            if (separators[i] !== null) {
                compare(separator.color, Qt.color(separators[i]));
                compare(separator.width, 1);
                compare(separator.height, button.height * 0.6);
                compare(separator.mapToItem(button, 1, 0).x, button.width);
            }
        }
        compare(bar.currentIndex, 0);
        compare(tab(panel, 0).background.color, Qt.color("#d0009ca2"));
        compare(tab(panel, 2).background.color, Qt.color("#10ffffff"));

        // As a swipe does, from inside the view.
        view.setCurrentIndex(2);
        compare(bar.currentIndex, 2, "the tabs follow the pages");
        compare(record.length, 0);

        openTab(panel, 1);
        compare(view.currentIndex, 1, "the pages follow the tabs");
        compare(groupTree(panel).listView.count, 3);
        openTab(panel, 1);
        compare(texts(record), ["tab:1", "tab:1"]);
        compare(testServer.requests("/api/v1/labelchannel/info").length, 2);
        openTab(panel, 2);
        compare(favoriteTree(panel).listView.count, 2);
        openTab(panel, 0);
        openTab(panel, 0);
        compare(texts(record), ["tab:1", "tab:1", "tab:2", "tab:0", "tab:0"]);
        compare(testServer.requests("/api/v1/favorites").length, 1);
        compare(testServer.requests("/api/v1/labelchannel/info").length, 2);

        // A failed load leaves the tree as it was; a "data" that is no array empties it.
        testServer.setFault("/api/v1/labelchannel/info", { status: 500, body: "{}", remainingHits: 1 });
        mouseClick(tab(panel, 1));
        tryVerify(() => testKit.messages().some(line => line.includes("getGroupList error")), patience);
        compare(groupTree(panel).listView.count, 3);
        testServer.setFault("/api/v1/labelchannel/info", { status: 200, body: "{\"data\": {\"ID\": 1}}",
                                                           contentType: "application/json", remainingHits: 1 });
        openTab(panel, 1);
        compare(groupTree(panel).listView.count, 0);
    }

    // Of two clicks on a tab, the second request's answer stays, though the first
    // answer comes later.
    function test_theLaterLoadWins() {
        const panel = openPanel();
        testServer.setFault("/api/v1/labelchannel/info", { delayMs: 1500, remainingHits: 1 });
        testServer.setFault("/api/v1/favorites", { delayMs: 1500, remainingHits: 1 });
        mouseClick(tab(panel, 1));
        mouseClick(tab(panel, 2));
        waitForRequests("/api/v1/labelchannel/info", 1);
        waitForRequests("/api/v1/favorites", 1);
        const data = groupData();
        data.Groups = [{ ID: 9, Name: "新组", Channels: [11] }];
        data.Channels[0].FavoritesChannel = 0;
        putData(data);
        openTab(panel, 1);
        openTab(panel, 2);
        compare(groupTree(panel).listView.count, 1);
        compare(favoriteTree(panel).listView.count, 1);
        // The first answers arrive meanwhile and are dropped.
        wait(2500);
        compare(groupTree(panel).listView.count, 1);
        compare(rowOf(groupTree(panel).listView, 0).theData.Name, "新组");
        compare(favoriteTree(panel).listView.count, 1);
    }

    // The group tree: a device hands on its channels when the server answers; a channel
    // goes at once, and with clickParent its device's list follows the answer; a failed
    // answer hands on nothing. The play button hands on the group.
    function test_groupTreeRouting() {
        const panel = openPanel();
        const record = recordPanel(panel);
        const tree = openTab(panel, 1);
        record.length = 0;
        const east = rowOf(tree.listView, 0);
        const devices = expandLoaded(east);
        compare(devices.count, 2);
        const a = rowOf(devices, 0);
        clickText(a);
        compare(record.length, 0, "the list waits for the server");
        tryVerify(() => record.length === 1, patience, "the answer came");
        compare(texts(record), ["list:东门,西门"]);
        const list = record[0].value;
        compare(list[0].channelID, 11);
        compare(list[0].parentDeviceID, 1);
        compare(list[0].snapUrl, "/snap/11");
        compare(list[0].gpsLatitude, 30.25);
        compare(list[0].gpsLongitude, 120.5);
        compare(list[0].favoritesChannel, 1);
        compare(list[1].enable, 0);
        verify("snapUrl" in list[1] && list[1].snapUrl === undefined, "a missing SnapUrl gives undefined");
        const query = testServer.requests("/api/v1/labeldeviceowninfo")[0].items;
        compare(query.labelid, "5");
        compare(query.deviceid, "1");

        const channels = expandLoaded(a);
        record.length = 0;
        clickText(rowOf(channels, 1));
        compare(texts(record), ["channel:西门"]);
        compare(record[0].value.channelID, 12);
        compare(record[0].value.Name, "西门", "the server's keys stay");

        panel.clickParent = true;
        record.length = 0;
        clickText(rowOf(channels, 0));
        compare(texts(record), ["channel:东门"], "the channel at once");
        tryVerify(() => record.length === 2, patience, "the answer came");
        compare(texts(record), ["channel:东门", "list:东门,西门"]);

        testServer.setFault("/api/v1/labeldeviceowninfo", { status: 500, body: "{}" });
        testKit.clearMessages();
        record.length = 0;
        clickText(rowOf(channels, 1));
        tryVerify(() => testKit.messages().some(line => line.includes("getGroupDeviceChannel error")), patience);
        wait(100);
        compare(texts(record), ["channel:西门"], "no list after a failed call");
        testServer.clearFaults();

        // The play button only while the page asks for it; it leaves the current group.
        const play = piece(east, "playButton");
        verify(!play.visible);
        panel.couldCarouselGroup = true;
        verify(tree.couldCarouselGroup);
        verify(play.visible);
        compare(play.width, 30 * s);
        compare(play.mapToItem(east, play.width, 0).x, east.width);
        tree.listView.currentIndex = 2;
        record.length = 0;
        mouseClick(play);
        compare(texts(record), ["group:东区"]);
        compare(record[0].value.ID, 5);
        compare(tree.listView.currentIndex, 2);
        panel.couldCarouselGroup = false;
        const area = piece(east, "textArea");
        mouseClick(area, area.width - 20, area.height / 2);
        compare(tree.listView.currentIndex, 0, "without the button the bar's end selects the group");
        compare(texts(record), ["group:东区"]);
    }

    // Only the channels of the last device clicked reach the page.
    function test_onlyTheLastGroupDeviceClickCounts() {
        const panel = openPanel();
        const record = recordPanel(panel);
        const tree = openTab(panel, 1);
        const devices = expandLoaded(rowOf(tree.listView, 0));
        record.length = 0;
        testServer.setFault("/api/v1/labeldeviceowninfo", { delayMs: 1500, remainingHits: 1 });
        clickText(rowOf(devices, 0));
        waitForRequests("/api/v1/labeldeviceowninfo", 1);
        clickText(rowOf(devices, 1));
        tryVerify(() => record.length === 1, patience, "the answer came");
        compare(texts(record), ["list:球机"]);
        wait(2500);
        compare(texts(record), ["list:球机"]);
    }

    // The favourite tree: a device hands on its channels, a channel itself; with
    // clickParent the list comes first, both at once.
    function test_favouriteTreeRouting() {
        const panel = openPanel();
        const record = recordPanel(panel);
        const tree = openTab(panel, 2);
        record.length = 0;
        const a = rowOf(tree.listView, 0);
        clickText(a);
        compare(texts(record), ["list:东门"]);
        compare(record[0].value[0].channelID, 11);
        compare(record[0].value, a.theData.channels, "the device's own array");
        expand(a);
        const gate = rowOf(findChild(a, "channelList"), 0);
        record.length = 0;
        clickText(gate);
        compare(texts(record), ["channel:东门"]);
        compare(record[0].value.parentDeviceID, 1);
        panel.clickParent = true;
        record.length = 0;
        clickText(gate);
        compare(texts(record), ["list:东门", "channel:东门"]);
    }

    // A favourite channel without ChannelID, ParentDeviceID's partner keys or SnapUrl
    // reaches the page with those keys undefined, and a tile takes it without a script
    // error: no channel, no snapshot, its name as the title.
    function test_aChannelWithMissingKeysReachesTheTile() {
        const data = groupData();
        data.Channels.push({ ParentDeviceID: 3, Name: "无号", Online: 1, Enable: 1, FavoritesChannel: 1 });
        settings.playerProtocol = "RTSP";
        const panel = openPanel(data);
        const tile = createTemporaryObject(tileComponent, testCase);
        const record = recordPanel(panel);
        panel.clickChannel.connect(info => tile.playChannel(info));
        const tree = openTab(panel, 2);
        const c = rowOf(tree.listView, 1);
        expand(c);
        const bare = rowOf(findChild(c, "channelList"), 1);
        compare(bare.theData.Name, "无号");
        record.length = 0;
        clickText(bare);
        compare(texts(record), ["channel:无号"]);
        const sent = record[0].value;
        verify("channelID" in sent && sent.channelID === undefined);
        verify("snapUrl" in sent && sent.snapUrl === undefined);
        compare(sent.parentDeviceID, 3);
        compare(tile.title, "无号");
        compare(tile.channelId, -1);
        compare(tile.deviceId, 3);
        compare(tile.snapUrl, "");
        wait(300);
        compare(tile.videoUrl, "", "nothing to play");
        // A whole channel is still asked for afterwards.
        clickText(rowOf(findChild(c, "channelList"), 0));
        compare(tile.channelId, 31);
        tryVerify(() => testServer.requests("/api/v1/gettoken").some(r => r.items.channel === "31"), patience);
        tile.stopChannel();
    }
}
