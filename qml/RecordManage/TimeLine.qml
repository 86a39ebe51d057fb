import QtQuick
import an.item 1.0
import "../Widgets" as Widgets
import "../Api/api.js" as Api

// One day of a channel's records over a 24-hour ruler: a tick a minute, labels that
// appear as the ruler is zoomed, one row of record bars and the playback cursor. The
// ruler is as wide as the whole day at the current zoom and is panned by moving it
// inside a clipping item. `textColor` comes from the main window.
Item {
    id: root

    property real scaleFactor: 1.0
    // Whole pixels, at least one: a ratio below 1 would otherwise hide every line.
    property int lineWidth: Math.max(1, Math.floor(1 * styleManager.scaleRatio))
    property int currentHour: 0
    property int currentMinute: 0
    property int currentSeconds: 0
    readonly property int totalSeconds: currentHour * 3600 + currentMinute * 60 + currentSeconds

    signal selectedTime(int hour, int minute, int seconds)

    readonly property real __s: styleManager.scaleRatio
    readonly property int __tickCount: 24 * 60 + 1
    // Pixels per minute. At zoom 1 the whole day spans the strip, however narrow: the
    // pitch may be a fraction of a pixel and below the line width, ticks then overlap.
    readonly property real __pitch: Math.max(timeLine.width - lineWidth, 0) / (__tickCount - 1) * scaleFactor
    // Every hour is labelled while the labels have room, else every second, third ...
    // hour, so that they never run into one another on a narrow strip.
    readonly property int __hourLabelStep: {
        const room = hourLabelMetrics.advanceWidth * __labelScale + 6 * __s;
        for (const step of [1, 2, 3, 4, 6, 12]) {
            if (step * 60 * __pitch >= room)
                return step;
        }
        return 24;
    }

    // The labels keep the default size while they fit above the hour ticks; on a smaller
    // ruler they shrink with it, or their tops would be cut off. A pixel is kept spare:
    // a smaller font's glyphs are rounded up to whole pixels.
    readonly property real __labelScale: {
        const room = 20 * __s - 4;
        const needed = hourLabelMetrics.tightBoundingRect.height + hourLabelFontMetrics.descent;
        return needed <= room ? 1 : Math.max(0, room - 1) / needed;
    }

    function addRecordTimeLine(id, name, timeLineList) {
        recordListView.model = [{ "channelID": id, "title": name, "timeLineList": timeLineList }]
    }

    function clearRecordTimeLine() {
        recordListView.model = []
        currentSeconds = 0
        currentMinute = 0
        currentHour = 0
        scaleFactor = 1.0
        moveTimeLine(0)
    }

    function timeToCoord(seconds) {
        return (lineRow.spacing + lineWidth) * seconds / 60
    }

    // The ruler always covers the whole of the visible strip.
    function moveTimeLine(targetX) {
        if (targetX > 0)
            lineRow.x = 0
        else if (targetX < timeLine.width - lineRow.width)
            lineRow.x = timeLine.width - lineRow.width
        else
            lineRow.x = targetX
    }

    // A position in the gesture area as a ratio of the ruler's full width.
    function ratioAt(position) {
        return (position - lineRow.x) / lineRow.width
    }

    function timeOfRatio(r) {
        var hours = r * 24
        var hour = Math.floor(hours)
        var minutes = (hours - hour) * 60
        var minute = Math.floor(minutes)
        var seconds = Math.floor((minutes - minute) * 60)
        return { "hour": hour, "minute": minute, "seconds": seconds }
    }

    function timeText(time) {
        return Api.getFull(time.hour) + ":" + Api.getFull(time.minute) + ":" + Api.getFull(time.seconds)
    }

    function pick(time) {
        currentHour = time.hour
        currentMinute = time.minute
        currentSeconds = time.seconds
        selectedTime(time.hour, time.minute, time.seconds)
    }

    function calcX() {
        return totalSeconds / 86400 * lineRow.width + lineRow.x
    }

    TextMetrics {
        id: hourLabelMetrics
        font.family: "微软雅黑"
        text: "24:00"
    }

    FontMetrics {
        id: hourLabelFontMetrics
        font: hourLabelMetrics.font
    }

    Item {
        id: background
        anchors.fill: parent
        anchors.rightMargin: 25 * root.__s
        clip: true

        Item {
            id: timeLine
            objectName: "timeLine"
            anchors.fill: parent
            anchors.leftMargin: 15 * root.__s
            anchors.rightMargin: 15 * root.__s

            ListView {
                id: lineRow
                objectName: "lineRow"

                // Width when the last zoom step began; the ruler grows about the current
                // time, not about the pointer.
                property real oldWidth: width

                y: 0
                height: 40 * root.__s
                orientation: ListView.Horizontal
                interactive: false
                model: root.__tickCount
                // Negative while the pitch is below the line width.
                spacing: root.__pitch - root.lineWidth
                width: root.__tickCount * root.lineWidth + spacing * (root.__tickCount - 1)
                // Kept after each move, so that a resize after a zoom does not shift the
                // ruler by the zoom once more.
                onWidthChanged: {
                    root.moveTimeLine(x - (width - oldWidth) * root.totalSeconds / 86400)
                    oldWidth = width
                }

                // One tick a minute; each draws only the line and label of its kind.
                delegate: Item {
                    id: tick

                    required property int index
                    readonly property bool hourTick: index % 60 === 0
                    readonly property bool hourLabelled: hourTick && (index / 60) % root.__hourLabelStep === 0
                    readonly property bool sixMinuteTick: !hourTick && index % 6 === 0
                    readonly property bool minuteShown: lineRow.spacing > 10 * root.lineWidth

                    width: root.lineWidth
                    height: 40 * root.__s

                    Rectangle {
                        id: tickLine
                        anchors.bottom: parent.bottom
                        width: root.lineWidth
                        height: (tick.hourTick ? 20 : tick.sixMinuteTick ? 12 : 8) * root.__s
                        color: textColor
                        opacity: tick.hourTick || tick.sixMinuteTick || tick.minuteShown ? 1 : 0

                        Behavior on opacity {
                            NumberAnimation { duration: 350 }
                        }
                    }

                    Text {
                        anchors.horizontalCenter: tickLine.horizontalCenter
                        // 00:00 and 24:00 stay inside the strip's margins, which a wide
                        // font outgrows.
                        anchors.horizontalCenterOffset: {
                            const overhang = Math.max(0, contentWidth / 2 - 15 * root.__s);
                            return tick.index === 0 ? overhang : tick.index === root.__tickCount - 1 ? -overhang : 0;
                        }
                        anchors.bottom: tickLine.top
                        anchors.bottomMargin: tick.hourTick ? 4 : 4 * root.__s
                        width: 20 * root.__s + root.lineWidth
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        font.family: "微软雅黑"
                        font.pointSize: hourLabelMetrics.font.pointSize * root.__labelScale
                        color: textColor
                        text: Api.getFull(Math.floor(tick.index / 60)) + ":" + Api.getFull(tick.index % 60)
                        opacity: tick.hourTick ? (tick.hourLabelled ? 1 : 0)
                                 : tick.sixMinuteTick ? (4 * lineRow.spacing > width ? 1 : 0)
                                 : (tick.minuteShown && lineRow.spacing / 1.8 > width ? 1 : 0)

                        Behavior on opacity {
                            enabled: !tick.hourTick
                            NumberAnimation { duration: 350 }
                        }
                    }
                }
            }

            Rectangle {
                id: baseLine
                objectName: "baseLine"
                x: lineRow.x
                y: lineRow.y + lineRow.height
                width: lineRow.width
                height: root.lineWidth
                color: textColor
            }

            Item {
                id: timeRecord
                x: lineRow.x
                y: lineRow.y + lineRow.height + 10 * root.__s
                width: lineRow.width
                height: timeLine.height - y
                clip: true

                ListView {
                    id: recordListView
                    objectName: "recordListView"
                    anchors.fill: parent
                    anchors.leftMargin: 1
                    anchors.rightMargin: 1
                    spacing: 5 * root.__s
                    model: []
                    // No highlight is drawn; its invisible stand-in would follow each resize of the
                    // current row at 400 px a second, drawing frames for seconds after a page switch.
                    highlightFollowsCurrentItem: false

                    delegate: Rectangle {
                        objectName: "recordRow"
                        width: recordListView.width
                        height: 25 * root.__s
                        color: "transparent"
                        border.color: Qt.darker(textColor)

                        TimeLineItem {
                            objectName: "recordBars"
                            anchors.fill: parent
                            spacing: (lineRow.spacing + root.lineWidth) / 60
                            itemList: modelData.timeLineList
                            itemColor: styleManager.style.color("RecordManage-TimeLine-RecordBlock-Background")
                            clip: true
                        }

                        Text {
                            x: 10 * root.__s
                            anchors.verticalCenter: parent.verticalCenter
                            text: modelData.title
                            color: "yellow"
                            font.pointSize: 10 * styleManager.fontScaleRatio
                            font.family: "微软雅黑"
                        }
                    }
                }
            }

            PinchArea {
                anchors.fill: parent
                onPinchUpdated: (pinch) => fullMouseArea.addScaleFactor(pinch.scale - pinch.previousScale > 0 ? 1.1 : 0.9)

                MouseArea {
                    id: fullMouseArea
                    objectName: "fullMouseArea"

                    property int startX: 0

                    function addScaleFactor(value) {
                        lineRow.oldWidth = lineRow.width
                        var result = root.scaleFactor * value
                        root.scaleFactor = result < 1.0 ? 1.0 : result
                    }

                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton

                    onWheel: (wheel) => addScaleFactor(wheel.angleDelta.y > 0 ? 1.1 : 0.9)
                    onPressed: (mouse) => {
                        startX = mouse.x
                        cursorShape = Qt.ClosedHandCursor
                    }
                    onPositionChanged: (mouse) => {
                        if (!pressed)
                            return
                        root.moveTimeLine(lineRow.x + mouse.x - startX)
                        startX = mouse.x
                    }
                    onReleased: cursorShape = Qt.ArrowCursor
                    onDoubleClicked: (mouse) => root.pick(root.timeOfRatio(root.ratioAt(Math.max(mouse.x, 0))))

                    Item {
                        id: controlSlider
                        objectName: "controlSlider"

                        function sliderRatio() {
                            return Math.min(Math.max(root.ratioAt(x), 0), 1)
                        }

                        x: root.calcX()
                        width: 5 * root.__s
                        height: fullMouseArea.height - 10 * root.__s
                        anchors.bottom: parent.bottom

                        Rectangle {
                            id: sliderLine
                            width: 1 * root.__s
                            height: parent.height
                            color: styleManager.style.color("RecordManage-TimeLine-ControlSlider-Background")
                        }

                        Image {
                            id: sliderIcon
                            anchors.horizontalCenter: sliderLine.horizontalCenter
                            anchors.top: parent.top
                            source: styleManager.style.image("RecordManage-ProgressSlider-Normal")
                        }

                        Widgets.ToolTip {
                            id: timeTip
                            objectName: "timeTip"
                            x: controlSliderMouseArea.mouseX + 10 * root.__s
                            y: controlSliderMouseArea.mouseY - 10 * root.__s
                        }

                        MouseArea {
                            id: controlSliderMouseArea
                            objectName: "controlSliderMouseArea"
                            x: -5 * root.__s
                            width: 10 * root.__s
                            height: parent.height
                            hoverEnabled: true

                            onEntered: {
                                cursorShape = Qt.PointingHandCursor
                                if (!pressed)
                                    sliderIcon.source = styleManager.style.image("RecordManage-ProgressSlider-Hovered")
                            }
                            onExited: {
                                cursorShape = Qt.ArrowCursor
                                if (!pressed)
                                    sliderIcon.source = styleManager.style.image("RecordManage-ProgressSlider-Normal")
                            }
                            onPressed: {
                                sliderIcon.source = styleManager.style.image("RecordManage-ProgressSlider-Pressed")
                                timeTip.text = root.timeText({ "hour": root.currentHour, "minute": root.currentMinute,
                                                               "seconds": root.currentSeconds })
                                timeTip.visible = true
                            }
                            // The time changes only on release.
                            onPositionChanged: (mouse) => {
                                if (!pressed)
                                    return
                                var target = controlSlider.x + mouse.x - 5 * root.__s
                                controlSlider.x = Math.min(Math.max(target, 0), fullMouseArea.width)
                                timeTip.text = root.timeText(root.timeOfRatio(controlSlider.sliderRatio()))
                            }
                            // A grab taken away ends the drag without a pick.
                            onCanceled: {
                                sliderIcon.source = styleManager.style.image("RecordManage-ProgressSlider-Normal")
                                controlSlider.x = Qt.binding(root.calcX)
                                timeTip.visible = false
                            }
                            onReleased: {
                                sliderIcon.source = styleManager.style.image("RecordManage-ProgressSlider-Normal")
                                root.pick(root.timeOfRatio(controlSlider.sliderRatio()))
                                controlSlider.x = Qt.binding(root.calcX)
                                timeTip.visible = false
                            }
                        }
                    }
                }
            }
        }
    }
}
