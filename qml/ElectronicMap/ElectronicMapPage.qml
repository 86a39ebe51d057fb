import QtQuick
import "../Widgets" as Widgets

// Stand-in for the electronic map until the page itself is built: it offers what the
// main window and the side panel's trees use of it. The map type tints the main
// window's menu: 0 is the default map, 1 the satellite map.
Item {
    id: electronicMap

    property bool isCurrent: false
    property int type: 1
    property color inputColor: styleManager.style.color("Login-InputColor")

    clip: true

    Widgets.StandInTitle {
        text: "电子地图"
    }
}
