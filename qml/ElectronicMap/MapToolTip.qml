import QtQuick
import QtQuick.Controls as Controls
import Qt5Compat.GraphicalEffects

// The label of a map pin: a white rounded box with an arrow down to the pin, both with
// a soft shadow, fading in each time it is shown and gone at once when hidden.
Controls.ToolTip {
    id: control

    property alias textColor: tooltipText.color
    property alias wrapMode: tooltipText.wrapMode
    property alias textFormat: tooltipText.textFormat

    topPadding: 5
    bottomPadding: 5
    clip: true
    opacity: 0
    background: Item {}

    onVisibleChanged: {
        if (visible)
            fadeIn.restart();
        else
            fadeIn.stop();
    }

    NumberAnimation {
        id: fadeIn
        target: control
        property: "opacity"
        from: 0
        to: 1.0
        duration: 500
        easing.type: Easing.InOutQuad
    }

    contentItem: Item {
        implicitWidth: content.width
        implicitHeight: content.height + 15 * styleManager.scaleRatio

        DropShadow {
            anchors.fill: content
            source: content
            horizontalOffset: 3
            verticalOffset: 3
            radius: 8.0
            samples: 17
            color: "#80000000"
        }

        DropShadow {
            anchors.fill: arrow
            source: arrow
            rotation: 45
            horizontalOffset: 3
            verticalOffset: 3
            radius: 8.0
            samples: 17
            color: "#80000000"
        }

        // Its centre on the box's bottom edge: the lower half shows as the point.
        Rectangle {
            id: arrow
            objectName: "arrow"
            width: 20 * styleManager.scaleRatio
            height: width
            rotation: 45
            anchors.horizontalCenter: content.horizontalCenter
            anchors.top: content.bottom
            anchors.topMargin: -10 * styleManager.scaleRatio
        }

        Rectangle {
            id: content
            objectName: "content"
            width: tooltipText.width + 20 * styleManager.scaleRatio
            height: tooltipText.height + 12 * styleManager.scaleRatio
            radius: 5

            Text {
                id: tooltipText
                objectName: "tooltipText"
                anchors.centerIn: parent
                text: control.text
                color: "#000"
                font.family: "微软雅黑"
                font.pointSize: 10 * styleManager.fontScaleRatio
            }
        }
    }
}
