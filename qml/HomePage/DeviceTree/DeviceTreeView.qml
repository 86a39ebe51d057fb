import QtQuick
import an.device 1.0

// The device tree that the home page and the side panel share: devices of the API
// client's list, their channels and the sub-channels of a channel. Every list keeps its
// own current row.
TreeFrame {
    id: deviceTree

    // Sub-channel lists make their rows from this: a row cannot hold its own type.
    readonly property Component channelRow: Component {
        ChannelRow {}
    }

    signal clickDevice(DeviceInfo info)
    signal clickChannel(ChannelInfo info)

    function deviceClicked(row) {
        listView.currentIndex = row.index;
        clickDevice(row.theData);
    }

    // The row's own list and the owning device's row become current. A sub-channel's
    // device is the device of its channel: its list's own owner is a channel.
    function channelClicked(row) {
        const view = row.view;
        view.currentIndex = row.index;
        listView.currentIndex = view.deviceIndex;
        if (clickParent)
            clickDevice(view.device);
        clickChannel(row.theData);
    }

    model: deviceManager.deviceList
    delegate: DeviceRow {}
}
