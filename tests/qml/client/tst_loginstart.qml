import QtQuick
import QtTest

// The login window as it starts: the server's title, footer text and adverts, and the
// captcha row and visitor button that the server's configuration switches.
ClientTestCase {
    id: testCase
    name: "LoginStart"

    readonly property string serverTitle: "Zelka视频监控平台(测试)"

    function showPage(view, index) {
        view.currentIndex = index;
        tryVerify(() => Math.abs(view.contentItem.contentX - view.itemAt(index).x) < 1, patience);
    }

    function test_titleFooterAndAdverts() {
        const window = openLoginWindow(3);
        tryCompare(part(window, "title"), "text", serverTitle, patience);
        compare(window.title, serverTitle);
        compare(part(window, "copyright").text, "Copyright © 2026 Zelka 本地测试服务器");
        compare(window.width, 1040);
        compare(window.height, 600);
        compare(window.minimumWidth, 1040);
        compare(window.minimumHeight, 600);

        const view = part(window, "imageView");
        const background = part(window, "background");
        compare(background.width, 1040 - 12);
        compare(view.width, background.width / 2);
        const base = "http://" + testServer.host + ":" + testServer.port;
        compare(String(view.itemAt(0).source), base + "/media/advert/1.jpg");
        compare(String(view.itemAt(2).source), base + "/media/advert/3.jpg");
        tryCompare(view.itemAt(0), "status", Image.Ready, patience);
        compare(view.itemAt(1).object.Title, "云端录像存储");
        compare(view.currentIndex, 0);
    }

    // A failed list is not reported and leaves the whole background to the form.
    function test_failedAdvertListLeavesNoView() {
        testServer.setFault("/api/v1/advertisinglist", { status: 500, body: "broken" });
        const window = openLoginWindow();
        tryCompare(part(window, "title"), "text", serverTitle, patience);
        // The failure has no visible effect to wait for: give its reply time to arrive.
        wait(300);
        const view = part(window, "imageView");
        compare(view.count, 0);
        compare(view.width, 0);
        compare(part(window, "formPanel").x + 210, part(window, "background").width / 2);

        testServer.clearFaults();
        testServer.changeData({ "Adverts": [] });
        const second = openLoginWindow(0);
        compare(part(second, "imageView").width, 0);
    }

    function test_configurationNotObtainedKeepsDefaults() {
        testServer.setFault("/api/v1/getotherconfig", { status: 503, body: "busy" });
        const window = openLoginWindow(3);
        compare(window.title, networkManager.otherConfig.title);
        verify(!part(window, "captchaRow").visible || networkManager.otherConfig.allowCaptcha);
    }

    function test_captchaRowAndPicture() {
        let window = openLoginWindow(3);
        const rowsWithout = part(window, "inputColumn");
        tryCompare(networkManager.otherConfig, "allowCaptcha", false, patience);
        compare(part(window, "captchaRow").visible, false);
        compare(String(part(window, "captchaImage").source), "");
        compare(part(window, "remember").parent.y, part(window, "passwordEdit").y + 45 + 22);
        compare(testServer.requests("/api/v1/captcha").length, 0);

        testServer.changeData({ "OtherConfig": { "AllowCaptcha": true } });
        window = openLoginWindow(3);
        const row = part(window, "captchaRow");
        tryCompare(row, "visible", true, patience);
        compare(row.y, part(window, "passwordEdit").y + 45 + 22);
        compare(part(window, "remember").parent.y, row.y + 45 + 22);
        const picture = part(window, "captchaImage");
        // The API's port speaks plain HTTP: the picture comes from there.
        compare(String(picture.source), "http://" + testServer.host + ":" + testServer.port + "/api/v1/captcha");
        compare(picture.cache, false);
        tryCompare(picture, "status", Image.Ready, patience);
        verify(picture.sourceSize.width > 0);
        waitForRequests("/api/v1/captcha", 1);

        // A click fetches a new picture.
        mouseClick(picture);
        waitForRequests("/api/v1/captcha", 2);
        tryCompare(picture, "status", Image.Ready, patience);
    }

    function test_visitorButtonFollowsDemo() {
        let window = openLoginWindow(3);
        const visitor = part(window, "visitorLoginButton");
        tryCompare(visitor, "visible", true, patience);
        compare(visitor.text, "游客登录");
        compare(part(window, "loginButton").x, 0);
        compare(visitor.x, 320 - 150);

        testServer.changeData({ "OtherConfig": { "Demo": false } });
        window = openLoginWindow(3);
        tryCompare(part(window, "visitorLoginButton"), "visible", false, patience);
        compare(part(window, "loginButton").x, (320 - 150) / 2);
        compare(part(window, "loginButton").text, "点击登录");
    }

    // Pictures that fail stay empty; the window stays usable.
    function test_brokenPicturesStayEmpty() {
        testServer.changeData({ "OtherConfig": { "AllowCaptcha": true },
                                "Adverts": [{ "Title": "没有图片" }, { "ImageUrl": "/media/advert/missing.jpg" }] });
        testServer.setFault("/api/v1/captcha", { status: 500, body: "no picture" });
        const window = openLoginWindow(2);
        const view = part(window, "imageView");
        tryCompare(view.itemAt(1), "status", Image.Error, patience);
        compare(view.itemAt(1).frameCount, 0);
        tryCompare(part(window, "captchaImage"), "status", Image.Error, patience);
        compare(view.width, part(window, "background").width / 2);
        verify(part(window, "usernameEdit").enabled);
    }

    function test_advertsTooltipsAndLinks() {
        openedUrls.watch("javascript");
        testServer.changeData({ "Adverts": [
            { "ImageUrl": "/media/advert/1.jpg", "Title": "第一页", "JumpUrl": "https://example.com/a" },
            { "ImageUrl": "/media/advert/2.jpg", "Title": "第二页", "JumpUrl": "file:///etc/passwd" },
            { "ImageUrl": "/media/advert/3.jpg", "Title": "第三页", "JumpUrl": "javascript:alert(1)" },
            { "ImageUrl": "/media/advert/1.jpg", "Title": "第四页", "JumpUrl": "HTTP://example.com/b" }
        ] });
        const window = openLoginWindow(4);
        const view = part(window, "imageView");
        const first = view.itemAt(0);
        const tooltip = findChild(first, "advertTooltip");
        mouseMove(first, first.width / 2, first.height / 2);
        tryCompare(first, "hovered", true, patience);
        tryCompare(tooltip, "visible", true, patience);
        compare(tooltip.text, "第一页");
        mouseMove(part(window, "formPanel"), 10, 10);
        tryCompare(tooltip, "visible", false, patience);

        // Only web pages are handed to the browser.
        for (let i = 0; i < view.count; ++i) {
            showPage(view, i);
            mouseClick(view.itemAt(i));
        }
        compare(openedUrls.urls, ["https://example.com/a", "http://example.com/b"]);

        // A swipe is no click, and it takes the tool tip away as it begins.
        showPage(view, 0);
        openedUrls.clear();
        const x = view.width * 0.8;
        const y = view.height / 2;
        mouseMove(view, x, y);
        tryCompare(tooltip, "visible", true, patience);
        mousePress(view, x, y);
        for (let dx = 10; dx <= 300 && !view.contentItem.dragging; dx += 10)
            mouseMove(view, x - dx, y);
        verify(view.contentItem.dragging, "the swipe took over the press");
        compare(first.hovered, false);
        tryCompare(tooltip, "visible", false, patience);
        mouseRelease(view, x - 300, y);
        tryCompare(view.contentItem, "moving", false, patience);
        compare(openedUrls.count, 0);
    }

    function test_forgotPasswordLink() {
        const window = openLoginWindow(3);
        const link = part(window, "forgetLink");
        verify(link.text.indexOf("忘记密码?") >= 0);
        mouseClick(link);
        tryCompare(openedUrls, "count", 1, patience);
        compare(openedUrls.urls[0], "https://" + testServer.host + ":" + testServer.port);
    }
}
