import QtQuick
import "../HomePage" as HomePage
import "../VideoSquare" as VideoSquare
import "carousel.js" as Carousel

// The real-time view: the camera layouts on the left, the side panel on the right with
// the docked PTZ panel under it. A channel picked in the panel plays in the current cell,
// a group picked for carousel rotates its online channels through the cells, and the PTZ
// panel steers the channel of the current tile.
Item {
    id: root

    readonly property real s: styleManager.scaleRatio
    // Only the answer to the latest group pick starts a carousel.
    property int __groupSerial: 0

    function playGroup(groupInfo) {
        const serial = ++__groupSerial;
        networkManager.getGroupChannelList(groupInfo.ID, function (list) {
            if (serial === root.__groupSerial)
                cameraLayoutView.playCarouselGroupList(Carousel.onlineChannelIds(list));
        });
    }

    clip: true

    CameraLayoutView {
        id: cameraLayoutView
        objectName: "cameraLayoutView"
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.right: deviceManageView.left
    }

    VideoSquare.DeviceManageSwipeView {
        id: deviceManageView
        objectName: "deviceManageView"
        anchors.top: parent.top
        anchors.bottom: ptzControlPanel.top
        anchors.right: parent.right
        couldCarouselGroup: true
        onClickChannel: (channelInfo) => cameraLayoutView.playCurrentCamera(channelInfo)
        onClickCarouselGroup: (groupInfo) => root.playGroup(groupInfo)
    }

    HomePage.PtzControlPanel {
        id: ptzControlPanel
        objectName: "ptzControlPanel"
        anchors.fill: undefined
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        width: deviceManageView.width
        height: cameraLayoutView.showPtzPanel ? 300 * root.s : 0
        visible: height !== 0
        steeringWheelMargin: 60 * root.s
        auto: false
        deviceId: cameraLayoutView.currentCameraDeviceId
        channelId: cameraLayoutView.currentCameraChannelId

        Behavior on height {
            NumberAnimation {}
        }
    }
}
