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

    keepsStateOnReload: true
    model: deviceManager.deviceList
    delegate: DeviceRow {}
    onReloaded: restoreTopCurrent(deviceKey)
}
