import QtQuick
import QtQuick.Controls as QQC
import "../HomePage" as HomePage
import "../Widgets" as Widgets

// The side panel at a page's right edge, so far with its device tree only: the tree is
// the first page of the swipe view under the strip where the tabs go, and the panel
// turns what the tree reports into one channel or a list of channels. The details box
// and its link stand left of the panel, over the page.
Item {
    id: deviceManageView

    property bool expanded: true
    property bool clickParent: false
    // The trees restart the link's drawing by this name.
    property alias animationLeft: deviceToolTipLink.animationLeft

    signal clickChannelList(var channelList)
    signal clickChannel(var channelInfo)

    // Channel objects of the server's replies carry its keys; the pages read the
    // lower-camel names of a ChannelInfo. The keys are copied onto the same object.
    function normalize(info) {
        info.snapUrl = info.SnapUrl;
        info.rtspUrl = info.RtspUrl;
        info.name = info.Name;
        info.online = info.Online;
        info.enable = info.Enable;
        info.favoritesChannel = info.FavoritesChannel;
        info.parentDeviceID = info.ParentDeviceID;
        info.channelID = info.ChannelID;
        info.gpsLatitude = info.GpsLatitude;
        info.gpsLongitude = info.GpsLongitude;
    }

    function clickNormalizeChannelInfo(info) {
        normalize(info);
        clickChannel(info);
    }

    function clickkNormalizeChannelList(list) {
        for (let i = 0; list && i < list.length; ++i)
            normalize(list[i]);
        clickChannelList(list);
    }

    width: (expanded ? 320 : 0) * styleManager.scaleRatio

    Behavior on width {
        NumberAnimation {
            duration: 400
            easing.type: Easing.InOutBack
            easing.overshoot: 1.0
        }
    }

    // Outside the panel, at its left edge; it stays there while the panel is folded.
    Widgets.ColorButton {
        objectName: "foldButton"
        anchors.right: parent.left
        anchors.verticalCenter: parent.verticalCenter
        width: 16 * styleManager.scaleRatio
        height: 40 * styleManager.scaleRatio
        text: "  "
        normalColor: "#10eeeeee"
        radius: 2
        onClicked: deviceManageView.expanded = !deviceManageView.expanded

        Image {
            objectName: "foldPicture"
            anchors.fill: parent
            source: styleManager.style.image(deviceManageView.expanded ? "VideoSquare-ListView-UnFold"
                                                                       : "VideoSquare-ListView-Fold")
        }
    }

    // Where the tabs of the device, group and favourite trees go.
    Rectangle {
        id: tabBar
        objectName: "tabBar"
        width: parent.width
        height: 36 * styleManager.scaleRatio
        clip: true
        gradient: Gradient {
            GradientStop { position: 0; color: styleManager.style.color("Widgets-ToolTip-Gradient1") }
            GradientStop { position: 1; color: styleManager.style.color("Widgets-ToolTip-Gradient2") }
        }
    }

    // The trees' coordinates are this area's: the box takes the y they compute.
    Item {
        id: listArea
        objectName: "listArea"
        anchors.top: tabBar.bottom
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: parent.right

        QQC.SwipeView {
            id: swipeView
            objectName: "swipeView"
            anchors.fill: parent
            clip: true

            DeviceListView {
                id: deviceListView
                objectName: "deviceListView"
                clickParent: deviceManageView.clickParent
                onClickDevice: info => deviceManageView.clickChannelList(info.channelList)
                onClickChannel: info => {
                    if (info.hasSubChannels)
                        deviceManageView.clickChannelList(info.subChannelList);
                    else
                        deviceManageView.clickChannel(info);
                }
            }
        }

        // From 10 inside the box's right edge to 10 inside the panel, as high as the box.
        HomePage.DeviceToolTipLink {
            id: deviceToolTipLink
            objectName: "deviceToolTipLink"
            x: deviceToolTip.x + deviceToolTip.width - 10
            y: deviceToolTip.y
            width: 10 - x
            height: deviceToolTip.height
            mirrored: true
            toolTip: deviceToolTip
        }

        // Its right edge 60 left of the panel, unscaled.
        HomePage.DeviceToolTip {
            id: deviceToolTip
            objectName: "deviceToolTip"
            x: -width - 60
        }
    }
}
