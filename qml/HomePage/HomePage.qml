import QtQuick
import "../Widgets" as Widgets

// Stand-in for the home dashboard until the page itself is built: it offers what the
// main window and the device tree use of it, and the device list panel at its left.
Item {
    id: homePage

    property bool isCurrent: false
    property color inputColor: styleManager.style.color("Login-InputColor")
    property color textColor: styleManager.style.color("Login-TextColor")

    clip: true

    Widgets.StandInTitle {
        text: "首页"
    }

    // Above its neighbours: the tree's details box opens to its right, over them.
    Rectangle {
        id: deviceListPanel
        objectName: "deviceListPanel"
        x: 20 * styleManager.scaleRatio
        width: 340 * styleManager.scaleRatio
        // A third of the page, as the dashboard's first row will be.
        height: (parent.height - 20 * styleManager.scaleRatio) / 3
        z: 10
        radius: 2
        color: "#70002E3B"

        Row {
            id: panelTitle
            x: 5 * styleManager.scaleRatio
            height: 32 * styleManager.scaleRatio
            spacing: 5 * styleManager.scaleRatio

            Image {
                anchors.verticalCenter: parent.verticalCenter
                width: 32 * styleManager.scaleRatio
                height: width
                mipmap: true
                source: styleManager.style.image("Home-DeviceListIcon")
            }

            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "设备列表"
                color: styleManager.style.color("Login-TextColor")
                font.family: "微软雅黑"
                font.pointSize: 11 * styleManager.fontScaleRatio
            }
        }

        DeviceListView {
            id: deviceListView
            objectName: "deviceListView"
            anchors.top: panelTitle.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 5 * styleManager.scaleRatio

            onClickChannel: info => cameraTile.playChannel(info)
        }
    }

    // One tile where the dashboard's camera wall will be: a channel picked in the tree
    // plays in it.
    CameraRectangle {
        id: cameraTile
        objectName: "cameraTile"
        anchors.left: deviceListPanel.right
        anchors.leftMargin: 20 * styleManager.scaleRatio
        anchors.top: deviceListPanel.top
        width: Math.min(parent.width - x - 20 * styleManager.scaleRatio, 800 * styleManager.scaleRatio)
        height: width * 9 / 16
        isCurrent: true

        PtzControlPanel {
            objectName: "ptzControlPanel"
            visible: cameraTile.videoUrl !== ""
            hovered: cameraTile.hovered
            exitTimer: cameraTile.exitTimer
            deviceId: cameraTile.deviceId
            channelId: cameraTile.channelId
        }
    }
}
