import QtQuick
import QtTest
import "qrc:/zelka/qml/RealtimeRetrieval" as RealtimeRetrieval

// The real-time view page: the side panel's picks and groups reach the layout view, the
// docked PTZ panel follows "PTZ面板" and the side panel's fold, and it steers the channel
// the current tile shows now.
ShellTestCase {
    id: testCase
    name: "RealtimePage"

    visible: true
    width: 1400
    height: 900

    readonly property color textColor: styleManager.style.color("Login-TextColor")
    readonly property color inputColor: "#a01b2c"
    readonly property real s: styleManager.scaleRatio

    Component {
        id: pageComponent

        Item {
            property alias page: realtimePage
            width: 1400
            height: 900

            RealtimeRetrieval.RealtimeRetrievalPage {
                id: realtimePage
                anchors.fill: parent
            }
        }
    }

    function makePage() {
        logIn();
        const host = createTemporaryObject(pageComponent, testCase);
        verify(host);
        const page = host.page;
        const view = part(page, "cameraLayoutView");
        tryVerify(() => view.layoutSettings.length > 0, patience);
        // The shipped layouts: 4 cells.
        view.currentLayout = 1;
        testServer.clearLog();
        return page;
    }

    function part(page, name) {
        const found = findChild(page, name);
        verify(found, "no part named " + name);
        return found;
    }

    function camera(view, index) {
        return findChild(view, "cell" + index).camera;
    }

    function channelsReply(list) {
        return {status: 200, contentType: "application/json", body: JSON.stringify({data: list})};
    }

    function test_groupCarouselTakesOnlineChannels() {
        const page = makePage();
        const view = part(page, "cameraLayoutView");
        const panel = part(page, "deviceManageView");
        const popup = part(view, "carouselSettingPopup");
        compare(panel.couldCarouselGroup, true);

        // Only the number 1 is online.
        testServer.setFault("/api/v1/own/label/channels", channelsReply([
            {ChannelId: 101, ChannelOnline: 1}, {ChannelId: 102, ChannelOnline: "1"},
            {ChannelId: 106, ChannelOnline: true}, {ChannelId: 201, ChannelOnline: 0},
            {ChannelId: 401, ChannelOnline: 1}]));
        panel.clickCarouselGroup({ID: 1, Name: "园区一期"});
        tryCompare(popup, "running", true, patience);
        compare(popup.carouselType, 1);
        compare(popup.carouselGroupChannelList, [101, 401]);
        compare(testServer.requests("/api/v1/own/label/channels")[0].items.labelid, "1");
        tryVerify(() => camera(view, 0).channelId === 101 && camera(view, 1).channelId === 401, patience);

        // Only the answer to the latest pick starts a carousel.
        testServer.clearFaults();
        testServer.setFault("/api/v1/own/label/channels", {delayMs: 1500, remainingHits: 1});
        panel.clickCarouselGroup({ID: 2});
        panel.clickCarouselGroup({ID: 3});
        tryVerify(() => popup.carouselGroupChannelList.length === 2 && popup.carouselGroupChannelList[0] === 401,
                  patience);
        compare(popup.carouselGroupChannelList, [401, 402], "403 is offline");
        waitForRequests("/api/v1/own/label/channels", 3);
        wait(1800);
        compare(popup.carouselGroupChannelList, [401, 402], "the late answer for group 2 changed nothing");
        popup.stopCarousel();
    }

    function test_dockedPtzPanel() {
        const page = makePage();
        const view = part(page, "cameraLayoutView");
        const panel = part(page, "deviceManageView");
        const ptz = part(page, "ptzControlPanel");
        compare(ptz.auto, false);
        compare(ptz.steeringWheelMargin, 60 * s);
        compare(ptz.width, 320 * s);
        compare(ptz.height, 300 * s);
        compare(ptz.x + ptz.width, page.width);
        compare(ptz.y + ptz.height, page.height);
        compare(panel.y + panel.height, ptz.y);
        compare(view.width, page.width - panel.width);
        compare(part(ptz, "ptzSteeringWheel").width, 200 * s);

        mouseClick(part(view, "ptzPanelButton"));
        tryCompare(ptz, "height", 0, patience);
        compare(ptz.visible, false);
        compare(panel.height, page.height, "the side panel reaches the bottom");
        mouseClick(part(view, "ptzPanelButton"));
        tryCompare(ptz, "height", 300 * s, patience);
        compare(ptz.visible, true);

        // Folding the side panel narrows the PTZ panel to nothing and widens the view,
        // which recomputes its layouts.
        mouseClick(part(panel, "foldButton"));
        tryCompare(ptz, "width", 0, patience);
        tryCompare(view, "width", page.width, patience);
        tryCompare(findChild(view, "cell0"), "preferredWidth", Math.round((page.width - 1) / 2), patience);
    }

    function test_ptzSteersTheChannelShownNow() {
        const page = makePage();
        const view = part(page, "cameraLayoutView");
        const panel = part(page, "deviceManageView");
        const ptz = part(page, "ptzControlPanel");
        compare([ptz.deviceId, ptz.channelId], [-1, -1]);

        // A pick plays in the current cell; the next one, still empty, is current now.
        panel.clickChannel({name: "东门入口", parentDeviceID: 1, channelID: 101, snapUrl: ""});
        compare(camera(view, 0).channelId, 101);
        compare(view.currentCameraIndex, 1);
        compare([ptz.deviceId, ptz.channelId], [-1, -1]);
        panel.clickChannel({name: "西门停车场", parentDeviceID: 1, channelID: 102, snapUrl: ""});
        view.setCurrentCamera(camera(view, 0));
        compare([ptz.deviceId, ptz.channelId], [1, 101]);

        // A drop gives the current tile another channel: the panel steers that one.
        view.dropCamera(camera(view, 0), findChild(findChild(view, "cell1"), "dragItem"));
        compare([ptz.deviceId, ptz.channelId], [1, 102]);
        testServer.clearLog();
        const zoomIn = part(ptz, "ptzZoomIn");
        mousePress(zoomIn);
        mouseRelease(zoomIn);
        const commands = waitForRequests("/api/v1/ptzcontrol", 2);
        verify(commands.every(r => r.items.device === "1" && r.items.channel === "102"), JSON.stringify(commands));

        // So does a carousel tick.
        view.playCarouselGroupList([401]);
        tryCompare(ptz, "channelId", 401, patience);
        compare(ptz.deviceId, 4);
        part(view, "carouselSettingPopup").stopCarousel();
    }
}
