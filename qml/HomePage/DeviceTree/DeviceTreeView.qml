import QtQuick
import QtQuick.Controls as QQC
import an.device 1.0
import "../../Widgets" as Widgets

// The device tree that the home page and the side panel share: devices of the API
// client's list, their channels and the sub-channels of a channel. Every list keeps its
// own current row. While the pointer rests on a row, the tree fills and places a details
// box and restarts the drawing of its link; whose box, link and drawing these are, the
// tree that derives from this one says.
Rectangle {
    id: deviceTree

    property color textColor: styleManager.style.color("Login-TextColor")
    property bool parentHovered: false
    property bool childHovered: false
    property bool clickParent: false
    // The details box (y, text, show), its link (visible, offsetY) and the animation that
    // draws the link; missing parts are left alone.
    property Item toolTipBox: null
    property Item toolTipLink: null
    property var toolTipAnimation: null

    signal clickDevice(DeviceInfo info)
    signal clickChannel(ChannelInfo info)

    function show() {
        widthAnimation.to = 250 * styleManager.scaleRatio;
        widthAnimation.restart();
    }

    function hide() {
        widthAnimation.to = 0;
        widthAnimation.restart();
    }

    function deviceClicked(row) {
        listView.currentIndex = row.index;
        clickDevice(row.theData);
    }

    // The row's own list and the owning device's row become current. A sub-channel's
    // device is the device of its channel: its list's own owner is a channel.
    function channelClicked(row) {
        const view = row.view;
        view.currentIndex = row.index;
        listView.currentIndex = view.deviceIndex;
        if (clickParent)
            clickDevice(view.device);
        clickChannel(row.theData);
    }

    // The first hovered or pressed row of `view` gets the box and a new link; none
    // clears this level's flag, and the box stays only while the other level has one.
    function showToolTip(view, deviceLevel) {
        const s = styleManager.scaleRatio;
        for (let i = 0; i < view.count; ++i) {
            const target = view.itemAtIndex(i);
            if (!target || !(target.hovered || target.pressed))
                continue;
            if (deviceLevel)
                parentHovered = true;
            else
                childHovered = true;
            // The device list's top margin counts twice here; the offsets allow for it.
            const point = view.mapToItem(deviceTree, target.x, view.y + target.y);
            if (toolTipLink) {
                toolTipLink.visible = true;
                toolTipLink.offsetY = ((deviceLevel ? 5 : 15) + 60) * s;
            }
            if (toolTipAnimation)
                toolTipAnimation.restart();
            if (toolTipBox) {
                // Only the device list scrolls; rows inside a row move with it.
                toolTipBox.y = point.y - 60 * s - (deviceLevel ? view.contentY : 0);
                toolTipBox.text = target.toolTipText;
            }
            return;
        }
        if (deviceLevel)
            parentHovered = false;
        else
            childHovered = false;
        if (toolTipLink)
            toolTipLink.visible = parentHovered || childHovered;
        if (toolTipBox)
            toolTipBox.show = parentHovered || childHovered;
    }

    height: 400 * styleManager.scaleRatio
    gradient: Gradient {
        GradientStop { position: 0; color: styleManager.style.color("Widgets-ToolTip-Gradient1") }
        GradientStop { position: 1; color: styleManager.style.color("Widgets-ToolTip-Gradient2") }
    }

    NumberAnimation {
        id: widthAnimation
        target: deviceTree
        property: "width"
        duration: 400
        easing.type: Easing.InOutBack
        easing.overshoot: 1.0
    }

    // Wheel turns over the tree never reach what lies beneath it, also when the list
    // cannot scroll further or is empty.
    MouseArea {
        anchors.fill: parent
        onWheel: wheel => wheel.accepted = true
    }

    Item {
        anchors.fill: parent
        anchors.leftMargin: 2 * styleManager.scaleRatio
        anchors.rightMargin: 2 * styleManager.scaleRatio
        anchors.bottomMargin: 4 * styleManager.scaleRatio
        clip: true

        ListView {
            id: listView
            objectName: "listView"

            readonly property Item tree: deviceTree
            // Sub-channel lists make their rows from this: a row cannot hold its own type.
            readonly property Component channelRow: Component {
                ChannelRow {}
            }

            anchors.fill: parent
            anchors.topMargin: 10 * styleManager.scaleRatio
            model: deviceManager.deviceList
            delegate: DeviceRow {}
            // Rows made while the list had no height (a panel not laid out yet) stay
            // hidden from the pointer until the list lays them out again.
            onHeightChanged: forceLayout()

            QQC.ScrollBar.vertical: Widgets.ScrollBar {
                width: 12
            }

            RowKeeper {
                list: listView
            }
        }
    }
}
