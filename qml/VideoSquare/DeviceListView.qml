import QtQuick
import "../HomePage/DeviceTree" as DeviceTree

// The side panel's device tree. It has no details box of its own: like the panel's other
// trees it drives the panel's deviceToolTip, deviceToolTipLink and animationLeft, found
// by name, so the box always stands left of the panel.
DeviceTree.DeviceTreeView {
}
