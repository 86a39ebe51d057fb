import QtQuick
import QtTest

// The side panel's group tree against the server: rows, texts and colours by level,
// expansions that ask the server every time and whose late or superseded answers are
// dropped, open groups exactly as tall as their rows, and the details box beside the
// rows with the list scrolled. Also run on screens of 1280 x 720 and 3840 x 2160, where
// sizes scale by 0.8 and 1.4.
SidePanelTestCase {
    id: testCase
    name: "GroupTree"

    // The panel of the running case.
    property Item panel: null

    function openGroups(data) {
        panel = openPanel(data);
        return openTab(panel, 1);
    }

    function group(tree, index) {
        return rowOf(tree.listView, index);
    }

    // Online by level: a group by onlineChannelNums === 0, a device by Online === 0, a
    // channel by truthiness (its box by Online === 0); a group is never drawn current.
    function test_rowsByLevel() {
        const data = groupData();
        delete data.Devices[2].Online;
        data.Channels[3].Online = false;
        data.Groups[2].Channels.push(12);
        const tree = openGroups(data);
        compare(tree.listView.count, 3);
        const east = group(tree, 0);
        compare(piece(east, "nameText").text, "东区");
        compare(piece(east, "nameText").color, textColor);
        compare(piece(group(tree, 1), "nameText").color, offlineColor, "no channel online");
        compare(east.height, 30 * s);
        compare(piece(east, "expandSquare").width, 28 * s);
        mouseMove(tree, tree.width / 2, tree.height - 20);
        tryCompare(piece(east, "textArea"), "color", Qt.color("transparent"), patience);
        compare(tree.listView.currentIndex, 0);

        const devices = expandLoaded(east);
        const a = rowOf(devices, 0);
        const b = rowOf(devices, 1);
        compare(piece(a, "nameText").text, "设备A");
        compare(piece(a, "nameText").color, textColor);
        compare(piece(b, "nameText").color, offlineColor);
        compare(piece(a, "textArea").color, checkedColor, "the first device is current");
        compare(a.mapToItem(east, 0, 0).x, 28 * s);

        const channels = expandLoaded(a);
        const gate = rowOf(channels, 0);
        const west = rowOf(channels, 1);
        compare(piece(gate, "nameText").text, "东门");
        compare(piece(gate, "nameText").color, textColor);
        compare(piece(gate, "stateText").text, "启用");
        compare(piece(west, "stateText").text, "未用");
        compare(piece(gate, "star").visible, false, "no star in this tree");
        const state = piece(west, "stateText");
        compare(state.mapToItem(west, state.width, 0).x, west.width - 5 * s);
        verify(piece(gate, "cameraIcon").visible);
        compare(gate.mapToItem(a, 0, 0).x, 28 * s);

        // A channel click makes its device current in its group, never the group.
        clickText(rowOf(expandLoaded(b), 0));
        compare(devices.currentIndex, 1);
        tryCompare(piece(a, "textArea"), "color", Qt.color("transparent"), patience);

        // 西区: its device has no Online key (drawn online), its channel Online false
        // (drawn offline, its box says online); 12 is of device A.
        const westGroup = group(tree, 2);
        const westDevices = expandLoaded(westGroup);
        compare(westDevices.count, 2);
        const c = rowOf(westDevices, 0);
        compare(c.theData.Name, "设备C");
        compare(piece(c, "nameText").color, textColor);
        const wall = rowOf(expandLoaded(c), 0);
        compare(piece(wall, "nameText").color, offlineColor);
        hover(wall);
        compare(piece(panel, "deviceToolTip").text.split("\n")[1], "online: 在线");
    }

    // One request per expansion, none per collapse; an open row shows its old rows until
    // the answer; of two expansions the newer answer stays; an answer for a rebuilt row
    // is dropped without a script error.
    function test_expansionsAskEveryTime() {
        const tree = openGroups();
        const east = group(tree, 0);
        let devices = expandLoaded(east);
        compare(devices.count, 2);
        compare(testServer.requests("/api/v1/labelowninfo").length, 1);
        compare(testServer.requests("/api/v1/labelowninfo")[0].items.labelid, "5");
        const a = rowOf(devices, 0);
        const aName = a.theData.Name;
        expandLoaded(a);
        expand(east);
        verify(!east.expanded);
        compare(piece(east, "childArea").height, 0);
        compare(testServer.requests("/api/v1/labelowninfo").length, 1, "a collapse asks nothing");

        // Open again: the old rows at once, the open device still open, until the answer.
        // (A closed row's list goes; the tree keeps what it showed.)
        testServer.setFault("/api/v1/labelowninfo", { delayMs: 1500, remainingHits: 1 });
        clickSquare(east);
        tryVerify(() => channelListOf(east) !== null, patience, "the list is made again");
        devices = channelListOf(east);
        const given = modelChanges(devices);
        waitForRequests("/api/v1/labelowninfo", 2);
        compare(given.count, 0);
        compare(rowOf(devices, 0).theData.Name, aName);
        verify(rowOf(devices, 0).expanded);
        // The open device's rows are made on a later pass: wait for the whole height.
        tryCompare(devices, "contentHeight", 4 * 30 * s, patience);
        tryCompare(piece(east, "childArea"), "height", devices.contentHeight, patience);
        tryVerify(() => given.count === 1, patience, "the answer rebuilt the rows");
        verify(!rowOf(devices, 0).expanded, "rebuilt closed");

        // Open, close and open before the first answer: the newer answer stays.
        expand(east);
        testServer.setFault("/api/v1/labelowninfo", { delayMs: 1500, remainingHits: 1 });
        clickSquare(east);
        waitForRequests("/api/v1/labelowninfo", 3);
        clickSquare(east);
        const data = groupData();
        data.Groups[0].Channels = [11];
        putData(data);
        const answers = () => tree.stateOf(east.rowKey).answers;
        const before = answers();
        clickSquare(east);
        tryVerify(() => answers() === before + 1, patience, "the newer answer");
        tryVerify(() => channelListOf(east) !== null && channelListOf(east).count === 1, patience);
        wait(2500);
        compare(answers(), before + 1, "the older answer was dropped");
        compare(channelListOf(east).count, 1);

        // The groups are loaded again while a group's answer is under way.
        const west = group(tree, 2);
        testServer.setFault("/api/v1/labelowninfo", { delayMs: 1000, remainingHits: 1 });
        clickSquare(west);
        waitForRequests("/api/v1/labelowninfo", 5);
        openTab(panel, 1);
        const rebuilt = group(tree, 2);
        verify(rebuilt !== west);
        wait(1500);
        verify(!rebuilt.expanded);
        verify(channelListOf(rebuilt) === null || channelListOf(rebuilt).count === 0);
        compare(testKit.messages().filter(line => /TypeError|ReferenceError/.test(line)), []);
    }

    // An open group is as tall as its device rows with their open channel areas.
    function test_openGroupsAreExactlyAsTallAsTheirRows() {
        const tree = openGroups();
        const east = group(tree, 0);
        const devices = expandLoaded(east);
        const area = piece(east, "childArea");
        compare(area.height, 2 * 30 * s);
        const a = rowOf(devices, 0);
        const channels = expandLoaded(a);
        compare(channels.count, 2);
        tryCompare(area, "height", 4 * 30 * s, patience);
        compare(east.height, 5 * 30 * s);
        const b = rowOf(devices, 1);
        compare(b.mapToItem(area, 0, 0).y + b.height, area.height, "the last device ends at the area's end");
        expandLoaded(b);
        tryCompare(area, "height", 5 * 30 * s, patience);
        compare(b.mapToItem(area, 0, 0).y + b.height, area.height);
        tryVerify(() => group(tree, 1).y === east.y + east.height, patience, "the next group moved");
        expand(a);
        tryCompare(area, "height", 3 * 30 * s, patience);
        // The empty group opens to nothing.
        const empty = group(tree, 1);
        expandLoaded(empty);
        verify(empty.expanded);
        compare(piece(empty, "childArea").height, 0);
        tryCompare(piece(empty, "expandButton"), "color", Qt.color("#272a2d"), patience);
    }

    // A group whose second device has 300 channels: its lists make rows for what the tree
    // shows and its margin, each where the whole list puts it, in the device and past it.
    function test_aLargeGroupIsWindowed() {
        const data = groupData();
        data.Devices.push(device(9, "大设备"));
        const many = [];
        for (let c = 0; c < 300; ++c) {
            data.Channels.push(channel(9000 + c, 9, "大通道" + c));
            many.push(9000 + c);
        }
        data.Groups.unshift({ ID: 8, Name: "大组", Channels: [11, 12].concat(many, [21]) });
        const tree = openGroups(data);
        const view = tree.listView;
        const big = group(tree, 0);
        const devices = expandLoaded(big);
        expandLoaded(rowOf(devices, 0));
        const platform = rowOf(devices, 1);
        expandLoaded(platform);
        const line = 30 * s;
        const deviceTop = i => [0, 3, 304][i] * line;
        const groupArea = piece(big, "childArea");
        const deviceArea = piece(platform, "childArea");
        for (const y of [150 * line, groupArea.height + line - view.height]) {
            view.contentY = big.y + y;
            verifyInPlace(tree, devices, groupArea, deviceTop, "device at " + y);
            const channels = channelListOf(platform);
            verify(verifyInPlace(tree, channels, deviceArea, j => j * line, "channel at " + y) > 0);
            verify(rowsMade(tree) <= rowsShownWithMargin(tree), "rows made at " + y + ": " + rowsMade(tree));
        }
        compare(rowOf(devices, 2).theData.Name, "设备B");
    }

    // The box: 50 above a group's displayed top, 60 above a device's or a channel's,
    // with the list scrolled; a pointer that leaves within the drawing shows none.
    function test_detailsBoxWithTheListScrolled() {
        const data = groupData();
        for (let i = 0; i < 60; ++i)
            data.Groups.push({ ID: 100 + i, Name: "分组" + i, Channels: [] });
        data.Groups.push({ ID: 200, Name: "末组", Channels: [11, 21] });
        const tree = openGroups(data);
        const box = piece(panel, "deviceToolTip");
        const link = piece(panel, "deviceToolTipLink");
        const area = piece(panel, "listArea");
        const list = tree.listView;
        list.positionViewAtEnd();
        tryVerify(() => list.contentY > 0 && list.itemAtIndex(63) !== null, patience, "scrolled to the end");
        const last = group(tree, 63);
        hover(last);
        verify(tree.parentHovered);
        compare(box.text, "id: 200\nname: 末组");
        compare(link.offsetY, 65 * s);
        compare(box.y, last.mapToItem(area, 0, 0).y - 50 * s);
        tryCompare(box, "show", true, patience);
        tryCompare(box, "opacity", 1, patience);

        const devices = expandLoaded(last);
        const b = rowOf(devices, 1);
        tryVerify(() => {
            list.positionViewAtEnd();
            return b.mapToItem(area, 0, b.height).y <= area.height;
        }, patience, "the device in view");
        hover(b);
        compare(box.text, "id: 2\nonline: 0\nname: 设备B");
        compare(link.offsetY, 65 * s);
        compare(box.y, b.mapToItem(area, 0, 0).y - 60 * s);
        const channels = expandLoaded(b);
        const ball = rowOf(channels, 0);
        tryVerify(() => {
            list.positionViewAtEnd();
            return ball.mapToItem(area, 0, ball.height).y <= area.height;
        }, patience, "the channel in view");
        hover(ball);
        verify(tree.childHovered);
        compare(box.text, ["name: 球机", "online: 离线", "protocol: GB28181", "rtspUrl: rtsp://10.0.0.1:554/21",
                           "recordUrl: /api/v1/record/21", "iP: 10.0.0.21", "port: 554"].join("\n"));
        compare(link.offsetY, 75 * s);
        compare(box.y, ball.mapToItem(area, 0, 0).y - 60 * s);

        // Away, then a quick pass over a row: the line starts, the box stays hidden.
        mouseMove(panel.parent, 100, 100);
        tryCompare(box, "opacity", 0, patience);
        verify(!link.visible);
        const icon = piece(ball, "cameraIcon");
        mouseMove(icon, icon.width / 2, icon.height / 2);
        verify(ball.hovered, "the icon is part of the channel's line");
        verify(link.visible);
        mouseMove(panel.parent, 100, 100);
        verify(!link.visible);
        wait(500);
        compare(box.show, false);
        compare(box.opacity, 0);
    }
}
