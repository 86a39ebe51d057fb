import QtQuick

// A rectangle sheared about its top-left corner: (x, y) is drawn at (x + xs*y, ys*x + y).
Rectangle {
    property real xs: 0
    property real ys: 0

    transform: Matrix4x4 {
        matrix: Qt.matrix4x4(1, xs, 0, 0,
                             ys, 1, 0, 0,
                             0, 0, 1, 0,
                             0, 0, 0, 1)
    }
}
