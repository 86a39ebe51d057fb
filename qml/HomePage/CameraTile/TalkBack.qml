import QtQuick
import QtWebSockets
import an.audio 1.0

// Talk-back of one tile: the microphone's chunks go unchanged, one binary message each,
// to the talk socket while it is active. The microphone is opened only while talking.
Item {
    id: talkBack

    readonly property alias audioInput: audioInput
    readonly property alias talkWebSocket: talkWebSocket

    function start(url) {
        audioInput.start();
        talkWebSocket.url = url;
        talkWebSocket.talkAddress = url;
        talkWebSocket.active = true;
    }

    function stop() {
        audioInput.stop();
        talkWebSocket.active = false;
        talkWebSocket.url = "";
    }

    SimpleAudioInput {
        id: audioInput
        onHasData: data => {
            if (talkWebSocket.active)
                talkWebSocket.sendBinaryMessage(data);
        }
    }

    WebSocket {
        id: talkWebSocket
        // The address is emptied as soon as talk-back stops, while the socket reports
        // its close later: the log names the address that was talked to.
        property string talkAddress: ""
        active: false
        onStatusChanged: (status) => {
            if (status === WebSocket.Open)
                console.log("WebSocket Open:", talkAddress);
            else if (status === WebSocket.Closed || status === WebSocket.Error)
                console.log("WebSocket Closed:", talkAddress);
        }
    }
}
