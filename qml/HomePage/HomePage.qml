import QtQuick
import "../Widgets" as Widgets

// Stand-in for the home dashboard until the page itself is built: it offers what the
// main window and the device tree use of it.
Item {
    id: homePage

    property bool isCurrent: false
    property color inputColor: styleManager.style.color("Login-InputColor")

    clip: true

    Widgets.StandInTitle {
        text: "首页"
    }
}
