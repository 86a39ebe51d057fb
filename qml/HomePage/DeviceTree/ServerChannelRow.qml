import QtQuick

// A channel of the group and favourite trees: a record with the server's keys, drawn as
// any channel line. It never opens, is never drawn as current, and its whole line, icon
// included, takes the pointer.
ChannelLine {
    channel: ({ name: theData?.Name, online: theData?.Online, enable: theData?.Enable, protocol: theData?.Protocol,
                rtspUrl: theData?.RtspUrl, recordUrl: theData?.RecordUrl, iP: theData?.IP, port: theData?.Port })
    expandable: false
    showsCurrent: false
    lineFromEdge: true
}
