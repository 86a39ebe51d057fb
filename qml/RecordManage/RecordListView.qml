// Stand-in for the record table until it is built: the members the record page uses and the rows' names.
import QtQuick

Item {
    property int type: 0
    property alias model: recordListModel

    ListModel {
        id: recordListModel
    }

    ListView {
        anchors.fill: parent
        anchors.margins: 10
        model: recordListModel
        delegate: Text {
            required property string name
            text: name
            color: "white"
        }
    }
}
