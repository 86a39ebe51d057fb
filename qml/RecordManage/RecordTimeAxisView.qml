// Stand-in for the time axis view until it is built: the members the record page uses and the entries' names.
import QtQuick

Item {
    property int type: 0
    property var timeLineList: []
    property int channelID: -1

    function addRecordTimeLine(id, name, list) {
        timeLineList = list;
        channelID = id;
    }

    function clearRecordTimeLine() {
        channelID = -1;
        timeLineList = [];
    }

    ListView {
        anchors.fill: parent
        anchors.margins: 10
        model: timeLineList
        delegate: Text {
            required property var modelData
            text: modelData.name
            color: "white"
        }
    }
}
