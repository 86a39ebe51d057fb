import QtQuick
import "../Widgets" as Widgets

// A window of its own that plays an alarm's recording from the server. A second alarm
// switches the stream in the open window; closing the window stops the tile.
Widgets.PopupWindow {
    id: playAlarmPopup

    width: 860 * styleManager.scaleRatio
    height: 560 * styleManager.scaleRatio

    function play(recordPath, channelName, alarmTime) {
        title = "告警通道: " + channelName + " (" + alarmTime + ")";
        playAlarmView.videoUrl = "http://" + settingManager.settings.host + ":" + settingManager.settings.port + recordPath;
        open();
    }

    // No ids and no current-tile function: presses neither highlight nor maximise it.
    contentItem: CameraRectangle {
        id: playAlarmView
        objectName: "playAlarmView"
        anchors.margins: 2 * styleManager.scaleRatio
        streamType: 1
    }

    onClosed: playAlarmView.stopChannel()
}
