import QtQuick
import QtPositioning
import an.location 1.0
import "../HomePage" as HomePage

// A channel's pin on the electronic map: the camera picture standing on the position,
// its label on hover, and its tile above it, opened and closed by clicks. The tile is
// made when the pin opens and released when it closes, the label at the first hover: a
// device of a thousand located channels puts a thousand pins on the map at one click.
MapQuickItem {
    id: pin

    // The map page: where a channel stands on its map, and how the open tiles stack.
    property Item page: null

    property var info: undefined
    // Its channel is an object of the device list, which it follows by id.
    property bool listed: false
    // The ids of the channels above its channel in that list (none for a channel of
    // the device itself).
    property var ancestors: []
    // The id it was added with: its record may be replaced, the id stays.
    property var channelId: undefined
    // The tile is there and plays; its own visibility also follows the map's. Its
    // pin is then raised over the others, which would cover the tile.
    property bool open: false
    readonly property Item tile: tileLoader.item ? tileLoader.item.camera : null

    function play() {
        open = true;
        tile.playChannel(info);
    }

    // Stops the tile if it plays (the server is told) and releases it.
    function stop() {
        if (open) {
            tile.stopChannel();
            open = false;
        }
    }

    onOpenChanged: z = open ? ++page.topPin : 0

    coordinate: !info || !page ? QtPositioning.coordinate() : page.positionOf(info)
    anchorPoint.x: picture.width * 0.5
    anchorPoint.y: picture.height
    sourceItem: Image {
        id: picture
        objectName: "pinPicture"

        property bool hovered: false

        width: 24 * styleManager.scaleRatio
        height: 32 * styleManager.scaleRatio
        antialiasing: true
        source: styleManager.style.image("ElectronicMap-CameraIcon")

        Loader {
            id: tileLoader
            active: pin.open
            width: 450 * styleManager.scaleRatio
            height: 300 * styleManager.scaleRatio
            anchors.bottom: parent.top
            anchors.bottomMargin: 2 * styleManager.scaleRatio
            anchors.horizontalCenter: parent.horizontalCenter
            sourceComponent: Item {
                property alias camera: cameraView

                // Under the tile: the clicks that the tile passes on end here, not at
                // the pins that it covers (a click goes on only to areas that handle it).
                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
                    onClicked: mouse => mouse.accepted = true
                }

                HomePage.CameraRectangle {
                    id: cameraView
                    objectName: "cameraView"
                    anchors.fill: parent
                    color: "#c0ffffff"

                    HomePage.PtzControlPanel {
                        visible: cameraView.videoUrl !== ""
                        hovered: cameraView.hovered
                        exitTimer: cameraView.exitTimer
                        deviceId: cameraView.deviceId
                        channelId: cameraView.channelId
                    }
                }
            }
        }

        MouseArea {
            anchors.fill: parent
            hoverEnabled: true
            onEntered: {
                label.active = true;
                picture.hovered = true;
                cursorShape = Qt.PointingHandCursor;
            }
            onExited: {
                picture.hovered = false;
                cursorShape = Qt.ArrowCursor;
            }
            onClicked: pin.open ? pin.stop() : pin.play()
        }

        // Made at the first hover and kept: a tool tip released each time the pointer
        // left took the next click meant for a pin (Qt 6.4).
        Loader {
            id: label
            objectName: "label"
            active: false
            sourceComponent: MapToolTip {
                parent: picture
                visible: picture.hovered
                text: !pin.info ? "" : "通道名ID: " + pin.info.channelID + "\n" + "通道名字: " + pin.info.name
            }
        }
    }
}
