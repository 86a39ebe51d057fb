import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage"

// The home page's camera wall: which tile the picked channels go to, the presses that
// move the cursor, and the carousel's handlers. The stream requests are refused, so that
// the tiles only take their channels (playing them is the tile's own business).
DeviceTreeTestCase {
    id: testCase
    name: "CameraWall"

    visible: true
    width: 1648
    height: 872

    readonly property string streamPath: "/api/v1/devices/channelstream"

    function init() {
        resetClient();
        settings.carouselOnStart = false;
        settings.carouselInterval = 30;
        logIn();
        testServer.setFault(streamPath, { status: 500, body: "no streams here" });
    }

    Component {
        id: pageComponent
        HomePage {
            width: testCase.width
            height: testCase.height
        }
    }

    function createWall() {
        const page = createTemporaryObject(pageComponent, testCase);
        verify(page);
        waitForRendering(page);
        return page.cameraWall;
    }

    function pick(id) {
        return { name: "通道" + id, parentDeviceID: 1, channelID: id, snapUrl: "" };
    }

    function tileNumber(wall, camera) {
        return wall.cameras.indexOf(camera) + 1;
    }

    function pressTile(camera) {
        mousePress(camera, camera.width / 2, camera.height / 2, Qt.LeftButton);
        mouseRelease(camera, camera.width / 2, camera.height / 2, Qt.LeftButton);
    }

    function test_gridAndTiles() {
        const wall = createWall();
        const view = wall.cameraView;
        compare(view.rows, 2);
        compare(view.columns, 2);
        const cellWidth = (wall.width - 5) / 2;
        const cellHeight = (wall.height - 5) / 2;
        const places = [[0, 0], [cellWidth + 5, 0], [0, cellHeight + 5], [cellWidth + 5, cellHeight + 5]];
        for (let i = 0; i < 4; ++i) {
            const camera = wall.cameras[i];
            compare(camera.objectName, "cameraRect" + (i + 1));
            const cell = camera.parent;
            compare(cell.objectName, "cameraRect" + (i + 1) + "Item");
            fuzzyCompare(cell.x, places[i][0], 1, "cell " + (i + 1) + " x");
            fuzzyCompare(cell.y, places[i][1], 1, "cell " + (i + 1) + " y");
            fuzzyCompare(cell.width, cellWidth, 1, "cell " + (i + 1) + " width");
            fuzzyCompare(cell.height, cellHeight, 1, "cell " + (i + 1) + " height");
            compare(camera.width, cell.width);
            compare(camera.height, cell.height);
            compare(camera.streamType, 0);
            compare(camera.enableKeyFrame, false);
            compare(camera.fillParent, wall);
            compare(camera.noFillParent, cell);
            compare(camera.isCurrent, i === 0, "only the first tile is current at start");
        }
        compare(view.currentCamera, wall.cameras[0]);
    }

    // A double-click maximises a tile over the wall, above the other tiles, which keep
    // their places and go on taking channels; a second one puts it back in its cell.
    function test_maximise() {
        const wall = createWall();
        const view = wall.cameraView;
        const camera = wall.cameras[1];
        const cell = camera.parent;
        const others = [0, 2, 3].map(i => wall.cameras[i].parent).map(c => [c.x, c.y]);
        mouseDoubleClickSequence(camera, camera.width / 2, camera.height / 2);
        compare(camera.parent, wall);
        compare(camera.width, wall.width);
        compare(camera.height, wall.height);
        compare(wall.children[wall.children.length - 1], camera, "drawn above the grid");
        compare(view.currentCamera, camera);
        compare([0, 2, 3].map(i => wall.cameras[i].parent).map(c => [c.x, c.y]), others);

        view.setCurrentCamera(wall.cameras[2]);
        view.playCurrentCamera(pick(121));
        view.playCurrentCamera(pick(122));
        compare(wall.cameras[2].channelId, 121);
        compare(wall.cameras[3].channelId, 122);
        compare(camera.parent, wall, "still maximised");
        // Covered tiles keep their streams but show (and so decode) nothing.
        compare([0, 1, 2, 3].map(i => wall.cameras[i].videoVisible), [false, true, false, false]);

        mouseDoubleClickSequence(camera, camera.width / 2, camera.height / 2);
        compare(camera.parent, cell);
        compare(camera.width, cell.width);
        compare(camera.height, cell.height);
        compare(view.currentCamera, camera);
        compare([0, 1, 2, 3].map(i => wall.cameras[i].videoVisible), [true, true, true, true]);
    }

    // The cursor: picks go round the tiles; a pressed tile takes the next pick and the
    // cursor goes on from it.
    function test_cursor() {
        const wall = createWall();
        const view = wall.cameraView;
        for (let id = 111; id <= 115; ++id)
            view.playCurrentCamera(pick(id));
        compare(wall.cameras.map(camera => camera.channelId), [115, 112, 113, 114]);
        compare(wall.cameras[0].title, "通道115");
        compare(tileNumber(wall, view.currentCamera), 2);
        // Each pick asked for its own channel's token, the replaced one included. The page's
        // alarm snapshots share the connections, so the requests may arrive in any order.
        const tokens = () => testServer.requests("/api/v1/gettoken").map(r => r.items.channel).filter(c => c > 110 && c < 200);
        tryVerify(() => tokens().length === 5, patience);
        compare(tokens().sort(), ["111", "112", "113", "114", "115"]);

        pressTile(wall.cameras[2]);
        compare(tileNumber(wall, view.currentCamera), 3);
        verify(wall.cameras[2].isCurrent);
        verify(!wall.cameras[1].isCurrent);
        view.playCurrentCamera(pick(201));
        view.playCurrentCamera(pick(202));
        compare(wall.cameras.map(camera => camera.channelId), [115, 112, 201, 202]);
        compare(tileNumber(wall, view.currentCamera), 1);

        // A right-button press moves the cursor too.
        mousePress(wall.cameras[3], 10, 10, Qt.RightButton);
        mouseRelease(wall.cameras[3], 10, 10, Qt.RightButton);
        compare(tileNumber(wall, view.currentCamera), 4);
        keyClick(Qt.Key_Escape);

        // With no current tile a pick goes nowhere.
        view.setCurrentCamera(null);
        view.playCurrentCamera(pick(300));
        compare(wall.cameras.map(camera => camera.channelId), [115, 112, 201, 202]);
        compare(view.currentCamera, null);
    }

    // A channel clicked in the home tree plays in the current tile; a click that brings
    // no channel changes nothing.
    function test_treePicks() {
        loadDevices(standardData());
        const page = createTemporaryObject(pageComponent, testCase);
        const wall = page.cameraWall;
        const device = deviceRow(page.deviceListView, 0);
        expand(device);
        clickText(childRow(device, 0));
        compare(wall.cameras[0].channelId, 12);
        compare(wall.cameras[0].deviceId, 1);
        compare(wall.cameras[0].title, "停车场");
        compare(tileNumber(wall, wall.cameraView.currentCamera), 2);
        page.deviceListView.clickChannel(null);
        compare(tileNumber(wall, wall.cameraView.currentCamera), 2);
        compare(wall.cameras[1].channelId, -1);
    }

    // The overlay follows its tile's channel and hover state, and shows only with a stream.
    function test_ptzOverlays() {
        const wall = createWall();
        wall.cameraView.playCurrentCamera(pick(101));
        for (let i = 0; i < 4; ++i) {
            const camera = wall.cameras[i];
            const panel = findChild(camera, "ptzControlPanel" + (i + 1));
            verify(panel, "tile " + (i + 1) + " has its overlay");
            compare(panel.auto, true);
            compare(panel.visible, false);
            compare(panel.deviceId, camera.deviceId);
            compare(panel.channelId, camera.channelId);
            compare(panel.exitTimer, camera.exitTimer);
            camera.hovered = true;
            compare(panel.hovered, true);
            camera.hovered = false;
            compare(panel.hovered, false);
        }
        compare(findChild(wall.cameras[0], "ptzControlPanel1").channelId, 101);
    }

    // The carousel's start clears all four tiles; a tick fills as many tiles as it brings
    // channels (four at most) from the server's records, and leaves the cursor alone.
    function test_carouselHandlers() {
        const wall = createWall();
        const view = wall.cameraView;
        for (let id = 101; id <= 104; ++id)
            view.playCurrentCamera(pick(id));
        view.setCurrentCamera(wall.cameras[2]);
        testServer.clearLog();
        wall.stopAll();
        compare(wall.cameras.map(camera => camera.channelId), [-1, -1, -1, -1]);
        compare(wall.cameras.map(camera => camera.title), ["", "", "", ""]);
        // (Stops of the empty tiles' first plays may still be on their way.)
        const stops = () => testServer.requests("/api/v1/devices/stopchannelstream").map(r => r.items.channel)
                                                                                   .filter(c => c !== "-1");
        tryVerify(() => stops().length === 4, patience);
        compare(stops().sort(), ["101", "102", "103", "104"]);

        const record = id => ({ Name: "轮播" + id, ParentDeviceID: 2, ChannelID: id, SnapUrl: "/snap/x" });
        wall.playCarousel([record(201), record(202)]);
        compare(wall.cameras.map(camera => camera.channelId), [201, 202, -1, -1]);
        compare(wall.cameras[0].title, "轮播201");
        compare(wall.cameras[1].deviceId, 2);
        compare(wall.cameras[0].snapUrl, "");
        compare(tileNumber(wall, view.currentCamera), 3);

        wall.playCarousel([record(301), record(302), record(303), record(304), record(305)]);
        compare(wall.cameras.map(camera => camera.channelId), [301, 302, 303, 304]);
        wall.playCarousel([]);
        compare(wall.cameras.map(camera => camera.channelId), [301, 302, 303, 304]);
    }

    function idsAsked(request) {
        return request.items.channels.split(",").map(Number);
    }

    function carouselButton(page) {
        const button = findChild(page, "carouselButton");
        verify(button, "no carousel button");
        return button;
    }

    // The title bar's button opens the popup while no carousel runs and stops the
    // running one, which leaves the tiles playing; a list carousel of two channels clears
    // the wall and then plays them in the first two tiles at every tick.
    function test_carouselButtonAndTicks() {
        settings.carouselList = [101, 102];
        const page = createTemporaryObject(pageComponent, testCase);
        const wall = page.cameraWall;
        const popup = page.carouselSettingPopup;
        compare(popup.layoutCount, 4);
        compare(popup.running, false);
        const button = carouselButton(page);
        compare(button.text, "轮播");
        compare(button.width, 100 * s);
        compare(button.height, 30 * s);
        compare(button.parent.objectName, "panelTitleBar");
        fuzzyCompare(button.x + button.width, button.parent.width - 5 * s, 0.01);
        compare(button.y, 0);

        mouseClick(button);
        tryCompare(popup, "opened", true, patience);
        popup.close();
        tryCompare(popup, "visible", false, patience);

        wall.cameraView.playCurrentCamera(pick(111));
        wall.cameraView.playCurrentCamera(pick(112));
        wall.cameraView.playCurrentCamera(pick(113));
        testServer.clearLog();
        popup.startCarousel();
        compare(button.text, "暂停轮播");
        compare(wall.cameras.map(camera => camera.channelId), [-1, -1, -1, -1], "the start cleared the wall");
        tryVerify(() => wall.cameras[1].channelId === 102, patience, "the first tick played");
        compare(wall.cameras.map(camera => camera.channelId), [101, 102, -1, -1]);
        compare(wall.cameras[0].title, "东门入口");
        compare(wall.cameras[0].snapUrl, "");
        compare(wall.cameraView.currentCamera, wall.cameras[3], "the cursor stays");

        // Another tick plays the same two channels again, from a new token.
        const tokensBefore = testServer.requests("/api/v1/gettoken").length;
        popup.tick();
        tryVerify(() => testServer.requests("/api/v1/gettoken").length >= tokensBefore + 2, patience);
        compare(wall.cameras.map(camera => camera.channelId), [101, 102, -1, -1]);

        mouseClick(button);
        compare(popup.running, false);
        compare(button.text, "轮播");
        compare(popup.opened, false, "a stop opens nothing");
        compare(wall.cameras.map(camera => camera.channelId), [101, 102, -1, -1], "the tiles keep playing");
    }

    // With the carousel set to start by itself, the wall plays the stored list as soon
    // as the page exists, once, at the stored interval.
    function test_carouselOnStart() {
        settings.carouselList = [103, 101, 102];
        settings.carouselInterval = 45;
        settings.carouselOnStart = true;
        const page = createTemporaryObject(pageComponent, testCase);
        const popup = page.carouselSettingPopup;
        const wall = page.cameraWall;
        verify(popup.running);
        compare(findChild(popup, "intervalEdit").text, "45");
        tryVerify(() => wall.cameras[2].channelId === 102, patience, "the first tick played");
        compare(wall.cameras.map(camera => camera.channelId), [103, 101, 102, -1]);
        const asked = testServer.requests("/api/v2/channels").map(idsAsked);
        verify(asked.some(ids => JSON.stringify(ids) === "[103,101,102]"), JSON.stringify(asked));
        // The start stored the list and the interval; the page started nothing more.
        tryVerify(() => configFile.value("Other/CarouselInterval") === "45", patience);
        wait(500);
        compare(asked.length, testServer.requests("/api/v2/channels").map(idsAsked).length);
        popup.stopCarousel();

        // Without the setting the stored list waits for the operator.
        settings.carouselOnStart = false;
        const quiet = createTemporaryObject(pageComponent, testCase);
        compare(quiet.carouselSettingPopup.running, false);
        compare(quiet.cameraWall.cameras.map(camera => camera.channelId), [-1, -1, -1, -1]);
    }
}
