import QtQuick
import QtTest
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

    function logged(text) {
        return testKit.messages().filter(m => m.indexOf(text) >= 0);
    }

    function test_talkBack() {
        const tile = makeTile(500, 300);
        playLive(tile, gate);
        tile.exitTimer.retime();
        tryCompare(inLayer(tile, "narrowBar"), "visible", true, patience);
        const address = "ws://" + testServer.host + ":" + testServer.port + "/api/v1/ws_talk/1/101";
        // The microphone is not touched before talk-back starts.
        compare(findChild(videoLayer(tile).item.audioInput, "microphoneSource"), null);
        mouseMove(talkButton(tile));
        mouseClick(talkButton(tile));
        verify(tile.isTalking);
        verify(findChild(videoLayer(tile).item.audioInput, "microphoneSource"));
        compare(findChild(talkButton(tile), "toolTip").text, "停止对讲");
        verify(findChild(talkButton(tile), "levelMeter").visible);
        compare(String(socket(tile).url), address);
        verify(socket(tile).active);
        tryVerify(() => testServer.talkChunks("1", "101").length > 2, patience, "microphone chunks reach the server");
        tryVerify(() => logged("WebSocket Open: " + address).length === 1, patience);
        // Stopped by its control: socket closed, address emptied, capture ended. The socket
        // logs every change to closed or failed, one or more lines after the stop; the
        // chunks are counted once the server has seen the close, which follows the last.
        let closedLines = logged("WebSocket Closed: " + address).length;
        mouseClick(talkButton(tile));
        verify(!tile.isTalking);
        verify(!socket(tile).active);
        compare(String(socket(tile).url), "");
        tryVerify(() => logged("WebSocket Closed: " + address).length > closedLines, patience);
        tryVerify(() => testServer.openTalkSockets() === 0, patience, "the server's socket closes");
        let count = testServer.talkChunks("1", "101").length;
        wait(600);
        compare(testServer.talkChunks("1", "101").length, count);

        // Started from the menu, ended by stopVideo.
        findChild(tile, "contextMenu").open();
        findChild(findChild(tile, "contextMenu").contentItem, "menuTalk").triggered();
        verify(tile.isTalking);
        tryVerify(() => testServer.talkChunks("1", "101").length > count + 2, patience);
        const layerItem = videoLayer(tile).item;
        closedLines = logged("WebSocket Closed: " + address).length;
        tile.stopVideo();
        verify(!tile.isTalking);
        verify(!layerItem.talkWebSocket.active);
        compare(String(layerItem.talkWebSocket.url), "");
        tryVerify(() => logged("WebSocket Closed: " + address).length > closedLines, patience);
        tryVerify(() => testServer.openTalkSockets() === 0, patience, "the server's socket closes");
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
