import QtQuick
import an.device 1.0

// The device tree that the home page and the side panel share: devices of the API
// client's list, their channels and the sub-channels of a channel. Every list keeps its
// own current row. Open rows and current rows are kept by device and channel id, so
// they stay as they were when the rows scroll away and when a new device list comes.
TreeFrame {
    id: deviceTree

    // Sub-channel lists make their rows from this: a row cannot hold its own type.
    readonly property Component channelRow: Component {
        ChannelRow {}
    }

    signal clickDevice(DeviceInfo info)
    signal clickChannel(ChannelInfo info)

    function deviceKey(device) {
        return device ? "d" + device.deviceID : "";
    }

    function channelKey(channel) {
        return channel ? "c" + channel.parentDeviceID + "/" + channel.channelID : "";
    }

    // The keys a device's channels start with.
    function channelPrefix(device) {
        return device ? "c" + device.deviceID + "/" : "";
    }

    // The channels' places in their list, by key.
    function placesOf(channels) {
        const places = {};
        for (let i = 0; i < channels.length; ++i)
            places[channelKey(channels[i])] = i;
        return places;
    }

    // The channels of a device that show their sub-channels, by place: [{ index, rows, key }].
    function openChannels(device, places) {
        const channels = device.channelList;
        return openRowsUnder(channelPrefix(device), key => places[key], (key, index) => subRows(channels[index]));
    }

    // The sub-channel rows an open channel shows.
    function subRows(channel) {
        return heldRows(channelKey(channel)) ?? channel.subChannelList.length;
    }

    // The rows an open device shows: its channels and the sub-channels of its open ones.
    function deviceRows(device, open) {
        const held = heldRows(deviceKey(device));
        if (held !== undefined)
            return held;
        let rows = device.channelList.length;
        for (const channel of open)
            rows += channel.rows;
        return rows;
    }

    // The channel key prefixes of the devices that have an open channel, in one look at
    // the tree's state.
    function devicesShowingSubChannels() {
        const prefixes = new Set();
        for (const key in rowState) {
            if (key.startsWith("c") && rowState[key].open === true)
                prefixes.add(key.slice(0, key.indexOf("/") + 1));
        }
        return prefixes;
    }

    // A new device list comes without channels; each device's arrive later, and a
    // channel's sub-channels after them. Until they do, an open row shows as many rows as
    // before, so that it neither collapses nor moves the rows below it.
    function holdOpenRows(before, after) {
        const fresh = {};
        for (let i = 0; i < (after?.length ?? 0); ++i)
            fresh[deviceKey(after[i])] = after[i];
        const holds = {};
        const arrivals = [];
        const showing = devicesShowingSubChannels();
        for (let i = 0; i < (before?.length ?? 0); ++i) {
            const device = before[i];
            const key = deviceKey(device);
            if (!device || !fresh[key] || !isRowOpen(key))
                continue;
            if (heldRows(key) !== undefined) {
                // Its channels have not come since the last list: what it holds, it holds on.
                holdOn(channelPrefix(device), holds);
                holds[key] = heldRows(key);
            } else {
                const open = showing.has(channelPrefix(device)) ? openChannels(device, placesOf(device.channelList)) : [];
                holds[key] = deviceRows(device, open);
                for (const channel of open)
                    holds[channel.key] = channel.rows;
            }
            arrivals.push(fresh[key]);
        }
        const round = ++holdRound;
        releasing = [];
        holdRows(holds);
        for (const device of arrivals)
            whenChanged(device.channelListChanged, () => channelsCame(device, round));
    }

    // Runs `then` once, at the next `changed` of a record, while this tree exists: records
    // outlive the trees that wait on them.
    function whenChanged(changed, then) {
        const once = () => {
            changed.disconnect(once);
            if (deviceTree)
                then();
        };
        changed.connect(once);
    }

    // The rows held under keys that start with `prefix`, into `holds`.
    function holdOn(prefix, holds) {
        for (const key in rowState) {
            if (key.startsWith(prefix) && rowState[key].held !== undefined)
                holds[key] = rowState[key].held;
        }
    }

    // A device's channels came: its rows show; an open channel's sub-channels come next,
    // unless it has none to ask for. They are asked for only now, and wait from now.
    function channelsCame(device, round) {
        if (round !== holdRound || !device)
            return;
        const released = [deviceKey(device)];
        const awaited = [];
        const prefix = channelPrefix(device);
        let channels = null;
        let places = null;
        for (const key in rowState) {
            if (!key.startsWith(prefix) || heldRows(key) === undefined)
                continue;
            if (!channels) {
                channels = device.channelList;
                places = placesOf(channels);
            }
            const channel = channels[places[key]];
            if (channel && channel.parental === 1) {
                awaited.push(key);
                whenChanged(channel.subChannelListChanged, () => {
                    if (round === holdRound)
                        release([key]);
                });
            } else {
                released.push(key);
            }
        }
        holdLonger(awaited);
        release(released);
    }

    // Lists that come in one pass of the event loop change the tree's state once.
    function release(keys) {
        releasing.push(...keys);
        Qt.callLater(releaseNow);
    }

    function releaseNow() {
        const keys = releasing;
        releasing = [];
        releaseRows(keys);
    }

    function deviceClicked(row) {
        setTopCurrent(row.index, row.rowKey);
        clickDevice(row.theData);
    }

    // The row's own list and the owning device's row become current. A sub-channel's
    // device is the device of its channel: its list's own owner is a channel.
    function channelClicked(row) {
        const view = row.view;
        view.pick(row.index);
        setTopCurrent(view.deviceIndex, deviceKey(view.device));
        if (clickParent)
            clickDevice(view.device);
        clickChannel(row.theData);
    }

    // Counts the new device lists: a list that comes for an older one holds nothing.
    property int holdRound: 0
    // Held rows whose lists came, let go together.
    property var releasing: []

    keepsStateOnReload: true
    model: deviceManager.deviceList
    delegate: DeviceRow {}
    onReplacing: before => holdOpenRows(before, model)
    onReloaded: {
        restoreTopCurrent(deviceKey);
        restoreView(deviceKey);
    }
}
