import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects
import QtWebSockets
import an.audio 1.0
import an.video 1.0
import an.network 1.0
import "../Widgets" as Widgets
import "./CameraTile" as CameraTile

// The video cell of every page: plays a live channel (token, stream address, keepalive)
// or a record the page hands it, and shows its state in layers: no-signal picture,
// snapshot, loading animation, video, statistics label and progress bar.
Rectangle {
    id: tile

    // 0: live channels; anything else: records.
    property int streamType: 0
    property int deviceId: -1
    property int channelId: -1
    property string title: ""
    property string snapUrl: ""
    property string videoUrl: ""
    property string keepaliveUrl: ""
    property string token: ""
    // Seconds into the record, mirrored from the player once the start seek is done.
    property int progress: 0
    property bool __replay_first: true
    property real __replay_start_progress: 0
    property int fillMode: VideoItem.Stretch
    property bool enableKeyFrame: false
    property bool videoVisible: true
    property bool showNoSignal: true
    property bool hovered: false
    property alias exitTimer: exitTimer
    property bool isCurrent: false
    readonly property real innerWidth: width - 2 * border.width
    property bool showLabel: innerWidth < 600 * styleManager.scaleRatio

    property var setCurrentFunction: undefined
    property var fillParent: null
    property var noFillParent: null
    property bool penetrateEvent: false
    property bool isTalking: false
    property bool isRecording: false
    property bool videoInfoChecked: false

    // The set-up that stream replies must belong to: each play and each stop starts a
    // new one, so that a reply to an abandoned set-up never starts a stream.
    property int __setup: 0

    signal replayFinished()

    color: "#20ffffff"
    radius: 2
    border.width: 2
    border.color: isCurrent ? "#a0ffffff" : "transparent"

    function __text(value) {
        return value === undefined || value === null ? "" : String(value);
    }

    function __id(value) {
        const id = Number(value);
        return value === undefined || value === null || value === "" || isNaN(id) ? -1 : id;
    }

    // Credentials in a stream address stay out of the log.
    function __masked(url) {
        return String(url).replace(/\/\/[^\/@]*@/, "//***@");
    }

    function playChannel(info) {
        if (info === undefined || info === null)
            return;
        stopVideo();
        videoUrl = "";
        snapUrl = "";
        title = __text(info.name);
        deviceId = __id(info.parentDeviceID);
        channelId = __id(info.channelID);
        snapUrl = __text(info.snapUrl);
        const setup = __setup;
        const device = deviceId;
        const channel = channelId;
        networkManager.getChannelToken(channel, function (replyChannel, replyToken) {
            if (setup !== tile.__setup || tile.channelId !== replyChannel)
                return;
            tile.token = replyToken;
            networkManager.getChannelStream(device, channel, replyToken, function (streamChannel, url, keepalive) {
                if (setup !== tile.__setup || tile.channelId !== streamChannel)
                    return;
                tile.videoUrl = url;
                tile.keepaliveUrl = keepalive;
                keepaliveTimer.restart();
                console.log("***", tile.__masked(url), keepalive);
            });
        });
    }

    function stopVideo() {
        ++__setup;
        videoUrl = "";
        token = "";
        keepaliveTimer.stop();
        const layer = cameraLoader.status === Loader.Ready ? cameraLoader.item : null;
        if (isTalking) {
            isTalking = false;
            if (layer && typeof layer.stopTalk === "function")
                layer.stopTalk();
        }
        if (isRecording) {
            isRecording = false;
            if (layer)
                layer.videoProvider.stopRecording();
        }
        networkManager.stopChannelStream(deviceId, channelId, streamType === 0 ? "play" : "playback");
    }

    function stopChannel() {
        stopVideo();
        title = "";
        deviceId = -1;
        channelId = -1;
        snapUrl = "";
    }

    // No control of the tile calls this; the PTZ overlay sends its own stops. It sends
    // the stop with the configured speed, as the overlay would.
    function stopPtzControl() {
        const speed = settingManager.settings.ptzSpeed > 0 ? Math.min(settingManager.settings.ptzSpeed, 255) : 100;
        networkManager.ptzControl(deviceId, channelId, NetworkManager.Stop, NetworkManager.Stop, speed);
    }

    // A start position waits for the first picture of the next record.
    function __seekToStart(provider) {
        if (provider && provider.sourceValid && streamType !== 0 && __replay_first) {
            __replay_first = false;
            provider.setProgress(__replay_start_progress);
        }
    }

    Component.onCompleted: tile.__replay_firstChanged.connect(function () {
        if (cameraLoader.item)
            tile.__seekToStart(cameraLoader.item.videoProvider);
    })

    Timer {
        id: keepaliveTimer
        objectName: "keepaliveTimer"
        interval: 50000
        repeat: true
        onTriggered: networkManager.keepaliveChannleStream(tile.deviceId, tile.channelId, tile.token, tile.keepaliveUrl)
    }

    // Keeps the overlays up for a while after the last pointer activity.
    Timer {
        id: exitTimer
        objectName: "exitTimer"
        interval: 2000
        running: true
        onTriggered: tile.hovered = false

        function retime() {
            tile.hovered = true;
            restart();
        }
    }

    Item {
        id: innerArea
        objectName: "innerArea"
        anchors.fill: parent
        anchors.margins: tile.border.width
        clip: true

        Image {
            id: noSignal
            objectName: "noSignal"
            anchors.centerIn: parent
            width: Math.min(innerArea.width - 40 * styleManager.scaleRatio, 180 * styleManager.scaleRatio)
            fillMode: Image.PreserveAspectFit
            source: styleManager.style.image("Home-NoSignal")
            visible: tile.showNoSignal
        }

        MouseArea {
            id: pointerArea
            objectName: "pointerArea"
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton | Qt.RightButton
            hoverEnabled: true
            propagateComposedEvents: true

            onEntered: tile.exitTimer.retime()
            onExited: tile.exitTimer.retime()
            onCanceled: tile.exitTimer.retime()
            onPositionChanged: tile.exitTimer.retime()
            onPressed: mouse => {
                tile.exitTimer.retime();
                if (tile.setCurrentFunction !== undefined)
                    tile.setCurrentFunction(tile);
                mouse.accepted = !tile.penetrateEvent;
            }
            onReleased: mouse => {
                tile.exitTimer.retime();
                mouse.accepted = !tile.penetrateEvent;
            }
            onWheel: wheel => {
                tile.exitTimer.retime();
                wheel.accepted = tile.noFillParent !== null && tile.parent === tile.noFillParent;
            }
        }

        Loader {
            id: cameraLoader
            objectName: "cameraLoader"
            anchors.fill: parent
            active: tile.videoUrl !== "" || tile.snapUrl !== ""
            sourceComponent: videoLayer

            onActiveChanged: {
                if (!active) {
                    tile.fillMode = VideoItem.Stretch;
                    tile.showNoSignal = true;
                    tile.videoInfoChecked = false;
                }
            }
        }
    }

    Component {
        id: videoLayer

        Item {
            id: rootItem

            property alias videoProvider: videoProvider
            readonly property bool videoValid: videoProvider.sourceValid

            Loader {
                id: loadingLoader
                objectName: "loadingLoader"
                z: 10
                anchors.centerIn: parent
                width: Math.min(rootItem.width - 40 * styleManager.scaleRatio, 270 * styleManager.scaleRatio)
                height: 60 * styleManager.scaleRatio
                opacity: tile.videoUrl !== "" && !rootItem.videoValid ? 1 : 0
                active: opacity !== 0

                Behavior on opacity { OpacityAnimator { duration: 800 } }

                sourceComponent: AnimatedImage {
                    source: styleManager.style.image("Home-Loading")
                    cache: false
                    fillMode: Image.PreserveAspectFit
                }
            }

            Loader {
                id: snapLoader
                objectName: "snapLoader"
                anchors.fill: parent
                opacity: tile.snapUrl !== "" && !rootItem.videoValid ? 1 : 0
                active: opacity !== 0

                Behavior on opacity { OpacityAnimator { duration: 400 } }

                sourceComponent: VideoSnapItem {
                    objectName: "snapItem"
                    snapUrl: tile.snapUrl
                    visible: snapValid
                }
            }

            Item {
                id: videoContainer
                objectName: "videoContainer"
                anchors.fill: parent
                clip: true

                VideoItem {
                    id: videoProvider
                    objectName: "videoProvider"
                    width: videoContainer.width
                    height: videoContainer.height
                    fillMode: tile.fillMode
                    videoUrl: tile.videoUrl
                    enableKeyFrame: tile.enableKeyFrame
                    visible: tile.videoVisible

                    onSourceValidChanged: {
                        tile.__seekToStart(videoProvider);
                        tile.showNoSignal = !sourceValid;
                    }
                    onFinished: tile.replayFinished()
                }

                Connections {
                    target: videoProvider.videoInfo
                    function onProgressChanged() {
                        if (videoProvider.sourceValid && tile.streamType !== 0 && !tile.__replay_first)
                            tile.progress = videoProvider.videoInfo.progress;
                    }
                }

                CameraTile.StatisticsLabel {
                    id: statisticsLabel
                    objectName: "statisticsLabel"
                    x: 10 * styleManager.scaleRatio
                    anchors.bottom: progressControl.visible ? progressControl.top : videoContainer.bottom
                    anchors.bottomMargin: (tile.showLabel ? 35 : 5) * styleManager.scaleRatio
                    provider: videoProvider
                    title: tile.title
                    shown: tile.hovered && tile.videoUrl !== ""
                }

                CameraTile.ReplayProgressBar {
                    id: progressControl
                    objectName: "progressControl"
                    width: videoContainer.width
                    height: 32 * styleManager.scaleRatio
                    anchors.bottom: videoContainer.bottom
                    anchors.bottomMargin: (tile.showLabel ? 40 : 10) * styleManager.scaleRatio
                    provider: videoProvider
                    shown: tile.hovered && tile.videoUrl !== ""
                }
            }
        }
    }
}
