import QtQuick

// The real-time view: the camera layout view over the whole page, until the side panel
// and the docked PTZ panel join it.
Item {
    id: root

    clip: true

    CameraLayoutView {
        id: cameraLayoutView
        objectName: "cameraLayoutView"
        anchors.fill: parent
    }
}
