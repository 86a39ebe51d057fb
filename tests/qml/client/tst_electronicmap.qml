import QtQuick
import QtTest
import QtPositioning
import an.location 1.0
import "qrc:/zelka/qml/ElectronicMap" as ElectronicMap
import "qrc:/zelka/qml/Api/api.js" as Api

// The electronic map page with the real map layer and the test server's tiles: where it
// starts from the server's configuration, the tiles it asks for (none while hidden), the
// pins a channel list puts on the map, pins that make, play, stop and release their tiles
// (which stand above the other pins) and follow their channels, sub-channels included,
// through a refresh of the device list, the map-type bar and the sky of a tilted map.
ClientTestCase {
    id: testCase
    name: "ElectronicMap"

    visible: true
    width: 1400
    height: 900

    // The main window's colour, which the tiles' PTZ overlay reads by name.
    readonly property color textColor: styleManager.style.color("Login-TextColor")

    Component {
        id: pageComponent

        ElectronicMap.ElectronicMapPage {
            width: 1400
            height: 900
        }
    }

    function logIn() {
        let answer = null;
        networkManager.login(testServer.userName, testServer.password, "", (success, text) => answer = success);
        tryVerify(() => answer !== null, patience, "login answered");
        verify(answer);
    }

    // The server's map start, fetched into the client's configuration.
    function serverStart(centre, zoom) {
        verify(testServer.changeData({ OtherConfig: { MapCentre: centre, MapZoom: zoom } }));
        networkManager.getOtherConfig();
        const config = networkManager.otherConfig;
        tryVerify(() => config.mapCentre === centre && config.mapZoom === zoom, patience, "the configuration arrived");
    }

    function openPage() {
        logIn();
        settings.playerProtocol = "RTSP";
        const page = createTemporaryObject(pageComponent, testCase);
        verify(page);
        const map = findChild(page, "map");
        tryCompare(map.supportedMapTypes, "length", 3, patience);
        return page;
    }

    function shifted(latitude, longitude) {
        const point = Api.wgs84Togcj02([latitude, longitude]);
        return QtPositioning.coordinate(point[0], point[1]);
    }

    function near(a, b) {
        return Math.abs(a.latitude - b.latitude) < 1e-7 && Math.abs(a.longitude - b.longitude) < 1e-7;
    }

    function channel(id, extra) {
        return Object.assign({ channelID: id, name: "通道" + id, online: 1, gpsLatitude: 30.27, gpsLongitude: 120.15 },
                             extra || {});
    }

    // The tiles the server was asked for, as [type, z, x, y].
    function tileRequests() {
        return testServer.requests().map(request => request.path).filter(path => path.startsWith("/tiles/"))
            .map(path => {
                const parts = path.split("/");
                return [parts[2], Number(parts[3]), Number(parts[4]), parseInt(parts[5])];
            });
    }

    // The tile of level z under a coordinate.
    function tileOf(coordinate, z) {
        const count = Math.pow(2, z);
        const latitude = coordinate.latitude * Math.PI / 180;
        return { x: Math.floor((coordinate.longitude + 180) / 360 * count),
                 y: Math.floor((1 - Math.asinh(Math.tan(latitude)) / Math.PI) / 2 * count) };
    }

    // A page built at login but not shown asks for no tile, also when its map moves; it
    // opens at the server's centre without gliding there from the map's default, so once
    // shown it asks only for tiles around that centre (none near 0,0 or on the way).
    function test_tilesOnlyWhileShown() {
        logIn();
        serverStart("120.155070,30.274150", 15);
        // Tiles that an earlier test's page had asked for may reach the server's log late:
        // start once it has had none for half a second.
        let quietSince = Date.now();
        tryVerify(() => {
            if (tileRequests().length > 0) {
                testServer.clearLog();
                quietSince = Date.now();
            }
            return Date.now() - quietSince > 500;
        }, patience, "no late tiles");
        testServer.clearLog();
        const page = createTemporaryObject(pageComponent, testCase, { visible: false });
        const map = findChild(page, "map");
        const start = shifted(30.27415, 120.15507);
        verify(near(map.center, start), "at the server's centre at once: " + map.center);
        verify(near(findChild(page, "underMap").center, start));
        tryCompare(map.supportedMapTypes, "length", 3, patience);
        wait(600); // longer than a glide
        compare(tileRequests(), [], "nothing fetched while hidden");
        verify(near(map.center, start), "no glide either");

        page.visible = true;
        tryVerify(() => {
            const types = tileRequests().map(tile => tile[0]);
            return types.indexOf("street") >= 0 && types.indexOf("satellite") >= 0;
        }, patience, "the street layer over the satellite base");
        wait(300); // room for a stray request to show
        const centre = tileOf(start, 15);
        for (const [type, z, x, y] of tileRequests()) {
            verify(z === 15 && Math.abs(x - centre.x) <= 4 && Math.abs(y - centre.y) <= 3,
                   "a " + type + " tile far from the start: " + [z, x, y]);
        }

        // Hidden again, a move fetches nothing; shown, the new place is fetched. Tiles already
        // on the wire as the page hid still reach the server (a slow run sees them late): at
        // most one per connection, six per map; a hidden map that went on fetching sends more.
        testServer.clearLog();
        page.visible = false;
        let late = 0;
        let lastArrival = Date.now();
        tryVerify(() => {
            const arrived = tileRequests().length;
            if (arrived > 0) {
                late += arrived;
                testServer.clearLog();
                lastArrival = Date.now();
            }
            return Date.now() - lastArrival > 500;
        }, patience, "the tiles on the wire arrived");
        verify(late <= 12, "tiles fetched after the page hid: " + late);
        map.center = shifted(31, 121);
        tryVerify(() => near(map.center, shifted(31, 121)), patience);
        wait(300);
        compare(tileRequests(), [], "nothing fetched while hidden");
        page.visible = true;
        const moved = tileOf(shifted(31, 121), 15);
        tryVerify(() => tileRequests().some(tile => tile[2] === moved.x && tile[3] === moved.y), patience);
    }

    function test_startsWhereTheServerSays() {
        // The map's own default: where a page starts without a server centre.
        logIn();
        serverStart("", 0);
        const plainPage = createTemporaryObject(pageComponent, testCase);
        const start = findChild(plainPage, "map").center;
        const fallback = QtPositioning.coordinate(start.latitude, start.longitude);
        compare(findChild(plainPage, "map").zoomLevel, 17);
        plainPage.destroy();
        const cases = [
            { centre: "116.39,39.91", zoom: 12, expectZoom: 12, at: shifted(39.91, 116.39) },
            { centre: "", zoom: 12, expectZoom: 17, at: fallback },
            { centre: "116.39", zoom: 0, expectZoom: 17, at: fallback },
            { centre: "116.39,abc", zoom: 12, expectZoom: 12, at: fallback },
            { centre: "116.39,95", zoom: 0, expectZoom: 17, at: fallback }
        ];
        for (const c of cases) {
            serverStart(c.centre, c.zoom);
            const page = createTemporaryObject(pageComponent, testCase);
            const map = findChild(page, "map");
            compare(map.zoomLevel, c.expectZoom, "zoom for \"" + c.centre + "\"");
            tryVerify(() => near(map.center, c.at), patience, "centre for \"" + c.centre + "\": " + map.center);
            verify(isFinite(map.center.latitude) && isFinite(map.center.longitude));
            page.destroy();
        }
    }

    // One pin per located id; the map glides to the first located channel; a single
    // channel only moves the map; a tab click takes every pin away.
    function test_pinsOfAList() {
        const page = openPage();
        const map = findChild(page, "map");
        const panel = findChild(page, "deviceManageView");
        verify(panel.clickParent);
        const first = channel(5, { gpsLatitude: 30.3, gpsLongitude: 120.2 });
        panel.clickChannelList([channel(1, { online: 0 }), channel(2, { gpsLatitude: 0 }), channel(3, { gpsLongitude: "0" }),
                                channel(4, { gpsLatitude: undefined }), channel(6, { gpsLatitude: "abc" }),
                                first, channel(7, { online: true }), channel(5), channel(8, { gpsLatitude: "30.1" })]);
        compare(map.channelList, [5, 7, 8]);
        compare(map.pins.length, 3);
        tryVerify(() => near(map.center, shifted(30.3, 120.2)), patience, "centred on the first located channel");
        compare(map.pins[2].coordinate.latitude, shifted(30.1, 120.15).latitude);
        // The same list again: no second pin, the centre moves all the same.
        map.center = shifted(31, 121);
        tryVerify(() => near(map.center, shifted(31, 121)), patience);
        panel.clickChannelList([first]);
        compare(map.pins.length, 3);
        tryVerify(() => near(map.center, shifted(30.3, 120.2)), patience);

        panel.clickChannel(channel(9, { gpsLatitude: 29.5, gpsLongitude: 119.5 }));
        tryVerify(() => near(map.center, shifted(29.5, 119.5)), patience, "a channel moves the map");
        compare(map.pins.length, 3, "and adds no pin");
        panel.clickChannel(channel(10, { online: 0, gpsLatitude: 28, gpsLongitude: 118 }));
        wait(400);
        verify(near(map.center, shifted(29.5, 119.5)), "an offline channel moves nothing");

        mouseClick(findChild(panel, "favoriteTab"));
        compare(map.channelList, []);
        compare(map.pins.length, 0);
        panel.clickChannelList([first]);
        compare(map.channelList, [5], "the same channel can come back");
    }

    // The camera tiles (and their PTZ panels) under the map's pins.
    function tilesUnder(item) {
        let count = item.objectName === "cameraView" ? 1 : 0;
        for (let i = 0; i < item.children.length; ++i)
            count += tilesUnder(item.children[i]);
        return count;
    }

    // A pin makes its tile when it opens, plays its channel there, and stops and releases
    // it when it closes; a tab click stops the tiles that play and tells the server.
    function test_pinsPlayAndStop() {
        const page = openPage();
        const map = findChild(page, "map");
        const panel = findChild(page, "deviceManageView");
        const record = { channelID: 101, parentDeviceID: 1, name: "东门入口", online: 1, snapUrl: "",
                         gpsLatitude: 30.27415, gpsLongitude: 120.15507 };
        panel.clickChannelList([record, channel(102, { gpsLatitude: 30.2, gpsLongitude: 120.1 }),
                                channel(103, { gpsLatitude: 30.3, gpsLongitude: 120.2 })]);
        const pin = map.pins[0];
        const picture = findChild(pin, "pinPicture");
        tryVerify(() => near(map.center, shifted(30.27415, 120.15507)), patience);
        tryVerify(() => picture.visible && picture.mapToItem(page, 0, 0).x > 0, patience, "the pin on screen");
        compare(picture.width, 24 * styleManager.scaleRatio);
        compare(tilesUnder(map), 0, "closed pins hold no tile");

        mouseMove(picture, picture.width / 2, picture.height / 2);
        compare(picture.hovered, true);
        const label = findChild(picture, "label").item;
        verify(label.visible);
        tryCompare(label, "opacity", 1, patience, "the label fades in");
        mouseClick(picture, picture.width / 2, picture.height / 2);
        const tile = pin.tile;
        verify(tile && tile.visible);
        compare(tilesUnder(map), 1, "the open pin's tile alone");
        waitForRequests("/api/v1/gettoken", 1);
        waitForRequests("/api/v1/devices/channelstream", 1);
        tryVerify(() => tile.videoUrl !== "", patience, "the tile plays");
        compare(tile.channelId, 101);
        compare(tile.mapToItem(picture, 0, tile.height).y, -2 * styleManager.scaleRatio);

        const stopPath = "/api/v1/devices/stopchannelstream";
        let stops = testServer.requests(stopPath).length;
        mouseClick(picture, picture.width / 2, picture.height / 2);
        compare(tilesUnder(map), 0, "closed again, the tile is released");
        compare(waitForRequests(stopPath, stops + 1)[stops].items.channel, "101");

        mouseClick(picture, picture.width / 2, picture.height / 2);
        tryVerify(() => pin.tile.videoUrl !== "", patience, "a new tile plays");
        stops = testServer.requests(stopPath).length;
        mouseClick(findChild(panel, "deviceTab"));
        const stopped = waitForRequests(stopPath, stops + 1)[stops].items;
        compare(stopped.channel, "101");
        compare(stopped.stream_type, "play");
        compare(map.pins.length, 0);
    }

    // A small site on the server: devices 1 and 2 and their located channels.
    function siteChannel(id, deviceId, latitude, longitude, extra) {
        return Object.assign({ ChannelID: id, ParentDeviceID: deviceId, Name: "通道" + id, Online: 1, Enable: 1,
                               FavoritesChannel: 0, Parental: 0, GBChannelID: "3402000000131" + String(id).padStart(7, "0"),
                               SnapUrl: "/snap/" + id, GpsLatitude: latitude, GpsLongitude: longitude }, extra || {});
    }

    function putSite(channels) {
        const device = id => ({ DeviceID: id, DeviceName: "设备" + id, DeviceType: "NVR", Online: 1, Enable: true });
        const devices = [1, 2].filter(id => channels.some(c => c.ParentDeviceID === id)).map(device);
        verify(testServer.changeData({ Devices: devices, Channels: channels }));
    }

    // The home page's refresh: a new device list, whose channels arrive device by device.
    function refreshDevices(deviceCount) {
        const before = deviceManager.deviceList;
        networkManager.getDeviceList();
        tryVerify(() => {
            const list = deviceManager.deviceList;
            return list.length === deviceCount && (before.length === 0 || list[0] !== before[0]);
        }, patience, "a new device list");
    }

    function waitForChannels() {
        tryVerify(() => deviceManager.deviceList.every(device => device.channelList.length > 0), patience, "channels");
        return deviceManager.deviceList;
    }

    // Pins stand in the order of their ids.
    function pinOf(map, id) {
        return map.pins[map.channelList.indexOf(id)];
    }

    function isListedChannel(info, id) {
        return deviceManager.deviceList.some(device => Array.from(device.channelList).some(c => c === info))
            && info.channelID === id;
    }

    // Pins keep to their channels by id when the device list is refreshed and its channel
    // objects are deleted: they show and play (also before the new channels arrive), take
    // the new objects and positions, go with a channel that is gone or offline, and come
    // back when the device is picked again.
    function test_pinsFollowARefresh() {
        const first = [siteChannel(101, 1, 30.27415, 120.15507), siteChannel(102, 1, 30.2729, 120.1513),
                       siteChannel(103, 1, 30.2758, 120.1532), siteChannel(104, 1, 30.2764, 120.1569),
                       siteChannel(201, 2, 30.2733, 120.1544)];
        putSite(first);
        const page = openPage();
        const map = findChild(page, "map");
        const panel = findChild(page, "deviceManageView");
        refreshDevices(2);
        let devices = waitForChannels();
        panel.clickChannelList(devices[0].channelList);
        panel.clickChannelList(devices[1].channelList);
        compare(map.channelList, [101, 102, 103, 104, 201]);
        panel.clickChannelList([devices[0].channelList[0]]);
        const picture = findChild(pinOf(map, 101), "pinPicture");
        tryVerify(() => picture.visible && picture.mapToItem(page, 0, 0).x > 0, patience, "the pin on screen");
        mouseClick(picture, picture.width / 2, picture.height / 2);
        let tile = pinOf(map, 101).tile;
        tryVerify(() => tile.videoUrl !== "", patience, "the tile plays");

        // Channels that arrive late: the pins keep copies meanwhile, which play.
        testServer.setFault("/api/v1/channels", { delayMs: 1500 });
        refreshDevices(2);
        wait(50); // the old channel objects are deleted
        compare(map.pins.length, 5);
        verify(map.pins.every(pin => pin.info && typeof pin.info.name === "string" && pin.coordinate.isValid));
        verify(tile.videoUrl !== "", "the playing tile goes on");
        const before = testServer.requests("/api/v1/gettoken").length;
        mouseClick(picture, picture.width / 2, picture.height / 2);
        mouseClick(picture, picture.width / 2, picture.height / 2);
        waitForRequests("/api/v1/gettoken", before + 1);
        tile = pinOf(map, 101).tile;
        tryVerify(() => tile.videoUrl !== "", patience, "plays from the copy");
        compare(tile.channelId, 101);
        devices = waitForChannels();
        testServer.clearFaults();
        tryVerify(() => map.channelList.every(id => isListedChannel(pinOf(map, id).info, id)), patience, "the new objects taken");

        // 102 moves, 103 goes offline, 104 and device 2 are gone.
        putSite([first[0], siteChannel(102, 1, 30.2735, 120.152), siteChannel(103, 1, 30.2758, 120.1532, { Online: 0 })]);
        refreshDevices(1);
        waitForChannels();
        tryCompare(map, "channelList", [101, 102], patience);
        compare(map.pins.length, 2);
        tryVerify(() => near(pinOf(map, 102).coordinate, shifted(30.2735, 120.152)), patience, "102 moved");
        verify(isListedChannel(pinOf(map, 101).info, 101) && isListedChannel(pinOf(map, 102).info, 102));
        verify(tile.videoUrl !== "");

        // Back on the server, and the device picked again: their pins come back.
        putSite(first);
        refreshDevices(2);
        devices = waitForChannels();
        panel.clickChannelList(devices[0].channelList);
        panel.clickChannelList(devices[1].channelList);
        compare(map.channelList, [101, 102, 103, 104, 201]);
        verify(map.channelList.every(id => isListedChannel(pinOf(map, id).info, id)));
        mouseMove(picture, picture.width / 2, picture.height / 2);
        mouseClick(picture, picture.width / 2, picture.height / 2);
        verify(!pinOf(map, 101).tile);
    }

    // Channel `id` of the first device, once its sub-channels have come.
    function withSubChannels(id) {
        const parent = Array.from(waitForChannels()[0].channelList).find(c => c.channelID === id);
        tryVerify(() => parent.subChannelList.length > 0, patience, "sub-channels of " + id);
        return parent;
    }

    // Pins of sub-channels and of their device's channels keep to them by id across a
    // refresh, whose sub-channels come after the channels; the playing one plays on. A
    // sub-channel gone takes its pin along, and so does one whose channel is gone. Channel
    // 104 announces sub-channels that the server does not have.
    function test_subChannelPinsFollowARefresh() {
        const sub = (id, latitude, longitude) => siteChannel(id, 1, latitude, longitude, { _ParentChannelID: 103 });
        const site = [siteChannel(101, 1, 30.27415, 120.15507), siteChannel(102, 1, 30.2729, 120.1513),
                      siteChannel(103, 1, 30.2758, 120.1532, { Parental: 1 }), siteChannel(104, 1, 30.2764, 120.1569, { Parental: 1 }),
                      sub(1031, 30.2772, 120.1545), sub(1032, 30.2745, 120.1522)];
        putSite(site);
        const page = openPage();
        const map = findChild(page, "map");
        const tree = findChild(page, "deviceListView");
        refreshDevices(1);
        tree.clickChannel(withSubChannels(103));
        tree.clickDevice(deviceManager.deviceList[0]);
        compare(map.channelList, [1031, 1032, 101, 102, 103, 104]);
        findChild(page, "deviceManageView").clickChannelList([pinOf(map, 1031).info]);
        const picture = findChild(pinOf(map, 1031), "pinPicture");
        tryVerify(() => near(map.center, shifted(30.2772, 120.1545)), patience, "the pin on screen");
        mouseClick(picture, picture.width / 2, picture.height / 2);
        const tile = pinOf(map, 1031).tile;
        tryVerify(() => tile.videoUrl !== "", patience, "the tile plays");
        compare(tile.channelId, 1031);

        const stopPath = "/api/v1/devices/stopchannelstream";
        const stopsOf = id => testServer.requests(stopPath).filter(request => request.items.channel === String(id));
        refreshDevices(1);
        const parent = withSubChannels(103);
        compare(map.channelList, [1031, 1032, 101, 102, 103, 104]);
        verify(Array.from(parent.subChannelList).indexOf(pinOf(map, 1031).info) >= 0, "the new sub-channel taken");
        verify(isListedChannel(pinOf(map, 101).info, 101));
        compare(pinOf(map, 1031).tile, tile, "the same tile");
        verify(tile.videoUrl !== "", "plays on");
        compare(stopsOf(1031), []);

        putSite(site.filter(c => c.ChannelID !== 1031 && c.ChannelID !== 102));
        refreshDevices(1);
        withSubChannels(103);
        compare(map.channelList, [1032, 101, 103, 104]);
        tryVerify(() => stopsOf(1031).length === 1, patience, "the server told");
        // Channel 103 still says it has sub-channels, but the answer is empty: the list
        // never changes, and its pin goes once the page stops waiting for it. Pins wait for
        // their device's channels as long as before, also when these take longer than that.
        page.subChannelListPatience = 500;
        testServer.setFault("/api/v1/channels", { delayMs: 1000 });
        putSite(site.filter(c => c.ChannelID !== 102 && c._ParentChannelID === undefined));
        refreshDevices(1);
        tryCompare(map, "channelList", [101, 103, 104], patience, "1032 goes when 103 answers none");
        putSite(site.filter(c => c.ChannelID !== 103 && c._ParentChannelID === undefined));
        refreshDevices(1);
        tryCompare(map, "channelList", [101, 104], patience, "103 goes");
    }

    // The colours of a small block inside a pin's picture (the opaque ring of its lens),
    // as the page shows them: the same while the pin is drawn over whatever lies below.
    function lensOf(page, picture) {
        const image = grabImage(page);
        const corner = picture.mapToItem(page, picture.width / 2 - 2, picture.height * 0.4 - 2);
        const colours = [];
        for (let y = 0; y < 4; ++y) {
            for (let x = 0; x < 4; ++x)
                colours.push(String(image.pixel(Math.round(corner.x) + x, Math.round(corner.y) + y)));
        }
        return colours.join(" ");
    }

    // Moves the pointer off the map's pins and tiles (to the page's top left corner, which
    // the test window shows), each time to another point: a move to where the pointer
    // already is changes nothing.
    property int awayMoves: 0
    function pointerAway(page) {
        mouseMove(page, 5 + awayMoves++ % 20, 5);
    }

    // A click as a hand makes it, the pointer moving there first: the hover of what it
    // clicks then ends when the pointer leaves.
    function clickAt(item, x, y) {
        mouseMove(item, x, y);
        mouseClick(item, x, y);
    }

    // A playing pin's tile stands above every other pin, including pins added after it;
    // the tile opened last stands above an earlier one.
    function test_playingTileAbovePins() {
        putSite([siteChannel(101, 1, 30.27415, 120.15507), siteChannel(103, 1, 30.2758, 120.1532),
                 siteChannel(104, 1, 30.2764, 120.1569)]);
        const page = openPage();
        const map = findChild(page, "map");
        refreshDevices(1);
        findChild(page, "deviceManageView").clickChannelList(waitForChannels()[0].channelList);
        tryVerify(() => near(map.center, shifted(30.27415, 120.15507)), patience);
        const playing = findChild(pinOf(map, 101), "pinPicture");
        tryVerify(() => playing.visible && playing.mapToItem(page, 0, 0).x > 0, patience, "the pin on screen");
        const covered = [103, 104].map(id => findChild(pinOf(map, id), "pinPicture"));
        // The pointer away, so that no pin's label hides the others.
        pointerAway(page);
        wait(300); // the map's own tiles settle
        tryVerify(() => {
            const lenses = covered.map(picture => lensOf(page, picture));
            wait(100);
            return covered.every((picture, i) => lensOf(page, picture) === lenses[i]);
        }, patience, "a still screen");
        const lenses = covered.map(picture => lensOf(page, picture));

        clickAt(playing, playing.width / 2, playing.height / 2);
        pointerAway(page);
        const tile = pinOf(map, 101).tile;
        verify(tile.visible);
        const area = tile.mapToItem(page, 0, 0);
        for (const picture of covered) {
            const spot = picture.mapToItem(page, picture.width / 2, picture.height / 2);
            verify(spot.x > area.x && spot.x < area.x + tile.width && spot.y > area.y && spot.y < area.y + tile.height,
                   "a pin under the tile");
        }
        tryVerify(() => covered.every((picture, i) => lensOf(page, picture) !== lenses[i]), patience,
                  "the tile covers the pins");
        for (const id of [103, 104])
            verify(pinOf(map, 101).z > pinOf(map, id).z, "stacked above pin " + id);

        // Clicks there reach the tile, not the pin below it.
        const later = findChild(pinOf(map, 103), "pinPicture");
        const point = later.mapToItem(playing, later.width / 2, later.height / 2);
        clickAt(playing, point.x, point.y);
        verify(!pinOf(map, 103).open, "pin 103 was not clicked");

        // Closed, its pin goes back among the others; a tile opened later stands above.
        clickAt(playing, playing.width / 2, playing.height / 2);
        verify(!pinOf(map, 101).open);
        compare(pinOf(map, 101).z, 0);
        // The pointer leaves in between: a pin's label may lie over its neighbour.
        pointerAway(page);
        clickAt(later, later.width / 2, later.height / 2);
        pointerAway(page);
        clickAt(playing, playing.width / 2, playing.height / 2);
        verify(pinOf(map, 101).tile.visible, "101 open");
        verify(pinOf(map, 103).tile.visible, "103 open");
        verify(pinOf(map, 101).z > pinOf(map, 103).z && pinOf(map, 103).z > pinOf(map, 104).z);
    }

    // The bar follows its table; the street layer stays on top while its box is checked.
    function test_mapTypesAndSky() {
        const page = openPage();
        const map = findChild(page, "map");
        const under = findChild(page, "underMap");
        const box = findChild(page, "streetCheckBox");
        compare(page.type, 1);
        verify(box.checked);
        compare(map.activeMapType.style, MapType.StreetMap);
        compare(under.activeMapType.style, MapType.SatelliteMapDay);

        mouseClick(findChild(page, "defaultButton"));
        compare(page.type, 0);
        compare(under.activeMapType.style, MapType.HybridMap);
        compare(map.activeMapType.style, MapType.StreetMap);
        mouseClick(box);
        verify(!box.checked);
        compare(map.activeMapType.style, MapType.HybridMap, "the base alone, on top");
        mouseClick(findChild(page, "satelliteButton"));
        compare(page.type, 1);
        compare(map.activeMapType.style, MapType.SatelliteMapDay);
        compare(under.activeMapType.style, MapType.HybridMap, "only the upper map changes");
        mouseClick(box);
        verify(box.checked);
        compare(under.activeMapType.style, MapType.SatelliteMapDay, "the base moves down");
        compare(map.activeMapType.style, MapType.StreetMap);

        const bar = findChild(page, "typeBar");
        const panel = findChild(page, "deviceManageView");
        compare(bar.x + bar.width, panel.x - 5 * styleManager.scaleRatio);
        compare(bar.y + bar.height, page.height - 25 * styleManager.scaleRatio);

        const sky = findChild(page, "sky");
        compare(sky.opacity, 0);
        map.tilt = 45;
        compare(under.tilt, 45);
        compare(sky.opacity, 0.5);
    }
}
