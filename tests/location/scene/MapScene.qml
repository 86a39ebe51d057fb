import QtQuick
import QtPositioning

// A look at the map layer against the server of scripts/run.sh: the same place flat, and
// turned and tilted as far as the map goes (the sky shows above its horizon). See
// README.md beside this file.
Window {
    id: window

    readonly property string mapSource: qmlApi.readFileToString(qmlApi.getApplicationDir() + "/config/map_source.json")
    readonly property var place: QtPositioning.coordinate(39.9087, 116.3975)

    width: 1600
    height: 800
    visible: true
    color: "#20232a"
    title: "Map scene"

    Row {
        anchors.fill: parent
        anchors.margins: 10
        spacing: 10

        MapStack {
            width: (parent.width - 10) / 2
            height: parent.height
            mapSource: window.mapSource
            center: window.place
            pinCoordinate: window.place
        }

        MapStack {
            width: (parent.width - 10) / 2
            height: parent.height
            mapSource: window.mapSource
            center: window.place
            pinCoordinate: window.place
            bearing: 30
            tilt: 60
        }
    }
}
