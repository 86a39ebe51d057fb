import QtQuick

// The electronic map page as the logged-in client shows it, with a small square turning
// in a corner so that the window draws a frame whenever the GUI thread lets it: the gap
// between two frames is what the operator sees of a stall. `qmlRoot` names where the
// interface files come from: the module's resources, or a folder of other sources.
Item {
    id: root

    property string qmlRoot: "qrc:/zelka/qml"
    // Read by name by the tiles' overlays and the side panel's stars.
    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")
    property bool loggedIn: false
    readonly property Item page: pageLoader.item

    // The page is made once the server's configuration (the map's start) has come, as the
    // client's main window is.
    function logIn(user, password) {
        networkManager.login(user, password, "", function (ok) {
            if (ok)
                networkManager.getOtherConfig();
            root.loggedIn = ok;
        });
    }

    function refresh() {
        networkManager.getDeviceList();
    }

    function mapReady() {
        const map = page ? findByName(page, "map") : null;
        return map !== null && map.supportedMapTypes.length > 0;
    }

    function findByName(item, name) {
        if (item.objectName === name)
            return item;
        for (let i = 0; i < item.children.length; ++i) {
            const found = findByName(item.children[i], name);
            if (found)
                return found;
        }
        return null;
    }

    width: 1688
    height: 904

    Loader {
        id: pageLoader
        anchors.fill: parent
        active: root.loggedIn && networkManager.otherConfig.mapCentre !== ""
        source: root.qmlRoot + "/ElectronicMap/ElectronicMapPage.qml"
    }

    Rectangle {
        width: 12
        height: 12
        color: "#ff8000"

        NumberAnimation on rotation {
            from: 0
            to: 360
            duration: 2000
            loops: Animation.Infinite
        }
    }
}
