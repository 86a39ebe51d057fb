import QtQuick

// The look shared by the popup window and the in-window popup: a glowing body in the
// tool-tip gradient under a title bar with its text and a close button. The bar's drag
// area is off unless the owner gives it a target and enables it.
GlowRectangle {
    id: frame

    property alias title: titleText.text
    property alias titleBar: bar
    property alias titleBarColor: bar.color
    property alias titleBarRadius: bar.radius
    property alias dragArea: mover
    property alias closeButton: closer

    signal closeClicked()

    spread: 0.2
    rect.gradient: Gradient {
        GradientStop { position: 0; color: styleManager.style.color("Widgets-ToolTip-Gradient1") }
        GradientStop { position: 1; color: styleManager.style.color("Widgets-ToolTip-Gradient2") }
    }

    Rectangle {
        id: bar
        objectName: "PopupTitleBar"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        height: 32 * styleManager.scaleRatio
        color: styleManager.style.color("Widgets-Popup-Title-Background")

        Text {
            id: titleText
            objectName: "PopupTitle"
            anchors.left: parent.left
            anchors.leftMargin: 10 * styleManager.scaleRatio
            // A long title (a record's name and time) ends before the close button.
            anchors.right: closer.left
            anchors.verticalCenter: parent.verticalCenter
            elide: Text.ElideRight
            font.family: "微软雅黑"
            font.pointSize: 12 * styleManager.fontScaleRatio
            color: styleManager.style.color("Widgets-Popup-Title")
        }

        MoveArea {
            id: mover
            anchors.fill: parent
            enabled: false
        }

        WindowCloseButton {
            id: closer
            objectName: "PopupCloseButton"
            anchors.top: parent.top
            anchors.right: parent.right
            width: height
            height: parent.height
            onClicked: frame.closeClicked()
        }
    }
}
