import QtQuick

// The two-line clock of the title strip: time above date, both empty until the
// application clock's first tick.
Column {
    id: dateTimePage

    Text {
        id: timeText
        objectName: "timeText"
        width: parent.width
        topPadding: 2 * styleManager.scaleRatio
        horizontalAlignment: Text.AlignRight
        verticalAlignment: Text.AlignVCenter
        color: styleManager.style.color("Login-TextColor")
        font.family: "微软雅黑"
        font.pointSize: 14 * styleManager.fontScaleRatio
        font.letterSpacing: 2
    }

    Text {
        id: dateText
        objectName: "dateText"
        width: parent.width
        bottomPadding: 5 * styleManager.scaleRatio
        horizontalAlignment: Text.AlignRight
        verticalAlignment: Text.AlignTop
        color: styleManager.style.color("Login-TextColor")
        font.family: "微软雅黑"
        // The pixel ratio on purpose: the small date line follows the layout, not the text scale.
        font.pointSize: 8 * styleManager.scaleRatio
        font.letterSpacing: 2
    }

    Connections {
        target: qmlApi

        function onCurrentDateTimeChanged() {
            timeText.text = qmlApi.getCurrentDateTime("hh:mm:ss");
            dateText.text = qmlApi.getCurrentDateTime("yyyy年MM月dd日 ddd");
        }
    }
}
