import QtQuick
import "../HomePage/DeviceTree" as DeviceTree

// The side panel's device tree. It has no details box of its own: it drives the panel's
// deviceToolTip, deviceToolTipLink and animationLeft, found by name, so the box always
// stands left of the panel.
DeviceTree.DeviceTreeView {
    toolTipBox: typeof deviceToolTip !== "undefined" ? deviceToolTip : null
    toolTipLink: typeof deviceToolTipLink !== "undefined" ? deviceToolTipLink : null
    toolTipAnimation: typeof animationLeft !== "undefined" ? animationLeft : null
}
