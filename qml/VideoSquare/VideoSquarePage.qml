import QtQuick
import "../Widgets" as Widgets

// Stand-in for the video square until the page itself is built.
Item {
    id: videoSquare

    clip: true

    Widgets.StandInTitle {
        text: "视频广场"
    }
}
