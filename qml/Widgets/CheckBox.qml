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
    // The mark's size and the gaps beside the caption as parts of their pixels: a box
    // scaled to a small screen passes its ratio, or the mark and gaps took the room of
    // its caption, which then ran under whatever stands right of the box.
    property real sizeRatio: 1

    signal clicked()

    implicitWidth: mark.width + caption.implicitWidth + 16 * sizeRatio
    implicitHeight: Math.max(mark.height, caption.implicitHeight)

    Image {
        id: mark
        objectName: "mark"
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        width: implicitWidth * root.sizeRatio
        height: implicitHeight * root.sizeRatio
        mipmap: true
        source: root.checked ? styleManager.style.image("Login-CheckBox-Checked")
                             : styleManager.style.image("Login-CheckBox")
    }

    Text {
        id: caption
        objectName: "caption"
        anchors.left: mark.right
        anchors.leftMargin: 8 * root.sizeRatio
        anchors.right: parent.right
        anchors.rightMargin: 8 * root.sizeRatio
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
