import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects
import an.video 1.0
import an.network 1.0
import "../Widgets" as Widgets
import "./CameraTile" as CameraTile

// The video cell of every page: plays a live channel (token, stream address, keepalive)
// or a record the page hands it, and shows its state in layers: no-signal picture,
// snapshot, loading animation, video, statistics label and progress bar. Its tool bars
// and context menu offer talk-back, local recording, snapshots, the fill mode and the
// statistics overlay; a double-click moves it between two parents.
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
    readonly property real __innerWidth: width - 2 * border.width
    property bool showLabel: __innerWidth < 600 * styleManager.scaleRatio

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
                // Credentials and tokens in the addresses stay out of the log.
                console.log("***", networkManager.maskedUrl(url), networkManager.maskedUrl(keepalive));
            });
        });
    }

    // Talk-back and recording end before the stream closes, so that the recording is
    // completed by the player rather than cut off.
    function stopVideo() {
        ++__setup;
        const layer = __readyLayer();
        if (isTalking) {
            isTalking = false;
            if (layer)
                layer.stopTalk();
        }
        if (isRecording) {
            isRecording = false;
            if (layer)
                layer.videoProvider.stopRecording();
        }
        videoUrl = "";
        token = "";
        keepaliveTimer.stop();
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

    function __readyLayer() {
        return cameraLoader.status === Loader.Ready ? cameraLoader.item : null;
    }

    // The six actions of the bars and the menu, left to right; each key names its pictures.
    readonly property var __actionKeys: ["CloseVideo", "Talking", "Videotape", "Capture", "Proportion", "VideoInfo"]

    // The labels name the state that the next use brings.
    function __actionText(index) {
        switch (index) {
        case 0:
            return "关闭视频";
        case 1:
            return isTalking ? "停止对讲" : "开始对讲";
        case 2:
            return isRecording ? "停止录制" : "录制视频";
        case 3:
            return "抓取快照";
        case 4:
            return fillMode === VideoItem.PreserveAspectFit ? "完全填充" : "等比填充";
        default:
            return "视频信息";
        }
    }

    function __runAction(index) {
        switch (index) {
        case 0:
            stopChannel();
            break;
        case 1:
            __switchTalk();
            break;
        case 2:
            __switchRecording();
            break;
        case 3:
            __takeSnapshot();
            break;
        case 4:
            __switchFillMode();
            break;
        default:
            videoInfoChecked = !videoInfoChecked;
            break;
        }
    }

    // Talk-back starts only where it can: a video layer and a real channel to talk to.
    // Stopping always works.
    function __switchTalk() {
        const layer = __readyLayer();
        if (isTalking) {
            isTalking = false;
            if (layer)
                layer.stopTalk();
            return;
        }
        if (!layer || deviceId === -1 || channelId === -1)
            return;
        isTalking = true;
        layer.startTalk();
    }

    // Recording starts only on a stream that the video item has open.
    function __switchRecording() {
        const layer = __readyLayer();
        if (isRecording) {
            isRecording = false;
            if (layer) {
                layer.videoProvider.stopRecording();
                __openFolder(layer.videoProvider.recordingPath());
            }
            return;
        }
        if (!layer || !__streamOpen(layer.videoProvider))
            return;
        isRecording = true;
        layer.videoProvider.startRecording("/" + title + qmlApi.getCurrentDateTime("-yyyy-MM-dd-hh-mm-ss-zzz") + ".mp4");
    }

    function __streamOpen(provider) {
        return provider.videoUrl !== "" && (provider.status === VideoItem.Opened || provider.status === VideoItem.Paused);
    }

    function __takeSnapshot() {
        const layer = __readyLayer();
        if (!layer)
            return;
        layer.videoProvider.snapshot(title + qmlApi.getCurrentDateTime("-yyyy-MM-dd-hh-mm-ss-zzz.png"));
        __openFolder(layer.videoProvider.snapshotPath());
    }

    function __switchFillMode() {
        fillMode = fillMode === VideoItem.PreserveAspectFit ? VideoItem.Stretch : VideoItem.PreserveAspectFit;
    }

    // A local folder as a file address, every path segment encoded (blanks, "#").
    function __folderUrl(path) {
        return "file://" + String(path).split("/").map(encodeURIComponent).join("/");
    }

    function __openFolder(path) {
        if (!Qt.openUrlExternally(__folderUrl(path)))
            console.warn("cannot open the folder", path);
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
        // Set while the pointer is over a tool bar. The tile's own pointer area may hear of the
        // move onto the bar after the bar did (its leave comes last) and must not restart the
        // countdown then: the bar would hide under a pointer that rests on it.
        property bool held: false
        onTriggered: tile.hovered = false

        function retime() {
            tile.hovered = true;
            if (held)
                stop();
            else
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
                if (mouse.button === Qt.RightButton) {
                    contextMenu.x = mouse.x;
                    contextMenu.y = mouse.y;
                    contextMenu.open();
                }
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
            // Maximising: the host anchors the tile to fill whichever parent it is given.
            onDoubleClicked: mouse => {
                if (tile.setCurrentFunction === undefined || mouse.button !== Qt.LeftButton) {
                    mouse.accepted = false;
                    return;
                }
                const target = tile.parent !== tile.noFillParent ? tile.noFillParent : tile.fillParent;
                if (target)
                    tile.parent = target;
                tile.setCurrentFunction(tile);
            }

            CameraTile.TileMenu {
                id: contextMenu
                objectName: "contextMenu"
                host: tile
            }
        }

        // The title of a tile without video, while the pointer is about.
        Rectangle {
            id: idleTitle
            objectName: "idleTitle"
            x: 10 * styleManager.scaleRatio
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 10 * styleManager.scaleRatio
            width: idleTitleText.width + 24 * styleManager.scaleRatio
            height: idleTitleText.height + 10 * styleManager.scaleRatio
            radius: 4
            color: "#a0888888"
            opacity: tile.hovered && !cameraLoader.active && tile.title !== "" ? 0.5 : 0
            visible: opacity !== 0

            Behavior on opacity { NumberAnimation {} }
        }

        Text {
            id: idleTitleText
            objectName: "idleTitleText"
            anchors.centerIn: idleTitle
            text: tile.title
            color: textColor
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
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
            readonly property alias audioInput: talkBack.audioInput
            readonly property alias talkWebSocket: talkBack.talkWebSocket
            readonly property bool videoValid: videoProvider.sourceValid
            // Whether the picture is on screen (not in a hidden cell or page, not under a
            // maximised tile). Out of sight nothing animates: a tile given a channel there
            // decodes nothing, so its loading animation would run until it shows again.
            readonly property bool shown: videoProvider.visible

            function startTalk() {
                talkBack.start(networkManager.getTalkUrl(tile.deviceId, tile.channelId));
            }

            function stopTalk() {
                talkBack.stop();
            }

            CameraTile.TalkBack {
                id: talkBack
            }

            Loader {
                id: loadingLoader
                objectName: "loadingLoader"
                z: 10
                anchors.centerIn: parent
                width: Math.min(rootItem.width - 40 * styleManager.scaleRatio, 270 * styleManager.scaleRatio)
                height: 60 * styleManager.scaleRatio
                opacity: tile.videoUrl !== "" && !rootItem.videoValid ? 1 : 0
                active: opacity !== 0 && rootItem.shown

                Behavior on opacity {
                    enabled: rootItem.shown
                    OpacityAnimator { duration: 800 }
                }

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

                Behavior on opacity {
                    enabled: rootItem.shown
                    OpacityAnimator { duration: 400 }
                }

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
                    // Only a picture on screen is decoded: a tile out of sight (a hidden
                    // cell or page, a maximised tile above it) keeps reading its stream and
                    // starts again at the next key frame when it shows.
                    enableDecode: videoProvider.visible

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

                VideoInfoPanel {
                    objectName: "videoInfoPanel"
                    x: 10 * styleManager.scaleRatio
                    y: 10 * styleManager.scaleRatio
                    provider: videoProvider
                    source: videoProvider
                    scaleFactor: 1.0
                    opacity: tile.videoInfoChecked && tile.videoUrl !== "" ? 1 : 0
                    visible: opacity !== 0

                    Behavior on opacity { NumberAnimation {} }
                }

                // One bar at a time, by the tile's width; shown with the other overlays. The
                // overlays fade by number animations, which move the opacity their visibility
                // follows: an animator sets it only at its end, and the bar would pop in.
                Loader {
                    id: narrowBar
                    objectName: "narrowBar"
                    active: tile.showLabel
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.bottom: parent.bottom
                    opacity: tile.hovered && tile.videoUrl !== "" ? 1 : 0
                    visible: opacity !== 0

                    Behavior on opacity { NumberAnimation {} }

                    sourceComponent: CameraTile.NarrowToolBar {
                        host: tile
                        level: talkBack.audioInput.level
                    }
                }

                // Its bottom on the top of the progress bar's place, hidden or not.
                Loader {
                    id: wideBar
                    objectName: "wideBar"
                    active: !tile.showLabel
                    anchors.horizontalCenter: parent.horizontalCenter
                    anchors.bottom: parent.bottom
                    anchors.bottomMargin: 42 * styleManager.scaleRatio
                    opacity: tile.hovered && tile.videoUrl !== "" ? 1 : 0
                    visible: opacity !== 0

                    Behavior on opacity { NumberAnimation {} }

                    sourceComponent: CameraTile.WideToolBar {
                        host: tile
                        level: talkBack.audioInput.level
                    }
                }
            }
        }
    }
}
