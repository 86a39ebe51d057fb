import QtQuick

// An image check mark with a caption; a click anywhere on it toggles it.
Item {
    id: root
    objectName: "CheckBox"

    property bool checked: false
    property alias text: caption.text
    property alias textHorAlign: caption.horizontalAlignment
    property alias textColor: caption.color
    property alias font: caption.font

    signal clicked()

    implicitWidth: mark.implicitWidth + caption.implicitWidth + 16
    implicitHeight: Math.max(mark.implicitHeight, caption.implicitHeight)

    Image {
        id: mark
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        mipmap: true
        source: root.checked ? styleManager.style.image("Login-CheckBox-Checked")
                             : styleManager.style.image("Login-CheckBox")
    }

    Text {
        id: caption
        anchors.left: mark.right
        anchors.leftMargin: 8
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.verticalCenter: mark.verticalCenter
        height: root.height
        verticalAlignment: Text.AlignVCenter
        font.family: "微软雅黑"
    }

    MouseArea {
        anchors.fill: parent
        // Flip first so that a clicked handler sees the new state.
        onClicked: {
            root.checked = !root.checked;
            root.clicked();
        }
    }
}
