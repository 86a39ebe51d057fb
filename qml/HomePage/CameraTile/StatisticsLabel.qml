import QtQuick

// The tile's statistics label: the decode and delay figures of the playing stream over
// the tile's title. The plate fades by a number animation, the texts by an animator.
Item {
    id: label

    // The tile's playback item.
    property var provider: null
    property string title: ""
    property bool shown: false

    // The figures change every second or two on every tile. A label nobody sees keeps
    // its last figures: a change there would still cost the window a whole frame, with
    // 143 tiles hidden behind one that is 70 frames a second.
    readonly property bool live: provider !== null && (shown || column.visible)
    // [decode rate, frame rate, delay] while live, then the last of them.
    property var figures: null

    readonly property string statisticsText: figures ? label.statistics(figures[0], figures[1], figures[2]) : ""
    readonly property color statisticsColor: figures ? label.statisticsColour(figures[0], figures[1], figures[2]) : "red"

    Binding {
        target: label
        property: "figures"
        when: label.live
        value: [label.provider.decodeFrameRate, label.provider.frameRate, label.provider.networkDelay]
        restoreMode: Binding.RestoreNone
    }

    function statistics(decodeRate, frameRate, delay) {
        return "[帧率: " + decodeRate + " / " + frameRate + " 延时: " + (delay >= 3000 ? ">" : "") + delay + "ms]";
    }

    // Decoding that falls behind outweighs any delay.
    function statisticsColour(decodeRate, frameRate, delay) {
        if (decodeRate < frameRate * 0.6)
            return "red";
        if (delay >= 0 && delay < 100)
            return "#00ff00";
        if (delay >= 100 && delay < 1000)
            return "yellow";
        return "red";
    }

    width: plate.width
    height: plate.height

    Rectangle {
        id: plate
        objectName: "statisticsPlate"
        width: column.width + 24 * styleManager.scaleRatio
        height: column.height + 10 * styleManager.scaleRatio
        radius: 4
        color: "#a0888888"
        opacity: label.shown ? 0.5 : 0
        visible: opacity !== 0

        Behavior on opacity { NumberAnimation { duration: 250 } }
    }

    Column {
        id: column
        objectName: "statisticsColumn"
        anchors.centerIn: plate
        opacity: label.shown ? 1 : 0
        visible: opacity !== 0

        Behavior on opacity { NumberAnimation { duration: 250 } }

        Text {
            objectName: "statisticsText"
            text: label.statisticsText
            color: label.statisticsColor
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
        }

        Text {
            objectName: "statisticsTitle"
            text: label.title
            color: textColor
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
        }
    }
}
