import QtQuick
import QtTest
import "qrc:/zelka/qml/VideoSquare" as VideoSquare

// The video square: the paged snapshot grid on its own (pages, page sizes, jumps, the
// cells' texts, a tile enlarged and played) and on its page beside the side panel.
DeviceTreeTestCase {
    id: squareCase
    name: "VideoSquare"

    Component {
        id: gridHost

        Item {
            property color inputColor: styleManager.style.color("Login-InputColor")
            width: 1400
            height: 900

            VideoSquare.VideoPageView {
                objectName: "view"
                anchors.fill: parent
            }
        }
    }

    Component {
        id: pageHost

        Item {
            property color inputColor: styleManager.style.color("Login-InputColor")
            width: 1400
            height: 900

            VideoSquare.VideoSquarePage {
                objectName: "page"
                anchors.fill: parent
            }
        }
    }

    function records(count, extra) {
        const list = [];
        for (let i = 1; i <= count; ++i)
            list.push(Object.assign({ name: "通道" + i, online: 1, snapUrl: "", parentDeviceID: 1, channelID: 1000 + i },
                                    extra || {}));
        return list;
    }

    function makeView() {
        const host = createTemporaryObject(gridHost, squareCase);
        verify(host);
        return findChild(host, "view");
    }

    function grid(view) {
        return piece(view, "snapGridView");
    }

    function cell(view, index) {
        const list = grid(view);
        tryVerify(() => list.itemAtIndex(index) !== null, patience, "cell " + index);
        const item = list.itemAtIndex(index);
        // In its place in the grid: five columns, rows of cell height.
        tryVerify(() => item.x === (index % 5) * list.cellWidth && item.y === Math.floor(index / 5) * list.cellHeight,
                  patience, "cell " + index + " placed");
        return item;
    }

    function cellName(view, index) {
        return piece(cell(view, index), "nameText").text;
    }

    function tileOf(view, index) {
        return piece(cell(view, index), "cameraTile");
    }

    function texts(view) {
        return [piece(view, "pageText").text, piece(view, "countText").text];
    }

    // The tool tip shows the message, then hides it again after its 800 ms.
    function expectMessage(view, buttonName, tipName, message) {
        const tip = piece(view, tipName);
        mouseClick(piece(view, buttonName));
        tryCompare(tip, "visible", true, patience);
        compare(tip.text, message);
        tryCompare(tip, "visible", false, patience);
    }

    // Counts every model the grid is given, from now on.
    function modelCounter(view) {
        const counter = { count: 0 };
        grid(view).modelChanged.connect(() => ++counter.count);
        return counter;
    }

    function chooseSize(view, index) {
        const box = piece(view, "pageSizeBox");
        mouseClick(box);
        tryCompare(box.popup, "opened", true, patience);
        let entry = null;
        tryVerify(() => (entry = box.popup.contentItem.itemAtIndex(index)) !== null, patience);
        mouseClick(entry);
        tryCompare(box.popup, "visible", false, patience);
    }

    function typePage(view, text) {
        const field = piece(view, "pageEdit");
        mouseClick(field);
        tryCompare(field, "activeFocus", true, patience);
        keyClick(Qt.Key_A, Qt.ControlModifier);
        keyClick(Qt.Key_Delete);
        if (text !== "")
            verify(testKit.typeText(text));
        compare(field.text, text);
    }

    function test_emptyListAndPaging() {
        const view = makeView();
        compare(grid(view).count, 0);
        compare(texts(view), ["当前页: 1 / 0", "当前页: 0 条 / 总 0 条"]);
        expectMessage(view, "previousPageButton", "leftPageTooltip", "已经是第一页!");
        expectMessage(view, "nextPageButton", "rightPageTooltip", "已经是最后一页!");
        expectMessage(view, "gotoPageButton", "gotoPageTooltip", "无法跳转!");

        // 61 channels at 30 a page: three pages, the last with one cell numbered [1].
        view.channelList = records(61);
        compare(view.totalPage, 3);
        compare(texts(view), ["当前页: 1 / 3", "当前页: 30 条 / 总 61 条"]);
        compare(cellName(view, 0), "[1] 通道1");
        compare(cellName(view, 29), "[30] 通道30");
        mouseClick(piece(view, "nextPageButton"));
        compare(view.currentPage, 1);
        compare(cellName(view, 0), "[1] 通道31");
        mouseClick(piece(view, "nextPageButton"));
        compare(grid(view).count, 1);
        compare(cellName(view, 0), "[1] 通道61");
        compare(texts(view), ["当前页: 3 / 3", "当前页: 1 条 / 总 61 条"]);
        expectMessage(view, "nextPageButton", "rightPageTooltip", "已经是最后一页!");
        compare(view.currentPage, 2);
        mouseClick(piece(view, "previousPageButton"));
        compare(view.currentPage, 1);

        // 60 give exactly two full pages; a new list starts at the first.
        view.channelList = records(60);
        compare(view.currentPage, 0);
        compare(view.totalPage, 2);
        mouseClick(piece(view, "nextPageButton"));
        compare(grid(view).count, 30);
        compare(cellName(view, 0), "[1] 通道31");
        compare(cellName(view, 29), "[30] 通道60");
        expectMessage(view, "nextPageButton", "rightPageTooltip", "已经是最后一页!");
    }

    function test_pageSizeAndJumps() {
        const view = makeView();
        view.channelList = records(120);
        const box = piece(view, "pageSizeBox");
        compare(box.displayText, "30 条每页");

        // Picking the size in use on the first page rebuilds nothing.
        const models = modelCounter(view);
        chooseSize(view, 0);
        compare(models.count, 0);

        mouseClick(piece(view, "nextPageButton"));
        mouseClick(piece(view, "nextPageButton"));
        compare(view.currentPage, 2);
        chooseSize(view, 2);
        compare(view.currentPage, 0);
        compare(view.numberPerPage, 50);
        compare(grid(view).count, 50);
        compare(cellName(view, 49), "[50] 通道50");
        compare(texts(view), ["当前页: 1 / 3", "当前页: 50 条 / 总 120 条"]);
        chooseSize(view, 3);
        compare(view.numberPerPage, 60);
        compare(view.totalPage, 2);

        // A new list goes back to 30 a page, and the box says so.
        view.channelList = records(61);
        compare(view.numberPerPage, 30);
        compare(box.displayText, "30 条每页");
        compare(view.totalPage, 3);

        // Jumps: Return acts on an acceptable number like "确定"; 0 and an empty field
        // are refused by "确定" alone, and Return then does nothing.
        typePage(view, "3");
        keyClick(Qt.Key_Return);
        compare(view.currentPage, 2);
        compare(cellName(view, 0), "[1] 通道61");
        typePage(view, "2");
        keyClick(Qt.Key_Enter);
        compare(view.currentPage, 1);
        view.channelList = records(60);
        typePage(view, "3");
        const tip = piece(view, "gotoPageTooltip");
        keyClick(Qt.Key_Return);
        tryCompare(tip, "visible", true, patience);
        compare(tip.text, "无法跳转!");
        compare(view.currentPage, 0);
        tryCompare(tip, "visible", false, patience);
        typePage(view, "0");
        keyClick(Qt.Key_Return);
        wait(100);
        compare(tip.visible, false);
        expectMessage(view, "gotoPageButton", "gotoPageTooltip", "无法跳转!");
        typePage(view, "");
        keyClick(Qt.Key_Return);
        wait(100);
        compare(tip.visible, false);
        expectMessage(view, "gotoPageButton", "gotoPageTooltip", "无法跳转!");
        typePage(view, "2");
        mouseClick(piece(view, "gotoPageButton"));
        compare(view.currentPage, 1);
        // The field takes digits only, five at most; a number above 10000 stays a draft
        // that Return does not act on.
        typePage(view, "");
        verify(testKit.typeText("1x234567"));
        compare(piece(view, "pageEdit").text, "12345");
        keyClick(Qt.Key_Return);
        wait(100);
        compare(tip.visible, false);
        compare(view.currentPage, 1);
    }

    function test_cellTexts() {
        const view = makeView();
        const list = records(3);
        list[1].online = 0;
        delete list[2].online;
        view.channelList = list;
        const offline = offlineColor;
        const online = onlineColor;
        for (const [index, opacity, status, colour] of [[0, 1, "✔在线", online], [1, 0.7, "✖离线", offline],
                                                        [2, 1, "✔在线", online]]) {
            const item = cell(view, index);
            compare(piece(item, "cellBody").opacity, opacity, "cell " + index);
            compare(piece(item, "onlineText").text, status);
            compare(piece(item, "onlineText").color, colour);
            compare(piece(item, "nameText").color, colour);
        }
        // Five columns of 200-high cells: the sixth cell starts the second row.
        view.channelList = records(6);
        compare(cell(view, 5).x, 0);
        compare(cell(view, 5).y, 200 * s);
        compare(cell(view, 4).x, view.width / 5 * 4);
    }

    // A double-click lays the tile over the view and plays it; a second one puts it
    // back and stops the live stream. A page build stops nothing.
    function test_enlargeAndShrink() {
        settings.playerProtocol = "RTSP";
        logIn();
        const view = makeView();
        const list = records(40);
        list[31] = { name: "东门入口", online: 1, snapUrl: "/snap/101.h264", parentDeviceID: 1, channelID: 101 };
        view.channelList = list;
        mouseClick(piece(view, "nextPageButton"));
        compare(testServer.requests("/api/v1/devices/stopchannelstream").length, 0);

        const tile = tileOf(view, 1);
        const home = tile.parent;
        mouseDoubleClickSequence(tile);
        compare(tile.parent, view);
        compare(tile.width, view.width);
        compare(tile.height, view.height);
        tryVerify(() => tile.videoUrl !== "", patience, "the stream address arrived");
        compare(testServer.requests("/api/v1/gettoken").map(r => r.items.channel), ["101"]);
        const streams = testServer.requests("/api/v1/devices/channelstream");
        compare(streams.length, 1);
        compare([streams[0].items.device, streams[0].items.channel], ["1", "101"]);
        tryVerify(() => findChild(tile, "ptzControlPanel") !== null && findChild(tile, "ptzControlPanel").visible, patience);
        testServer.clearLog();

        mouseDoubleClickSequence(tile);
        compare(tile.parent, home);
        compare(tile.videoUrl, "");
        const stops = waitForRequests("/api/v1/devices/stopchannelstream", 1);
        compare(stops.length, 1);
        compare([stops[0].items.device, stops[0].items.channel, stops[0].items.stream_type], ["1", "101", "play"]);
        compare(view.currentPage, 1);
        compare(piece(tile, "ptzLoader").item, null);

        // Enlarged again, then a new list: the playing tile tells the server first.
        mouseDoubleClickSequence(tile);
        tryVerify(() => tile.videoUrl !== "", patience, "the stream address arrived again");
        testServer.clearLog();
        view.channelList = records(5);
        const lastStops = waitForRequests("/api/v1/devices/stopchannelstream", 1);
        wait(200);
        compare(testServer.requests("/api/v1/devices/stopchannelstream").length, 1);
        compare([lastStops[0].items.channel, lastStops[0].items.stream_type], ["101", "play"]);
        compare(grid(view).count, 5);
    }

    // The page: a device picked in the side panel fills the grid, a single channel does
    // not, and a reload of the device list leaves the shown records intact.
    function test_pageWithSidePanel() {
        logIn();
        const channels = [];
        for (let i = 1; i <= 33; ++i)
            channels.push(channel(500 + i, 1, "大厅" + i, { Online: i === 2 ? 0 : 1, SnapUrl: "/snap/" + (500 + i) + ".h264" }));
        channels.push(channel(601, 2, "球机"));
        loadDevices({ Devices: [device(1, "设备A"), device(2, "设备B")], Channels: channels });
        const host = createTemporaryObject(pageHost, squareCase);
        const page = findChild(host, "page");
        const view = piece(page, "videoPageView");
        const panel = piece(page, "deviceManageView");
        compare(piece(page, "gridArea").width, page.width - panel.width);
        compare(texts(view), ["当前页: 1 / 0", "当前页: 0 条 / 总 0 条"]);

        const tree = piece(panel, "deviceListView");
        clickText(deviceRow(tree, 0));
        tryCompare(view, "totalPage", 2, patience);
        compare(cellName(view, 1), "[2] 大厅2");
        compare(piece(cell(view, 1), "cellBody").opacity, 0.7);
        compare(tileOf(view, 0).snapUrl, "/snap/501.h264");

        // A channel without sub-channels changes nothing; the grid stays on its page.
        mouseClick(piece(view, "nextPageButton"));
        const models = modelCounter(view);
        expand(deviceRow(tree, 1));
        clickText(childRow(deviceRow(tree, 1), 0));
        wait(100);
        compare(models.count, 0);
        compare(view.currentPage, 1);
        compare(cellName(view, 0), "[1] 大厅31");

        // The device list reloads: its channel objects go, the grid keeps its names.
        const before = deviceManager.deviceList[0];
        networkManager.getDeviceList();
        tryVerify(() => deviceManager.deviceList.length === 2 && deviceManager.deviceList[0] !== before, patience);
        wait(200);
        mouseClick(piece(view, "previousPageButton"));
        compare(cellName(view, 0), "[1] 大厅1");
        compare(cellName(view, 29), "[30] 大厅30");
        mouseClick(piece(view, "nextPageButton"));
        compare(cellName(view, 2), "[3] 大厅33");

        // Folding the panel widens the grid; five columns stay five.
        mouseClick(piece(panel, "foldButton"));
        tryCompare(piece(page, "gridArea"), "width", page.width, patience);
        tryCompare(grid(view), "cellWidth", view.width / 5, patience);

        // The same device again: first page, 30 a page.
        mouseClick(piece(panel, "foldButton"));
        tryCompare(panel, "width", 320 * s, patience);
        clickText(deviceRow(tree, 0));
        tryCompare(view, "currentPage", 0, patience);
        compare(view.totalPage, 2);
    }
}
