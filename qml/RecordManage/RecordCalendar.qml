import QtQuick
import QtQuick.Controls as QQC
import Qt5Compat.GraphicalEffects
import "../Widgets" as Widgets

// The record page's month calendar: it holds the page's chosen day, shows one month with
// the days that have records marked, steps by month and year, and hands a double-clicked
// marked day back. Which days are marked is the page's business: it clears, adds and
// then announces the marks with recordChanged().
QQC.Popup {
    id: calendar

    property date currentDate: new Date()
    property int currentYear: currentDate.getFullYear()
    property int currentMonth: currentDate.getMonth()
    property int currentDay: currentDate.getDate()
    readonly property int visibleYear: currentYear
    readonly property int visibleMonth: currentMonth
    property var recordDate: []

    signal recordChanged()
    signal selectedDate(var date)
    // After a month or year step: the marks are gone and the date has moved; the page
    // marks the new month.
    signal monthStepped()

    function clearRecord() {
        recordDate = [];
        recordChanged();
    }

    function addRecord(year, month, day) {
        recordDate.push(new Date(year, month, day));
    }

    function hasRecordOn(year, month, day) {
        return recordDate.some(date => date.getFullYear() === year && date.getMonth() === month
                                       && date.getDate() === day);
    }

    function step(moved) {
        clearRecord();
        currentDate = moved;
        monthStepped();
    }

    function pick(year, month, day) {
        currentDate = new Date(year, month, day);
        selectedDate(currentDate);
        close();
    }

    // The weekdays and days in the controls' own 15 pixels, with their row's gaps of 6, down
    // to a ratio of 1; below it they shrink with the calendar: at full size the weekday
    // names ran over the calendar's sides and the day rows into one another.
    readonly property real __shrink: Math.min(1, styleManager.scaleRatio)

    width: 360 * styleManager.scaleRatio
    height: 260 * styleManager.scaleRatio
    padding: 0
    background: Item {}

    enter: Transition {
        NumberAnimation { property: "opacity"; from: 0; to: 1 }
    }
    exit: Transition {
        NumberAnimation { property: "opacity"; from: 1; to: 0 }
    }

    contentItem: Item {
        RectangularGlow {
            anchors.centerIn: body
            anchors.horizontalCenterOffset: 4
            anchors.verticalCenterOffset: 4
            width: body.width
            height: body.height
            glowRadius: 4
            spread: 0.2
            color: styleManager.style.color("RecordManage-Calendar-Background")
        }

        Rectangle {
            id: body
            anchors.fill: parent
            radius: 4
            gradient: Gradient {
                GradientStop { position: 0; color: styleManager.style.color("RecordManage-Calendar-Background-Gradient1") }
                GradientStop { position: 1; color: styleManager.style.color("RecordManage-Calendar-Background-Gradient2") }
            }
        }

        Rectangle {
            id: navigation
            objectName: "navigation"
            width: parent.width
            height: 42 * styleManager.scaleRatio
            radius: 5
            color: styleManager.style.color("RecordManage-Calendar-Navigation-Background")

            Rectangle {
                width: parent.width
                height: 38 * styleManager.scaleRatio
                radius: 5
                color: parent.color

                Text {
                    id: navigationLabel
                    objectName: "navigationLabel"
                    anchors.centerIn: parent
                    text: calendar.currentDate.toLocaleDateString(calendar.locale, "yyyy年MMMM")
                    color: styleManager.style.color("RecordManage-Calendar-Navigation-Text")
                    font.family: "微软雅黑"
                    font.pointSize: 11 * styleManager.scaleRatio
                }

                StepButton {
                    objectName: "prevMonth"
                    anchors.right: navigationLabel.left
                    anchors.rightMargin: 10 * styleManager.scaleRatio
                    picture: "MonthLeft"
                    tip: "前一月"
                    onClicked: calendar.step(qmlApi.addDateMonth(calendar.currentDate, -1))
                }

                StepButton {
                    objectName: "prevYear"
                    anchors.right: navigationLabel.left
                    anchors.rightMargin: 40 * styleManager.scaleRatio
                    picture: "YearLeft"
                    tip: "前一年"
                    onClicked: calendar.step(qmlApi.addDateYear(calendar.currentDate, -1))
                }

                StepButton {
                    objectName: "nextMonth"
                    anchors.left: navigationLabel.right
                    anchors.leftMargin: 10 * styleManager.scaleRatio
                    picture: "MonthRight"
                    tip: "后一月"
                    onClicked: calendar.step(qmlApi.addDateMonth(calendar.currentDate, 1))
                }

                StepButton {
                    objectName: "nextYear"
                    anchors.left: navigationLabel.right
                    anchors.leftMargin: 40 * styleManager.scaleRatio
                    picture: "YearRight"
                    tip: "后一年"
                    onClicked: calendar.step(qmlApi.addDateYear(calendar.currentDate, 1))
                }
            }
        }

        Column {
            anchors.top: navigation.bottom
            anchors.topMargin: 5 * styleManager.scaleRatio
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 5 * styleManager.scaleRatio
            width: parent.width

            QQC.DayOfWeekRow {
                id: dayOfWeekRow
                objectName: "dayOfWeekRow"
                width: parent.width
                locale: grid.locale
                spacing: 6 * calendar.__shrink
                topPadding: 6 * calendar.__shrink
                bottomPadding: 6 * calendar.__shrink
                font.family: "微软雅黑"
                font.pixelSize: Math.round(15 * calendar.__shrink)
                font.bold: false
                delegate: Text {
                    required property string shortName
                    objectName: "weekdayName"
                    text: shortName
                    font: dayOfWeekRow.font
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    color: styleManager.style.color("RecordManage-Calendar-Item-Background")
                }
            }

            QQC.MonthGrid {
                id: grid
                objectName: "grid"
                width: parent.width
                height: parent.height - dayOfWeekRow.height
                month: calendar.currentMonth
                year: calendar.currentYear
                spacing: 0
                font.family: "微软雅黑"
                font.pixelSize: Math.round(15 * calendar.__shrink)
                font.bold: false
                delegate: DayCell {}
            }
        }
    }

    // One of the four step buttons beside the month label.
    component StepButton: Widgets.ImageButton {
        id: stepButton

        property string picture
        property string tip

        anchors.verticalCenter: parent.verticalCenter
        width: 20 * styleManager.scaleRatio
        height: 20 * styleManager.scaleRatio
        normalImage: styleManager.style.image("RecordManage-Calendar-" + picture + "-Normal")
        hoveredImage: styleManager.style.image("RecordManage-Calendar-" + picture + "-Hovered")
        pressedImage: styleManager.style.image("RecordManage-Calendar-" + picture + "-Clicked")

        Widgets.ToolTip {
            objectName: stepButton.objectName + "Tip"
            visible: stepButton.hovered
            text: stepButton.tip
        }
    }

    // A day of the grid: only marked days take the pointer, and only those of the
    // shown month take a double-click.
    component DayCell: Item {
        id: dayItem

        required property int year
        required property int month
        required property int day

        readonly property bool isCurrentMonth: month === grid.month
        readonly property bool selected: year === calendar.currentYear && month === calendar.currentMonth
                                         && day === calendar.currentDay
        property bool hovered: false
        property bool hasRecord: false

        function calcRecord() {
            return calendar.hasRecordOn(year, month, day);
        }

        objectName: "day-" + year + "-" + (month + 1) + "-" + day
        enabled: hasRecord

        Connections {
            target: calendar
            function onRecordChanged() {
                dayItem.hasRecord = dayItem.calcRecord();
            }
        }

        MouseArea {
            anchors.fill: parent
            enabled: dayItem.isCurrentMonth
            hoverEnabled: true
            onEntered: dayItem.hovered = true
            onExited: dayItem.hovered = false
            onDoubleClicked: calendar.pick(dayItem.year, dayItem.month, dayItem.day)
        }

        Rectangle {
            readonly property color markColor: styleManager.style.color("RecordManage-Calendar-Item-Background")
            readonly property bool marked: dayItem.isCurrentMonth && dayItem.hasRecord

            anchors.centerIn: parent
            width: 20 * styleManager.scaleRatio
            height: width
            radius: width / 2
            opacity: 0.5
            color: marked && dayItem.selected ? markColor : "transparent"
            border.color: marked && dayItem.hovered ? markColor : "transparent"
        }

        Text {
            objectName: "dayText"
            anchors.centerIn: parent
            visible: dayItem.isCurrentMonth
            text: dayItem.day
            font: grid.font
            color: styleManager.style.color(dayItem.hasRecord ? "RecordManage-Calendar-Item-Text-Valid"
                                                              : "RecordManage-Calendar-Item-Text-InValid")
        }
    }
}
