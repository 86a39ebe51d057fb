import QtQuick

// The text of a tree row: one line, vertically centred in the row's 30 high line.
Text {
    anchors.verticalCenter: parent.verticalCenter
    font.family: "微软雅黑"
    font.pointSize: 10 * styleManager.fontScaleRatio
}
