import QtQuick
import QtTest
import QtWebSockets
import "qrc:/zelka/qml/HomePage/CameraTile" as CameraTile

// Talk-back from a tile to the test server's talk socket, with a silent microphone (a
// private PulseAudio with a null source): chunks arrive, every stop closes the socket
// and ends the capture, and a tile without a channel opens nothing.
CameraTileTestCase {
    id: testCase
    name: "CameraTalk"

    Component {
        id: meterComponent

        CameraTile.LevelMeter {
            width: 10
        }
    }

    function talkButton(tile) {
        return findChild(inLayer(tile, "narrowBar").item, "narrowButton1");
    }

    function socket(tile) {
        return videoLayer(tile).item.talkWebSocket;
    }

    function ended(webSocket) {
        return webSocket.status === WebSocket.Closed || webSocket.status === WebSocket.Error;
    }

    function logged(text) {
        return testKit.messages().filter(m => m.indexOf(text) >= 0);
    }

    function test_talkBack() {
        const tile = makeTile(500, 300);
        playLive(tile, gate);
        tile.exitTimer.retime();
        tryCompare(inLayer(tile, "narrowBar"), "visible", true, patience);
        const address = "ws://" + testServer.host + ":" + testServer.port + "/api/v1/ws_talk/1/101";
        mouseMove(talkButton(tile));
        mouseClick(talkButton(tile));
        verify(tile.isTalking);
        compare(findChild(talkButton(tile), "toolTip").text, "停止对讲");
        verify(findChild(talkButton(tile), "levelMeter").visible);
        compare(String(socket(tile).url), address);
        verify(socket(tile).active);
        tryVerify(() => testServer.talkChunks("1", "101").length > 2, patience, "microphone chunks reach the server");
        tryVerify(() => logged("WebSocket Open: " + address).length === 1, patience);
        // Stopped by its control: socket closed, address emptied, capture ended. A close
        // that the server completes first reports an error, then the close: one or two lines.
        mouseClick(talkButton(tile));
        verify(!tile.isTalking);
        verify(!socket(tile).active);
        compare(String(socket(tile).url), "");
        tryVerify(() => logged("WebSocket Closed: " + address).length >= 1, patience);
        tryVerify(() => ended(socket(tile)), patience, "the socket ends");
        let count = testServer.talkChunks("1", "101").length;
        wait(600);
        compare(testServer.talkChunks("1", "101").length, count);

        // Started from the menu, ended by stopVideo.
        findChild(tile, "contextMenu").open();
        findChild(findChild(tile, "contextMenu").contentItem, "menuTalk").triggered();
        verify(tile.isTalking);
        tryVerify(() => testServer.talkChunks("1", "101").length > count + 2, patience);
        const layerItem = videoLayer(tile).item;
        const closedLines = logged("WebSocket Closed: " + address).length;
        tile.stopVideo();
        verify(!tile.isTalking);
        verify(!layerItem.talkWebSocket.active);
        compare(String(layerItem.talkWebSocket.url), "");
        // Chunks sent before the stop may still be on their way until the socket is closed.
        tryVerify(() => logged("WebSocket Closed: " + address).length > closedLines, patience);
        tryVerify(() => ended(layerItem.talkWebSocket), patience, "the socket ends");
        count = testServer.talkChunks("1", "101").length;
        wait(600);
        compare(testServer.talkChunks("1", "101").length, count);
    }

    function test_talkRefusedAndFailing() {
        // A record tile has no channel: nothing is opened, the flag stays off.
        const tile = makeTile(500, 300);
        tile.streamType = 1;
        tile.videoUrl = testServer.url("media/record.mp4");
        tryVerify(() => provider(tile) && provider(tile).sourceValid, patience);
        tile.__runAction(1);
        verify(!tile.isTalking);
        verify(!socket(tile).active);
        wait(300);
        compare(testServer.requests("/api/v1/ws_talk/-1/-1").length, 0);
        tile.stopChannel();

        // A refused connection (nothing listens there) only writes its line; the tile
        // stays talking.
        playLive(tile, gate);
        settings.port = "1";
        tile.__runAction(1);
        settings.port = String(testServer.port);
        verify(tile.isTalking);
        const address = "ws://" + testServer.host + ":1/api/v1/ws_talk/1/101";
        tryVerify(() => logged("WebSocket Closed: " + address).length >= 1, patience);
        verify(tile.isTalking);
        compare(tile.__actionText(1), "停止对讲");
        tile.__runAction(1);
        verify(!tile.isTalking);
    }

    function test_levelMeterStaysInside() {
        const meter = createTemporaryObject(meterComponent, testCase, { level: 1.7 });
        const fill = findChild(meter, "levelFill");
        compare(fill.height, 54 * s);
        verify(fill.y >= 0);
        meter.level = 0.5;
        compare(fill.height, 27 * s);
        meter.level = -0.2;
        compare(fill.height, 0);
    }
}
