import QtQuick
import QtTest

// What the login window keeps: the input the fields accept, the remembered password
// and the user name in ./config/config.ini, the carousel list of another operator.
ClientTestCase {
    id: testCase
    name: "LoginSettings"

    function clickLogin(window) {
        mouseClick(part(window, "loginButton"));
    }

    // Waits for the answer to the last login: a tool tip or the main window.
    function waitForLoginAnswer(window, count) {
        waitForRequests("/api/v1/login", count);
        tryVerify(() => part(window, "loginTooltip").visible || homeWindows().length > 0, patience);
    }

    function test_fieldsRefuseWhatTheyDoNotAccept() {
        testServer.changeData({ "OtherConfig": { "AllowCaptcha": true } });
        const window = openLoginWindow(3);
        tryCompare(part(window, "captchaRow"), "visible", true, patience);

        const username = part(window, "usernameEdit");
        typeInto(username, "ad m中é·!~\t1");
        compare(username.text, "adm·!~1");
        const password = part(window, "passwordEdit");
        typeInto(password, "p w·ö#");
        compare(password.text, "pw·#");
        compare(password.displayText, "●●●●");
        const captcha = part(window, "vercodeEdit");
        typeInto(captcha, "a-1_B中2c9");
        compare(captcha.text, "a1B2");

        // Pasted text is refused as a whole, as typing it would be.
        username.text = "";
        username.insert(0, "two words");
        compare(username.text, "");
        compare(username.placeholderText, "请输入您的用户名");
        compare(password.placeholderText, "请输入您的密码");
        compare(captcha.placeholderText, "请输入图形验证码");
    }

    // Ticking keeps what was typed and stores it; unticking empties both; the file
    // follows at the next write.
    function test_rememberTickAndUntick() {
        const window = openLoginWindow(3);
        const password = part(window, "passwordEdit");
        const remember = part(window, "remember");
        compare(remember.checked, false);
        typeInto(password, "secret1");
        compare(settings.password, "", "not remembered: the setting stays untouched");

        mouseClick(remember);
        compare(remember.checked, true);
        compare(settings.remember, true);
        compare(password.text, "secret1");
        compare(settings.password, "secret1");
        typeInto(password, "2");
        compare(settings.password, "secret12", "typing while remembered reaches the setting");
        verify(!configFile.exists(), "the box writes nothing by itself");

        window.save();
        compare(configFile.value("Global/Remeber"), "true");
        compare(configFile.value("Global/Password"), Qt.btoa("secret12"));

        mouseClick(remember);
        compare(settings.remember, false);
        compare(settings.password, "");
        compare(password.text, "");
        window.save();
        compare(configFile.value("Global/Remeber"), "false");
        compare(configFile.value("Global/Password"), "");
    }

    function test_rememberedPasswordFillsTheField() {
        settings.remember = true;
        settings.password = "kept9";
        settings.username = "admin";
        const window = openLoginWindow(3);
        compare(part(window, "remember").checked, true);
        compare(part(window, "passwordEdit").text, "kept9");
        compare(part(window, "usernameEdit").text, "admin");
    }

    // Not remembered, the typed password reaches neither the file nor the log.
    function test_unrememberedPasswordNeverReachesTheFile() {
        const window = openLoginWindow(3);
        typeInto(part(window, "usernameEdit"), "admin");
        typeInto(part(window, "passwordEdit"), "Wrong#Pass77");
        clickLogin(window);
        waitForLoginAnswer(window, 1);
        compare(configFile.value("Global/Username"), "admin");
        compare(configFile.value("Global/Password"), "");
        const text = configFile.text();
        verify(text.length > 0);
        verify(text.indexOf("Wrong#Pass77") < 0 && text.indexOf(Qt.btoa("Wrong#Pass77")) < 0);
        verify(!testKit.messages().some(message => message.indexOf("Wrong#Pass77") >= 0), "the password was logged");
    }

    // A password with the middle dot: the server checks the MD5 of its Latin-1 bytes, the
    // file keeps its UTF-8, and the stored password logs in again after a restart.
    function test_middleDotPasswordRoundTrip() {
        testServer.changeData({ "Users": [{ "UserName": "op·1", "Password": "p·ss" }] });
        let window = openLoginWindow(3);
        mouseClick(part(window, "remember"));
        typeInto(part(window, "usernameEdit"), "op·1");
        typeInto(part(window, "passwordEdit"), "p·ss");
        clickLogin(window);
        waitForLoginAnswer(window, 1);
        compare(homeWindows().length, 1, "the server accepted the password");
        // MD5 over the Latin-1 bytes 70 B7 73 73, not over the UTF-8 ones.
        compare(testServer.requests("/api/v1/login")[0].items.password, "98d0ac2dfc8d87cec1eac53b2c8dea38");
        compare(configFile.value("Global/Password"), "cMK3c3M=", "Base64 of the UTF-8 bytes");
        compare(configFile.value("Global/Username"), "op·1");
        for (const home of homeWindows())
            home.destroy();

        // As after a restart: the settings come from the file.
        settings.password = "";
        settings.remember = false;
        settingManager.readSettings();
        settings.host = testServer.host;
        settings.port = String(testServer.port);
        compare(settings.password, "p·ss");
        window = openLoginWindow(3);
        compare(part(window, "passwordEdit").text, "p·ss");
        clickLogin(window);
        waitForLoginAnswer(window, 2);
        const logins = testServer.requests("/api/v1/login");
        compare(logins[1].items.password, logins[0].items.password);
        compare(homeWindows().length, 1);
    }

    function test_newUserNameEmptiesTheCarouselList() {
        settings.username = "admin";
        settings.carouselList = [101, 102];
        let window = openLoginWindow(3);
        typeInto(part(window, "passwordEdit"), "nothing");
        clickLogin(window);
        waitForLoginAnswer(window, 1);
        compare(settings.carouselList, [101, 102], "the same operator keeps the list");
        compare(configFile.value("Other/CarouselList"), ["101", "102"]);

        window = openLoginWindow(3);
        const username = part(window, "usernameEdit");
        mouseClick(username);
        username.selectAll();
        verify(testKit.typeText("guest"));
        compare(username.text, "guest");
        clickLogin(window);
        waitForLoginAnswer(window, 2);
        compare(settings.carouselList.length, 0);
        compare(settings.username, "guest");
        compare(configFile.value("Global/Username"), "guest");
        const stored = configFile.value("Other/CarouselList");
        verify(stored === undefined || stored.length === 0, "emptied in the file: " + stored);
    }
}
