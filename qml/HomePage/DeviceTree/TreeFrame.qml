import QtQuick
import QtQuick.Controls as QQC
import "../../Widgets" as Widgets

// What every channel tree shares: the gradient ground that swallows wheel turns, the
// scrolling top list with its bar, the hover flags, and the details box that a hovered
// row fills and places. Whose box, link and drawing these are, the tree that derives
// from this one says; inside the side panel they are the panel's, found by name where
// the panel creates its trees.
Rectangle {
    id: frame

    property color textColor: styleManager.style.color("Login-TextColor")
    property bool parentHovered: false
    property bool childHovered: false
    property bool clickParent: false
    // The details box (y, text, show), its link (visible, offsetY) and the animation that
    // draws the link; missing parts are left alone.
    property Item toolTipBox: typeof deviceToolTip !== "undefined" ? deviceToolTip : null
    property Item toolTipLink: typeof deviceToolTipLink !== "undefined" ? deviceToolTipLink : null
    property var toolTipAnimation: typeof animationLeft !== "undefined" ? animationLeft : null
    // Every row of the top list stays alive (they keep their flags while scrolled away);
    // otherwise the list keeps its default cache and rebuilds rows that scroll far out.
    property bool keepsAllRows: true
    // The rows of the top list; every new array rebuilds all of them, closed.
    property var model
    property alias delegate: listView.delegate
    readonly property alias listView: listView

    // Gives a list of the tree its rows. A list given rows equal to those it holds would
    // keep its rows, open ones open: every answer rebuilds them instead.
    function fill(view, rows) {
        view.model = undefined;
        view.model = rows;
    }

    function show() {
        widthAnimation.to = 250 * styleManager.scaleRatio;
        widthAnimation.restart();
    }

    function hide() {
        widthAnimation.to = 0;
        widthAnimation.restart();
    }

    // The first hovered or pressed row of `view` gets the box and a new link; none
    // clears this level's flag, and the box stays only while the other level has one.
    // Device and group rows are the parent level, channel rows the child level.
    function showToolTip(view, parentLevel) {
        const s = styleManager.scaleRatio;
        for (let i = 0; i < view.count; ++i) {
            const target = view.itemAtIndex(i);
            if (!target || !(target.hovered || target.pressed))
                continue;
            if (parentLevel)
                parentHovered = true;
            else
                childHovered = true;
            // The top list's margin counts twice here; the offsets allow for it.
            const point = view.mapToItem(frame, target.x, view.y + target.y);
            if (toolTipLink) {
                toolTipLink.visible = true;
                toolTipLink.offsetY = ((parentLevel ? 5 : 15) + 60) * s;
            }
            if (toolTipAnimation)
                toolTipAnimation.restart();
            if (toolTipBox) {
                // Only the top list scrolls; rows inside a row move with it.
                toolTipBox.y = point.y - 60 * s - (view === listView ? view.contentY : 0);
                toolTipBox.text = target.toolTipText;
            }
            return;
        }
        if (parentLevel)
            parentHovered = false;
        else
            childHovered = false;
        if (toolTipLink)
            toolTipLink.visible = parentHovered || childHovered;
        if (toolTipBox)
            toolTipBox.show = parentHovered || childHovered;
    }

    onModelChanged: fill(listView, model)
    height: 400 * styleManager.scaleRatio
    gradient: Gradient {
        GradientStop { position: 0; color: styleManager.style.color("Widgets-ToolTip-Gradient1") }
        GradientStop { position: 1; color: styleManager.style.color("Widgets-ToolTip-Gradient2") }
    }

    NumberAnimation {
        id: widthAnimation
        target: frame
        property: "width"
        duration: 400
        easing.type: Easing.InOutBack
        easing.overshoot: 1.0
    }

    // Wheel turns over the tree never reach what lies beneath it, also when the list
    // cannot scroll further or is empty.
    MouseArea {
        anchors.fill: parent
        onWheel: wheel => wheel.accepted = true
    }

    Item {
        anchors.fill: parent
        anchors.leftMargin: 2 * styleManager.scaleRatio
        anchors.rightMargin: 2 * styleManager.scaleRatio
        anchors.bottomMargin: 4 * styleManager.scaleRatio
        clip: true

        ListView {
            id: listView
            objectName: "listView"

            readonly property Item tree: frame

            anchors.fill: parent
            anchors.topMargin: 10 * styleManager.scaleRatio
            // Rows made while the list had no height (a panel not laid out yet) stay
            // hidden from the pointer until the list lays them out again.
            onHeightChanged: forceLayout()

            QQC.ScrollBar.vertical: Widgets.ScrollBar {
                width: 12
            }

            RowKeeper {
                list: frame.keepsAllRows ? listView : null
            }
        }
    }
}
