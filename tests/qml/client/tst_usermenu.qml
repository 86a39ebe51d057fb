import QtQuick
import QtTest

// The user button of the title strip and its drop-down, under a stand-in main window
// whose quit() is counted: the nick name, where the drop-down opens, how it closes, and
// logging out, which ends the application whatever the server answers.
ShellTestCase {
    id: testCase
    name: "UserMenu"

    function init() {
        resetClient();
        settingManager.setApplicationNeedRestart(false);
    }

    // The strip under a stand-in main window, its user record answered.
    function openHost() {
        logIn();
        const component = Qt.createComponent("TitleBarHost.qml");
        compare(component.status, Component.Ready, component.errorString());
        const host = createTemporaryObject(component, testCase);
        verify(host);
        host.requestActivate();
        tryCompare(host, "active", true, patience);
        return host;
    }

    // The user button once the name has arrived and the strip has been laid out again.
    function userMenu(host) {
        const page = part(host, "administratorPage");
        tryCompare(page, "nickName", "系统管理员", patience);
        tryVerify(() => page.width === part(host, "userIcon").width + part(host, "nickNameText").width, patience);
        return page;
    }

    function dropDown(host) {
        return part(host, "userMenuWindow");
    }

    function openDropDown(host) {
        const content = dropDown(host);
        mouseClick(part(host, "userButton"));
        compare(content.opened, true);
        compare(content.visible, true);
        tryCompare(part(content, "userMenuPicture"), "opacity", 1, patience);
        return content;
    }

    function test_nickNameAndButtonLooks() {
        const host = openHost();
        const page = userMenu(host);
        compare(page.name, "admin");
        compare(page.roleName, "超级管理员");
        const nameText = part(host, "nickNameText");
        const icon = part(host, "userIcon");
        compare(nameText.text, "系统管理员");
        compare(nameText.color, page.textColor);
        compare(String(icon.source), styleManager.style.image("Home-Admin-Normal"));
        compare(page.height, 32 * s);
        compare(page.width, icon.width + nameText.width);
        // Centred in the 50-high strip.
        compare(page.mapToItem(null, 0, 0).y, 9 * s);

        const button = part(host, "userButton");
        mouseMove(button, button.width / 2, button.height / 2);
        tryCompare(icon, "source", styleManager.style.image("Home-Admin-Hovered"), patience);
        compare(nameText.color, page.inputColor);
        mousePress(button, button.width / 2, button.height / 2);
        compare(String(icon.source), styleManager.style.image("Home-Admin-Clicked"));
        compare(nameText.color, page.inputColor);
        mouseRelease(button, button.width / 2, button.height / 2);
        compare(String(icon.source), styleManager.style.image("Home-Admin-Hovered"));
        // The click opened the drop-down; let it close before the host goes.
        const content = dropDown(host);
        compare(content.opened, true);
        mouseClick(button);
        tryCompare(content, "opened", false, patience);
    }

    // 9 + 32 + 30 below the main window's top, centred under the narrower button; a
    // second click fades it out, and only then is it closed.
    function test_dropDownOpensUnderTheButtonAndFadesOut() {
        const host = openHost();
        const page = userMenu(host);
        host.x = 40;
        host.y = 30;
        tryVerify(() => host.x === 40 && host.y === 30, patience, "the host moved");
        const content = openDropDown(host);
        compare(content.width, 140 * s);
        compare(content.height, 160 * s);
        compare(content.y, host.y + 71 * s);
        verify(page.width < content.width, "button narrower than the drop-down: " + page.width);
        const buttonCentre = host.x + page.mapToItem(null, 0, 0).x + page.width / 2;
        verify(Math.abs(content.x + content.width / 2 - buttonCentre) <= 1,
               "drop-down centre " + (content.x + content.width / 2) + ", button centre " + buttonCentre);
        compare(content.taskbarHint, false);
        compare(content.resizable, false);
        compare(content.topWindow, host);
        compare(String(part(content, "userMenuPicture").source), page.contentImage);

        // The place is taken when it opens only.
        host.x = 300;
        compare(content.y, 30 + 71 * s);

        mouseClick(part(host, "userButton"));
        const picture = part(content, "userMenuPicture");
        tryVerify(() => picture.opacity < 1, patience);
        compare(content.opened, true, "open until the fade-out ends");
        compare(content.visible, true);
        tryCompare(content, "opened", false, patience);
        compare(content.visible, false);
        compare(picture.opacity, 0);
    }

    function test_focusLossAndEntriesCloseTheDropDown() {
        const host = openHost();
        userMenu(host);
        let content = openDropDown(host);
        // Whatever takes the focus away fades it out.
        host.requestActivate();
        tryCompare(content, "opened", false, patience);
        compare(content.visible, false);

        // "个人信息" only fades it out; the account window stays hidden.
        content = openDropDown(host);
        const account = part(host, "userInfoWindow");
        mouseClick(part(content, "detailEntry"));
        tryCompare(content, "opened", false, patience);
        compare(account.visible, false);
        compare(account.opened, false);

        // "用户管理" opens the server's address in the browser, nothing after the port.
        content = openDropDown(host);
        mouseClick(part(content, "userManageEntry"));
        tryCompare(openedUrls, "count", 1, patience);
        compare(openedUrls.urls[0], "http://" + testServer.host + ":" + testServer.port);
        host.requestActivate();
        tryCompare(content, "opened", false, patience);
    }

    function test_entryHighlightFollowsThePointer() {
        const host = openHost();
        const page = userMenu(host);
        const content = openDropDown(host);
        const entry = part(content, "logoutEntry");
        compare(entry.height, 25 * s);
        compare(entry.hovered, false);
        mouseMove(entry, entry.width / 2, entry.height / 2);
        tryCompare(entry, "hovered", true, patience);
        mouseMove(entry, entry.width / 2, -entry.height);
        tryCompare(entry, "hovered", false, patience);
        // A press that leaves before its release does not log out.
        mousePress(entry, entry.width / 2, entry.height / 2);
        compare(entry.hovered, true);
        mouseMove(entry, entry.width / 2, entry.height * 3, -1, Qt.LeftButton);
        mouseRelease(entry, entry.width / 2, entry.height * 3);
        compare(entry.hovered, false);
        compare(page.isLoggingOut, false);
        mouseClick(part(host, "userButton"));
        tryCompare(content, "opened", false, patience);
    }

    function test_closingTheMainWindowClosesTheDropDownAtOnce() {
        const host = openHost();
        userMenu(host);
        const content = openDropDown(host);
        host.close();
        compare(content.visible, false);
        compare(content.opened, false);
    }

    // A second click while the server has not answered sends nothing; the answer sets
    // the restart flag and quits.
    function test_logoutSendsOnePostThenQuits() {
        testServer.setFault("/api/v1/logout", { delayMs: 300 });
        const host = openHost();
        const page = userMenu(host);
        const content = openDropDown(host);
        const entry = part(content, "logoutEntry");
        mouseClick(entry);
        compare(page.isLoggingOut, true);
        mouseClick(entry);
        tryCompare(host, "quitCalls", 1, patience);
        compare(page.isLoggingOut, false);
        compare(settingManager.applicationNeedRestart(), true);
        const posts = testServer.requests("/api/v1/logout");
        compare(posts.length, 1);
        compare(posts[0].method, "POST");
        wait(400);
        compare(testServer.requests("/api/v1/logout").length, 1);
        compare(host.quitCalls, 1);
    }

    function test_refusedLogoutQuitsLikeAnyAnswer() {
        testServer.setFault("/api/v1/logout", { status: 500, body: "refused" });
        const host = openHost();
        userMenu(host);
        mouseClick(part(openDropDown(host), "logoutEntry"));
        tryCompare(host, "quitCalls", 1, patience);
        compare(settingManager.applicationNeedRestart(), true);
        verify(testKit.messages().some(message => message.indexOf("logout error") >= 0), "the refusal is logged");
    }

    // An unanswered logout ends when the transport gives up (here after 1.5 s, else 30 s).
    function test_unansweredLogoutQuitsWhenTheTransportGivesUp() {
        testKit.setRequestTimeout(1500);
        testServer.setFault("/api/v1/logout", { neverAnswer: true });
        const host = openHost();
        const page = userMenu(host);
        mouseClick(part(openDropDown(host), "logoutEntry"));
        waitForRequests("/api/v1/logout", 1);
        compare(host.quitCalls, 0);
        compare(page.isLoggingOut, true);
        tryCompare(host, "quitCalls", 1, patience);
        compare(page.isLoggingOut, false);
    }

    function test_failedUserRecordLeavesTheNameEmpty() {
        testServer.setFault("/api/v1/getuserinfo", { status: 500 });
        const host = openHost();
        const page = part(host, "administratorPage");
        waitForRequests("/api/v1/getuserinfo", 1);
        tryVerify(() => testKit.messages().some(message => message.indexOf("getUserInfo error") >= 0), patience);
        compare(page.nickName, "");
        compare(part(host, "nickNameText").text, "");
        tryVerify(() => page.width === part(host, "userIcon").width + part(host, "nickNameText").width, patience);
    }

    // The close button tells the server without waiting and quits in the same event.
    function test_closeButtonLogsOutAndQuitsAtOnce() {
        testServer.setFault("/api/v1/logout", { neverAnswer: true });
        const host = openHost();
        userMenu(host);
        mouseClick(part(host, "closeButton"));
        compare(host.quitCalls, 1);
        waitForRequests("/api/v1/logout", 1);
        compare(testServer.requests("/api/v1/logout")[0].method, "POST");
        compare(settingManager.applicationNeedRestart(), false);
    }
}
