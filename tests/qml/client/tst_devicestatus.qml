import QtQuick
import QtTest
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
}
