import QtQuick

// Lines its children up side by side and slides between them. The first child is a
// zero-sized guide; moving it moves the whole row, since each page hangs on the one
// before. Only the children present at completion take part.
Item {
    id: root

    property int currentIndex: 0

    clip: true

    Item {
        id: guide
        objectName: "FirstItem"
        x: 0
        y: 0
        width: 0
        height: 0

        Behavior on x {
            id: slide
            NumberAnimation { duration: 250 }
        }
    }

    function layOutPages() {
        for (let i = 1; i < children.length; ++i) {
            const page = children[i];
            const before = children[i - 1];
            page.width = Qt.binding(() => root.width);
            page.height = Qt.binding(() => root.height);
            page.anchors.left = before.right;
        }
    }

    Component.onCompleted: layOutPages()

    onCurrentIndexChanged: guide.x = -currentIndex * width

    // A resize jumps: the shown page stays in place rather than sliding.
    onWidthChanged: {
        slide.enabled = false;
        guide.x = -currentIndex * width;
        slide.enabled = true;
    }
}
