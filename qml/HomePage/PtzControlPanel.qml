import QtQuick
import an.network 1.0
import "../Widgets" as Widgets

// Pan, tilt and zoom of one channel: a movement runs while its control is held, a start
// command on press and a stop on release. Laid over a tile (auto) it fades with the
// tile's overlays and holds the tile's hide timer; docked it stays up.
Item {
    id: panel

    property bool auto: true
    property bool hovered: true
    property int deviceId: -1
    property int channelId: -1
    // The host tile's hide timer: stop() and retime().
    property var exitTimer: undefined
    property int currentCommand: NetworkManager.Stop
    property real steeringWheelMargin: 10 * styleManager.scaleRatio
    readonly property alias speed: speedSlider.value

    anchors.fill: parent
    clip: true
    enabled: visible

    function __speed() {
        return Number(speedSlider.value.toFixed(0));
    }

    function __send(command, direction) {
        networkManager.ptzControl(deviceId, channelId, command, direction, __speed());
    }

    function __holdTimer() {
        if (exitTimer)
            exitTimer.stop();
    }

    function __releaseTimer() {
        if (exitTimer)
            exitTimer.retime();
    }

    function stopPtzControl() {
        __send(NetworkManager.Stop, currentCommand);
    }

    function __start(command) {
        currentCommand = command;
        __send(command, command);
    }

    function __zoom(pressed, command) {
        if (pressed) {
            __holdTimer();
            __start(command);
        } else {
            __releaseTimer();
            stopPtzControl();
        }
    }

    // Each fade starts from the opacity of the moment, so a change halfway turns it round.
    NumberAnimation on opacity {
        running: panel.hovered
        to: 1.0
        duration: 300
    }

    NumberAnimation on opacity {
        running: !panel.hovered
        to: 0.0
        duration: 300
    }

    Widgets.Slider {
        id: speedSlider
        objectName: "ptzSpeedSlider"
        anchors.left: steeringWheel.left
        anchors.right: steeringWheel.right
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 15 * styleManager.scaleRatio
        height: width * 0.1
        opacity: 0.65
        barRadius: 5
        from: 1
        to: 255
        value: 100

        Component.onCompleted: {
            if (settingManager.settings.ptzSpeed > 0)
                value = settingManager.settings.ptzSpeed;
        }

        onPressedChanged: pressed ? panel.__holdTimer() : panel.__releaseTimer()
    }

    Text {
        objectName: "ptzSpeedCaption"
        anchors.right: speedSlider.left
        anchors.rightMargin: 10 * styleManager.scaleRatio
        anchors.verticalCenter: speedSlider.verticalCenter
        bottomPadding: 2 * styleManager.scaleRatio
        visible: panel.auto
        text: "云台速度: " + speedSlider.value.toFixed(0)
        font.family: "微软雅黑"
        font.pointSize: 11 * styleManager.fontScaleRatio
        color: textColor
    }

    Widgets.SteeringWheelButton {
        id: steeringWheel
        objectName: "ptzSteeringWheel"
        width: panel.auto ? panel.height / 4 : panel.width - 2 * panel.steeringWheelMargin
        height: width
        anchors.right: parent.right
        anchors.rightMargin: panel.steeringWheelMargin
        anchors.bottom: speedSlider.top
        anchors.bottomMargin: 10 * styleManager.scaleRatio
        opacity: 0.7
        enabled: panel.hovered

        onWheelDirection: direction => {
            if (direction === NetworkManager.Stop) {
                panel.stopPtzControl();
                panel.currentCommand = NetworkManager.Stop;
            } else {
                panel.__start(direction);
            }
        }
        onIsStopChanged: isStop ? panel.__releaseTimer() : panel.__holdTimer()
    }

    // The two buttons stand over the joystick's left and right edges.
    Item {
        id: zoomRow
        objectName: "ptzZoomRow"
        width: steeringWheel.width
        height: steeringWheel.width / 4
        anchors.bottom: steeringWheel.top
        anchors.horizontalCenter: steeringWheel.horizontalCenter
        opacity: 0.7

        Widgets.ImageButton {
            id: zoomInButton
            objectName: "ptzZoomIn"
            width: zoomRow.height
            height: width
            normalImage: styleManager.style.image("Home-PtzControl-ZoomIn-Normal")
            hoveredImage: styleManager.style.image("Home-PtzControl-ZoomIn-Hovered")
            pressedImage: styleManager.style.image("Home-PtzControl-ZoomIn-Pressed")
            onPressedChanged: panel.__zoom(pressed, NetworkManager.ZoomIn)

            Widgets.ToolTip {
                visible: zoomInButton.hovered
                text: "放大"
            }
        }

        Widgets.ImageButton {
            id: zoomOutButton
            objectName: "ptzZoomOut"
            anchors.right: parent.right
            width: zoomRow.height
            height: width
            normalImage: styleManager.style.image("Home-PtzControl-ZoomOut-Normal")
            hoveredImage: styleManager.style.image("Home-PtzControl-ZoomOut-Hovered")
            pressedImage: styleManager.style.image("Home-PtzControl-ZoomOut-Pressed")
            onPressedChanged: panel.__zoom(pressed, NetworkManager.ZoomOut)

            Widgets.ToolTip {
                visible: zoomOutButton.hovered
                text: "缩小"
            }
        }
    }
}
