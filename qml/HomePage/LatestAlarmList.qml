import QtQuick
import QtQuick.Controls as QQC
import QtQuick.Layouts
import an.video 1.0
import "../Widgets" as Widgets

// The last ten alarms of the server's list, each a snapshot with three lines of text and,
// where the alarm has a recording, a play button. The server pages its list from the
// oldest; the last ten rows lie on the last page and, when that one is short, on the page
// before it. Each refresh rebuilds every row, and every row fetches its picture again.
ListView {
    id: newAlarmListView

    // A refresh is under way (one to three requests in a row); presses meanwhile are ignored.
    property bool querying: false

    signal playRequested(var alarm)

    readonly property int __pageSize: 10
    readonly property real __rowHeight: 260 * styleManager.scaleRatio

    function refresh() {
        if (querying)
            return;
        querying = true;
        __fetch(0, (count, list) => {
            if (count <= __pageSize) {
                __finish(list);
                return;
            }
            // When count is a multiple of ten this is the empty page after the last full one.
            const last = Math.floor(count / __pageSize);
            __fetch(last, (lastCount, lastList) => {
                __show([]);
                if (lastList.length >= __pageSize) {
                    __finish(lastList);
                    return;
                }
                __fetch(last - 1, (previousCount, previousList) => {
                    const wanted = __pageSize - lastList.length;
                    __finish(previousList.slice(Math.max(0, previousList.length - wanted)).concat(lastList));
                });
            });
        });
    }

    // A failed request answers (0, []): it counts as an empty page.
    function __fetch(page, answer) {
        networkManager.getAlarmList(page, __pageSize, 0, 0, (count, list) => answer(count, list || []));
    }

    function __show(rows) {
        model = [];
        model = rows;
    }

    function __finish(rows) {
        __show(rows);
        querying = false;
    }

    function __text(value) {
        return value === undefined || value === null ? "" : String(value);
    }

    function alarmText(alarm) {
        return "通道名: " + __text(alarm.ChannelName) + " (" + __text(alarm.AlarmTime) + ")"
                + "\n告警等级: " + networkManager.getAlarmLevel(alarm.AlarmPriority)
                + " 告警方式: " + networkManager.getAlarmMethod(alarm.AlarmMethod)
                + "\n告警类型: " + networkManager.getAlarmType(alarm.AlarmMethod, alarm.AlarmType);
    }

    clip: true
    spacing: 5 * styleManager.scaleRatio
    // Every row stays built once made: its picture is fetched once per refresh only. The
    // rows' height is known from their number (the list's own content height grows with the
    // rows that the buffer makes).
    cacheBuffer: count * (__rowHeight + spacing)
    model: []

    QQC.ScrollBar.vertical: Widgets.ScrollBar {
        width: 12 * styleManager.scaleRatio
    }

    Component.onCompleted: refresh()

    delegate: Item {
        id: alarmRow

        required property int index
        required property var modelData

        objectName: "alarmRow" + index
        width: ListView.view ? ListView.view.width : 0
        height: newAlarmListView.__rowHeight

        ColumnLayout {
            anchors.fill: parent

            VideoSnapItem {
                objectName: "alarmSnap"
                Layout.fillWidth: true
                Layout.fillHeight: true
                snapUrl: newAlarmListView.__text(alarmRow.modelData.AlarmSnap)

                Widgets.ImageButton {
                    objectName: "playButton"
                    anchors.centerIn: parent
                    width: 58 * styleManager.scaleRatio
                    height: 60 * styleManager.scaleRatio
                    normalImage: styleManager.style.image("RecordManage-PlayIcon")
                    visible: newAlarmListView.__text(alarmRow.modelData.AlarmRecord) !== ""
                    onClicked: newAlarmListView.playRequested(alarmRow.modelData)
                }
            }

            Text {
                objectName: "alarmText"
                Layout.fillWidth: true
                Layout.preferredHeight: 60 * styleManager.scaleRatio
                color: textColor
                font.family: "微软雅黑"
                font.pointSize: 10 * styleManager.fontScaleRatio
                text: newAlarmListView.alarmText(alarmRow.modelData)
            }
        }
    }
}
