import QtQuick
import QtQuick.Controls as QQC

// A button drawn as one picture per interaction state, with an optional caption.
// The state name is public: callers resize the picture by it.
QQC.AbstractButton {
    id: control
    objectName: "ImageButton"

    property bool isCurrent: false
    property string normalImage: ""
    property string hoveredImage: normalImage
    property string pressedImage: normalImage
    property alias image: picture
    property alias fillMode: picture.fillMode
    property alias textColor: caption.color
    property alias mipmap: picture.mipmap

    // A press without hover (touch, hover off) still shows the pressed picture.
    state: isCurrent || pressed || checked ? "Pressed" : hovered ? "Hovered" : "Normal"

    states: [
        State { name: "Normal"; PropertyChanges { target: picture; source: control.normalImage } },
        State { name: "Hovered"; PropertyChanges { target: picture; source: control.hoveredImage } },
        State { name: "Pressed"; PropertyChanges { target: picture; source: control.pressedImage } }
    ]

    background: Item {
        width: control.width
        height: control.height

        Image {
            id: picture
            anchors.centerIn: parent
            width: parent.width
            height: parent.height
            mipmap: true

            Text {
                id: caption
                anchors.fill: parent
                text: control.text
                font: control.font
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
}
