import QtQuick
import "../Widgets" as Widgets

// Stand-in for record management until the page itself is built.
Item {
    id: recordManage

    clip: true

    Widgets.StandInTitle {
        text: "录像管理"
    }
}
