import QtQuick
import QtPositioning
import an.location 1.0

// Two maps stacked as the map page stacks them: a satellite base below, the street layer
// above sharing its plugin and camera, a pin on the upper map, the sky behind a tilt.
Item {
    id: stack

    property alias bearing: map.bearing
    property alias tilt: map.tilt
    property alias center: map.center
    property alias zoomLevel: map.zoomLevel
    property alias upperMap: map
    property alias lowerMap: underMap
    property string mapSource: ""
    property var pinCoordinate: QtPositioning.coordinate()

    clip: true

    function firstOfStyle(types, style) {
        for (let i = 0; i < types.length; ++i) {
            if (types[i].style === style)
                return types[i]
        }
        return types.length > 0 ? types[0] : null
    }

    Rectangle {
        anchors.fill: parent
        opacity: underMap.tilt / 90
        gradient: Gradient {
            GradientStop { position: 0.00; color: "#568DD6" }
            GradientStop { position: 0.05; color: "#6497D9" }
            GradientStop { position: 0.10; color: "#7FA8DF" }
            GradientStop { position: 0.15; color: "#9DBCE5" }
            GradientStop { position: 0.20; color: "#CEDCEF" }
            GradientStop { position: 0.25; color: "#f0CEDCEF" }
            GradientStop { position: 0.35; color: "#50CEDCEF" }
            GradientStop { position: 0.45; color: "#20CEDCEF" }
            GradientStop { position: 0.55; color: "transparent" }
        }
    }

    Map {
        id: underMap
        anchors.fill: parent
        color: "transparent"
        plugin: map.plugin
        activeMapType: stack.firstOfStyle(supportedMapTypes, MapType.SatelliteMapDay)
        center: map.center
        zoomLevel: map.zoomLevel
        maximumZoomLevel: map.maximumZoomLevel
        fieldOfView: map.fieldOfView
        tilt: map.tilt
        bearing: map.bearing
    }

    Map {
        id: map
        anchors.fill: parent
        color: "transparent"
        antialiasing: true
        plugin: Plugin {
            name: "amap"
            PluginParameter { name: "map.source"; value: stack.mapSource }
        }
        activeMapType: stack.firstOfStyle(supportedMapTypes, MapType.StreetMap)
        zoomLevel: 17
        maximumZoomLevel: 19

        MapQuickItem {
            coordinate: stack.pinCoordinate
            anchorPoint.x: pin.width * 0.5
            anchorPoint.y: pin.height
            sourceItem: Image {
                id: pin
                width: 24 * 2
                height: 32 * 2
                smooth: true
                source: styleManager.style.image("ElectronicMap-CameraIcon")
            }
        }
    }
}
