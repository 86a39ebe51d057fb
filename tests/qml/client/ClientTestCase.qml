import QtQuick
import QtTest

// Base of the tests of the client's windows: before each test the test server, the
// settings, ./config/config.ini and the URL recorder start afresh, and a QML warning of
// the kinds that mark a broken screen fails the test. Helpers open the login window,
// find its parts by object name and wait for the server's log.
TestCase {
    id: testCase

    // Every wait for something to happen allows `patience` milliseconds, a value the
    // runner sets for every test (kEventWaitMs in tests/common/eventwait.h).

    readonly property var settings: settingManager.settings

    when: windowShown

    function init() {
        resetClient();
    }

    // A test file with an init() of its own calls this first.
    function resetClient() {
        failOnWarning(/TypeError|ReferenceError|Unable to assign|Binding loop/);
        testServer.reset();
        openedUrls.clear();
        testKit.clearMessages();
        testKit.setRequestTimeout(0);
        settings.host = testServer.host;
        settings.port = String(testServer.port);
        settings.username = "";
        settings.password = "";
        settings.remember = false;
        settings.carouselList = [];
        verify(configFile.remove(), "config.ini could not be removed");
        // The client's copy of the server configuration as the seeded data has it.
        networkManager.getOtherConfig();
        const config = networkManager.otherConfig;
        tryVerify(() => config.title === "Zelka视频监控平台(测试)" && !config.allowCaptcha && config.demo, patience);
        testServer.clearLog();
    }

    function cleanup() {
        for (const window of homeWindows())
            window.destroy();
    }

    // Waits until the server has logged at least `count` requests to `path`; returns them.
    function waitForRequests(path, count) {
        tryVerify(() => testServer.requests(path).length >= count, patience,
                  "expected " + count + " request(s) to " + path);
        return testServer.requests(path);
    }

    // The login window as the client shows it at start, faded in, its two start-up
    // requests sent. With `advertCount`, also waits until the advert list was shown,
    // so that no reply arrives after the test has destroyed the window.
    function openLoginWindow(advertCount) {
        const component = Qt.createComponent("qrc:/zelka/qml/main.qml");
        compare(component.status, Component.Ready, component.errorString());
        const window = createTemporaryObject(component, testCase);
        verify(window, "login window");
        tryCompare(window, "opacity", 1.0, patience);
        waitForRequests("/api/v1/getotherconfig", 1);
        waitForRequests("/api/v1/advertisinglist", 1);
        if (advertCount !== undefined)
            tryCompare(part(window, "imageView"), "count", advertCount, patience);
        window.requestActivate();
        tryCompare(window, "active", true, patience);
        return window;
    }

    // A part of a window by its object name.
    function part(window, name) {
        const item = findChild(window.contentItem, name) || findChild(window, name);
        verify(item, "no part named " + name);
        return item;
    }

    // The main windows that a successful login created.
    function homeWindows() {
        return testKit.topLevelWindows().filter(window => String(window).startsWith("HomeWindow"));
    }

    // A data row that names a screen ({ screen: Qt.size(width, height), ratio }) runs on a
    // screen of that size only, at the ratio it names: CTest runs the test once more on
    // each screen its rows name (tests/qml/CMakeLists.txt). On another screen the row is
    // skipped; on its own, another ratio than the one it names fails it.
    function requireScreen(row) {
        const screen = Qt.application.screens[0];
        const size = screen.width + " x " + screen.height;
        if (screen.width !== row.screen.width || screen.height !== row.screen.height)
            skip("runs on a " + row.screen.width + " x " + row.screen.height + " screen, not on " + size);
        fuzzyCompare(styleManager.scaleRatio, row.ratio, 1e-9, "the scale ratio on " + size);
    }

    // Clicks into a field and types into it: ASCII and anything else alike.
    function typeInto(field, text) {
        mouseClick(field);
        tryCompare(field, "activeFocus", true, patience);
        verify(testKit.typeText(text));
    }
}
