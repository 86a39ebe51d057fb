import QtQuick
import "./DeviceTree" as DeviceTree

// The home page's device tree, with its own details box and link beside it: right of
// the tree, or left of it for any other toolTipAlign.
DeviceTree.DeviceTreeView {
    id: root

    property int toolTipAlign: Qt.AlignRight

    toolTipBox: deviceToolTip
    toolTipLink: deviceToolTipLink
    toolTipAnimation: toolTipAlign === Qt.AlignRight ? deviceToolTipLink.animationRight : deviceToolTipLink.animationLeft

    // 60 from the tree's edge, unscaled.
    DeviceToolTip {
        id: deviceToolTip
        objectName: "deviceToolTip"
        x: root.toolTipAlign === Qt.AlignRight ? root.width + 60 : -width - 60
    }

    // From 10 inside the tree's edge to 10 inside the box's edge, as high as the box.
    DeviceToolTipLink {
        id: deviceToolTipLink
        objectName: "deviceToolTipLink"
        x: mirrored ? deviceToolTip.x + deviceToolTip.width - 10 : root.width - 10
        y: deviceToolTip.y
        width: 80
        height: deviceToolTip.height
        mirrored: root.toolTipAlign !== Qt.AlignRight
        toolTip: deviceToolTip
    }
}
