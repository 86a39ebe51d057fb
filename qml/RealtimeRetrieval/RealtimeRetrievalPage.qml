import QtQuick
import "../Widgets" as Widgets

// Stand-in for the real-time view until the page itself is built.
Item {
    id: realtimeRetrieval

    clip: true

    Widgets.StandInTitle {
        text: "实时调阅"
    }
}
