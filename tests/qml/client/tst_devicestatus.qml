import QtQuick
import QtTest
import an.style
import "qrc:/zelka/qml/HomePage"

// The device status rings over the devices and channels the server lists.
DeviceTreeTestCase {
    id: testCase
    name: "DeviceStatusRings"

    readonly property string green: "#d04adac5"
    readonly property string red: "#d0ff3d38"

    function init() {
        resetClient();
        logIn();
    }

    Component {
        id: viewComponent
        DeviceStatusView {
            width: 400
            height: 200
        }
    }

    // Ten channels on two devices, `online` of them online and `enabled` enabled
    // (an enabled flag of 2 counts as enabled too).
    function tenChannels(online, enabled) {
        const channels = [];
        for (let i = 0; i < 10; ++i) {
            channels.push(channel(100 + i, i < 6 ? 1 : 2, "通道" + i,
                                  { Online: i < online ? 1 : 0, Enable: i < enabled ? (i % 2 ? 2 : 1) : 0 }));
        }
        return { Devices: [device(1, "设备A"), device(2, "设备B")], Channels: channels };
    }

    Component {
        id: pageComponent
        HomePage {}
    }

    Component {
        id: sizedViewComponent
        DeviceStatusView {}
    }

    function createView() {
        const view = createTemporaryObject(viewComponent, testCase);
        verify(view);
        return view;
    }

    // The pointer on the middle of a ring's band at `degrees` clockwise from 12 o'clock,
    // moved there from a pixel away, as a hand brings it.
    function hoverRing(ring, degrees) {
        const radius = ring.ring1.radiusX + 4;
        const angle = (degrees - 90) * Math.PI / 180;
        moveOn(ring, ring.width / 2 + radius * Math.cos(angle), ring.height / 2 + radius * Math.sin(angle));
    }

    function moveOn(item, x, y) {
        mouseMove(item, x, y + 1);
        mouseMove(item, x, y);
    }

    function test_sevenOfTenOnline() {
        loadDevices(tenChannels(7, 10));
        const view = createView();
        const ring = view.onlineStatusView;
        compare(ring.total, 10);
        compare(ring.onlineTotal, 7);
        compare(ring.offlineTotal, 3);
        compare(ring.centreText.text, "在线: 7\n离线: 3\n总共: 10");
        verify(ring.ring1.isOnline);
        verify(!ring.ring2.isOnline);
        compare(ring.ring1.startAngle, -90);
        compare(ring.ring2.sweepAngle, 108, "the smaller part at once");
        tryCompare(ring.ring1, "sweepAngle", 252, patience);
        compare(ring.ring2.startAngle, 162);
        compare(String(ring.ringPath1.strokeColor), green);
        compare(String(ring.ringPath2.strokeColor), red);
        compare(ring.normalWidth, 16 * styleManager.scaleRatio);

        hoverRing(ring, 90);
        tryCompare(view.toolTip, "opacity", 1, patience);
        compare(view.toolTip.text, "在线: 7 (70.0%)");
        tryCompare(ring.ringPath1, "strokeWidth", 24 * styleManager.scaleRatio, patience);
        compare(ring.ringPath2.strokeWidth, ring.normalWidth);
        // Right of the centre the tip starts at the pointer; left of it, it ends there.
        const right = ring.mapToItem(view, ring.width / 2 + ring.ring1.radiusX + 4, ring.height / 2);
        fuzzyCompare(view.toolTip.x, right.x, 1);
        hoverRing(ring, 270);
        compare(view.toolTip.text, "离线: 3 (30.0%)");
        tryCompare(ring.ringPath2, "strokeWidth", 24 * styleManager.scaleRatio, patience);
        tryCompare(ring.ringPath1, "strokeWidth", ring.normalWidth, patience);
        const left = ring.mapToItem(view, ring.width / 2 - ring.ring1.radiusX - 4, ring.height / 2);
        fuzzyCompare(view.toolTip.x + view.toolTip.width, left.x, 1);
        // The centre is off the band.
        moveOn(ring, ring.width / 2, ring.height / 2);
        tryCompare(view.toolTip, "opacity", 0, patience);
        tryCompare(ring.ringPath2, "strokeWidth", ring.normalWidth, patience);
    }

    function test_threeOfTenAndEqualShares() {
        loadDevices(tenChannels(3, 5));
        const view = createView();
        const online = view.onlineStatusView;
        // The larger part is red and drawn by the animated arc, after the green one.
        verify(!online.ring1.isOnline);
        verify(online.ring2.isOnline);
        compare(online.ring2.startAngle, -90);
        compare(online.ring2.sweepAngle, 108);
        compare(online.ring1.startAngle, 18);
        tryCompare(online.ring1, "sweepAngle", 252, patience);
        compare(String(online.ringPath1.strokeColor), red);
        compare(String(online.ringPath2.strokeColor), green);
        hoverRing(online, 60);
        compare(view.toolTip.text, "在线: 3 (30.0%)");
        tryCompare(online.ringPath2, "strokeWidth", online.selectedWidth, patience);

        // Five of ten enabled: both 180 degrees, the enabled part is ring2 from 12 o'clock.
        const enabled = view.enableStatusView;
        compare(enabled.centreText.text, "启用: 5\n未启用: 5\n总共: 10");
        verify(enabled.ring2.isOnline);
        verify(!enabled.ring1.isOnline);
        compare(enabled.ring2.startAngle, -90);
        compare(enabled.ring2.sweepAngle, 180);
        tryCompare(enabled.ring1, "sweepAngle", 180, patience);
        hoverRing(enabled, 90);
        compare(view.toolTip.text, "启用: 5 (50.0%)");
        // Exactly on the border between the parts (6 o'clock): part two.
        moveOn(enabled, enabled.width / 2, enabled.height / 2 + enabled.ring1.radiusX + 4);
        compare(view.toolTip.text, "未启用: 5 (50.0%)");
    }

    // Four devices whose channel lists arrive one reply each; then one device's list
    // arrives again, changed on the server; then the refresh button's reload. Each time
    // the counts are those of the lists now held, never a sum over arrivals.
    function test_countsFollowEachChannelListAndTheRefresh() {
        const devices = [device(1, "A"), device(2, "B"), device(3, "C"), device(4, "D")];
        const channels = [];
        for (let d = 1; d <= 4; ++d) {
            for (let i = 0; i < d * 3; ++i)
                channels.push(channel(d * 100 + i, d, "通道" + d + "-" + i,
                                      { Online: i % 3 ? 1 : 0, Enable: i % 2 }));
        }
        // 30 channels: 20 online, 14 enabled (every odd one of 3, 6, 9 and 12).
        loadDevices({ Devices: devices, Channels: channels });
        const view = createView();
        compare(view.listView.objectName, "listView");
        compare(view.listView.visible, false);
        compare(view.listView.model.length, 4);
        tryCompare(view.enableStatusView, "onlineTotal", 1 + 3 + 4 + 6, patience);
        compare(view.listView.enableDeviceTotal, 14);
        compare(view.listView.deviceTotal, 30);
        compare(view.listView.onlineDeviceTotal, 20);
        compare(view.enableStatusView.total, 30);
        compare(view.enableStatusView.offlineTotal, 16);
        compare(view.onlineStatusView.centreText.text, "在线: 20\n离线: 10\n总共: 30");

        // Device C's list arrives again after all of its channels were enabled.
        const allOfCEnabled = channels.map(c => c.ParentDeviceID === 3 ? Object.assign({}, c, { Enable: 1 }) : c);
        verify(testServer.changeData({ Channels: allOfCEnabled }));
        const deviceC = deviceManager.deviceList[2];
        networkManager.getChannelInfo(deviceC);
        tryCompare(view.listView, "enableDeviceTotal", 14 - 4 + 9, patience);
        tryCompare(view.enableStatusView, "onlineTotal", 19, patience);
        compare(view.enableStatusView.centreText.text, "启用: 19\n未启用: 11\n总共: 30");
        // The same list once more changes nothing.
        const asked = testServer.requests("/api/v1/channels").length;
        networkManager.getChannelInfo(deviceC);
        waitForRequests("/api/v1/channels", asked + 1);
        wait(300);
        compare(view.listView.enableDeviceTotal, 19);

        // The refresh: new device objects, the lists again, the same counts.
        compare(findChild(view, "listView"), view.listView);
        const before = deviceManager.deviceList[0];
        networkManager.getDeviceList();
        tryVerify(() => deviceManager.deviceList.length === 4 && deviceManager.deviceList[0] !== before
                  && deviceManager.deviceList.every(d => d.channelList.length > 0), patience, "reloaded");
        tryCompare(view.listView, "enableDeviceTotal", 19, patience);
        wait(300);
        compare(view.listView.enableDeviceTotal, 19);
        compare(view.enableStatusView.onlineTotal, 19);
        compare(view.listView.deviceTotal, 30);
        compare(view.onlineStatusView.onlineTotal, 20);
    }

    function test_totalsFollowTheListWithoutDrift() {
        loadDevices({ Devices: [], Channels: [] });
        const view = createView();
        // No channels: empty rings, shares of 0.0 %, no NaN.
        for (const ring of [view.onlineStatusView, view.enableStatusView]) {
            compare(ring.total, 0);
            compare(ring.ring1.sweepAngle, 0);
            compare(ring.ring2.sweepAngle, 0);
        }
        compare(view.onlineStatusView.centreText.text, "在线: 0\n离线: 0\n总共: 0");
        hoverRing(view.onlineStatusView, 45);
        compare(view.toolTip.text, "离线: 0 (0.0%)");

        // The list arrives, then arrives again: the counts stay those of one list.
        loadDevices(tenChannels(7, 4));
        tryCompare(view.enableStatusView, "onlineTotal", 4, patience);
        compare(view.onlineStatusView.onlineTotal, 7);
        compare(view.enableStatusView.total, 10);
        loadDevices(tenChannels(7, 4));
        tryCompare(view, "enableDeviceTotal", 4, patience);
        wait(200);
        compare(view.enableStatusView.onlineTotal, 4);
        compare(view.enableStatusView.offlineTotal, 6);
        compare(view.deviceTotal, 10);
        // All online: a green full circle.
        loadDevices(tenChannels(10, 10));
        tryCompare(view.onlineStatusView.ring1, "sweepAngle", 360, patience);
        compare(view.onlineStatusView.ring2.sweepAngle, 0);
        hoverRing(view.onlineStatusView, 300);
        compare(view.toolTip.text, "在线: 10 (100.0%)");
    }

    // The status panel's content at ratio `r` in a main window of `w` x `h`: the page lies
    // under the window's 46 high menu strip, the grid 20 in from the sides and bottom,
    // four columns and three rows 5 apart; the panel is a cell less 40, its body 12 in,
    // the content under a 32 high title and 5 in from the body.
    function statusContentSize(r, w, h) {
        const cellWidth = (w - 40 * r - 3 * 5) / 4;
        const cellHeight = (h - 46 * r - 20 * r - 2 * 5) / 3;
        return Qt.size(cellWidth - 40 - 2 * 12 * r - 2 * 5 * r, cellHeight - 2 * 12 * r - 32 * r - 2 * 5 * r);
    }

    // Each ring is a square inside the view, the hovered stroke within the square, the
    // other ring beside it, the centre text inside the stroke's inner edge; and the rings
    // are as large as 160 * ratio or the view allows, never needlessly smaller.
    function verifyRingsInside(view, ratio, what) {
        const online = view.onlineStatusView;
        const enabled = view.enableStatusView;
        const room = Math.min(160 * ratio, view.height, (view.width - 5) / 2);
        for (const ring of [online, enabled]) {
            const box = ring.mapToItem(view, 0, 0, ring.width, ring.height);
            const where = what + " " + ring.objectName + " at " + box.x + "," + box.y + " " + box.width + "x"
                          + box.height + " in " + view.width + "x" + view.height;
            verify(box.x >= 0 && box.y >= 0, where);
            verify(box.x + box.width <= view.width && box.y + box.height <= view.height, where);
            compare(ring.height, ring.width, where);
            verify(ring.width <= 160 * ratio + 1e-9 && ring.width >= room - 3, where + ", room " + room);
            fuzzyCompare(ring.ring1.radiusX, ring.width / 2 - ring.normalWidth, 1e-9, where);
            verify(ring.ring1.radiusX + ring.selectedWidth / 2 <= ring.width / 2, where + " hovered stroke");
            const text = ring.centreText;
            const inner = ring.ring1.radiusX - ring.selectedWidth / 2;
            verify(Math.hypot(text.contentWidth / 2, text.contentHeight / 2) <= inner,
                   where + ": text " + text.contentWidth + "x" + text.contentHeight + " in " + inner);
        }
        verify(online.mapToItem(view, online.width, 0).x <= enabled.mapToItem(view, 0, 0).x, what + " side by side");
    }

    // A ring's stroke colour (green or red, over anything the page draws there).
    function isRingColour(c) {
        return (c.g > 0.6 && c.b > 0.5 && c.r < 0.45) || (c.r > 0.7 && c.g < 0.4 && c.b < 0.4);
    }

    function test_standardRatios_data() {
        return [
            { tag: "1.0 on 1920 x 1080", type: StyleManager.Style_1080P, screen: Qt.size(1920, 1080), ratio: 1 },
            { tag: "0.8 on 1366 x 768", type: StyleManager.Style_720P, screen: Qt.size(1366, 768), ratio: 0.8 },
            // The main window at the class's 0.8 would not fit: the ratio is the one that fits it.
            { tag: "0.76 on 1280 x 720", type: StyleManager.Style_720P, screen: Qt.size(1280, 720), ratio: 720 / 950 },
            { tag: "1.4 on 3840 x 2160", type: StyleManager.Style_4k, screen: Qt.size(3840, 2160), ratio: 1.4 }
        ];
    }

    // The real home page on each row's screen, at the style manager's ratio there, as large
    // as the main window on that screen: the rings stay in their panel, drawn and hovered.
    function test_standardRatios(data) {
        requireScreen(data);
        compare(styleManager.styleType, data.type);
        loadDevices(tenChannels(7, 4));
        const r = styleManager.scaleRatio;
        // At the ratio that fits, the main window lies inside the screen.
        const windowSize = Qt.size(1688 * r, 950 * r);
        verify(windowSize.width <= data.screen.width + 1e-9 && windowSize.height <= data.screen.height + 1e-9);
        const page = createTemporaryObject(pageComponent, testCase,
                                           { width: windowSize.width, height: windowSize.height - 46 * r });
        verify(page);
        const view = page.deviceStatusView;
        const expected = statusContentSize(r, windowSize.width, windowSize.height);
        fuzzyCompare(view.width, expected.width, 1e-6, "the panel's content width");
        fuzzyCompare(view.height, expected.height, 1e-6, "the panel's content height");
        tryCompare(view.enableStatusView, "onlineTotal", 4, patience);
        // The widest text a large site brings.
        view.updateOnlineStatus(1234, 8765, 9999);
        waitForItemPolished(view.onlineStatusView.parent);
        verifyRingsInside(view, r, data.tag);
        if (r === 1) {
            // At scale 1 the rings lie where they always have.
            for (const [ring, x] of [[view.onlineStatusView, 3], [view.enableStatusView, 172]]) {
                compare(ring.x, x);
                compare(ring.y, 33);
                compare(ring.width, 160);
                compare(ring.ring1.radiusX, 64);
                compare(ring.normalWidth, 16);
                compare(ring.selectedWidth, 24);
                compare(ring.centreText.font.pointSize, 10);
            }
        }

        // Drawn: a ring's stroke at its 3 o'clock, nothing of a ring right of the view,
        // over the panel's border and the camera wall.
        const enabled = view.enableStatusView;
        tryCompare(enabled.ring1, "sweepAngle", 216, patience);
        const centre = enabled.mapToItem(page, enabled.width / 2, enabled.height / 2);
        // The ring's layer shows from a later frame than the page's first.
        let image = null;
        tryVerify(() => {
            image = grabImage(page);
            return isRingColour(image.pixel(Math.round(centre.x + enabled.ring1.radiusX), Math.round(centre.y)));
        }, patience, "the stroke at 3 o'clock");
        const right = view.mapToItem(page, view.width, 0).x;
        for (let x = Math.ceil(right) + 1; x < right + 80 * r; ++x) {
            for (const dy of [-20, 0, 20]) {
                if (isRingColour(image.pixel(x, Math.round(centre.y + dy * r))))
                    fail("a ring drawn at " + x + ", " + (centre.y + dy * r) + ", right of the view at " + right);
            }
        }

        // The pointer on the band at the new size; the stroke it widens, springing past
        // its width on the way, stays inside the ring's square.
        const ring = view.onlineStatusView;
        let widest = 0;
        const follow = () => { widest = Math.max(widest, ring.ringPath1.strokeWidth, ring.ringPath2.strokeWidth); };
        ring.ringPath1.strokeWidthChanged.connect(follow);
        ring.ringPath2.strokeWidthChanged.connect(follow);
        hoverRing(ring, 20);
        tryCompare(view.toolTip, "opacity", 1, patience);
        compare(view.toolTip.text, "在线: 1234 (12.3%)");
        tryCompare(ring.ringPath2, "strokeWidth", ring.selectedWidth, patience);
        hoverRing(ring, 270);
        compare(view.toolTip.text, "离线: 8765 (87.7%)");
        tryCompare(ring.ringPath1, "strokeWidth", ring.selectedWidth, patience);
        tryCompare(ring.ringPath2, "strokeWidth", ring.normalWidth, patience);
        verify(ring.ring1.radiusX + widest / 2 <= ring.width / 2, "the widest stroke " + widest);
        moveOn(ring, ring.width / 2, ring.height / 2);
        tryCompare(view.toolTip, "opacity", 0, patience);
        tryCompare(ring.ringPath1, "strokeWidth", ring.normalWidth, patience);
    }

    // Ratios the screen classes do not give (a small screen's own, 0.57 to 0.76): the
    // view at three quarters, as large as the home page's panel content there, and the
    // view at any size the layout may give it.
    function test_threeQuartersAndAnySize() {
        loadDevices(tenChannels(7, 4));
        const size = statusContentSize(0.75, 1688 * 0.75, 950 * 0.75);
        const view = createTemporaryObject(sizedViewComponent, testCase,
                                           { scaleRatio: 0.75, width: size.width, height: size.height });
        verify(view);
        view.updateOnlineStatus(1234, 8765, 9999);
        waitForItemPolished(view.onlineStatusView.parent);
        verifyRingsInside(view, 0.75, "0.75");
        verify(view.onlineStatusView.width < 120, "narrower than the ring at 0.75");
        const ring = view.enableStatusView;
        hoverRing(ring, 90);
        tryCompare(view.toolTip, "opacity", 1, patience);
        compare(view.toolTip.text, "启用: 4 (40.0%)");
        tryCompare(ring.ringPath2, "strokeWidth", ring.selectedWidth, patience);

        // A new size takes effect at once, on the widened stroke and the others.
        view.width = 420;
        view.height = 300;
        waitForItemPolished(ring.parent);
        compare(ring.width, 120);
        compare(ring.ringPath2.strokeWidth, 24 * 0.75);
        compare(ring.ringPath1.strokeWidth, 16 * 0.75);
        compare(view.onlineStatusView.ringPath1.strokeWidth, 16 * 0.75);

        for (let width = 150; width < 420; width += 7.3) {
            for (const height of [90.4, 133.3, 161.7, 240.2]) {
                view.width = width;
                view.height = height;
                waitForItemPolished(view.onlineStatusView.parent);
                verifyRingsInside(view, 0.75, width + "x" + height);
            }
        }
    }
}
