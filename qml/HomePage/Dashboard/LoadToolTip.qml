import QtQuick
import "../../Api/api.js" as Api

// The load charts' read-out: the picked time and the two values, which each chart names
// and words itself (`valueLines`, and a `setValues(first, second)` that the chart calls).
Rectangle {
    id: toolTip
    objectName: "loadToolTip"

    property date time: new Date()
    readonly property string timeText: Api.getFull(time.getHours()) + ":" + Api.getFull(time.getMinutes())
                                       + ":" + Api.getFull(time.getSeconds())
    // Lines 2 and 3.
    property var valueLines: ["", ""]
    readonly property alias text: toolTipText.text
    readonly property alias textItem: toolTipText

    width: toolTipText.implicitWidth + 10 * styleManager.scaleRatio
    height: toolTipText.implicitHeight + 10 * styleManager.scaleRatio
    color: "#80aaaaaa"
    radius: 2
    clip: true
    opacity: 0

    Behavior on opacity {
        NumberAnimation {}
    }

    Text {
        id: toolTipText

        // A bandwidth in Mbps as the read-out writes it.
        function transFlow(mb) {
            return Number(mb).toFixed(2);
        }

        anchors.centerIn: parent
        font.family: "微软雅黑"
        font.pointSize: 10 * styleManager.fontScaleRatio
        color: "#fff000"
        text: "⭐ 时间: " + toolTip.timeText + "\n⭐ " + toolTip.valueLines[0] + "\n⭐ " + toolTip.valueLines[1]
    }
}
