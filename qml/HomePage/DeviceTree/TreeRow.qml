import QtQuick

// One line of a device tree with the list it opens into: the expand square (or the
// camera icon of a channel without sub-channels), the text area that reports hovering,
// pressing and clicks, and the child area below, which grows and shrinks in 220 ms.
// The row keeps its hover flags; whether it is open lives in the tree under `rowKey`,
// since a row exists only while it is on screen. The list it opens into is made only
// while the row is open (or closing), from `childList`. The list that holds the row is
// `view`.
Item {
    id: row

    required property var modelData
    required property int index
    // The record. A new list releases the records of the old one, which may go before
    // their rows do: the rows read it as theData?.key.
    readonly property var theData: modelData
    readonly property ListView view: ListView.view
    readonly property Item tree: view ? view.tree : null
    // The tree's device list holds the device rows; every other list, channel rows.
    property bool isDeviceRow: false
    property bool hovered: false
    property bool pressed: false
    // Names the row's state in the tree; rows without one never open.
    property string rowKey: ""
    readonly property bool expanded: tree !== null && tree.isRowOpen(rowKey)
    property bool expandable: true
    // Whether the row takes the current-row colour while it is its list's current row.
    property bool showsCurrent: true
    // Whether the line takes the pointer from the row's left edge (over the camera icon
    // of a row that does not open), not only right of the expand square.
    property bool lineFromEdge: false
    // The height of the open child list.
    property real childHeight: 0
    readonly property color background: hovered || pressed ? styleManager.style.color("Home-DeviceListView-Item-Hovered")
                                        : showsCurrent && ListView.isCurrentItem ? styleManager.style.color("Home-DeviceListView-Item-Checked")
                                                                 : "transparent"
    // The texts of the line, drawn over the text area.
    property alias texts: textArea.data
    // The list the row opens into, made in the child area while it shows.
    property Component childList: null
    readonly property Item childView: childLoader.item
    // The child area's height as it animates.
    readonly property alias childAreaHeight: childArea.height

    signal textClicked()

    // Run whenever the hover or press flag changes: the tree scans this row's list.
    function showToolTip() {
        if (tree)
            tree.showToolTip(view, isDeviceRow);
    }

    width: view ? view.width : 0
    height: 30 * styleManager.scaleRatio + childArea.height

    onHoveredChanged: showToolTip()
    onPressedChanged: showToolTip()

    Rectangle {
        id: square
        objectName: "expandSquare"
        width: 28 * styleManager.scaleRatio
        height: 30 * styleManager.scaleRatio
        color: row.background

        ExpandButton {
            objectName: "expandButton"
            anchors.centerIn: parent
            visible: row.expandable
            expanded: row.expanded
        }

        Image {
            objectName: "cameraIcon"
            anchors.left: parent.left
            anchors.leftMargin: 5 * styleManager.scaleRatio
            anchors.verticalCenter: parent.verticalCenter
            width: 18 * styleManager.scaleRatio
            height: width
            visible: !row.expandable
            smooth: true
            mipmap: true
            source: styleManager.style.image("Home-CameraIcon")
        }

        // Opens and closes only: it selects nothing and reports nothing.
        MouseArea {
            anchors.fill: parent
            enabled: row.expandable
            onClicked: row.tree.setRowOpen(row.rowKey, !row.expanded)
        }
    }

    Rectangle {
        id: textArea
        objectName: "textArea"
        anchors.left: square.right
        anchors.right: parent.right
        height: 30 * styleManager.scaleRatio
        color: row.background

        MouseArea {
            objectName: "lineArea"
            anchors.fill: parent
            anchors.leftMargin: row.lineFromEdge && !row.expandable ? -square.width : 0
            hoverEnabled: true
            onEntered: row.hovered = true
            onExited: {
                row.hovered = false;
                row.pressed = false;
            }
            onPressed: row.pressed = true
            onReleased: row.pressed = false
            onCanceled: {
                row.hovered = false;
                row.pressed = false;
            }
            onClicked: row.textClicked()
        }
    }

    Item {
        id: childArea
        objectName: "childArea"
        anchors.top: textArea.bottom
        anchors.left: textArea.left
        anchors.right: parent.right
        height: row.childHeight
        clip: true
        visible: height > 0

        Behavior on height {
            NumberAnimation { duration: 220 }
        }

        // Sizes only the width of the list: the list places itself in the area.
        Loader {
            id: childLoader
            width: parent.width
            active: row.childList !== null && (row.expanded || childArea.height > 0)
            sourceComponent: row.childList
        }
    }
}
