import QtQuick
import "../HomePage" as HomePage

// A camera tile in playback mode over the day's time line: a picked second plays the
// record that covers it, or the next one; the cursor follows the playing position and
// playback goes on with the following record when one ends.
Item {
    id: root

    property int type: 0
    property var timeLineList: []
    property int channelID: -1

    // Counts the picks and the clears: a device playback address that answers an older
    // pick, or one asked before the view was cleared, is dropped.
    property int __pickSerial: 0

    readonly property real __s: styleManager.scaleRatio

    function addRecordTimeLine(id, name, list) {
        timeLineList = list
        channelID = id
        timeLine.addRecordTimeLine(id, name, list)
    }

    function clearRecordTimeLine() {
        channelID = -1
        timeLineList = []
        ++__pickSerial
        timeLine.clearRecordTimeLine()
        playRecordView.stopChannel()
    }

    // The first listed record that covers `t`, else the first listed one that starts at or
    // after it; null when there is neither.
    function chooseRecord(t) {
        var list = timeLineList || []
        for (var i = 0; i < list.length; ++i) {
            if (list[i].startTime <= t && t <= list[i].endTime)
                return { "entry": list[i], "covers": true }
        }
        for (var j = 0; j < list.length; ++j) {
            if (list[j].startTime >= t)
                return { "entry": list[j], "covers": false }
        }
        return null
    }

    // A record of no length has no place to seek to: it plays from its start.
    function seekFraction(choice, t) {
        if (!choice.covers || !(choice.entry.duration > 0))
            return 0
        return (t - choice.entry.startTime) / choice.entry.duration
    }

    function startPlayback(entry, path, fraction) {
        var timeText = qmlApi.convertDatetime(entry.startAt, "yyyyMMddhhmmss", "yyyy-MM-dd hh:mm:ss")
        playRecordView.__replay_first = true
        playRecordView.__replay_start_progress = fraction
        playRecordView.title = entry.name + "-" + timeText
        var url = "http://" + settingManager.settings.host + ":" + settingManager.settings.port + path
        console.log(networkManager.maskedUrl(url))
        playRecordView.videoUrl = url
    }

    function playRecordWithTime(timePoint) {
        var choice = chooseRecord(timePoint)
        if (!choice)
            return
        var entry = choice.entry
        var fraction = seekFraction(choice, timePoint)
        var serial = ++__pickSerial
        playRecordView.stopChannel()
        playRecordView.startTime = entry.startTime
        playRecordView.duration = entry.duration
        // Until the player reports, the cursor stays on the picked second rather than
        // jumping back to the record's start.
        playRecordView.progress = choice.covers ? timePoint - entry.startTime : 0
        if (type === 0) {
            startPlayback(entry, entry.hls, fraction)
            return
        }
        // An unreadable start is refused by the API client at once, with a failure.
        networkManager.getDeviceRecordUrl(channelID, entry.name, entry.startAt, entry.duration, function (success, result) {
            if (serial !== root.__pickSerial) {
                console.log("getDeviceRecordUrl: dropped the address of an earlier pick", networkManager.maskedUrl(result))
                return
            }
            if (!success) {
                console.log(result)
                return
            }
            root.startPlayback(entry, result, fraction)
        })
    }

    Item {
        id: playRecordItem
        objectName: "playRecordItem"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: timeLine.top
        anchors.bottomMargin: 5 * root.__s
    }

    HomePage.CameraRectangle {
        id: playRecordView
        objectName: "playRecordView"

        property int startTime: 0
        property int duration: 0
        property int currentTime: startTime + progress

        parent: playRecordItem
        anchors.fill: parent
        streamType: 1
        noFillParent: playRecordItem
        fillParent: root
        setCurrentFunction: function (tile) {}

        onReplayFinished: root.playRecordWithTime(startTime + duration + 1)
        onCurrentTimeChanged: {
            timeLine.currentHour = Math.floor(currentTime / 3600)
            timeLine.currentMinute = Math.floor(currentTime / 60) % 60
            timeLine.currentSeconds = currentTime % 60
        }
    }

    TimeLine {
        id: timeLine
        objectName: "recordTimeLine"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 140 * root.__s
        visible: playRecordView.parent === playRecordItem

        onSelectedTime: (hour, minute, seconds) => root.playRecordWithTime(hour * 3600 + minute * 60 + seconds)
    }
}
