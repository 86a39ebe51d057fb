import QtQuick
import QtPositioning
import an.location 1.0
import an.device 1.0
import "../Widgets" as Widgets
import "../VideoSquare" as VideoSquare
import "../Api/api.js" as Api

// The electronic map: two stacked maps (a base and the street layer over it) under the
// sky that a tilted horizon shows, driven by the gesture area. A device or channel
// picked in the side panel puts a pin at each located online channel of its list and
// glides the map there; a pin opens a live tile above itself, made when it opens and
// released when it closes. Pins of the device list's channels, sub-channels included,
// follow them by id when the list is refreshed. Positions arrive in WGS-84 and are shown
// in GCJ-02.
Item {
    id: electronicMap

    property int type: 1
    property bool isCurrent: false
    // The side panel's favourite stars take it by name.
    property color inputColor: styleManager.style.color("Login-InputColor")
    // Read once, handed to the map plugin whole.
    readonly property string mapSource: qmlApi.readFileToString(qmlApi.getApplicationDir() + "/config/map_source.json")
    // How long pins wait after a refresh for their device's channels, and then for the
    // sub-channels of the channel above theirs: each is a call of its own.
    property int channelListPatience: 30000
    property int subChannelListPatience: 30000
    // The stacking order of the pin whose tile opened last: an open tile stands above
    // every pin, the latest above the others.
    property int topPin: 0

    function coordinate(latitude, longitude) {
        const shifted = Api.wgs84Togcj02([latitude, longitude]);
        return QtPositioning.coordinate(shifted[0], shifted[1]);
    }

    // A position part as a number: a text is parsed, anything else is no number.
    function degrees(value) {
        return typeof value === "number" ? value : typeof value === "string" ? parseFloat(value) : NaN;
    }

    // Online (an int or a bool), at a position whose two parts are finite and not 0.
    function located(channel) {
        if (!channel || !channel.online)
            return false;
        const latitude = degrees(channel.gpsLatitude);
        const longitude = degrees(channel.gpsLongitude);
        return isFinite(latitude) && isFinite(longitude) && latitude !== 0 && longitude !== 0;
    }

    // What a pin shows and its tile plays of a channel, kept apart from the channel object.
    function copyOf(channel) {
        return { channelID: channel.channelID, parentDeviceID: channel.parentDeviceID, name: channel.name,
                 online: channel.online, gpsLatitude: channel.gpsLatitude, gpsLongitude: channel.gpsLongitude,
                 snapUrl: channel.snapUrl };
    }

    // The ids of the channels above a channel of the device list, from its device's channel
    // down to its parent: empty for a channel of the device itself, null for one the list
    // does not hold.
    function ancestorsOf(channel) {
        if (!(channel instanceof ChannelInfo))
            return null;
        const devices = deviceManager.deviceList;
        for (let i = 0; i < devices.length; ++i) {
            if (devices[i].deviceID !== channel.parentDeviceID)
                continue;
            const entry = channelsById(devices[i].channelList)[channel.channelID];
            return entry && entry.channel === channel ? entry.ancestors : null;
        }
        return null;
    }

    // Every channel of a device's list at every level that has arrived, by id, with the ids
    // of the channels above it.
    function channelsById(channels) {
        const table = {};
        const walk = (list, above) => {
            for (let i = 0; i < list.length; ++i)
                table[list[i].channelID] = { channel: list[i], ancestors: above };
            for (let i = 0; i < list.length; ++i) {
                const below = list[i].subChannelList;
                if (below.length > 0)
                    walk(below, above.concat([list[i].channelID]));
            }
        };
        walk(channels, []);
        return table;
    }

    // The nearest channel above a pin's channel that is still listed, when its sub-channels
    // are yet to come; null when that channel has them (or has none to come) or when no
    // channel above is listed any more.
    function pendingAncestor(ancestors, table) {
        for (let i = ancestors.length - 1; i >= 0; --i) {
            const entry = table[ancestors[i]];
            if (entry !== undefined)
                return entry.channel.parental === 1 && entry.channel.subChannelList.length === 0 ? entry.channel : null;
        }
        return null;
    }

    function positionOf(channel) {
        return coordinate(degrees(channel.gpsLatitude), degrees(channel.gpsLongitude));
    }

    function centreOn(channel) {
        map.center = positionOf(channel);
    }

    function firstOfStyle(types, style) {
        for (let i = 0; i < types.length; ++i) {
            if (types[i].style === style)
                return types[i];
        }
        return types.length > 0 ? types[0] : null;
    }

    // The server's start: "longitude,latitude" and a zoom level above 0. A centre that is
    // no pair of numbers within range leaves the map where it is.
    function applyStart(centre, zoom) {
        if (centre === "")
            return;
        const parts = centre.split(",");
        if (zoom > 0)
            map.zoomLevel = zoom;
        if (parts.length !== 2)
            return;
        const longitude = parseFloat(parts[0]);
        const latitude = parseFloat(parts[1]);
        if (!isFinite(latitude) || !isFinite(longitude) || Math.abs(latitude) > 90 || Math.abs(longitude) > 180)
            return;
        map.center = coordinate(latitude, longitude);
        console.log("mapCentre:", latitude, longitude, map.center);
    }

    clip: true

    Rectangle {
        id: sky
        objectName: "sky"
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

    Widgets.MapOperationArea {
        objectName: "mapOperationArea"
        anchors.fill: parent
        targetMap: map

        Map {
            id: underMap
            objectName: "underMap"
            anchors.fill: parent
            color: "transparent"
            antialiasing: true
            plugin: plugin
            activeMapType: electronicMap.firstOfStyle(supportedMapTypes, MapType.SatelliteMapDay)
            center: map.center
            zoomLevel: map.zoomLevel
            maximumZoomLevel: map.maximumZoomLevel
            fieldOfView: map.fieldOfView
            tilt: map.tilt
            bearing: map.bearing

            Component.onCompleted: console.log("map types:", Array.from(supportedMapTypes).map(t => t.name))
        }

        Map {
            id: map
            objectName: "map"

            // The channelID of every pinned channel, in order of addition.
            property var channelList: []
            // The pins themselves, so that a clear can stop and release them.
            property var pins: []
            // The pins by channel id: a long list is checked without walking `channelList`.
            property var pinById: ({})
            // The server's start is where the map opens; only the centres set after it glide.
            property bool started: false
            // Counts device-list refreshes and clears: channels that arrive for an earlier
            // one are not taken.
            property int generation: 0

            function setMapType(__map, __type) {
                const types = __map.supportedMapTypes;
                for (let i = 0; i < types.length; ++i) {
                    if (types[i].style === __type) {
                        __map.activeMapType = types[i];
                        __map.clearData();
                        return;
                    }
                }
            }

            // `ancestors`: the ids above a channel of the device list (ancestorsOf).
            function addChannel(info, ancestors) {
                if (pinById[info.channelID] !== undefined)
                    return;
                channelList.push(info.channelID);
                const pin = deviceComponent.createObject(map, { info: info, channelId: info.channelID,
                                                                      listed: info instanceof ChannelInfo,
                                                                      ancestors: ancestors || [] });
                pins.push(pin);
                pinById[info.channelID] = pin;
                addMapItem(pin);
            }

            // A playing tile is stopped (the server is told) before its pin goes.
            function clearChannels() {
                const gone = pins;
                ++generation;
                channelList = [];
                pins = [];
                pinById = {};
                clearMapItems();
                for (const pin of gone) {
                    pin.stop();
                    pin.destroy();
                }
            }

            function removePins(gone) {
                if (gone.length === 0)
                    return;
                const ids = new Set(gone.map(pin => pin.channelId));
                const leaving = new Set(gone);
                channelList = channelList.filter(id => !ids.has(id));
                pins = pins.filter(pin => !leaving.has(pin));
                for (const pin of gone) {
                    delete pinById[pin.channelId];
                    pin.stop();
                    removeMapItem(pin);
                    pin.destroy();
                }
            }

            // The device list was replaced and its old channel objects are being deleted:
            // each pin of that list keeps a copy of its channel until its device's new
            // channels arrive, then takes the one of its id. Pins whose device or channel
            // is gone, or no longer online at a position, go. (Within this item `Map` is
            // the map type, so plain objects serve as tables.)
            function followDeviceList() {
                const waiting = {};
                let count = 0;
                for (const pin of pins) {
                    if (!pin.listed)
                        continue;
                    pin.info = electronicMap.copyOf(pin.info);
                    const deviceId = pin.info.parentDeviceID;
                    (waiting[deviceId] = waiting[deviceId] || []).push(pin);
                    ++count;
                }
                if (count === 0)
                    return;
                const current = ++generation;
                const devices = deviceManager.deviceList;
                for (let i = 0; i < devices.length; ++i) {
                    const held = waiting[devices[i].deviceID];
                    if (held === undefined)
                        continue;
                    delete waiting[devices[i].deviceID];
                    awaitChannels(devices[i], held, current);
                }
                for (const deviceId in waiting)
                    removePins(waiting[deviceId]);
            }

            function awaitChannels(device, held, current) {
                if (device.channelList.length > 0) {
                    adoptChannels(device, held, current);
                    return;
                }
                awaitList(device, device.channelListChanged, electronicMap.channelListPatience, held, current);
            }

            // The pins `held` wait until `changed` tells that a list arrived (their device's
            // channels, a channel's sub-channels), then look again. A list that does not
            // come (its call failed, or the answer was empty, which changes no list) lets
            // them go after `patience`: their channels are not known to be there.
            function awaitList(device, changed, patience, held, current) {
                const timer = patienceTimer.createObject(electronicMap, { interval: patience });
                const arrived = () => {
                    changed.disconnect(arrived);
                    // The records outlive the page: one gone since hears nothing.
                    if (!electronicMap)
                        return;
                    timer.destroy();
                    if (current === generation)
                        adoptChannels(device, held, current);
                };
                changed.connect(arrived);
                timer.triggered.connect(() => {
                    timer.destroy();
                    // A newer list or a clear took these pins over; their device is gone.
                    if (current !== generation)
                        return;
                    changed.disconnect(arrived);
                    removePins(held);
                });
            }

            // A pin takes the channel of its id wherever it now stands in its device's list.
            // Sub-channels arrive after their device's channels, each channel's apart: a pin
            // whose channel is not there yet waits for the sub-channels of the channel above
            // it; once those came without it, or that channel is gone, the pin goes.
            function adoptChannels(device, held, current) {
                const table = electronicMap.channelsById(device.channelList);
                const gone = [];
                const waiting = {};
                for (const pin of held) {
                    const entry = table[pin.channelId];
                    const parent = entry === undefined ? electronicMap.pendingAncestor(pin.ancestors, table) : null;
                    if (entry !== undefined && electronicMap.located(entry.channel)) {
                        pin.info = entry.channel;
                        pin.ancestors = entry.ancestors;
                    } else if (parent) {
                        (waiting[parent.channelID] = waiting[parent.channelID] || { parent: parent, pins: [] }).pins.push(pin);
                    } else {
                        gone.push(pin);
                    }
                }
                removePins(gone);
                for (const id in waiting)
                    awaitList(device, waiting[id].parent.subChannelListChanged, electronicMap.subChannelListPatience,
                              waiting[id].pins, current);
            }

            anchors.fill: parent
            color: "transparent"
            antialiasing: true
            plugin: Plugin {
                id: plugin
                name: "amap"

                PluginParameter {
                    name: "map.source"
                    value: electronicMap.mapSource
                }
            }
            activeMapType: electronicMap.firstOfStyle(supportedMapTypes, MapType.StreetMap)
            zoomLevel: 17
            maximumZoomLevel: 19

            Behavior on center {
                enabled: map.started

                PropertyAnimation {}
            }

            Component.onCompleted: {
                electronicMap.applyStart(networkManager.otherConfig.mapCentre, networkManager.otherConfig.mapZoom);
                started = true;
            }
        }
    }

    Rectangle {
        objectName: "typeBar"
        anchors.right: deviceManageView.left
        anchors.rightMargin: 5 * styleManager.scaleRatio
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 25 * styleManager.scaleRatio
        width: buttonRow.width + 12 * styleManager.scaleRatio
        height: buttonRow.height + 6 * styleManager.scaleRatio
        border.color: "gray"
        radius: 4
        opacity: 0.8

        Row {
            id: buttonRow
            anchors.centerIn: parent
            spacing: 5 * styleManager.scaleRatio

            Widgets.CheckBox {
                id: streetCheckBox
                objectName: "streetCheckBox"
                width: 60 * styleManager.scaleRatio
                height: 34 * styleManager.scaleRatio
                sizeRatio: Math.min(1, styleManager.scaleRatio)
                text: "街道"
                font.pointSize: 11 * styleManager.fontScaleRatio
                checked: true
                onClicked: {
                    if (checked) {
                        underMap.activeMapType = map.activeMapType;
                        map.setMapType(map, MapType.StreetMap);
                    } else {
                        map.activeMapType = underMap.activeMapType;
                    }
                }
            }

            Widgets.ImageButton {
                objectName: "defaultButton"
                width: 34 * styleManager.scaleRatio
                height: 34 * styleManager.scaleRatio
                normalImage: styleManager.style.image("ElectronicMap-DefalutIcon")
                onClicked: {
                    electronicMap.type = 0;
                    if (streetCheckBox.checked) {
                        map.setMapType(underMap, MapType.HybridMap);
                        map.setMapType(map, MapType.StreetMap);
                    } else {
                        map.setMapType(map, MapType.HybridMap);
                    }
                }
            }

            Widgets.ImageButton {
                objectName: "satelliteButton"
                width: 34 * styleManager.scaleRatio
                height: 34 * styleManager.scaleRatio
                normalImage: styleManager.style.image("ElectronicMap-SatelliteIcon")
                onClicked: {
                    electronicMap.type = 1;
                    if (streetCheckBox.checked) {
                        map.setMapType(underMap, MapType.SatelliteMapDay);
                        map.setMapType(map, MapType.StreetMap);
                    } else {
                        map.setMapType(map, MapType.SatelliteMapDay);
                    }
                }
            }
        }
    }

    Connections {
        target: deviceManager

        function onDeviceListChanged() {
            map.followDeviceList();
        }
    }

    VideoSquare.DeviceManageSwipeView {
        id: deviceManageView
        objectName: "deviceManageView"
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.right: parent.right
        z: 2
        clickParent: true
        onClickDeviceListButton: map.clearChannels()
        onClickDeviceGroupButton: map.clearChannels()
        onClickDeviceFavoriteButton: map.clearChannels()
        onClickChannel: channel => {
            if (electronicMap.located(channel))
                electronicMap.centreOn(channel);
        }
        // A list is one level of a device's list (its channels, or a channel's
        // sub-channels), or records of the group and favourite trees, which no refresh
        // replaces: its place is looked up once.
        onClickChannelList: channelList => {
            let centred = false;
            let ancestors;
            for (let i = 0; channelList && i < channelList.length; ++i) {
                const channel = channelList[i];
                if (!electronicMap.located(channel))
                    continue;
                if (ancestors === undefined)
                    ancestors = electronicMap.ancestorsOf(channel);
                map.addChannel(channel, ancestors);
                if (!centred)
                    electronicMap.centreOn(channel);
                centred = true;
            }
        }
    }

    Component {
        id: patienceTimer

        Timer {
            running: true
        }
    }

    // A channel's pin, made at its first listing.
    Component {
        id: deviceComponent

        ChannelPin {
            page: electronicMap
        }
    }
}
