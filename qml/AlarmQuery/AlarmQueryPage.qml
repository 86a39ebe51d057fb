import QtQuick
import "../Widgets" as Widgets

// Stand-in for the alarm query until the page itself is built: it offers the flag the
// main window binds to its visibility.
Item {
    id: alarmQuery

    property bool isCurrent: false

    clip: true

    Widgets.StandInTitle {
        text: "告警查询"
    }
}
