import QtQuick

// The line of a channel in any tree: its name, whether it is in use, and optionally the
// favourite star, which takes its own clicks. The trees hand in the channel under the
// names of a ChannelInfo (name, online, enable, protocol, rtspUrl, recordUrl, iP, port),
// whatever the keys of their records.
TreeRow {
    id: row

    property var channel: null
    readonly property bool online: !!channel?.online
    // The details box text; made only when the row is hovered.
    function toolTipText() {
        return ["name: " + channel?.name, "online: " + (channel?.online === 0 ? "离线" : "在线"),
                "protocol: " + channel?.protocol, "rtspUrl: " + channel?.rtspUrl, "recordUrl: " + channel?.recordUrl,
                "iP: " + channel?.iP, "port: " + channel?.port].join("\n");
    }
    readonly property color lineColor: online ? tree.textColor : styleManager.style.color("Home-DeviceListView-Item-Offline")
    property bool hasStar: true
    property bool favourite: false
    // From the line's right edge.
    property real starMargin: 8 * styleManager.scaleRatio
    // The page's or window's colour; a tree placed elsewhere takes the style's.
    readonly property color favouriteColor: typeof inputColor === "undefined" ? styleManager.style.color("Login-InputColor")
                                                                             : inputColor

    signal starClicked()

    texts: [
        TreeText {
            objectName: "nameText"
            anchors.left: parent.left
            anchors.right: parent.right
            elide: Text.ElideRight
            text: row.channel?.name ?? ""
            color: row.lineColor
        },

        TreeText {
            objectName: "stateText"
            anchors.right: row.hasStar ? star.left : parent.right
            anchors.rightMargin: 5 * styleManager.scaleRatio
            text: row.channel?.enable === 0 ? "未用" : "启用"
            color: row.lineColor
        },

        // Takes its own clicks: the row is neither selected nor reported.
        Text {
            id: star
            objectName: "star"
            anchors.right: parent.right
            anchors.rightMargin: row.starMargin
            anchors.verticalCenter: parent.verticalCenter
            visible: row.hasStar
            text: "★"
            style: Text.Outline
            color: row.favourite ? row.favouriteColor : styleManager.style.color("Home-DeviceListView-Item-Offline")
            styleColor: row.favourite ? row.tree.textColor : styleManager.style.color("Home-DeviceListView-Item-Offline")
            font.family: "微软雅黑"
            font.pointSize: 12 * styleManager.fontScaleRatio

            MouseArea {
                anchors.fill: parent
                enabled: row.hasStar
                cursorShape: Qt.PointingHandCursor
                onClicked: row.starClicked()
            }
        }
    ]
}
