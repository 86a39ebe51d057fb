import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage" as HomePage

// The home page's device tree over data the server is given per case: rows, their
// colours and expansion, current rows and signals, favourites, and the details box with
// its link.
DeviceTreeTestCase {
    id: testCase
    name: "HomeDeviceTree"

    readonly property color pageInputColor: "#12ab34"

    Component {
        id: hostComponent

        Item {
            // The page's colour, which the tree's stars take by name.
            property color inputColor: testCase.pageInputColor
            width: 1400
            height: 900

            MouseArea {
                objectName: "beneath"
                property int wheels: 0
                anchors.fill: parent
                onWheel: ++wheels
            }

            HomePage.DeviceListView {
                objectName: "tree"
                x: 400
                y: 100
                width: 250
                height: 400
            }
        }
    }

    function openTree(data) {
        logIn();
        loadDevices(data || standardData());
        const host = createTemporaryObject(hostComponent, testCase);
        verify(host);
        return findChild(host, "tree");
    }

    function rowTop(row, tree) {
        return row.mapToItem(tree, 0, 0).y;
    }

    function test_rowsShowTextsAndColours() {
        const tree = openTree();
        const a = deviceRow(tree, 0);
        compare(a.height, 30 * s);
        compare(piece(a, "nameText").text, "设备A");
        compare(piece(a, "countText").text, "(2/3)");
        compare(piece(a, "nameText").color, textColor);
        compare(piece(a, "countText").color, onlineColor);
        const c = deviceRow(tree, 2);
        compare(piece(c, "countText").text, "(0/1)");
        compare(piece(c, "nameText").color, offlineColor);
        compare(piece(c, "countText").color, offlineColor);
        verify(piece(a, "expandButton").visible);
        verify(!piece(a, "cameraIcon").visible);

        expand(a);
        const parking = childRow(a, 0);
        const gate = childRow(a, 1);
        const spare = childRow(a, 2);
        // Offline: name and state word grey; a favourite: the page's colour, outlined.
        compare(piece(parking, "nameText").text, "停车场");
        compare(piece(parking, "nameText").color, offlineColor);
        compare(piece(parking, "stateText").text, "启用");
        compare(piece(parking, "stateText").color, offlineColor);
        compare(piece(parking, "star").color, pageInputColor);
        compare(piece(parking, "star").styleColor, textColor);
        compare(piece(parking, "star").style, Text.Outline);
        verify(piece(parking, "cameraIcon").visible);
        verify(!piece(parking, "expandButton").visible);
        // Online, not a favourite, with sub-channels.
        compare(piece(gate, "nameText").color, textColor);
        compare(piece(gate, "star").color, offlineColor);
        compare(piece(gate, "star").styleColor, offlineColor);
        verify(piece(gate, "expandButton").visible);
        compare(piece(spare, "stateText").text, "未用");
        compare(piece(spare, "stateText").color, textColor);
        // The state word stands 5 left of the star, the star 8 from the right edge.
        const star = piece(spare, "star");
        const area = piece(spare, "textArea");
        compare(star.x + star.width, area.width - 8 * s);
        compare(piece(spare, "stateText").x + piece(spare, "stateText").width, star.x - 5 * s);
        // Any non-zero favourite mark counts.
        const b = deviceRow(tree, 1);
        expand(b);
        compare(piece(childRow(b, 0), "star").color, pageInputColor);
    }

    // 30 per row, reached in 220 ms; an open device follows its channels' growth.
    function test_expandingGrowsBy30PerRow() {
        const tree = openTree();
        const a = deviceRow(tree, 0);
        const area = piece(a, "childArea");
        compare(area.height, 0);
        const startedAt = Date.now();
        clickSquare(a);
        verify(a.expanded);
        verify(area.height < 90 * s, "animated, not at once");
        let between = false;
        while (area.height < 90 * s && Date.now() - startedAt < patience) {
            between = between || (area.height > 0 && area.height < 90 * s);
            wait(10);
        }
        verify(Date.now() - startedAt >= 200, "grew in " + (Date.now() - startedAt) + " ms");
        verify(between, "grew through the values in between");
        tryCompare(area, "height", 90 * s, patience);
        tryCompare(a, "height", 120 * s, patience);
        tryVerify(() => deviceRow(tree, 1).y === a.y + 120 * s, patience, "the rows below moved down");
        tryCompare(piece(a, "expandButton"), "color", "#272a2d", patience);

        const gate = childRow(a, 1);
        clickSquare(gate);
        tryCompare(piece(gate, "childArea"), "height", 60 * s, patience);
        tryCompare(area, "height", 150 * s, patience);
        compare(childRow(gate, 0).theData.name, "大门左");
        // The sub-channel list, too, makes its first row current.
        compare(channelList(gate).currentIndex, 0);
        compare(piece(childRow(gate, 0), "textArea").color, checkedColor);
        verify(piece(childRow(gate, 0), "cameraIcon").visible, "sub-channels have no sub-channels");

        // A channel without sub-channels takes no clicks on its square.
        const parking = childRow(a, 0);
        clickSquare(parking);
        compare(parking.expanded, false);
        compare(piece(parking, "childArea").height, 0);

        clickSquare(a);
        tryCompare(area, "height", 0, patience);
        compare(a.height, 30 * s);
    }

    // Each list keeps its own current row; the platform makes the first row current.
    function test_currentRowsAndSignals() {
        const tree = openTree();
        const list = findChild(tree, "listView");
        const record = recordSignals(tree);
        compare(list.currentIndex, 0);
        const a = deviceRow(tree, 0);
        const b = deviceRow(tree, 1);
        compare(piece(a, "textArea").color, checkedColor);
        compare(piece(b, "textArea").color, Qt.rgba(0, 0, 0, 0));
        expand(a);
        expand(b);
        compare(channelList(a).currentIndex, 0);
        compare(channelList(b).currentIndex, 0);
        compare(piece(childRow(a, 0), "textArea").color, checkedColor);
        compare(record.length, 0, "opening reports nothing");

        clickText(childRow(a, 2));
        compare(channelList(a).currentIndex, 2);
        compare(list.currentIndex, 0);
        compare(describe(record), ["channel:备用"]);
        clickText(childRow(b, 0));
        compare(list.currentIndex, 1);
        compare(channelList(a).currentIndex, 2, "the other list keeps its row");
        compare(describe(record), ["channel:备用", "channel:球机"]);
        compare(record[1].info, deviceManager.deviceList[1].channelList[0]);
        compare(piece(childRow(a, 2), "textArea").color, checkedColor);

        // With clickParent the device comes first.
        tree.clickParent = true;
        record.length = 0;
        clickText(childRow(a, 1));
        compare(describe(record), ["device:设备A", "channel:大门"]);
        compare(record[0].info, deviceManager.deviceList[0]);
        compare(list.currentIndex, 0);

        // A device row reports itself.
        record.length = 0;
        clickText(b);
        compare(list.currentIndex, 1);
        compare(describe(record), ["device:设备B"]);
    }

    // A sub-channel click selects the device that owns it, and reports that device, not
    // the sub-channel's channel (whose index would pick another device).
    function test_subChannelClickSelectsItsDevice() {
        const tree = openTree();
        const list = findChild(tree, "listView");
        const record = recordSignals(tree);
        const a = deviceRow(tree, 0);
        expand(a);
        const gate = childRow(a, 1);
        expand(gate);
        const right = childRow(gate, 1);
        clickText(deviceRow(tree, 2));
        record.length = 0;
        clickText(right);
        compare(channelList(gate).currentIndex, 1);
        compare(list.currentIndex, 0);
        compare(describe(record), ["channel:大门右"]);
        tree.clickParent = true;
        record.length = 0;
        clickText(childRow(gate, 0));
        compare(describe(record), ["device:设备A", "channel:大门左"]);
        compare(record[0].info, deviceManager.deviceList[0]);
        compare(list.currentIndex, 0);
    }

    function test_squareAndStarSelectNothing() {
        const tree = openTree();
        const list = findChild(tree, "listView");
        const record = recordSignals(tree);
        clickText(deviceRow(tree, 1));
        record.length = 0;
        const a = deviceRow(tree, 0);
        expand(a);
        compare(list.currentIndex, 1);
        clickText(childRow(a, 2));
        record.length = 0;
        const star = piece(childRow(a, 1), "star");
        mouseClick(star);
        waitForRequests("/api/v1/addfavoriteschannel", 1);
        compare(record.length, 0);
        compare(channelList(a).currentIndex, 2);
        compare(list.currentIndex, 0);
    }

    function test_favouritesChangeWithTheServersAnswer() {
        const tree = openTree();
        const a = deviceRow(tree, 0);
        expand(a);
        const gate = childRow(a, 1);
        const star = piece(gate, "star");
        mouseClick(star);
        const added = waitForRequests("/api/v1/addfavoriteschannel", 1)[0];
        compare(added.query, "device=1&channel=11");
        tryCompare(gate.theData, "favoritesChannel", 1, patience);
        compare(star.color, pageInputColor);
        compare(star.styleColor, textColor);
        mouseClick(star);
        const deleted = waitForRequests("/api/v1/deletefavoriteschannel", 1)[0];
        compare(deleted.query, "device=1&channel=11");
        tryCompare(gate.theData, "favoritesChannel", 0, patience);
        compare(star.color, offlineColor);

        // A refusal leaves the star as it was; the API client logs it.
        testServer.setFault("/api/v1/addfavoriteschannel", { status: 500, body: "no" });
        mouseClick(star);
        waitForRequests("/api/v1/addfavoriteschannel", 2);
        tryVerify(() => testKit.messages().some(m => m.indexOf("addFavoritesChannel error") >= 0), patience);
        compare(gate.theData.favoritesChannel, 0);
        compare(star.color, offlineColor);
    }

    // A new device list while a favourite answer is on its way: the answer is for a
    // record that is gone, and nothing is applied, without a script error.
    function test_favouriteAnswerForAReplacedListIsDropped() {
        const tree = openTree();
        const a = deviceRow(tree, 0);
        expand(a);
        testServer.setFault("/api/v1/addfavoriteschannel", { delayMs: 1000 });
        mouseClick(piece(childRow(a, 1), "star"));
        waitForRequests("/api/v1/addfavoriteschannel", 1);
        loadDevices(standardData());
        // A second request on the same slow route, sent later, answers later.
        let probed = false;
        networkManager.addFavoritesChannel(2, 21, () => { probed = true; });
        tryVerify(() => probed, patience, "the probe answered");
        wait(200);
        const fresh = deviceManager.deviceList[0].channelList[1];
        compare(fresh.name, "大门");
        compare(fresh.favoritesChannel, 0);
        const row = deviceRow(tree, 0);
        verify(row.expanded, "rebuilt open: the tree keeps the device's state by its id");
        compare(piece(childRow(row, 1), "star").color, offlineColor);
    }

    // Four lines for a device, seven for a channel; the box stands 50 above a device row
    // and 60 above a channel row, 60 right of the tree; the link runs 80 across.
    function test_detailsBoxAndLink() {
        const tree = openTree();
        const box = findChild(tree, "deviceToolTip");
        const link = findChild(tree, "deviceToolTipLink");
        compare(box.x, tree.width + 60);
        compare(box.width, 240 * s);
        compare(link.x, tree.width - 10);
        compare(link.width, 80);
        compare(link.visible, false);
        compare(box.opacity, 0);

        const a = deviceRow(tree, 0);
        hover(a);
        verify(tree.parentHovered);
        verify(link.visible);
        compare(link.offsetY, 65 * s);
        verify(link.animationRight.running);
        compare(box.y, rowTop(a, tree) - 50 * s);
        compare(box.text, "设备名称: 设备A\n传输模式: UDP\n更新时间: 2026-12-01 10:00:00\n设备类型: NVR");
        compare(link.y, box.y);
        compare(link.height, box.height);
        tryCompare(box, "show", true, patience);
        tryCompare(box, "opacity", 1, patience);
        compare(piece(link, "mark").opacity, 1);
        compare(piece(a, "textArea").color, hoveredColor);

        // Into a channel row: the device level clears, the channel level takes over.
        expand(a);
        tryCompare(piece(a, "childArea"), "height", 90 * s, patience);
        const gate = childRow(a, 1);
        hover(gate);
        tryCompare(tree, "parentHovered", false, patience);
        verify(tree.childHovered);
        compare(link.offsetY, 75 * s);
        compare(box.y, rowTop(gate, tree) - 60 * s);
        compare(box.text.split("\n"), ["name: 大门", "online: 在线", "protocol: GB28181", "rtspUrl: rtsp://10.0.0.1:554/11",
                                       "recordUrl: /api/v1/record/11", "iP: 10.0.0.11", "port: 554"]);
        tryVerify(() => !link.animationRight.running, patience);
        verify(box.show);
        hover(childRow(a, 0));
        compare(box.text.split("\n")[1], "online: 离线");

        // Leaving the tree hides the link at once and fades the box out.
        mouseMove(tree, tree.width / 2, -40);
        tryCompare(tree, "childHovered", false, patience);
        compare(link.visible, false);
        compare(box.show, false);
        tryCompare(box, "opacity", 0, patience);
    }

    // In and out before the link is drawn: the box never shows.
    function test_aQuickPassNeverShowsTheBox() {
        const tree = openTree();
        const box = findChild(tree, "deviceToolTip");
        const link = findChild(tree, "deviceToolTipLink");
        let shown = 0;
        box.showChanged.connect(() => { if (box.show) ++shown; });
        const area = piece(deviceRow(tree, 1), "textArea");
        mouseMove(area, area.width / 2, area.height / 2);
        mouseMove(tree, tree.width / 2, -40);
        verify(link.animationRight.running, "the drawing runs on");
        compare(link.visible, false);
        tryVerify(() => !link.animationRight.running, patience);
        wait(300);
        compare(shown, 0);
        compare(box.opacity, 0);
    }

    // The box follows the rows where they show, with the device list scrolled.
    function test_boxFollowsAScrolledList() {
        const devices = [];
        const channels = [];
        for (let i = 1; i <= 20; ++i) {
            devices.push(device(i, "设备" + i));
            channels.push(channel(100 + i, i, "通道" + i));
        }
        const tree = openTree({ Devices: devices, Channels: channels });
        const list = findChild(tree, "listView");
        const box = findChild(tree, "deviceToolTip");
        tryVerify(() => list.contentHeight > list.height, patience);
        const tenth = deviceRow(tree, 10);
        expand(deviceRow(tree, 9));
        list.contentY = 95 * s;
        hover(tenth);
        compare(box.y, rowTop(tenth, tree) - 50 * s);
        const opened = childRow(deviceRow(tree, 9), 0);
        tryCompare(piece(deviceRow(tree, 9), "childArea"), "height", 30 * s, patience);
        hover(opened);
        compare(box.y, rowTop(opened, tree) - 60 * s);
        verify(deviceRow(tree, 9).expanded);
    }

    // A site of 40 devices of 50 channels (2,000 rows, 40 screens; the benchmark's 10,000
    // outlast a wait under the sanitizers): rows exist for what the tree shows, not for
    // every channel, also with every device open. An open device and its current channel
    // come back as they were when its row scrolls away and back, and after a new device
    // list.
    function test_largeSiteMakesRowsOnlyForTheScreen() {
        const devices = [];
        const channels = [];
        for (let d = 1; d <= 40; ++d) {
            devices.push(device(d, "站点" + d));
            for (let c = 0; c < 50; ++c)
                channels.push(channel(d * 100 + c, d, "通道" + d + "-" + c));
        }
        const data = { Devices: devices, Channels: channels };
        const tree = openTree(data);
        const list = findChild(tree, "listView");
        compare(list.count, devices.length);
        const closedRows = rowsMade(tree);
        verify(closedRows >= list.height / (30 * s) && closedRows < 60, "rows made: " + closedRows);

        // The list keeps its current row's object alive: another device is current.
        const first = deviceRow(tree, 1);
        expand(first);
        clickText(childRow(first, 3));
        clickText(deviceRow(tree, 0));
        // The open device's rows on screen and a few ahead, not its 50.
        verify(rowsMade(tree) <= closedRows + 30, "rows made: " + rowsMade(tree));
        for (let i = 0; i < devices.length; ++i)
            tree.setRowOpen(tree.deviceKey(deviceManager.deviceList[i]), true);
        // Device 0 above grows while the view stands on device 1: the view would then
        // show device 0's channels before any new list came.
        settleRows(tree);
        verify(rowsMade(tree) < 100, "all open, rows made: " + rowsMade(tree));

        list.positionViewAtEnd();
        tryVerify(() => list.itemAtIndex(1) === null, patience, "the open device's row went");
        verify(rowsMade(tree) < 100, "at the end, rows made: " + rowsMade(tree));
        mouseMove(tree, tree.width / 2, -40);
        list.positionViewAtIndex(1, ListView.Beginning);
        const back = deviceRow(tree, 1);
        verify(back !== first, "made again");
        verify(back.expanded);
        compare(channelList(back).currentIndex, 3);
        compare(piece(childRow(back, 3), "textArea").color, checkedColor);
        compare(piece(childRow(back, 0), "textArea").color, Qt.rgba(0, 0, 0, 0));

        // Scrolled into the open device: its rows stand where the whole list would put
        // them, and those far above the screen are not made.
        list.contentY = back.y + 30 * s + 20 * 30 * s;
        const backChannels = channelList(back);
        tryVerify(() => backChannels.itemAtIndex(20) !== null, patience, "channel 20 was made");
        // (within a pixel: the list places what it has not made by estimated heights)
        fuzzyCompare(backChannels.itemAtIndex(20).mapToItem(list, 0, 0).y, 0, 1);
        verify(backChannels.itemAtIndex(0) === null, "channel 0 was not made");
        list.positionViewAtIndex(1, ListView.Beginning);

        // A new device list: new records, the same state.
        const before = back.theData;
        loadDevices(data);
        compare(list.currentIndex, 0);
        compare(list.indexAt(0, list.contentY), 1, "the view stays");
        list.positionViewAtIndex(0, ListView.Beginning);
        verify(deviceRow(tree, 0).expanded);
        list.positionViewAtIndex(1, ListView.Beginning);
        tryVerify(() => deviceRow(tree, 1).theData !== before, patience, "the rows were rebuilt");
        const rebuilt = deviceRow(tree, 1);
        verify(rebuilt.expanded);
        tryCompare(channelList(rebuilt), "count", 50, patience);
        compare(channelList(rebuilt).currentIndex, 3);
        verify(rowsMade(tree) < 100, "after the refresh, rows made: " + rowsMade(tree));
    }

    // A device of 300 channels whose eleventh shows its 40 sub-channels: rows are made for
    // what the tree shows and its margin, each where the whole list puts it, at the top,
    // inside the open channel, past it and at the end.
    function test_aDeviceShowingSubChannelsIsWindowed() {
        const channels = [channel(21, 2, "球机")];
        for (let c = 0; c < 300; ++c)
            channels.push(channel(1000 + c, 1, "通道" + c, c === 10 ? { Parental: 1 } : {}));
        for (let j = 0; j < 40; ++j)
            channels.push(subChannel(5000 + j, 1010, 1, "子通道" + j));
        const tree = openTree({ Devices: [device(1, "平台"), device(2, "设备B")], Channels: channels });
        const view = tree.listView;
        const big = deviceRow(tree, 0);
        expand(big);
        const opened = childRow(big, 10);
        expand(opened);
        const line = 30 * s;
        const channelTop = i => (i + (i > 10 ? 40 : 0)) * line;
        const area = piece(big, "childArea");
        for (const y of [0, channelTop(11) + 20 * line, channelTop(150), area.height + line - view.height]) {
            view.contentY = big.y + y;
            const list = channelList(big);
            let made = verifyInPlace(tree, list, area, channelTop, "channel at " + y);
            const sub = list.itemAtIndex(10);
            if (sub)
                made += verifyInPlace(tree, channelList(sub), piece(sub, "childArea"), j => j * line, "sub-channel at " + y);
            verify(rowsMade(tree) <= rowsShownWithMargin(tree), "rows made at " + y + ": " + rowsMade(tree));
            verify(made > 0);
        }
        compare(piece(deviceRow(tree, 1), "textArea").mapToItem(area, 0, 0).y, area.height, "the next device");
    }

    // A refresh whose list has a channel before the current one: the mark stays on its
    // channel, and the open device stays open, as tall and where the view showed it,
    // also while its new channels and sub-channels are on the way.
    function test_aRefreshKeepsTheCurrentChannelTheOpenDeviceAndTheView() {
        const devices = [];
        const channels = [subChannel(8021, 802, 8, "子一"), subChannel(8022, 802, 8, "子二")];
        for (let d = 1; d <= 20; ++d) {
            devices.push(device(d, "设备" + d));
            for (let c = 1; c <= 10; ++c)
                channels.push(channel(d * 100 + c, d, "通道" + d + "-" + c, d === 8 && c === 2 ? { Parental: 1 } : {}));
        }
        const tree = openTree({ Devices: devices, Channels: channels });
        const view = tree.listView;
        view.positionViewAtIndex(7, ListView.Beginning);
        let open = deviceRow(tree, 7);
        expand(open);
        expand(childRow(open, 1));
        clickText(childRow(open, 5));
        view.contentY = open.y + 4 * 30 * s + 10;
        const top = open.mapToItem(tree, 0, 0).y;
        const height = open.height;

        channels.splice(2, 0, channel(800, 8, "新通道"));
        verify(testServer.changeData({ Devices: devices, Channels: channels }));
        testServer.setFault("/api/v1/channels", { delayMs: 2500 });
        const before = deviceManager.deviceList[0];
        networkManager.getDeviceList();
        tryVerify(() => deviceManager.deviceList[0] !== before, patience, "the new device list");
        open = deviceRow(tree, 7);
        verify(open.expanded);
        compare(open.height, height, "held while its channels are on the way");
        fuzzyCompare(open.mapToItem(tree, 0, 0).y, top, 1, "where the view showed it");
        let lowest = open.height;
        open.heightChanged.connect(() => lowest = Math.min(lowest, open.height));
        tryCompare(channelList(open), "count", 11, patience);
        const gate = childRow(open, 2);
        tryVerify(() => gate.theData.hasSubChannels, patience, "the sub-channels came");
        testServer.clearFaults();
        tryCompare(open, "height", height + 30 * s, patience);
        compare(lowest, height, "never shorter");
        fuzzyCompare(open.mapToItem(tree, 0, 0).y, top, 1);
        compare(channelList(open).currentIndex, 6);
        compare(deviceManager.deviceList[7].channelList[6].channelID, 806);
        verify(gate.expanded);
    }

    // A second refresh while the first one's channels are still on the way (a small site
    // leaves the transport a free connection for it): the open device and its open channel
    // hold their rows until the newest lists come, never shorter.
    function test_aSecondRefreshBeforeTheChannelsComeHoldsOn() {
        const channels = [subChannel(1021, 102, 1, "子一"), subChannel(1022, 102, 1, "子二"),
                          channel(101, 1, "通道一"), channel(102, 1, "通道二", { Parental: 1 }), channel(201, 2, "通道三")];
        const tree = openTree({ Devices: [device(1, "设备一"), device(2, "设备二")], Channels: channels });
        const open = deviceRow(tree, 0);
        expand(open);
        expand(childRow(open, 1));
        const height = open.height;
        testServer.setFault("/api/v1/channels", { delayMs: 2500 });
        for (let round = 0; round < 2; ++round) {
            const before = deviceManager.deviceList[0];
            networkManager.getDeviceList();
            tryVerify(() => deviceManager.deviceList[0] !== before, patience, "device list " + round);
            compare(deviceRow(tree, 0).height, height, "held after refresh " + round);
        }
        const row = deviceRow(tree, 0);
        let lowest = row.height;
        row.heightChanged.connect(() => lowest = Math.min(lowest, row.height));
        tryVerify(() => deviceManager.deviceList[0].channelList.length === 2 && childRow(row, 1).theData.hasSubChannels,
                  patience, "the newest lists came");
        testServer.clearFaults();
        wait(100);
        compare(lowest, height, "never shorter");
        compare(row.height, height);
    }

    // Each list of a refresh has its own wait: an open channel's sub-channels, asked only
    // once its device's channels came, each list within the wait but the two together
    // past it, hold their rows until they come, never shorter.
    function test_eachListOfARefreshHasItsOwnWait() {
        const channels = [subChannel(1021, 102, 1, "子一"), subChannel(1022, 102, 1, "子二"),
                          channel(101, 1, "通道一"), channel(102, 1, "通道二", { Parental: 1 })];
        const tree = openTree({ Devices: [device(1, "设备一")], Channels: channels });
        tree.holdPatience = patience / 10;
        const open = deviceRow(tree, 0);
        expand(open);
        expand(childRow(open, 1));
        const height = open.height;
        testServer.setFault("/api/v1/channels", { delayMs: tree.holdPatience * 0.6 });
        const before = deviceManager.deviceList[0];
        networkManager.getDeviceList();
        tryVerify(() => deviceManager.deviceList[0] !== before, patience, "the new device list");
        const row = deviceRow(tree, 0);
        let lowest = row.height;
        row.heightChanged.connect(() => lowest = Math.min(lowest, row.height));
        tryVerify(() => deviceManager.deviceList[0].channelList.length === 2 && childRow(row, 1).theData.hasSubChannels,
                  patience, "the lists came");
        testServer.clearFaults();
        wait(100);
        compare(lowest, height, "never shorter");
        compare(row.height, height);
    }

    // The waits run on the tree's clock, not on the wall clock: a row whose list never
    // comes (the open channel's sub-channels come empty) stays held however long the wall
    // clock runs while the tree's clock stands, and goes once that clock has run the
    // patience from when its list was asked for.
    function test_heldRowsWaitOnTheTreesClock() {
        const channels = [subChannel(1021, 102, 1, "子一"), channel(101, 1, "通道一"), channel(102, 1, "通道二", { Parental: 1 })];
        const tree = openTree({ Devices: [device(1, "设备一")], Channels: channels });
        let now = 1000;
        tree.clock = () => now;
        tree.holdPatience = 300;
        const open = deviceRow(tree, 0);
        expand(open);
        expand(childRow(open, 1));
        const height = open.height;
        compare(height, 4 * 30 * s);
        verify(testServer.changeData({ Devices: [device(1, "设备一")], Channels: channels.slice(1) }));
        const before = deviceManager.deviceList[0];
        networkManager.getDeviceList();
        tryVerify(() => deviceManager.deviceList[0] !== before && deviceManager.deviceList[0].channelList.length === 2,
                  patience, "the new channels came");
        now += tree.holdPatience - 1;
        wait(3 * tree.holdPatience);
        const row = deviceRow(tree, 0);
        compare(row.height, height, "held while the tree's clock stands");
        now += 1;
        tryCompare(row, "height", 3 * 30 * s, patience, "let go once the tree's clock ran the patience");
    }

    // Records outlive the trees that wait on them: a tree gone while a refresh's lists are
    // on the way hears nothing of them (no TypeError when they come).
    function test_aTreeGoneBeforeItsListsComeHearsNothing() {
        const channels = [subChannel(1021, 102, 1, "子一"), channel(101, 1, "通道一"), channel(102, 1, "通道二", { Parental: 1 })];
        const tree = openTree({ Devices: [device(1, "设备一")], Channels: channels });
        const open = deviceRow(tree, 0);
        expand(open);
        expand(childRow(open, 1));
        testServer.setFault("/api/v1/channels", { delayMs: 1500 });
        const before = deviceManager.deviceList[0];
        networkManager.getDeviceList();
        tryVerify(() => deviceManager.deviceList[0] !== before, patience, "the new device list");
        tree.parent.destroy();
        tryVerify(() => deviceManager.deviceList[0].channelList.length === 2
                        && deviceManager.deviceList[0].channelList[1].subChannelList.length === 1,
                  patience, "the lists came");
    }

    function test_leftFormIsMirrored() {
        const tree = openTree();
        tree.toolTipAlign = Qt.AlignLeft;
        const box = findChild(tree, "deviceToolTip");
        const link = findChild(tree, "deviceToolTipLink");
        compare(box.x, -box.width - 60);
        verify(link.mirrored);
        compare(link.x, box.x + box.width - 10);
        compare(link.width, 80);
        compare(piece(link, "mark").x, -5);
        hover(deviceRow(tree, 0));
        verify(link.animationLeft.running);
        verify(!link.animationRight.running);
        tryCompare(box, "show", true, patience);
        compare(findChild(link, "line2").x, 0);
        compare(findChild(link, "line2").y, 15);
    }

    // Long values wrap anywhere inside the 200 wide text; the box grows downwards.
    function test_longValuesWrapInsideTheBox() {
        const data = standardData();
        data.Channels[0].RtspUrl = "rtsp://10.0.0.1:554/" + "x".repeat(150);
        const tree = openTree(data);
        const a = deviceRow(tree, 0);
        expand(a);
        const box = findChild(tree, "deviceToolTip");
        const text = piece(box, "toolTipText");
        hover(childRow(a, 1));
        const shortHeight = box.height;
        hover(childRow(a, 0));
        compare(text.width, 200 * s);
        verify(text.lineCount > 7, "lines: " + text.lineCount);
        verify(box.height > shortHeight);
    }

    function test_emptyListShowsNoRowsAndSwallowsTheWheel() {
        const tree = openTree({ Devices: [], Channels: [] });
        const list = findChild(tree, "listView");
        compare(list.count, 0);
        compare(list.currentIndex, -1);
        const beneath = findChild(tree.parent, "beneath");
        mouseWheel(tree, tree.width / 2, tree.height / 2, 0, -120);
        mouseWheel(tree, tree.width / 2, tree.height / 2, 0, 120);
        compare(beneath.wheels, 0);
        mouseWheel(beneath, 10, 10, 0, -120);
        compare(beneath.wheels, 1);
    }

    // The sub-channels arrive after the channels: the camera icon becomes the button.
    function test_cameraIconTurnsIntoTheExpandButton() {
        logIn();
        const data = standardData();
        verify(testServer.changeData({ Devices: data.Devices, Channels: data.Channels }));
        testServer.setFault("/api/v1/channels", { delayMs: 600 });
        const host = createTemporaryObject(hostComponent, testCase);
        const tree = findChild(host, "tree");
        networkManager.getDeviceList();
        tryVerify(() => deviceManager.deviceList.length === 3 && deviceManager.deviceList[0].channelList.length === 3,
                  patience);
        const a = deviceRow(tree, 0);
        expand(a);
        const gate = childRow(a, 1);
        if (!gate.expandable) {
            verify(piece(gate, "cameraIcon").visible);
            verify(!piece(gate, "expandButton").visible);
        }
        tryCompare(gate, "expandable", true, patience);
        verify(!piece(gate, "cameraIcon").visible);
        verify(piece(gate, "expandButton").visible);
        expand(gate);
        tryCompare(piece(gate, "childArea"), "height", 60 * s, patience);
        compare(channelList(gate).currentIndex, 0, "the late list makes its first row current too");
        compare(piece(childRow(gate, 0), "textArea").color, checkedColor);
    }

    function test_showAndHideAnimateTheWidth() {
        const tree = openTree();
        tree.hide();
        tryCompare(tree, "width", 0, patience);
        tree.show();
        wait(100);
        tree.hide();
        tree.show();
        tryCompare(tree, "width", 250 * s, patience);
    }
}
