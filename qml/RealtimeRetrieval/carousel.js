.pragma library

// The rules of the carousel: the interval's bounds, the rotation through a list of
// channel ids and the selection of ids, kept apart from the popup so that they can be
// checked on their own.

var minInterval = 30;
var maxInterval = 36000;

// The interval in seconds for the text of the interval field: a field without a number
// falls back to `fallback` (the stored interval); both are kept within the bounds.
function clampInterval(text, fallback) {
    let seconds = parseInt(text, 10);
    if (isNaN(seconds))
        seconds = parseInt(fallback, 10);
    if (isNaN(seconds))
        seconds = minInterval;
    return Math.min(maxInterval, Math.max(minInterval, seconds));
}

// Takes up to `count` ids from `list`, from `index` on and round again from the head.
// Returns {ids, index}, index being where the next take begins.
function take(list, count, index) {
    const ids = [];
    const wanted = Math.min(list.length, Math.max(0, count));
    for (let k = 0; k < wanted; ++k) {
        if (index >= list.length)
            index = 0;
        ids.push(list[index]);
        index += 1;
    }
    return {ids: ids, index: index};
}

// A plain array of numbers: a list read from the settings is a live view of them.
function copyIds(list) {
    const ids = [];
    for (let i = 0; i < list.length; ++i)
        ids.push(Number(list[i]));
    return ids;
}

// The selection with `id` added and sorted by number, or null when it holds `id` already.
function withId(selection, id) {
    if (selection.indexOf(id) !== -1)
        return null;
    const result = selection.concat([id]);
    result.sort((a, b) => a - b);
    return result;
}

// The selection without `id`, or null when it does not hold it.
function withoutId(selection, id) {
    const at = selection.indexOf(id);
    if (at === -1)
        return null;
    const result = selection.slice();
    result.splice(at, 1);
    return result;
}

function idsOf(records) {
    const ids = [];
    for (let i = 0; i < records.length; ++i)
        ids.push(records[i].ChannelID);
    return ids;
}

// The list rows of one page of the channel list: channels that are parents of
// sub-channels are left out.
function rowsOf(channels) {
    const rows = [];
    for (let i = 0; i < channels.length; ++i) {
        const channel = channels[i];
        if (channel.Parental !== 0)
            continue;
        rows.push({DevID: channel.DevID, ChannelID: channel.ChannelID, Name: channel.Name,
                   DevName: channel.DevName, Online: channel.Online});
    }
    return rows;
}

// The record a tile plays for a channel of the server's reply.
function tileRecord(channel) {
    return {name: channel.Name, parentDeviceID: channel.ParentDeviceID, channelID: channel.ChannelID, snapUrl: ""};
}

// The ids of a group's channels that are online: only the number 1 counts.
function onlineChannelIds(groupChannels) {
    const ids = [];
    for (let i = 0; i < groupChannels.length; ++i) {
        if (groupChannels[i].ChannelOnline === 1)
            ids.push(groupChannels[i].ChannelId);
    }
    return ids;
}
