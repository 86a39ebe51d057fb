import QtQuick
import QtQuick.Controls as QQC
import "../Widgets" as Widgets
import "../VideoSquare" as VideoSquare
import "../Api/api.js" as Api

// Record management: a channel picked in the side panel and a day of the calendar give
// that day's cloud or device records, shown as a table or over a time line. The page
// owns channel and record type; the calendar holds the day.
Item {
    id: recordManage

    property int channelID: -1

    // Replies come back in any order: each query is numbered, and only the answer to
    // the latest one of its kind is applied.
    property int dayQuery: 0
    property int monthQuery: 0

    // A day reply fills both views: every element of `list` becomes a row, however
    // many `total` announces; `total` only tells whether there is anything.
    function updateRecord(id) {
        if (id === -1)
            return;
        const recordType = typeBar.currentIndex;
        const query = ++dayQuery;
        // Cleared at once, so that a query that never answers leaves nothing of the
        // previous channel or day on screen, or playing.
        recordListView.model.clear();
        recordTimeAxisView.clearRecordTimeLine();
        networkManager.getRecordListForDay(id, calendarPopup.visibleYear, calendarPopup.visibleMonth + 1,
                                           calendarPopup.currentDay, recordType, reply => {
            if (query !== dayQuery || typeBar.currentIndex !== recordType)
                return;
            showRecords(id, reply);
        });
    }

    function showRecords(id, reply) {
        recordListView.model.clear();
        recordTimeAxisView.clearRecordTimeLine();
        const list = reply !== null && typeof reply === "object" && Array.isArray(reply.list) ? reply.list : [];
        if (!(Number(reply && reply.total) > 0))
            return;
        const entries = [];
        let name = "";
        for (const record of list) {
            if (record === null || typeof record !== "object" || Array.isArray(record))
                continue;
            name = String(record.name ?? "");
            record.channelID = id;
            record.duration = seconds(record.duration);
            recordListView.model.append(record);
            entries.push(timeLineEntry(record));
        }
        // Records announced: the row shows its title, with bars for what was usable.
        recordTimeAxisView.addRecordTimeLine(id, name, entries);
    }

    // A length sent as text is read as a number, so that the end of a record is a sum,
    // not a concatenation; what does not read as a number of seconds counts as 0.
    function seconds(value) {
        const number = typeof value === "number" || typeof value === "string" ? Number(value) : NaN;
        return Number.isFinite(number) ? number : 0;
    }

    function timeLineEntry(record) {
        const startTime = qmlApi.getTimeSeconds(String(record.startAt), "yyyyMMddhhmmss");
        return {
            name: record.name,
            hls: record.hls,
            startAt: record.startAt,
            duration: record.duration,
            startTime: startTime,
            endTime: startTime + record.duration
        };
    }

    // Marks the calendar's days with records: on the device tab every day of the shown
    // month, without asking; on the cloud tab the days the server names.
    function getRecord() {
        if (channelID === -1)
            return;
        const query = ++monthQuery;
        const year = calendarPopup.visibleYear;
        const month = calendarPopup.visibleMonth;
        if (typeBar.currentIndex !== 0) {
            calendarPopup.clearRecord();
            const days = Api.getMonthDayTotal(year, month);
            for (let day = 1; day <= days; ++day)
                calendarPopup.addRecord(year, month, day);
            calendarPopup.recordChanged();
            return;
        }
        const channel = channelID;
        networkManager.getRecordListForMonth(channel, year, month + 1, 0, days => {
            // A month, channel or tab left meanwhile keeps the marks that belong to it.
            if (query !== monthQuery || channel !== channelID || typeBar.currentIndex !== 0
                    || year !== calendarPopup.visibleYear || month !== calendarPopup.visibleMonth)
                return;
            calendarPopup.clearRecord();
            for (let i = 0; Array.isArray(days) && i < days.length; ++i) {
                if (days[i] === "1")
                    calendarPopup.addRecord(year, month, i + 1);
            }
            calendarPopup.recordChanged();
        });
    }

    function openCalendar() {
        getRecord();
        calendarPopup.open();
    }

    clip: true

    Item {
        id: row
        objectName: "row"
        anchors.top: parent.top
        anchors.topMargin: 5 * styleManager.scaleRatio
        anchors.left: parent.left
        anchors.right: deviceManageView.left
        height: 30 * styleManager.scaleRatio

        Rectangle {
            id: calendarRect
            objectName: "calendarRect"
            x: 10 * styleManager.scaleRatio
            width: 200 * styleManager.scaleRatio
            height: 30 * styleManager.scaleRatio
            color: "transparent"
            border.width: 1
            border.color: textColor

            MouseArea {
                anchors.fill: parent
                onClicked: recordManage.openCalendar()
            }

            Text {
                objectName: "dateText"
                anchors.left: parent.left
                anchors.right: calendarButton.left
                anchors.top: parent.top
                anchors.bottom: parent.bottom
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                text: calendarPopup.visibleYear + "年" + (calendarPopup.visibleMonth + 1) + "月"
                      + calendarPopup.currentDay + "日"
                font.family: "微软雅黑"
                font.pointSize: 11 * styleManager.fontScaleRatio
                color: styleManager.style.color("Login-TextColor")
            }

            Widgets.ImageButton {
                id: calendarButton
                objectName: "calendarButton"
                anchors.right: parent.right
                anchors.rightMargin: 10 * styleManager.scaleRatio
                anchors.verticalCenter: parent.verticalCenter
                width: 22 * styleManager.scaleRatio
                height: 22 * styleManager.scaleRatio
                normalImage: styleManager.style.image("RecordManage-Calendar-Normal")
                hoveredImage: styleManager.style.image("RecordManage-Calendar-Hovered")
                pressedImage: styleManager.style.image("RecordManage-Calendar-Clicked")
                onClicked: recordManage.openCalendar()
            }

            RecordCalendar {
                id: calendarPopup
                objectName: "calendarPopup"
                x: 0
                y: 20 * styleManager.scaleRatio
                onMonthStepped: recordManage.getRecord()
                onSelectedDate: recordManage.updateRecord(recordManage.channelID)
            }
        }

        Widgets.ColorButton {
            objectName: "viewSwitch"
            anchors.left: calendarRect.right
            anchors.leftMargin: 10 * styleManager.scaleRatio
            width: 100 * styleManager.scaleRatio
            height: 30 * styleManager.scaleRatio
            normalColor: styleManager.style.color("Login-LoginButton-Normal")
            hoveredColor: Qt.lighter(normalColor)
            pressedColor: Qt.darker(normalColor, 1.2)
            textColor: styleManager.style.color("Login-TextColor")
            radius: 2
            text: swipeView.currentIndex === 0 ? "时间轴视图" : "列表视图"
            onClicked: swipeView.currentIndex = swipeView.currentIndex === 0 ? 1 : 0
        }

        QQC.TabBar {
            id: typeBar
            objectName: "typeBar"
            anchors.right: parent.right
            anchors.rightMargin: 10 * styleManager.scaleRatio
            height: 30 * styleManager.scaleRatio
            // The tabs fill the bar: sized by their text and padding, which do not shrink
            // with the ratio, the bar would centre them below its bottom on small screens.
            contentHeight: height
            background: null

            MyTabButton {
                objectName: "cloudTab"
                text: "云端录像"
            }

            MyTabButton {
                objectName: "deviceTab"
                text: "设备录像"
            }
        }
    }

    QQC.SwipeView {
        id: swipeView
        objectName: "swipeView"
        anchors.top: row.bottom
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: deviceManageView.left
        interactive: false
        clip: true

        // Its list's highlight follows the shown view's width at once: at the default 400 px
        // a second, a page switch that resizes the view would keep the window drawing for seconds.
        Component.onCompleted: contentItem.highlightResizeDuration = 0

        RecordListView {
            id: recordListView
            objectName: "recordListView"
            type: typeBar.currentIndex
        }

        RecordTimeAxisView {
            id: recordTimeAxisView
            objectName: "recordTimeAxisView"
            type: typeBar.currentIndex
        }
    }

    // Above the views: the fold button and the details box lie left of the panel.
    VideoSquare.DeviceManageSwipeView {
        id: deviceManageView
        objectName: "deviceManageView"
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.right: parent.right
        z: 1
        onClickChannel: channelInfo => {
            recordManage.channelID = channelInfo.channelID;
            recordManage.updateRecord(recordManage.channelID);
        }
    }

    // A record-type tab: a click moves the bar to it and queries the day again, the
    // selected tab included.
    component MyTabButton: QQC.TabButton {
        id: tab

        width: 80 * styleManager.scaleRatio
        height: 30 * styleManager.scaleRatio
        // The style's 12 all round shrinks with a ratio below 1: at full size it held the
        // text's middle 12 below the tab's top, on its lower edge on a small screen.
        padding: 12 * Math.min(1, styleManager.scaleRatio)
        font.family: "微软雅黑"
        font.pointSize: 11 * styleManager.fontScaleRatio
        onClicked: {
            typeBar.currentIndex = QQC.TabBar.index;
            recordManage.updateRecord(recordManage.channelID);
        }

        background: Rectangle {
            readonly property color normal: styleManager.style.color("Login-LoginButton-Normal")

            radius: 2
            color: tab.checked ? normal : tab.hovered ? Qt.lighter(normal) : "#10ffffff"
        }

        contentItem: Text {
            text: tab.text
            font: tab.font
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            color: styleManager.style.color("Login-TextColor")
        }
    }
}
