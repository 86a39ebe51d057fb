import QtQuick
import QtQuick.Controls as QQC
import "../HomePage" as HomePage
import "../HomePage/DeviceTree" as DeviceTree
import "../Widgets" as Widgets

// The side panel at a page's right edge: the device, group and favourite trees under a
// tab bar, in a swipe view that the tabs follow. The panel loads the group and favourite
// trees at every click on their tab and turns what the three trees report into one
// channel, a list of channels or a group to play in carousel. The details box and its
// link, which all three trees drive by name, stand left of the panel, over the page.
Item {
    id: deviceManageView

    property bool expanded: true
    property bool clickParent: false
    property alias couldCarouselGroup: groupListView.couldCarouselGroup
    // The trees restart the link's drawing by this name.
    property alias animationLeft: deviceToolTipLink.animationLeft

    signal clickChannelList(var channelList)
    signal clickChannel(var channelInfo)
    signal clickCarouselGroup(var groupInfo)
    signal clickDeviceListButton()
    signal clickDeviceGroupButton()
    signal clickDeviceFavoriteButton()

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

    // Of overlapping loads the newest request's answer fills the tree, whichever comes last.
    function loadGroups() {
        networkManager.getGroupList(groupsGate.latest(list => groupListView.model = list));
    }

    function loadFavourites() {
        networkManager.getFavoriteList(favouritesGate.latest(list => favoriteListView.model = list));
    }

    // Only the newest device click's channels reach the page.
    function loadGroupDeviceChannels(labelId, deviceId) {
        networkManager.getGroupDeviceChannel(labelId, deviceId,
                                             groupChannelsGate.latest(list => clickkNormalizeChannelList(list)));
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

    DeviceTree.ReplyGate {
        id: groupsGate
    }

    DeviceTree.ReplyGate {
        id: favouritesGate
    }

    DeviceTree.ReplyGate {
        id: groupChannelsGate
    }

    // The tabs and the swipe view follow each other; only a click on a tab reports it
    // and loads its tree, also when it is the current tab already.
    QQC.TabBar {
        id: tabBar
        objectName: "tabBar"
        width: parent.width
        height: 36 * styleManager.scaleRatio
        clip: true
        currentIndex: swipeView.currentIndex
        background: Rectangle {
            gradient: Gradient {
                GradientStop { position: 0; color: styleManager.style.color("Widgets-ToolTip-Gradient1") }
                GradientStop { position: 1; color: styleManager.style.color("Widgets-ToolTip-Gradient2") }
            }
        }

        MyTabButton {
            objectName: "deviceTab"
            text: qsTr("设备列表")
            separatorColor: "#80ffffff"
            onClicked: deviceManageView.clickDeviceListButton()
        }

        MyTabButton {
            objectName: "groupTab"
            text: qsTr("设备分组")
            separatorColor: "#60ffffff"
            onClicked: {
                deviceManageView.clickDeviceGroupButton();
                deviceManageView.loadGroups();
            }
        }

        MyTabButton {
            objectName: "favoriteTab"
            text: qsTr("收藏")
            onClicked: {
                deviceManageView.clickDeviceFavoriteButton();
                deviceManageView.loadFavourites();
            }
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
            currentIndex: tabBar.currentIndex

            DeviceListView {
                id: deviceListView
                objectName: "deviceListView"
                clickParent: deviceManageView.clickParent
                // A row may still report a record that a new device list has released.
                onClickDevice: info => {
                    if (info)
                        deviceManageView.clickChannelList(info.channelList);
                }
                onClickChannel: info => {
                    if (!info)
                        return;
                    if (info.hasSubChannels)
                        deviceManageView.clickChannelList(info.subChannelList);
                    else
                        deviceManageView.clickChannel(info);
                }
            }

            GroupListView {
                id: groupListView
                objectName: "groupListView"
                clickParent: deviceManageView.clickParent
                onClickGroupDevice: (labelId, deviceId) => deviceManageView.loadGroupDeviceChannels(labelId, deviceId)
                onClickGroupChannel: info => deviceManageView.clickNormalizeChannelInfo(info)
                onClickCarouselGroup: groupInfo => deviceManageView.clickCarouselGroup(groupInfo)
            }

            FavoriteListView {
                id: favoriteListView
                objectName: "favoriteListView"
                clickParent: deviceManageView.clickParent
                onClickFavoriteDevice: channelList => deviceManageView.clickkNormalizeChannelList(channelList)
                onClickFavoriteChannel: info => deviceManageView.clickNormalizeChannelInfo(info)
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

    // A tab of equal width: the checked or hovered one lit, a thin separator at its right.
    component MyTabButton: QQC.TabButton {
        id: control

        property color separatorColor: "transparent"

        implicitHeight: 36 * styleManager.scaleRatio
        background: Rectangle {
            color: control.checked || control.hovered ? "#d0009ca2" : "#10ffffff"

            Rectangle {
                objectName: "separator"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                width: 1
                height: parent.height * 0.6
                visible: control.separatorColor.a > 0
                color: control.separatorColor
            }
        }
        contentItem: Text {
            text: control.text
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            color: styleManager.style.color("Login-TextColor")
            font.family: "微软雅黑"
            font.pointSize: 11 * styleManager.fontScaleRatio
        }
    }
}
