import QtQuick
import QtQuick.Window

// Placeholder root until the login window arrives: shows the style pictures and text.
Window {
    id: root
    width: 960
    height: 600
    visible: true
    color: "#0b1a33"
    title: "ZelkaVSS"

    readonly property var style: styleManager.style
    readonly property real s: styleManager.scaleRatio
    readonly property real f: styleManager.fontScaleRatio

    Image {
        anchors.fill: parent
        fillMode: Image.PreserveAspectCrop
        source: root.style.image("Login-Background")
    }

    Image {
        anchors.centerIn: parent
        width: 320 * root.s
        height: width
        source: root.style.image("Login-Background-Earth")
    }

    Image {
        id: banner
        anchors.horizontalCenter: parent.horizontalCenter
        y: 40 * root.s
        source: root.style.image("Login-Title-Background")

        Text {
            anchors.centerIn: parent
            color: root.style.color("Login-TextColor")
            font.family: "YouSheBiaoTiHei"
            font.pixelSize: 30 * root.f
            text: "ZelkaVSS 视频监控客户端"
        }
    }

    Row {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 40 * root.s
        spacing: 24 * root.s

        Repeater {
            model: [["Home", "首页"], ["VideoSquare", "视频广场"], ["RealtimeRetrieval", "实时调阅"],
                    ["ElectronicMap", "电子地图"], ["RecordManage", "录像管理"], ["AlarmQuery", "告警查询"]]

            Column {
                spacing: 6
                Image {
                    anchors.horizontalCenter: parent.horizontalCenter
                    source: root.style.image("Home-" + modelData[0] + (index === 0 ? "-Pressed" : "-Normal"))
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    color: index === 0 ? root.style.color("Login-InputColor") : root.style.color("Login-TextColor")
                    font.family: "微软雅黑"
                    font.pixelSize: 14 * root.f
                    text: modelData[1]
                }
            }
        }
    }
}
