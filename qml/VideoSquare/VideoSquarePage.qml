import QtQuick
import "../Widgets" as Widgets

// Stand-in for the video square until the page itself is built, with the side panel
// at its right edge.
Item {
    id: videoSquare

    clip: true

    Widgets.StandInTitle {
        text: "视频广场"
    }

    // Above the page: the fold button and the details box lie left of the panel.
    DeviceManageSwipeView {
        id: deviceManageView
        objectName: "deviceManageView"
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.right: parent.right
        z: 1
    }
}
