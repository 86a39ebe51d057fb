import QtQuick
import "../Widgets" as Widgets

// A window of its own that plays an alarm's recording from the server. A second alarm
// switches the stream in the open window; closing the window stops the tile.
Widgets.PopupWindow {
    id: playAlarmPopup

    layoutSize: Qt.size(860 * ratio, 560 * ratio)

    function play(recordPath, channelName, alarmTime) {
        title = "告警通道: " + channelName + " (" + alarmTime + ")";
        playAlarmView.videoUrl = "http://" + settingManager.settings.host + ":" + settingManager.settings.port + recordPath;
        open();
    }

    // No ids and no current-tile function: presses neither highlight nor maximise it.
    contentItem: CameraRectangle {
        id: playAlarmView
        objectName: "playAlarmView"
        anchors.margins: 2 * playAlarmPopup.ratio
        streamType: 1
    }

    onClosed: playAlarmView.stopChannel()
}
