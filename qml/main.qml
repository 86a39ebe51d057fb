import QtQuick
import QtQuick.Window

Window {
    id: root
    width: 960
    height: 600
    visible: true
    color: "#0b1a33"
    title: "ZelkaVSS"

    Text {
        anchors.centerIn: parent
        color: "#d6e4ff"
        font.pixelSize: 28
        text: "ZelkaVSS 客户端"
    }
}
