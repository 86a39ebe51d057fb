import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage" as HomePage

// Base of the camera tile tests: a shown host with the page colours, a tile in it, and
// the seeded channels the server streams (101 on device 1 sends H.264, 102 H.265).
ShellTestCase {
    id: tileCase

    visible: true
    width: 1400
    height: 900

    readonly property color textColor: styleManager.style.color("Login-TextColor")
    readonly property var gate: ({ channelID: 101, parentDeviceID: 1, name: "东门入口", snapUrl: "/snap/101.h264" })
    readonly property var parking: ({ channelID: 102, parentDeviceID: 1, name: "西门停车场", snapUrl: "/snap/102.h265" })

    Component {
        id: tileComponent

        Item {
            property alias tile: cameraTile
            width: 800
            height: 460

            HomePage.CameraRectangle {
                id: cameraTile
                anchors.fill: parent
            }
        }
    }

    function init() {
        resetClient();
        settings.snapshotPath = "";
    }

    // A tile of the given size, logged in and shown; streams come by RTSP, as with the
    // client's default settings.
    function makeTile(width, height) {
        settings.playerProtocol = "RTSP";
        logIn();
        testServer.clearLog();
        const host = createTemporaryObject(tileComponent, tileCase, { width: width || 800, height: height || 460 });
        verify(host);
        return host.tile;
    }

    function videoLayer(tile) {
        return findChild(tile, "cameraLoader");
    }

    function provider(tile) {
        const loader = videoLayer(tile);
        return loader.item ? loader.item.videoProvider : null;
    }

    function inLayer(tile, name) {
        const loader = videoLayer(tile);
        verify(loader.item, "the video layer exists");
        const item = findChild(loader.item, name);
        verify(item, "no part named " + name);
        return item;
    }

    // The items of each logged request, one map per request, for the given path.
    function items(path) {
        return testServer.requests(path).map(r => r.items);
    }

    // Plays a live channel and waits until its picture is decoded.
    function playLive(tile, info) {
        tile.playChannel(info);
        tryVerify(() => tile.videoUrl !== "", patience, "stream address accepted");
        tryVerify(() => provider(tile) && provider(tile).sourceValid, patience, "picture decoded");
    }
}
