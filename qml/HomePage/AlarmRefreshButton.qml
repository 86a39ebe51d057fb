import QtQuick
import "../Widgets" as Widgets

// The refresh button in the title bar of the latest alarms; its tool tip says when a
// refresh is still under way.
Widgets.ImageButton {
    id: refreshAlarmButton

    property bool querying: false

    anchors.right: parent ? parent.right : undefined
    anchors.rightMargin: 5 * styleManager.scaleRatio
    anchors.verticalCenter: parent ? parent.verticalCenter : undefined
    height: 28 * styleManager.scaleRatio
    width: height
    normalImage: styleManager.style.image("Home-DeviceListView-Refresh-Normal")
    hoveredImage: styleManager.style.image("Home-DeviceListView-Refresh-Hovered")
    pressedImage: styleManager.style.image("Home-DeviceListView-Refresh-Pressed")

    Widgets.ToolTip {
        id: refreshTooltip
        objectName: "refreshTooltip"
        visible: refreshAlarmButton.hovered || refreshAlarmButton.pressed
        text: refreshAlarmButton.querying ? "正在查询中!" : "刷新"
    }
}
