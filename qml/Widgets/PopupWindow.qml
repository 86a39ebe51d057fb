import QtQuick
import an.window 1.0
import "windowplacement.js" as Placement

// A separate top-level window with a title bar that fades in and out. It stays above the
// main window and opens on the screen the main window is on now, inside its available
// area: centred on the main window the first time, later where the user moved it while
// that place is on the main window's screen. It is laid out for the monitor it is on
// (`ratio`; its user sets `layoutSize` from it): left open on one monitor while the main
// window goes to another, it keeps its size there. Closed by the window manager, it is
// closed as by its own button.
FramelessWindow {
    id: window

    property alias title: frame.title
    property Item contentItem: Item {}
    property bool __first: true
    // Set by open(), cleared by hideWindow(). A window that was never shown has no
    // platform window yet and announces no opacity change, so the fade alone could
    // never make it visible.
    property bool __shown: false
    // The scale ratio of the monitor the window is on. Read with the main window's ratio, so
    // that a change of the desk that moves that one (a panel, a resolution) counts here too.
    readonly property real ratio: {
        styleManager.scaleRatio;
        return styleManager.scaleRatioOn(onScreen);
    }

    signal closed()

    // The main window, when this frame was created inside it.
    function ownerWindow() {
        return typeof homeWindow !== "undefined" ? homeWindow : null;
    }

    function open() {
        const owner = ownerWindow();
        // A place kept from a screen that has since gone counts as no place.
        if (owner)
            placeOver(owner, !__first && isOnAScreen());
        __first = false;
        __shown = true;
        opacity = 1;
        // Open already, perhaps under other windows: brought to the front with the new content.
        activeWindow();
    }

    function hideWindow() {
        __shown = false;
        opacity = 0;
        closed();
    }

    function placeContent() {
        if (!contentItem)
            return;
        contentItem.parent = contentArea;
        contentItem.anchors.fill = contentArea;
    }

    // Never larger than the available area of its screen, as the owner itself.
    maximumWidth: Placement.bound(availableArea.width)
    maximumHeight: Placement.bound(availableArea.height)
    captionWidth: width - 120 * ratio
    captionHeight: 35 * ratio
    topWindow: ownerWindow()
    taskbarHint: true
    color: "transparent"
    opacity: 0
    visible: __shown || opacity !== 0

    Behavior on opacity {
        id: fade
        NumberAnimation {}
    }

    // The window manager took the window away already: no fade, which would show it again.
    onClosing: {
        fade.enabled = false;
        hideWindow();
        fade.enabled = true;
    }
    onContentItemChanged: placeContent()
    Component.onCompleted: placeContent()

    PopupFrame {
        id: frame
        anchors.fill: parent
        anchors.margins: 8 * window.ratio
        glowColor: "#40009ca2"
        glowRadius: 8 * window.ratio
        cornerRadius: 5 * window.ratio
        radius: 5 * window.ratio
        titleBarRadius: 5 * window.ratio
        onCloseClicked: window.hideWindow()

        Item {
            id: contentArea
            objectName: "PopupWindowContent"
            anchors.top: frame.titleBar.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
        }
    }
}
