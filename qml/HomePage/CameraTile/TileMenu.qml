import QtQuick
import QtQuick.Controls
import an.video 1.0

// The tile's context menu: the six actions of its bars, their labels naming what the
// next use brings.
Menu {
    id: contextMenu

    // The tile whose actions the entries run.
    property var host: null

    z: 10
    width: 100 * styleManager.scaleRatio

    enter: Transition { NumberAnimation { property: "opacity"; from: 0; to: 1 } }
    exit: Transition { NumberAnimation { property: "opacity"; from: 1; to: 0 } }

    contentItem: ListView {
        implicitHeight: contentHeight
        model: contextMenu.contentModel
        interactive: false
        spacing: 2
        currentIndex: contextMenu.currentIndex
    }

    background: Rectangle {
        implicitWidth: 100 * styleManager.scaleRatio
        gradient: Gradient {
            GradientStop { position: 0; color: "#c039cdc4" }
            GradientStop { position: 1; color: "#c039bacd" }
        }
    }

    component MyMenuItem: MenuItem {
        id: menuItem

        property bool separator: true

        x: 2
        width: contextMenu.availableWidth - 4
        height: 30 * styleManager.scaleRatio

        contentItem: Text {
            text: menuItem.text
            color: textColor
            font.family: "微软雅黑"
            font.pointSize: 11 * styleManager.fontScaleRatio
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }

        background: Rectangle {
            color: "transparent"
            border.width: 1
            border.color: menuItem.hovered ? textColor : "transparent"

            Behavior on border.color { ColorAnimation { duration: 200 } }

            Rectangle {
                visible: menuItem.separator
                anchors.bottom: parent.bottom
                anchors.horizontalCenter: parent.horizontalCenter
                width: parent.width * 0.6
                height: 1
                color: "#60ffffff"
            }
        }
    }

    MyMenuItem {
        objectName: "menuClose"
        text: qsTr("关闭视频")
        onTriggered: contextMenu.host.stopChannel()
    }
    MyMenuItem {
        objectName: "menuTalk"
        text: contextMenu.host && contextMenu.host.isTalking ? qsTr("停止对讲") : qsTr("开始对讲")
        onTriggered: contextMenu.host.__switchTalk()
    }
    MyMenuItem {
        objectName: "menuRecord"
        text: contextMenu.host && contextMenu.host.isRecording ? qsTr("停止录制") : qsTr("录制视频")
        onTriggered: contextMenu.host.__switchRecording()
    }
    MyMenuItem {
        objectName: "menuSnapshot"
        text: "抓取快照"
        onTriggered: contextMenu.host.__takeSnapshot()
    }
    MyMenuItem {
        objectName: "menuFillMode"
        text: contextMenu.host && contextMenu.host.fillMode === VideoItem.PreserveAspectFit ? "完全填充" : "等比填充"
        onTriggered: contextMenu.host.__switchFillMode()
    }
    MyMenuItem {
        objectName: "menuVideoInfo"
        separator: false
        text: contextMenu.host && contextMenu.host.videoInfoChecked ? "关闭视频信息" : "显示视频信息"
        onTriggered: contextMenu.host.videoInfoChecked = !contextMenu.host.videoInfoChecked
    }
}
