import QtQuick
import QtTest
import an.window 1.0
import "qrc:/zelka/qml/HomePage"

// The account window: its fallback lines while the host flag and the user record are
// missing (as the native layer leaves them), the lines of a host, the remaining days,
// and where display() puts it.
ClientTestCase {
    id: testCase
    name: "UserInfoWindow"

    readonly property real day: 24 * 60 * 60 * 1000

    function openAccountWindow() {
        const host = createTemporaryObject(hostComponent, testCase);
        verify(host);
        return part(host, "account");
    }

    function lines(window) {
        return ["accountLine", "realNameLine", "phoneLine", "updateTimeLine", "validPeriodLine", "remainingLine"]
            .map(name => part(window, name).text);
    }

    // A user record whose password was changed `daysAgo` days ago, valid for one month.
    function hostRecord(daysAgo) {
        return {
            username: "admin", realName: "王伟", phoneNumber: "13800000000",
            updateTime: new Date(Date.now() - daysAgo * day).toISOString(), passwordValidPeriod: 1
        };
    }

    Component {
        id: hostComponent

        FramelessWindow {
            id: homeWindow

            x: 100
            y: 50
            width: 1688
            height: 950

            UserInfoWindow {
                objectName: "account"
            }
        }
    }

    function test_missingInputsShowTheFallbacks() {
        const window = openAccountWindow();
        compare(window.isHost, undefined);
        compare(window.userInfo, undefined);
        compare(lines(window), ["账号: 被控客户端", "真实姓名: 被控客户端", "手机号码: 无", "密码更新时间: 无",
                                "密码有效期: 无", "密码剩余有效期: 无"]);
        window.isHost = false;
        window.userInfo = hostRecord(10);
        compare(lines(window)[0], "账号: 被控客户端");
        compare(window.visible, false);
        compare(window.opened, false);
    }

    function test_hostLinesAndRemainingDaysCutTowardZero() {
        const window = openAccountWindow();
        window.isHost = true;
        // A minute short of 10 days ago, so that the running clock cannot make it 19.
        window.userInfo = hostRecord(10 - 1 / 1440);
        const text = lines(window);
        compare(text[0], "账号: admin");
        compare(text[1], "真实姓名: 王伟");
        compare(text[2], "手机号码: 13800000000");
        compare(text[3], "密码更新时间: " + window.userInfo.updateTime + " ");
        compare(text[4], "密码有效期: 1 个月");
        compare(text[5], "密码剩余有效期: 20 天");
        const column = part(window, "infoColumn");
        compare(column.remaining(), 20);
        window.userInfo = hostRecord(31);
        compare(column.remaining(), -1);
        compare(lines(window)[5], "密码剩余有效期: -1 天");
        window.userInfo = hostRecord(30.5);
        compare(column.remaining(), 0);
        compare(lines(window)[5], "密码剩余有效期: 0 天");
        window.userInfo = { updateTime: "not a date", passwordValidPeriod: 1 };
        compare(lines(window)[5], "密码剩余有效期: NaN 天");
    }

    function test_displayCentresOnTheMainWindowAndCloses() {
        const window = openAccountWindow();
        const s = styleManager.scaleRatio;
        compare(window.width, Math.trunc(400 * s));
        compare(window.height, Math.trunc(280 * s));
        compare(window.resizable, false);
        compare(window.taskbarHint, false);
        window.display();
        compare(window.x, Math.trunc(100 + (1688 - 400 * s) / 2));
        compare(window.y, Math.trunc(50 + (950 - 280 * s) / 2));
        if (s === 1)
            compare(Qt.point(window.x, window.y), Qt.point(744, 385));
        compare(window.visible, true);
        compare(window.opened, true);
        tryCompare(window, "opacity", 1, patience);
        mouseClick(part(window, "AppWindowCloseButton"));
        compare(window.opened, false);
        compare(window.visible, false);
        window.display();
        window.quit();
        compare(window.opened, false);
        compare(window.visible, false);
    }
}
