import QtQuick
import QtQuick.Controls

// The video square: the paged snapshot grid on the left, the side panel on the right.
// A list of channels picked in the panel (a device, a channel with sub-channels, a
// group or favourite device) fills the grid; a single channel changes nothing here.
Item {
    id: videoSquare

    clip: true

    Rectangle {
        objectName: "gridArea"
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: deviceManageView.left
        color: "#20ffffff"

        VideoPageView {
            id: videoPageView
            objectName: "videoPageView"
            anchors.fill: parent
        }
    }

    // After the grid, so that the fold button and the details box, which lie left of
    // the panel, are drawn over the grid.
    DeviceManageSwipeView {
        id: deviceManageView
        objectName: "deviceManageView"
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.right: parent.right

        onClickChannelList: channelList => videoPageView.channelList = channelList
    }
}
