import QtQuick
import QtTest
import QtPositioning
import an.location 1.0

// The map types as a page uses them: stacked maps, a pin, a gliding centre, a wheel on
// the zoom level, map types chosen by style once the plugin has read its source.
Item {
    id: root

    width: 640
    height: 440

    function firstOfStyle(types, style) {
        for (let i = 0; i < types.length; ++i) {
            if (types[i].style === style)
                return types[i]
        }
        return types.length > 0 ? types[0] : null
    }

    function similar(a, b) {
        const tolerance = 6 / 255
        return Math.abs(a.r - b.r) <= tolerance && Math.abs(a.g - b.g) <= tolerance
            && Math.abs(a.b - b.b) <= tolerance && Math.abs(a.a - b.a) <= tolerance
    }

    Plugin {
        id: tiles
        name: "amap"
        PluginParameter { name: "map.source"; value: tileServer.mapSource }
    }

    Component {
        id: layeredMaps

        Rectangle {
            property alias lower: under
            property alias upper: over

            width: 600
            height: 400
            color: "#123456"

            Map {
                id: under
                anchors.fill: parent
                color: "transparent"
                plugin: tiles
                activeMapType: root.firstOfStyle(supportedMapTypes, MapType.SatelliteMapDay)
                center: over.center
                zoomLevel: over.zoomLevel
                fieldOfView: over.fieldOfView
                tilt: over.tilt
                bearing: over.bearing
            }
            Map {
                id: over
                anchors.fill: parent
                color: "transparent"
                plugin: tiles
                activeMapType: root.firstOfStyle(supportedMapTypes, MapType.StreetMap)
            }
        }
    }

    Component {
        id: glidingMap

        Map {
            width: 300
            height: 200
            plugin: tiles
            zoomLevel: 10
            // Long enough that a loaded machine still sees steps on the way.
            Behavior on center { PropertyAnimation { duration: 3000 } }
        }
    }

    Component {
        id: typedMap

        Map {
            width: 200
            height: 100
            activeMapType: root.firstOfStyle(supportedMapTypes, MapType.SatelliteMapDay)
        }
    }

    Component {
        id: laterPlugin

        Plugin {
            name: "amap"
            PluginParameter { name: "map.source"; value: tileServer.mapSource }
        }
    }

    Component {
        id: wheelArea

        Item {
            property alias map: wheeled

            width: 300
            height: 200

            Map {
                id: wheeled
                anchors.fill: parent
                plugin: tiles
                zoomLevel: 10
                maximumZoomLevel: 19
            }
            WheelHandler {
                target: wheeled
                property: "zoomLevel"
                rotationScale: 1 / 120
                acceptedDevices: PointerDevice.Mouse
            }
        }
    }

    Component {
        id: pinnedMap

        Map {
            property alias pin: pinItem
            property alias picture: picture

            width: 600
            height: 400
            plugin: tiles
            zoomLevel: 15
            center: QtPositioning.coordinate(39.9087, 116.3975)

            MapQuickItem {
                id: pinItem
                coordinate: QtPositioning.coordinate(39.9095, 116.3990)
                anchorPoint.x: picture.width * 0.5
                anchorPoint.y: picture.height
                sourceItem: Rectangle {
                    id: picture

                    property int clicks: 0

                    width: 24
                    height: 32
                    color: "red"

                    // Reaches above the picture, as a pin's camera tile does.
                    MouseArea {
                        x: -20
                        y: -60
                        width: 64
                        height: 40
                        onClicked: picture.clicks += 1
                    }
                }
            }
        }
    }

    Component {
        id: loosePin

        MapQuickItem {
            anchorPoint: Qt.point(5, 5)
            sourceItem: Rectangle { width: 10; height: 10; color: "blue" }
        }
    }

    TestCase {
        name: "Map"
        when: windowShown

        function centreOfTile(z) {
            const tile = tileServer.tileAt(QtPositioning.coordinate(39.9087, 116.3975), z)
            return { x: tile.x, y: tile.y, coordinate: tileServer.tileCentre(z, tile.x, tile.y) }
        }

        function pixelOf(item, x, y) {
            return grabImage(item).pixel(x, y)
        }

        function test_streetLayerShowsTheBaseThroughItsGround() {
            const stack = createTemporaryObject(layeredMaps, root)
            const tile = centreOfTile(16)
            stack.upper.zoomLevel = 16
            stack.upper.center = tile.coordinate
            compare(stack.lower.activeMapType.style, MapType.SatelliteMapDay)
            compare(stack.upper.activeMapType.style, MapType.StreetMap)
            const ground = tileServer.groundColour("satellite", 16, tile.x, tile.y)
            tryVerify(() => similar(pixelOf(stack, 300, 200), ground), patience, "the base's ground at the centre")
            // The street tile's road runs across its upper part, over the base.
            tryVerify(() => {
                const image = grabImage(stack)
                for (let y = 200 - 128; y < 200 - 128 + 70; ++y) {
                    if (similar(image.pixel(300, y), tileServer.roadColour()))
                        return true
                }
                return false
            }, patience, "a road of the street layer")

            // An opaque type on the upper map covers the base.
            stack.upper.activeMapType = root.firstOfStyle(stack.upper.supportedMapTypes, MapType.HybridMap)
            tryVerify(() => similar(pixelOf(stack, 300, 200), tileServer.groundColour("hybrid", 16, tile.x, tile.y)),
                      patience, "the hybrid ground")
        }

        function test_turnedAndTiltedKeepTheCentre() {
            const stack = createTemporaryObject(layeredMaps, root)
            const tile = centreOfTile(17)
            stack.upper.zoomLevel = 17
            stack.upper.center = tile.coordinate
            stack.upper.bearing = 30
            stack.upper.tilt = 45
            compare(stack.lower.tilt, 45)
            const ground = tileServer.groundColour("satellite", 17, tile.x, tile.y)
            tryVerify(() => similar(pixelOf(stack, 300, 200), ground), patience, "the centre tile's ground")

            // Tilted far with a wide view the top is sky: nothing drawn, the page shows through.
            stack.upper.fieldOfView = 100
            stack.upper.tilt = 60
            compare(stack.lower.fieldOfView, 100)
            let horizon = 0
            while (!stack.upper.toCoordinate(Qt.point(300, horizon), false).isValid)
                horizon += 1
            verify(horizon > 10 && horizon < 200, "horizon at " + horizon)
            tryVerify(() => similar(pixelOf(stack, 300, 200), ground), patience, "the centre stays")
            // Once the far tiles are drawn, none reaches above the horizon, anywhere along it.
            tryVerify(() => !similar(pixelOf(stack, 300, horizon + 3), stack.color), patience, "ground below the horizon")
            const image = grabImage(stack)
            for (let x = 0; x < 600; x += 5)
                verify(similar(image.pixel(x, horizon - 2), stack.color), "sky at " + x)
        }

        function test_mapWithoutTilesIsTransparent() {
            const stack = createTemporaryObject(layeredMaps, root)
            stack.lower.plugin = null
            stack.upper.plugin = null
            compare(stack.upper.supportedMapTypes.length, 0)
            compare(stack.upper.activeMapType, null)
            tryVerify(() => similar(pixelOf(stack, 300, 200), stack.color), patience)
        }

        function test_centreGlides() {
            const start = QtPositioning.coordinate(39.9, 116.4)
            const end = QtPositioning.coordinate(39.95, 116.5)
            const map = createTemporaryObject(glidingMap, root, { center: start })
            compare(map.center, start)
            // Copies: a coordinate read from a property follows the property.
            const seen = []
            map.centerChanged.connect(() => seen.push(QtPositioning.coordinate(map.center.latitude, map.center.longitude)))
            map.center = end
            tryVerify(() => seen.length > 0, patience, "moves")
            verify(seen[0].distanceTo(end) > 1, "the first step falls short of the end")
            tryVerify(() => map.center.distanceTo(end) < 0.01, patience, "arrives")
            verify(seen.length >= 2, "glides through " + seen.length + " steps")
            const whole = start.distanceTo(end)
            let last = 0
            for (let i = 0; i < seen.length; ++i) {
                const travelled = start.distanceTo(seen[i])
                verify(Math.abs(travelled + seen[i].distanceTo(end) - whole) < 50, "on the way")
                verify(travelled >= last, "forward")
                last = travelled
            }
        }

        function test_typeBindingTakesEffectOnceTypesAppear() {
            const map = createTemporaryObject(typedMap, root)
            compare(map.supportedMapTypes.length, 0)
            compare(map.activeMapType, null)
            const plugin = createTemporaryObject(laterPlugin, root)
            let announced = 0
            map.supportedMapTypesChanged.connect(() => announced += 1)
            map.plugin = plugin
            compare(announced, 1)
            compare(map.supportedMapTypes.length, 3)
            compare(map.activeMapType.style, MapType.SatelliteMapDay)
            compare(map.activeMapType.name, "satellite")

            // Without a binding a map takes the first type; an assignment replaces a binding.
            const plain = createTemporaryObject(glidingMap, root)
            compare(plain.activeMapType.style, MapType.StreetMap)
            map.activeMapType = map.supportedMapTypes[2]
            compare(map.activeMapType.style, MapType.HybridMap)
            plugin.parameters[0].value = '{"mapTypes": [{"style": "TerrainMap", "url": "/tiles/hybrid/{z}/{x}/{y}.png"}]}'
            compare(map.supportedMapTypes.length, 1)
            compare(map.activeMapType.style, MapType.TerrainMap)
        }

        function test_wheelNotchAddsAnEighthOfALevel() {
            const area = createTemporaryObject(wheelArea, root)
            compare(area.map.zoomLevel, 10)
            mouseWheel(area, 150, 100, 0, 120)
            compare(area.map.zoomLevel, 10.125)
            mouseWheel(area, 150, 100, 0, 120)
            mouseWheel(area, 150, 100, 0, 120)
            compare(area.map.zoomLevel, 10.375)
            mouseWheel(area, 150, 100, 0, -120)
            compare(area.map.zoomLevel, 10.25)
            // The map keeps its own limits.
            area.map.maximumZoomLevel = 10.3
            compare(area.map.zoomLevel, 10.25)
            mouseWheel(area, 150, 100, 0, 120)
            compare(area.map.zoomLevel, 10.3)
        }

        function test_pinStandsOnItsCoordinateUpright() {
            const map = createTemporaryObject(pinnedMap, root)
            const pin = map.pin
            const views = [[0, 0], [30, 0], [200, 40], [315, 60]]
            for (const [bearing, tilt] of views) {
                map.bearing = bearing
                map.tilt = tilt
                const spot = map.fromCoordinate(pin.coordinate, false)
                fuzzyCompare(pin.x, spot.x - 12, 1e-6, "x at bearing " + bearing)
                fuzzyCompare(pin.y, spot.y - 32, 1e-6, "y at tilt " + tilt)
                verify(map.picture.visible)
                const topLeft = map.picture.mapToItem(null, 0, 0)
                const topRight = map.picture.mapToItem(null, 24, 0)
                const bottomLeft = map.picture.mapToItem(null, 0, 32)
                fuzzyCompare(topRight.y, topLeft.y, 1e-6, "upright")
                fuzzyCompare(topRight.x - topLeft.x, 24, 1e-6, "its own size")
                fuzzyCompare(bottomLeft.x, topLeft.x, 1e-6, "not slanted")
            }
            map.bearing = 0
            map.tilt = 0

            // A child above the picture takes clicks.
            mouseClick(map, pin.x + 12, pin.y - 40)
            compare(map.picture.clicks, 1)

            // Hidden while the coordinate is invalid, back when it is valid.
            const place = QtPositioning.coordinate(pin.coordinate.latitude, pin.coordinate.longitude)
            pin.coordinate = QtPositioning.coordinate()
            verify(!map.picture.visible)
            pin.coordinate = place
            verify(map.picture.visible)

            // With a zoom level of its own it grows with the map.
            pin.zoomLevel = 15
            fuzzyCompare(map.picture.mapToItem(null, 24, 0).x - map.picture.mapToItem(null, 0, 0).x, 24, 1e-6)
            map.zoomLevel = 16
            fuzzyCompare(map.picture.mapToItem(null, 24, 0).x - map.picture.mapToItem(null, 0, 0).x, 48, 1e-6)
            const spot = map.fromCoordinate(pin.coordinate, false)
            fuzzyCompare(pin.x, spot.x - 24, 1e-6)
            fuzzyCompare(pin.y, spot.y - 64, 1e-6)
        }

        function test_itemsAddedAndRemoved() {
            const map = createTemporaryObject(pinnedMap, root)
            const extra = loosePin.createObject(map, { coordinate: map.center })
            map.addMapItem(extra)
            map.addMapItem(extra) // once only
            fuzzyCompare(extra.x, map.width / 2 - 5, 1e-6)
            verify(extra.sourceItem.visible)
            map.removeMapItem(extra)
            compare(extra.parent, null)
            verify(!extra.sourceItem.visible)
            map.addMapItem(extra)
            compare(extra.parent, map)
            map.center = QtPositioning.coordinate(39.91, 116.40)
            const spot = map.fromCoordinate(extra.coordinate, false)
            fuzzyCompare(extra.x, spot.x - 5, 1e-6)
            map.clearMapItems()
            compare(extra.parent, null)
            compare(map.pin.parent, null)
            verify(!map.pin.sourceItem.visible)
            extra.destroy()
        }
    }
}
