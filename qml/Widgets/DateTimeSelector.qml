import QtQuick
import QtQuick.Controls
import "../Api/api.js" as Api

// Year, month, day, hour and minute on five spinning columns. The picked value is the
// Date in `currentTime`, changed in place as the user turns a column (no change signal:
// read it when the value is needed); a new Date assigned to it turns the columns.
Item {
    id: root

    property var currentTime: new Date()
    property color selectedColor: "red"
    property color defaultColor: "black"
    property color tumblerBorderColor: "gray"
    property color tumblerBackColor: "transparent"

    // The year column lists these years, newest first; it widens to take any year it is
    // shown, so that it never offers (and writes) a year other than the one it was given.
    property int __newestYear: 2022
    property int __oldestYear: 2018
    // Set while the columns are being turned to `currentTime`: their change handlers must
    // not write the intermediate entries back into it.
    property bool __showing: false

    function formatText(modelData) {
        const text = String(modelData);
        return text.length < 2 ? "0" + text : modelData;
    }

    function __showDays() {
        dateTumbler.model = Api.getMonthDayTotal(currentTime.getFullYear(), currentTime.getMonth());
        dateTumbler.currentIndex = currentTime.getDate() - 1;
    }

    function __showTime() {
        if (!(currentTime instanceof Date) || isNaN(currentTime.getTime()))
            return;
        __showing = true;
        const year = currentTime.getFullYear();
        __newestYear = Math.max(__newestYear, year);
        __oldestYear = Math.min(__oldestYear, year);
        yearTumbler.currentIndex = __newestYear - year;
        monthTumbler.currentIndex = currentTime.getMonth();
        __showDays();
        hoursTumbler.currentIndex = currentTime.getHours();
        minutesTumbler.currentIndex = currentTime.getMinutes();
        __showing = false;
    }

    // Moves `currentTime` to another year or month. The day is first held within the
    // target month, or the Date would carry it into the next month, a day the columns do
    // not show; the day column then follows.
    function __chooseMonth(year, month) {
        const day = Math.min(currentTime.getDate(), Api.getMonthDayTotal(year, month));
        currentTime.setFullYear(year, month, day);
        __showing = true;
        __showDays();
        __showing = false;
    }

    onCurrentTimeChanged: __showTime()
    Component.onCompleted: __showTime()

    // An entry of a column: fades and shrinks with its distance from the middle, and takes
    // the selected colour only when it sits exactly there.
    component Entry: Text {
        property real opacityDivisor: 1
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        opacity: 1.0 - Math.abs(Tumbler.displacement) / opacityDivisor
        font.pointSize: Math.min(14 * opacity + 4, 14)
        color: Tumbler.displacement === 0 ? root.selectedColor : root.defaultColor
    }

    component Frame: Rectangle {
        height: parent.height
        anchors.verticalCenter: parent.verticalCenter
        color: root.tumblerBackColor
        border.color: root.tumblerBorderColor
        radius: 5
    }

    component Wheel: Tumbler {
        anchors.fill: parent
        visibleItemCount: 3
    }

    component Separator: Text {
        anchors.verticalCenter: parent.verticalCenter
        verticalAlignment: Text.AlignVCenter
        font.pointSize: 14 * styleManager.fontScaleRatio
    }

    // Shared by the hour and minute columns, which show the same number of entries.
    Component {
        id: delegateComponent
        Entry {
            opacityDivisor: hoursTumbler.visibleItemCount / 2
            text: root.formatText(modelData)
        }
    }

    Row {
        anchors.centerIn: parent
        height: 100
        spacing: 5

        Frame {
            width: 55
            Wheel {
                id: yearTumbler
                objectName: "yearTumbler"
                model: root.__newestYear - root.__oldestYear + 1
                delegate: Entry {
                    opacityDivisor: yearTumbler.visibleItemCount / 1.8
                    text: root.__newestYear - index
                }
                onCurrentIndexChanged: {
                    if (!root.__showing && currentIndex >= 0)
                        root.__chooseMonth(root.__newestYear - currentIndex, root.currentTime.getMonth());
                }
            }
        }
        Separator { text: "年" }
        Frame {
            width: 40
            Wheel {
                id: monthTumbler
                objectName: "monthTumbler"
                model: 12
                delegate: Entry {
                    opacityDivisor: monthTumbler.visibleItemCount / 1.8
                    text: index + 1
                }
                onCurrentIndexChanged: {
                    if (!root.__showing && currentIndex >= 0)
                        root.__chooseMonth(root.currentTime.getFullYear(), currentIndex);
                }
            }
        }
        Separator { text: "月" }
        Frame {
            width: 40
            Wheel {
                id: dateTumbler
                objectName: "dateTumbler"
                model: 30
                delegate: Entry {
                    opacityDivisor: dateTumbler.visibleItemCount / 2
                    text: index + 1
                }
                onCurrentIndexChanged: {
                    if (!root.__showing && currentIndex >= 0)
                        root.currentTime.setDate(currentIndex + 1);
                }
            }
        }
        Separator { text: "日" }
        Frame {
            width: 40
            Wheel {
                id: hoursTumbler
                objectName: "hoursTumbler"
                model: 24
                delegate: delegateComponent
                onCurrentIndexChanged: {
                    if (!root.__showing && currentIndex >= 0)
                        root.currentTime.setHours(currentIndex);
                }
            }
        }
        Separator {
            text: ":"
            font.bold: true
        }
        Frame {
            width: 40
            Wheel {
                id: minutesTumbler
                objectName: "minutesTumbler"
                model: 60
                delegate: delegateComponent
                onCurrentIndexChanged: {
                    if (!root.__showing && currentIndex >= 0)
                        root.currentTime.setMinutes(currentIndex);
                }
            }
        }
    }
}
