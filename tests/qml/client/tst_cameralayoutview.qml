import QtQuick
import QtTest
import "qrc:/zelka/qml/RealtimeRetrieval" as RealtimeRetrieval

// The camera layout view with its 144 real tiles against the local test server: the
// geometry each layout gives the cells, picks that advance and wrap, key-frame mode,
// maximising, drops, closing all tiles, the carousel's wiring and bad layout files.
ShellTestCase {
    id: testCase
    name: "CameraLayoutView"

    visible: true
    width: 1400
    height: 900

    readonly property color textColor: styleManager.style.color("Login-TextColor")
    readonly property color inputColor: "#a01b2c"
    readonly property real s: styleManager.scaleRatio
    // A grid 1001 pixels wide and 601 high.
    readonly property real hostHeight: 601 + 5 * s + 32 * s + 5 * s

    Component {
        id: hostComponent

        Item {
            property alias view: layoutView
            width: 1001
            height: testCase.hostHeight

            RealtimeRetrieval.CameraLayoutView {
                id: layoutView
                anchors.fill: parent
            }
        }
    }

    function fixture(name) {
        return String(Qt.resolvedUrl("../data/layouts/" + name)).replace("file://", "");
    }

    function makeView(layoutName) {
        logIn();
        const host = createTemporaryObject(hostComponent, testCase, {"view.layoutFile": fixture(layoutName || "good.json")});
        verify(host);
        const view = host.view;
        tryVerify(() => view.layoutSettings.length > 0 || layoutName !== "good.json", patience);
        testServer.clearLog();
        return view;
    }

    function cell(view, index) {
        return findChild(view, "cell" + index);
    }

    function camera(view, index) {
        return cell(view, index).camera;
    }

    function channel(id, device) {
        return {name: "通道" + id, parentDeviceID: device, channelID: id, snapUrl: ""};
    }

    function layoutMessages(file) {
        return testKit.messages().filter(line => line.includes("layout file: " + file));
    }

    function test_geometryOfTheCells() {
        const view = makeView();
        compare(view.itemCount, 144);
        compare(view.layoutSettings.length, 5);
        compare(view.currentLayout, 0);
        const grid = findChild(view, "gridLayout");
        compare(grid.width, 1001);
        compare(grid.height, 601);
        // 16 cells in 4 x 4: (1001 - 3) / 4 = 249.5 rounds to 250.
        tryCompare(cell(view, 0), "preferredWidth", 250, patience);
        tryCompare(cell(view, 15), "preferredHeight", 150, patience);
        compare(cell(view, 15).visible, true);
        compare(cell(view, 16).visible, false);
        compare(cell(view, 16).enabled, false);
        compare(cell(view, 143).visible, false);
        compare(grid.columns, 4);
        tryCompare(camera(view, 0), "width", 250, patience);
        compare(view.layoutObjects.length, 5);
        verify(view.layoutObjects.every(records => records.length === 144));

        // "average" reads no items; the layout button paints its miniatures.
        mouseClick(findChild(view, "layoutButton1"));
        compare(view.currentLayout, 1);
        compare(view.layoutObjects[1][0].columnSpan, 1);
        tryCompare(cell(view, 0), "preferredWidth", 500, patience);
        compare(cell(view, 4).visible, false);
        compare(grid.columns, 2);

        // A span over all columns takes the grid's whole width.
        view.currentLayout = 4;
        compare(view.layoutObjects[4][0].columnSpan, 3);
        tryCompare(cell(view, 0), "preferredWidth", 1001, patience);
        tryCompare(cell(view, 0), "width", 1001, patience);
        compare(view.layoutObjects[4][0].layoutWidth, view.layoutButtonWidth);
        compare(view.layoutObjects[4][1].height, 200 * 2 + 1);
        compare(cell(view, 3).visible, true);
        compare(cell(view, 4).visible, false);

        // A new size recomputes every layout.
        view.parent.width = 801;
        tryCompare(cell(view, 0), "preferredWidth", 801, patience);
        compare(view.layoutObjects[0][0].width, 200);
    }

    function test_picksAdvanceAndWrap() {
        const view = makeView();
        view.currentLayout = 1;
        compare(view.currentCamera, camera(view, 0), "cell 0 is current at start");
        compare(camera(view, 0).isCurrent, true);
        view.playCurrentCamera(channel(101, 1));
        compare(view.currentCameraIndex, 1);
        compare(camera(view, 0).channelId, 101);
        compare(camera(view, 1).isCurrent, true);
        compare(camera(view, 0).isCurrent, false);
        compare(cell(view, 1).z, 1);
        view.setCurrentCamera(camera(view, 3));
        view.playCurrentCamera(channel(102, 1));
        compare(camera(view, 3).channelId, 102);
        compare(view.currentCameraIndex, 0, "past the layout's last cell: cell 0");
        compare(view.currentCameraDeviceId, 1, "the ids of cell 0 when it became current");
        view.playCurrentCamera(channel(201, 2));
        compare(view.currentCameraIndex, 1);
        view.setCurrentCamera(camera(view, 0));
        compare([view.currentCameraDeviceId, view.currentCameraChannelId], [2, 201]);
        waitForRequests("/api/v1/gettoken", 3);

        // A switch that hides the current cell makes cell 0 current.
        view.currentLayout = 0;
        view.setCurrentCamera(camera(view, 10));
        mouseClick(findChild(view, "layoutButton1"));
        compare(view.currentLayout, 1);
        compare(view.currentCameraIndex, 0);
        compare(view.currentCamera, camera(view, 0));
        // The tiles of the hidden cells keep their channels.
        view.currentLayout = 0;
        view.setCurrentCamera(camera(view, 12));
        view.playCurrentCamera(channel(106, 1));
        view.currentLayout = 1;
        compare(camera(view, 12).channelId, 106);
        compare(cell(view, 12).visible, false);
        // Clicking the layout in force changes nothing.
        view.setCurrentCamera(camera(view, 2));
        mouseClick(findChild(view, "layoutButton1"));
        compare(view.currentLayout, 1);
        compare(view.currentCameraIndex, 2);

        // A press on a tile makes it current. The cells grow into the four-cell layout
        // first: while they do, the current cell (raised) overlaps its neighbours.
        tryVerify(() => [0, 1, 2, 3].every(i => cell(view, i).width === 500 && cell(view, i).height === 300),
                  patience, "the four cells in place");
        mousePress(camera(view, 3), 20, 20);
        mouseRelease(camera(view, 3), 20, 20);
        compare(view.currentCameraIndex, 3);
        // The press grabs the tile as the picture of a drag: the view outlives the grab
        // (a tile destroyed before its grab is drawn leaves Qt's grab result behind).
        const dragItem = findChild(cell(view, 3), "dragItem");
        tryVerify(() => String(dragItem.Drag.imageSource) !== "", patience, "the tile's drag picture");
    }

    function test_keyFrameMode() {
        const view = makeView();
        compare(view.enableKeyFrame, true, "16 cells");
        compare(camera(view, 0).enableKeyFrame, true);
        compare(camera(view, 20).enableKeyFrame, true);
        view.currentLayout = 2;
        compare(view.enableKeyFrame, false, "15 cells");
        compare(camera(view, 0).enableKeyFrame, false);
        view.currentLayout = 0;
        compare(camera(view, 5).enableKeyFrame, true);

        // Maximised: one tile over the whole view, the others out of play.
        const tile = camera(view, 5);
        tile.parent = tile.fillParent;
        compare(tile.fillParent, view);
        compare(tile.noFillParent, cell(view, 5));
        compare(view.hasFillCamera, true);
        compare(tile.enableKeyFrame, false);
        compare(camera(view, 6).enableKeyFrame, true);
        compare(tile.width, view.width);
        compare(tile.height, view.height);
        compare(tile.videoVisible, true);
        compare(camera(view, 6).videoVisible, false);
        compare(cell(view, 6).enabled, false);
        compare(cell(view, 5).enabled, true);
        compare(findChild(cell(view, 6), "dragArea").drag.target, null);
        const topmost = view.childAt(view.width / 2, view.height - 10);
        compare(topmost, tile, "above the button strip");

        tile.parent = tile.noFillParent;
        compare(view.hasFillCamera, false);
        compare(tile.enableKeyFrame, true);
        compare(camera(view, 6).videoVisible, true);
        compare(cell(view, 6).enabled, true);
        compare(findChild(cell(view, 6), "dragArea").drag.target, findChild(cell(view, 6), "dragItem"));
        tryCompare(tile, "width", 250, patience);
    }

    // A maximised tile covers cells that take no press: the double-click that restores it
    // works wherever it lands, not only over the tile's own cell.
    function test_maximiseAndRestoreByPointer() {
        const view = makeView();
        const tile = camera(view, 5);
        tryVerify(() => tile.width > 200 && camera(view, 15).width > 200, patience, "the cells laid out");
        const inCell = tile.mapToItem(view, tile.width / 2, tile.height / 2);
        mouseDoubleClickSequence(view, inCell.x, inCell.y);
        compare(tile.parent, view, "maximised");
        for (const far of [camera(view, 0), camera(view, 15)]) {
            const point = far.mapToItem(view, far.width / 2, far.height / 2);
            mouseDoubleClickSequence(view, point.x, point.y);
            compare(tile.parent, cell(view, 5), "restored by a double-click over another cell");
            mouseDoubleClickSequence(view, point.x, point.y);
            compare(camera(view, far.cameraIndex).parent, view, "that cell's tile maximised in turn");
            mouseDoubleClickSequence(view, inCell.x, inCell.y);
            compare(far.parent, cell(view, far.cameraIndex), "and restored over tile 5's cell");
            mouseDoubleClickSequence(view, inCell.x, inCell.y);
            compare(tile.parent, view, "tile 5 maximised again");
        }
    }

    function provider(tile) {
        const layer = findChild(tile, "cameraLoader");
        return layer.item ? layer.item.videoProvider : null;
    }

    // Pictures decoded by a tile's video item no longer rise over a while.
    function verifyNoDecoding(item, what) {
        wait(800); // a picture already on its way when decoding stopped
        const decoded = testKit.decodedPictures(item);
        wait(1500);
        compare(testKit.decodedPictures(item), decoded, what);
    }

    // Tiles out of sight (a cell the layout hides, a tile under a maximised one, the view
    // itself hidden) keep their streams open and decode nothing; shown again, they decode.
    function test_hiddenTilesDecodeNothing() {
        settings.playerProtocol = "RTSP";
        const view = makeView();
        view.currentLayout = 2; // 15 cells, every picture decoded
        view.setCurrentCamera(camera(view, 10));
        view.playCurrentCamera(channel(101, 1));
        const tile = camera(view, 10);
        tryVerify(() => provider(tile) && provider(tile).sourceValid, patience, "picture decoded");
        const video = provider(tile);
        const url = video.videoUrl;
        verify(video.enableDecode);
        tryVerify(() => testKit.decodedPictures(video) > 5, patience);
        testServer.clearLog();

        view.currentLayout = 1; // 4 cells: cell 10 hidden
        verify(!cell(view, 10).visible);
        verify(!video.enableDecode);
        verifyNoDecoding(video, "a hidden cell decodes nothing");
        compare(video.videoUrl, url);
        compare(video.status, 2, "the stream stays open");
        compare(testServer.requests("/api/v1/devices/stopchannelstream").length, 0);
        compare(testServer.requests("/api/v1/devices/channelstream").length, 0);

        view.currentLayout = 2;
        verify(video.enableDecode);
        const before = testKit.decodedPictures(video);
        tryVerify(() => testKit.decodedPictures(video) > before + 2, patience, "decoding again once shown");
        compare(provider(tile), video, "the same item, no new stream");

        // Under a maximised tile, and with the whole view out of sight.
        const top = camera(view, 0);
        top.parent = top.fillParent;
        verify(!video.enableDecode);
        verifyNoDecoding(video, "a tile under a maximised one decodes nothing");
        top.parent = top.noFillParent;
        verify(video.enableDecode);
        view.parent.visible = false;
        verify(!video.enableDecode);
        verifyNoDecoding(video, "a hidden page decodes nothing");
        view.parent.visible = true;
        const again = testKit.decodedPictures(video);
        tryVerify(() => testKit.decodedPictures(video) > again + 2, patience);
        compare(testServer.requests("/api/v1/devices/stopchannelstream").length, 0);
    }

    function test_drops() {
        const view = makeView();
        view.playCurrentCamera(channel(101, 1));
        view.playCurrentCamera(channel(102, 1));
        const carrier = index => findChild(cell(view, index), "dragItem");
        compare(carrier(0).camera, camera(view, 0));
        waitForRequests("/api/v1/gettoken", 2);

        // Two playing tiles swap.
        testServer.clearLog();
        view.dropCamera(camera(view, 1), carrier(0));
        compare([camera(view, 0).channelId, camera(view, 1).channelId], [102, 101]);
        compare(camera(view, 0).title, "通道102");
        const tokens = waitForRequests("/api/v1/gettoken", 2);
        // Both set up anew (the two requests may reach the server in either order).
        compare(tokens.map(r => r.items.channel).sort(), ["101", "102"]);

        // Onto an empty cell: the channel moves, the source is left empty.
        view.dropCamera(camera(view, 7), carrier(0));
        compare(camera(view, 7).channelId, 102);
        compare([camera(view, 0).channelId, camera(view, 0).deviceId, camera(view, 0).title], [-1, -1, ""]);
        waitForRequests("/api/v1/gettoken", 4);

        // Onto itself: its channel starts again.
        testServer.clearLog();
        view.dropCamera(camera(view, 1), carrier(1));
        compare(camera(view, 1).channelId, 101);
        waitForRequests("/api/v1/gettoken", 2);
        compare(testServer.requests("/api/v1/gettoken").map(r => r.items.channel), ["101", "101"]);

        // A drop from elsewhere changes nothing and raises no script error.
        testServer.clearLog();
        view.dropCamera(camera(view, 1), null);
        view.dropCamera(camera(view, 1), {camera: {cameraIndex: 3}});
        view.dropCamera(camera(view, 1), {});
        compare(camera(view, 1).channelId, 101);
        wait(200);
        compare(testServer.requests("/api/v1/gettoken").length, 0);

        // The ids for the PTZ panel follow what the current tile shows now.
        view.setCurrentCamera(camera(view, 7));
        compare(view.currentCameraChannelId, 102);
        view.dropCamera(camera(view, 7), carrier(1));
        compare(camera(view, 7).channelId, 101);
        compare([view.currentCameraDeviceId, view.currentCameraChannelId], [1, 101]);
    }

    function test_closeAllStopsEveryTile() {
        const view = makeView();
        view.currentLayout = 1;
        view.playCurrentCamera(channel(101, 1));
        view.setCurrentCamera(camera(view, 30));
        view.playCurrentCamera(channel(102, 1));
        waitForRequests("/api/v1/devices/stopchannelstream", 2);
        testServer.clearLog();
        const button = findChild(view, "closeAllButton");
        compare(button.text, "一键关闭");
        mouseClick(button);
        const stops = waitForRequests("/api/v1/devices/stopchannelstream", 144);
        wait(200);
        compare(testServer.requests("/api/v1/devices/stopchannelstream").length, 144);
        const channels = stops.map(r => r.items.channel);
        verify(channels.includes("101") && channels.includes("102"), "the hidden cell's tile too");
        compare(channels.filter(c => c === "-1").length, 142);
        verify(stops.every(r => r.items.stream_type === "play"));
        compare(camera(view, 30).channelId, -1);

        const ptz = findChild(view, "ptzPanelButton");
        compare(view.showPtzPanel, true);
        mouseClick(ptz);
        compare(view.showPtzPanel, false);
        mouseClick(ptz);
        compare(view.showPtzPanel, true);
    }

    function test_carouselFillsTheCells() {
        const view = makeView();
        view.currentLayout = 1;
        const popup = findChild(view, "carouselSettingPopup");
        compare(popup.layoutCount, 4);
        const button = findChild(view, "carouselButton");
        compare(button.text, "轮播");
        mouseClick(button);
        tryCompare(popup, "opened", true, patience);
        for (const id of [101, 102, 106, 201, 401])
            popup.addCarouselChannel(id);
        mouseClick(findChild(popup.contentItem, "startButton"));
        compare(popup.running, true);
        compare(button.text, "暂停轮播");
        tryCompare(popup, "visible", false, patience);
        waitForRequests("/api/v1/devices/stopchannelstream", 144);
        tryVerify(() => [0, 1, 2, 3].every(i => camera(view, i).channelId !== -1), patience);
        compare([0, 1, 2, 3].map(i => camera(view, i).channelId), [101, 102, 106, 201]);
        compare(camera(view, 0).title, "东门入口");
        compare(camera(view, 0).deviceId, 1);
        compare(camera(view, 4).channelId, -1);

        // A group replaces the list: every tile closed, the group's first channels play.
        view.playCarouselGroupList([401, 402]);
        compare(popup.carouselType, 1);
        tryVerify(() => camera(view, 0).channelId === 401 && camera(view, 1).channelId === 402, patience);
        compare([2, 3].map(i => camera(view, i).channelId), [-1, -1], "fewer channels fill only the first cells");

        // A group with nothing online: all closed, the carousel runs on empty.
        view.playCarouselGroupList([]);
        tryCompare(camera(view, 0), "channelId", -1, patience);
        compare(button.text, "暂停轮播");
        mouseClick(button);
        compare(popup.running, false);
        compare(button.text, "轮播");
    }

    function test_badLayoutFiles() {
        for (const name of ["notarray.json", "notjson.json", "badcount.json", "badrows.json", "noitems.json",
                            "missing.json"]) {
            testKit.clearMessages();
            const file = fixture(name);
            const view = makeView(name);
            tryVerify(() => layoutMessages(file).length > 0, patience, name);
            const kept = ["badcount.json", "badrows.json", "noitems.json"].includes(name) ? 1 : 0;
            compare(view.layoutSettings.length, kept, name);
            view.parent.width = 900;
            view.parent.height = 500;
            wait(50);
            compare(layoutMessages(file).length, 1, name + ": logged once: " + layoutMessages(file));
            compare(findChild(view, "carouselSettingPopup").layoutCount, kept ? 4 : 0);
            if (kept) {
                tryCompare(cell(view, 0), "preferredWidth", Math.round((900 - 1) / 2), patience);
                verify(!isNaN(cell(view, 3).preferredHeight));
                compare(cell(view, 4).visible, false);
            } else {
                compare(cell(view, 0).visible, false);
            }
            view.parent.destroy();
        }
    }
}
