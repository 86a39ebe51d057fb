import QtQuick
import QtTest

// Base of the tests of the main window: logs in through the API client, opens the main
// window as the login window does, and finds its menu entries, page loaders and parts.
ClientTestCase {
    id: shellCase

    readonly property real s: styleManager.scaleRatio
    // Loader object names by menu type (2 = Home ... 7 = AlarmQuery).
    readonly property var loaderNames: ({
        2: "homeLoader", 3: "videoSquareLoader", 4: "realtimeRetrievalLoader",
        5: "electronicMapLoader", 6: "recordManageLoader", 7: "alarmQueryLoader"
    })

    function logIn() {
        let answer = null;
        networkManager.login(testServer.userName, testServer.password, "", (success, errorString) => {
            answer = { success: success, errorString: errorString };
        });
        tryVerify(() => answer !== null, patience, "login answered");
        verify(answer.success, answer.errorString);
    }

    // The main window after login, faded in, its user record answered (so that no reply
    // arrives after the test), its first page switch over.
    function openHomeWindow() {
        logIn();
        testServer.clearLog();
        const component = Qt.createComponent("qrc:/zelka/qml/HomePage/HomeWindow.qml");
        compare(component.status, Component.Ready, component.errorString());
        const window = component.createObject(shellCase);
        verify(window, "main window");
        tryCompare(window, "opacity", 1.0, patience);
        waitForRequests("/api/v1/getuserinfo", 1);
        waitForUserRecord(window);
        tryCompare(part(window, "switchAnimation"), "running", false, patience);
        return window;
    }

    function waitForUserRecord(window) {
        tryCompare(part(window, "administratorPage"), "nickName", "系统管理员", patience);
    }

    // The drag strip of the top edge: 450 from either side, 30 high, scaled and rounded
    // as the window rounds it.
    function captionArea(window) {
        const left = Math.round(450 * s);
        return Qt.rect(left, 0, Math.round(window.width - 450 * s) - left, Math.round(30 * s));
    }

    function menu(window) {
        return part(window, "homeMenu");
    }

    // The menu's entries, in menu order.
    function entries(window) {
        const list = part(window, "menuList");
        const found = [];
        for (let i = 0; i < list.count; ++i) {
            const entry = findChild(list, "menuEntry" + i);
            verify(entry, "menu entry " + i);
            found.push(entry);
        }
        return found;
    }

    function entryFor(window, menuType) {
        const list = part(window, "menuList");
        for (let i = 0; i < list.count; ++i) {
            if (list.model.get(i).menuType === menuType)
                return entries(window)[i];
        }
        fail("no menu entry for " + menuType);
    }

    function loader(window, menuType) {
        return part(window, loaderNames[menuType]);
    }

    // Object names of the loaders that show their page now.
    function visibleLoaders(window) {
        return Object.keys(loaderNames).map(key => loader(window, Number(key)))
            .filter(item => item.visible).map(item => item.objectName);
    }

    // Chooses a page as the operator does and waits for the slide to end.
    function switchTo(window, menuType) {
        mouseClick(entryFor(window, menuType));
        compare(menu(window).currentMenu, menuType);
        tryCompare(part(window, "switchAnimation"), "running", false, patience);
    }
}
