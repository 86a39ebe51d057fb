import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// Position and length of a record, with a slider that seeks. It follows the player
// unless the user holds the slider; each step of a drag seeks.
Item {
    id: bar

    // The tile's playback item.
    property var provider: null
    property bool shown: false
    readonly property alias slider: progressSlider

    readonly property real duration: provider ? provider.videoInfo.duration : 0
    readonly property real position: provider ? provider.videoInfo.progress : 0

    function getFull(value) {
        return value < 10 ? "0" + value : String(value);
    }

    // Seconds as hours, minutes and seconds; the hours may run past two digits.
    function formatTime(seconds) {
        const t = Math.floor(seconds);
        return getFull(Math.floor(t / 3600)) + ":" + getFull(Math.floor(t / 60) % 60) + ":" + getFull(t % 60);
    }

    opacity: shown ? 1 : 0
    visible: opacity !== 0 && duration !== 0

    Behavior on opacity { NumberAnimation { duration: 250 } }

    Connections {
        target: bar.provider ? bar.provider.videoInfo : null
        function onProgressChanged() {
            if (!progressSlider.pressed && bar.duration !== 0)
                progressSlider.value = bar.position / bar.duration;
        }
    }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        Slider {
            id: progressSlider
            objectName: "progressSlider"
            Layout.fillWidth: true
            Layout.fillHeight: true

            onMoved: {
                if (bar.provider)
                    bar.provider.setProgress(value);
            }

            handle: Rectangle {
                x: progressSlider.leftPadding + progressSlider.visualPosition * (progressSlider.availableWidth - width)
                y: progressSlider.topPadding + (progressSlider.availableHeight - height) / 2
                width: 14
                height: 14
                radius: 7
                color: progressSlider.pressed ? "#f0f0f0" : "#f6f6f6"
                border.color: "#bdbebf"
            }
        }

        Text {
            objectName: "progressTime"
            Layout.preferredWidth: 150 * styleManager.scaleRatio
            Layout.fillHeight: true
            verticalAlignment: Text.AlignVCenter
            text: bar.formatTime(bar.position) + " / " + bar.formatTime(bar.duration)
            color: textColor
            font.family: "微软雅黑"
            font.pointSize: 11 * styleManager.fontScaleRatio
        }
    }
}
