import QtQuick
import "qrc:/zelka/qml/RealtimeRetrieval" as RealtimeRetrieval

// The real-time view page as the main window holds it, with the window's colours, and
// what the benchmark asks of it: a login, its own layout file, a group of channels.
Item {
    id: root

    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")
    property bool loggedIn: false
    readonly property var view: page.children[0]
    readonly property bool keyFrameMode: view.enableKeyFrame

    function logIn(user, password) {
        networkManager.login(user, password, "", function (ok) { root.loggedIn = ok; });
    }

    // The layouts of `file` in place of the shipped ones, the one of `index` in force.
    function useLayouts(file, index) {
        view.layoutFile = file;
        view.__initialize = false;
        view.recalcLayoutObjects();
        view.currentLayout = index;
    }

    function playGroup(ids) {
        view.playCarouselGroupList(ids);
    }

    function stopCarousel() {
        view.playCarouselGroupList([]);
        view.closeAllCamera();
    }

    // What takes tiles out of sight and brings them back, as the operator does: another
    // layout, a maximised tile (a double-click moves it into the view), another page.
    function switchLayout(index) {
        view.currentLayout = index;
    }

    function maximise(index, on) {
        const camera = view.cameraAt(index);
        camera.parent = on ? camera.fillParent : camera.noFillParent;
        view.setCurrentCamera(camera);
    }

    function showPage(on) {
        page.visible = on;
    }

    // Milliseconds of one recomputation of every layout, over `rounds`.
    function recalcMs(rounds) {
        const started = Date.now();
        for (let i = 0; i < rounds; ++i)
            view.recalcLayoutObjects();
        return (Date.now() - started) / rounds;
    }

    width: 1688
    height: 904

    RealtimeRetrieval.RealtimeRetrievalPage {
        id: page
        anchors.fill: parent
    }
}
