import QtQuick
import QtTest

// Base of the device tree tests: each case puts its own devices and channels on the
// server, has the API client load them, and finds the tree's rows.
ShellTestCase {
    id: treeCase

    // Shown, so that the trees placed in it take the pointer.
    visible: true
    width: 1400
    height: 900

    readonly property color textColor: styleManager.style.color("Login-TextColor")
    readonly property color offlineColor: styleManager.style.color("Home-DeviceListView-Item-Offline")
    readonly property color onlineColor: styleManager.style.color("Home-DeviceListView-Item-Online")
    readonly property color checkedColor: styleManager.style.color("Home-DeviceListView-Item-Checked")
    readonly property color hoveredColor: styleManager.style.color("Home-DeviceListView-Item-Hovered")

    function device(id, name, extra) {
        return Object.assign({ DeviceID: id, DeviceName: name, DeviceType: "NVR", Transport: "UDP",
                               UpdatedAt: "2026-12-01 10:00:00", Online: 1, Enable: true }, extra || {});
    }

    function channel(id, deviceId, name, extra) {
        return Object.assign({ ChannelID: id, ParentDeviceID: deviceId, Name: name, Online: 1, Enable: 1,
                               FavoritesChannel: 0, Parental: 0, GBChannelID: "3402000000131" + String(id).padStart(7, "0"),
                               Protocol: "GB28181", IP: "10.0.0." + (id % 250), Port: 554,
                               RtspUrl: "rtsp://10.0.0.1:554/" + id, RecordUrl: "/api/v1/record/" + id,
                               SnapUrl: "/snap/" + id }, extra || {});
    }

    function subChannel(id, parentId, deviceId, name, extra) {
        return channel(id, deviceId, name, Object.assign({ _ParentChannelID: parentId }, extra || {}));
    }

    // Three devices: A (index 0) with the channels 12, 11 (whose sub-channels are 111
    // and 112) and 13; B with channel 21; C with its one channel offline.
    function standardData() {
        return {
            Devices: [device(1, "设备A"), device(2, "设备B", { Transport: "TCP", DeviceType: "IPC" }), device(3, "设备C")],
            Channels: [
                channel(12, 1, "停车场", { Online: 0, FavoritesChannel: 1 }),
                channel(11, 1, "大门", { Parental: 1 }),
                channel(13, 1, "备用", { Enable: 0 }),
                subChannel(111, 11, 1, "大门左"),
                subChannel(112, 11, 1, "大门右", { Online: 0 }),
                channel(21, 2, "球机", { FavoritesChannel: 7 }),
                channel(31, 3, "分部大门", { Online: 0 })
            ]
        };
    }

    // Puts the data on the server and waits until the API client holds it, channels
    // and sub-channels included.
    function loadDevices(data) {
        verify(testServer.changeData({ Devices: data.Devices, Channels: data.Channels }));
        // Counted in one pass each: a large site has 10,000 channels, and a search of all of
        // them per channel kept the GUI thread (and the replies' time limit) waiting.
        const perDevice = {};
        const parents = new Set();
        for (const c of data.Channels) {
            if (c._ParentChannelID === undefined)
                perDevice[c.ParentDeviceID] = (perDevice[c.ParentDeviceID] || 0) + 1;
            else
                parents.add(c._ParentChannelID);
        }
        const expected = data.Devices.map(d => perDevice[d.DeviceID] || 0);
        const withSubs = data.Channels.filter(c => parents.has(c.ChannelID)).length;
        const before = deviceManager.deviceList;
        networkManager.getDeviceList();
        tryVerify(() => {
            const list = deviceManager.deviceList;
            if (list.length !== expected.length || (list.length > 0 && list[0] === before[0]))
                return false;
            let subs = 0;
            for (let i = 0; i < list.length; ++i) {
                if (list[i].channelList.length !== expected[i])
                    return false;
                subs += list[i].channelList.filter(c => c.hasSubChannels).length;
            }
            return subs === withSubs;
        }, patience, "the device list arrived");
    }

    function deviceRow(tree, index) {
        const list = findChild(tree, "listView");
        tryVerify(() => list.itemAtIndex(index) !== null, patience, "device row " + index);
        return list.itemAtIndex(index);
    }

    function channelList(row) {
        return findChild(row, row.isDeviceRow ? "channelList" : "subChannelList");
    }

    function childRow(row, index) {
        const list = channelList(row);
        tryVerify(() => list.itemAtIndex(index) !== null, patience, "row " + index + " below " + row.theData);
        return list.itemAtIndex(index);
    }

    function piece(item, name) {
        const found = findChild(item, name);
        verify(found, "no part named " + name);
        return found;
    }

    // The pointer moves there first, as a hand would: rows left behind see it leave.
    function clickText(row) {
        const area = piece(row, "textArea");
        mouseMove(area, area.width / 3, area.height / 2);
        mouseClick(area, area.width / 3, area.height / 2);
    }

    function clickSquare(row) {
        const square = piece(row, "expandSquare");
        mouseMove(square, square.width / 2, square.height / 2);
        mouseClick(square, square.width / 2, square.height / 2);
    }

    // Opens (or closes) a row and waits until its child area has its full height and
    // the rows below, in this list and in the lists above it, have moved.
    function expand(row) {
        clickSquare(row);
        const area = piece(row, "childArea");
        // Sub-channel lists come after the device list: an opened row waits for its rows
        // (until they come its area has no height, and rows clipped by it take no click).
        if (row.expanded && !row.isDeviceRow && row.theData.hasSubChannels)
            tryVerify(() => row.childHeight > 0, patience, "the sub-channels arrived");
        tryVerify(() => area.height === row.childHeight, patience, "the child area settled");
        settle(row);
    }

    // Every row that holds this one grows its child area after it, in its own 220 ms: until
    // then the clip of that area hides (and keeps the pointer from) the rows at its bottom,
    // while the rows below already stand where its present height puts them.
    function settle(row) {
        for (let current = row; current && current.view; current = rowHolding(current.view)) {
            const area = piece(current, "childArea");
            tryVerify(() => area.height === current.childHeight, patience, "the child area of " + current.theData + " settled");
            const next = current.view.itemAtIndex(current.index + 1);
            if (next)
                tryVerify(() => next.y === current.y + current.height, patience, "the rows below moved");
        }
    }

    // Waits until every device row made, the current one that the list keeps off screen
    // included, stands at its height: rows opened together grow in 220 ms of the scene's
    // animation clock, which a slow machine (a sanitizer, a loaded core) runs far behind
    // the wall clock.
    function settleRows(tree) {
        const list = tree.listView;
        tryVerify(() => {
            for (let i = 0; i < list.count; ++i) {
                const row = list.itemAtIndex(i);
                if (row && row.childAreaHeight !== row.childHeight)
                    return false;
            }
            return true;
        }, patience, "the open rows settled");
    }

    // The row whose child area holds `view`, or null for the device list.
    function rowHolding(view) {
        for (let item = view.parent; item; item = item.parent) {
            if (item.theData !== undefined && item.view !== undefined)
                return item;
        }
        return null;
    }

    function hover(row) {
        const area = piece(row, "textArea");
        mouseMove(area, area.width / 3, area.height / 2);
        tryCompare(row, "hovered", true, patience);
    }

    // The rows of the tree and of every list in it.
    function rowsMade(item) {
        let rows = item.objectName === "textArea" ? 1 : 0;
        for (let i = 0; i < item.children.length; ++i)
            rows += rowsMade(item.children[i]);
        return rows;
    }

    // The rows a tree's view shows, a row cut at each edge, its lists' margins of 120, and
    // the current row that each list keeps. At a ratio that makes rows fractional, a row
    // that ends within a pixel of a margin may be made too.
    function rowsShownWithMargin(tree) {
        return Math.ceil((tree.listView.height + 2 * 120 * s + 2) / (30 * s)) + 2 + listsMade(tree);
    }

    function listsMade(item) {
        let lists = item instanceof ListView ? 1 : 0;
        for (let i = 0; i < item.children.length; ++i)
            lists += listsMade(item.children[i]);
        return lists;
    }

    // Checks the rows a windowed list has made: each stands where the whole list puts it,
    // topOf(index) under the top of `area`, and the rows cover the part of the area that
    // the tree's view shows. Returns how many it made.
    function verifyInPlace(tree, list, area, topOf, what) {
        const view = tree.listView;
        const shownTop = Math.max(0, view.mapToItem(area, 0, 0).y);
        const shownBottom = Math.min(area.height, view.mapToItem(area, 0, view.height).y);
        let made = 0;
        const covered = [];
        for (let i = 0; i < list.count; ++i) {
            const row = list.itemAtIndex(i);
            if (!row)
                continue;
            ++made;
            const top = row.mapToItem(area, 0, 0).y;
            fuzzyCompare(top, topOf(i), 1, what + " " + i);
            covered.push([top, top + row.height]);
        }
        covered.sort((a, b) => a[0] - b[0]);
        let reached = shownTop;
        for (const span of covered) {
            if (span[0] <= reached + 1)
                reached = Math.max(reached, span[1]);
        }
        verify(reached >= shownBottom - 1, what + ": rows cover " + shownTop + "-" + reached + " of " + shownBottom);
        return made;
    }

    // Records the tree's signals in order, as "device:<name>" and "channel:<name>".
    function recordSignals(tree) {
        const record = [];
        tree.clickDevice.connect(info => record.push({ kind: "device", info: info }));
        tree.clickChannel.connect(info => record.push({ kind: "channel", info: info }));
        return record;
    }

    function describe(record) {
        return record.map(entry => entry.kind + ":" + (entry.info.deviceName || entry.info.name));
    }
}
