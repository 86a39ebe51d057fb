import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage" as HomePage

// The latest alarms: the pages asked for and the rows shown for lists of every shape,
// the refresh button while a refresh runs, failed and hung requests, and the playback
// window of an alarm's recording.
ShellTestCase {
    id: alarmCase
    name: "LatestAlarms"

    visible: true
    width: 600
    height: 900

    readonly property color textColor: styleManager.style.color("Login-TextColor")
    readonly property string listPath: "/api/v1/alarmlist"

    Component {
        id: panelHost

        Item {
            property alias list: newAlarmListView
            property alias button: refreshAlarmButton
            property alias popup: playAlarmPopup
            width: 400
            height: 860

            Item {
                id: titleBar
                width: parent.width
                height: 32 * styleManager.scaleRatio

                HomePage.AlarmRefreshButton {
                    id: refreshAlarmButton
                    objectName: "refreshAlarmButton"
                    querying: newAlarmListView.querying
                    onClicked: newAlarmListView.refresh()
                }
            }

            HomePage.LatestAlarmList {
                id: newAlarmListView
                objectName: "newAlarmListView"
                anchors.top: titleBar.bottom
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                onPlayRequested: alarm => playAlarmPopup.play(alarm.AlarmRecord, alarm.ChannelName, alarm.AlarmTime)
            }

            HomePage.AlarmPlaybackPopup {
                id: playAlarmPopup
                objectName: "playAlarmPopup"
            }
        }
    }

    // `count` alarms, oldest first as the server pages them; every third has no recording.
    function alarms(count) {
        const list = [];
        for (let i = 1; i <= count; ++i) {
            list.push({ ID: i, DeviceID: 1, DeviceName: "设备", ChannelID: 100 + i, ChannelName: "通道" + i,
                        AlarmTime: "2026-12-01 10:" + String(i).padStart(2, "0") + ":00",
                        AlarmPriority: 1 + i % 4, AlarmMethod: 5, AlarmType: 1 + i % 13,
                        AlarmSnap: "/snap/alarm/" + i + (i % 2 ? ".h264" : ".h265"),
                        AlarmRecord: i % 3 === 0 ? "" : "/download/alarm/" + i + ".mp4" });
        }
        return list;
    }

    function putAlarms(list) {
        verify(testServer.changeData({ Alarms: list }));
    }

    // The panel, created after the server holds its alarms: its first refresh runs at once.
    function openPanel() {
        logIn();
        testServer.clearLog();
        const host = createTemporaryObject(panelHost, alarmCase);
        verify(host);
        return host;
    }

    function settle(host) {
        tryCompare(host.list, "querying", false, patience);
    }

    function pagesAsked() {
        return testServer.requests(listPath).map(r => Number(r.items.pageindex));
    }

    function shownIds(host) {
        return host.list.model.map(alarm => alarm.ID);
    }

    function range(first, last) {
        const ids = [];
        for (let i = first; i <= last; ++i)
            ids.push(i);
        return ids;
    }

    function row(host, index) {
        const list = host.list;
        list.positionViewAtIndex(index, ListView.Contain);
        tryVerify(() => list.itemAtIndex(index) !== null, patience, "alarm row " + index);
        return list.itemAtIndex(index);
    }

    function rowPart(host, index, name) {
        const found = findChild(row(host, index), name);
        verify(found, "no " + name + " in row " + index);
        return found;
    }

    function test_pagesAndRows_data() {
        return [
            { tag: "none", count: 0, pages: [0], ids: [] },
            { tag: "ten", count: 10, pages: [0], ids: range(1, 10) },
            { tag: "eleven", count: 11, pages: [0, 1, 0], ids: range(2, 11) },
            { tag: "twenty", count: 20, pages: [0, 2, 1], ids: range(11, 20) },
            { tag: "twenty-five", count: 25, pages: [0, 2, 1], ids: range(16, 25) },
            { tag: "thirty", count: 30, pages: [0, 3, 2], ids: range(21, 30) }
        ];
    }

    function test_pagesAndRows(data) {
        putAlarms(alarms(data.count));
        const host = openPanel();
        settle(host);
        compare(pagesAsked(), data.pages);
        for (const request of testServer.requests(listPath))
            compare([request.items.pagesize, request.items.priority, request.items.method, request.items.q],
                    ["10", "0", "0", undefined]);
        compare(shownIds(host), data.ids);
        compare(host.list.count, data.ids.length);

        // Each shown alarm fetches its snapshot once, without the login token.
        for (const id of data.ids) {
            const path = "/snap/alarm/" + id + (id % 2 ? ".h264" : ".h265");
            const fetched = waitForRequests(path, 1);
            compare(fetched.length, 1, path);
            compare(fetched[0].headers.token, undefined);
        }
        if (data.count === 0)
            return;

        // A refresh asks again and rebuilds every row, so each picture is fetched again.
        testServer.clearLog();
        const firstRow = row(host, 0);
        mouseClick(host.button);
        settle(host);
        compare(pagesAsked(), data.pages);
        compare(shownIds(host), data.ids);
        verify(row(host, 0) !== firstRow, "the rows were rebuilt");
        waitForRequests("/snap/alarm/" + data.ids[0] + (data.ids[0] % 2 ? ".h264" : ".h265"), 1);
    }

    function test_rowContents() {
        const list = alarms(3);
        Object.assign(list[0], { ChannelName: "西门", AlarmTime: "2026-12-01 09:00:00", AlarmPriority: 2,
                                 AlarmMethod: 5, AlarmType: 2 });
        Object.assign(list[1], { AlarmPriority: 9, AlarmMethod: 9, AlarmType: 1 });
        Object.assign(list[2], { AlarmPriority: 4, AlarmMethod: 2, AlarmType: 9, AlarmRecord: "" });
        putAlarms(list);
        const host = openPanel();
        settle(host);
        compare(host.list.count, 3);
        compare(rowPart(host, 0, "alarmText").text,
                "通道名: 西门 (2026-12-01 09:00:00)\n告警等级: 二级警情 告警方式: 视频报警\n告警类型: 运动目标检测报警");
        compare(rowPart(host, 1, "alarmText").text,
                "通道名: 通道2 (2026-12-01 10:02:00)\n告警等级: 未知警情 告警方式: 其他报警\n告警类型: ");
        compare(rowPart(host, 2, "alarmText").text.split("\n")[1], "告警等级: 四级警情 告警方式: 设备报警");
        compare(rowPart(host, 0, "alarmText").color, textColor);
        compare(row(host, 0).height, 260 * s);
        compare(rowPart(host, 0, "alarmSnap").snapUrl, "/snap/alarm/1.h264");
        verify(rowPart(host, 0, "playButton").visible);
        verify(rowPart(host, 1, "playButton").visible);
        compare(rowPart(host, 2, "playButton").visible, false, "no recording, no play button");
        // Seen through its snapshot item: the picture decodes for a real stream.
        tryCompare(rowPart(host, 0, "alarmSnap"), "snapValid", true, patience);
    }

    // A press while the refresh runs is ignored; the tool tip says why.
    function test_secondPressWhileQuerying() {
        putAlarms(alarms(25));
        const host = openPanel();
        settle(host);
        testServer.clearLog();
        testServer.setFault(listPath, { delayMs: 1500 });
        const tip = findChild(host.button, "refreshTooltip");
        mouseMove(host.button, host.button.width / 2, host.button.height / 2);
        tryCompare(tip, "visible", true, patience);
        compare(tip.text, "刷新");
        mouseClick(host.button);
        compare(host.list.querying, true);
        compare(host.button.querying, true);
        compare(tip.text, "正在查询中!");
        mouseClick(host.button);
        mouseClick(host.button);
        // The short last page has answered: the list stays empty while the page before it is asked for.
        waitForRequests(listPath, 3);
        compare(host.list.count, 0);
        compare(host.list.querying, true);
        settle(host);
        compare(pagesAsked(), [0, 2, 1]);
        compare(tip.text, "刷新");
        compare(shownIds(host), range(16, 25));
    }

    // The `step`th request of the next refresh fails; those before it are held back a
    // while, so that the failure can be placed on the request that follows them.
    function failRequest(host, step) {
        for (let k = 1; k < step; ++k) {
            testServer.setFault(listPath, { delayMs: 1000, remainingHits: 1 });
            if (k === 1)
                mouseClick(host.button);
            waitForRequests(listPath, k);
        }
        testServer.setFault(listPath, { status: 500, body: "服务器错误", remainingHits: 1 });
        if (step === 1)
            mouseClick(host.button);
        settle(host);
    }

    function test_failures() {
        putAlarms(alarms(25));
        const host = openPanel();
        settle(host);
        compare(host.list.count, 10);

        // A failed first request empties the list and ends the refresh.
        testServer.clearLog();
        failRequest(host, 1);
        compare(pagesAsked(), [0]);
        compare(host.list.count, 0);

        // A failed last page counts as an empty one: the page before it fills the list.
        testServer.clearLog();
        failRequest(host, 2);
        compare(pagesAsked(), [0, 2, 1]);
        compare(shownIds(host), range(11, 20));

        // A failed page before the last leaves the last page's rows alone.
        testServer.clearLog();
        failRequest(host, 3);
        compare(pagesAsked(), [0, 2, 1]);
        compare(shownIds(host), range(21, 25));

        // A server that never answers: the transport's limit ends the request with the
        // failure answer, which frees the button.
        testServer.clearLog();
        testKit.setRequestTimeout(800);
        testServer.setFault(listPath, { neverAnswer: true });
        mouseClick(host.button);
        compare(host.list.querying, true);
        settle(host);
        compare(pagesAsked(), [0]);
        compare(host.list.count, 0);
        testServer.clearFaults();
        testKit.setRequestTimeout(0);
        mouseClick(host.button);
        settle(host);
        compare(shownIds(host), range(16, 25));
    }

    // The play button opens the playback window on the alarm's recording; a second alarm
    // switches the stream in the same window; closing it stops the tile.
    function test_playbackWindow() {
        putAlarms(alarms(5));
        const host = openPanel();
        settle(host);
        const popup = host.popup;
        const tile = findChild(popup, "playAlarmView");
        verify(tile);
        compare(popup.visible, false);
        compare([popup.width, popup.height], [860 * s, 560 * s]);

        mouseClick(rowPart(host, 0, "playButton"));
        tryCompare(popup, "visible", true, patience);
        compare(popup.title, "告警通道: 通道1 (2026-12-01 10:01:00)");
        compare(tile.videoUrl, "http://" + testServer.host + ":" + testServer.port + "/download/alarm/1.mp4");
        compare(tile.streamType, 1);
        compare([tile.deviceId, tile.channelId], [-1, -1]);
        waitForRequests("/download/alarm/1.mp4", 1);

        mouseClick(rowPart(host, 1, "playButton"));
        compare(popup.visible, true);
        compare(popup.title, "告警通道: 通道2 (2026-12-01 10:02:00)");
        compare(tile.videoUrl, "http://" + testServer.host + ":" + testServer.port + "/download/alarm/2.mp4");
        waitForRequests("/download/alarm/2.mp4", 1);

        testServer.clearLog();
        popup.hideWindow();
        tryCompare(popup, "visible", false, patience);
        compare(tile.videoUrl, "");
        compare(tile.title, "");
        const stops = waitForRequests("/api/v1/devices/stopchannelstream", 1);
        compare(stops[stops.length - 1].items.stream_type, "playback");
    }

    // On the home page: the panel's content and title-bar button, the list filled when
    // the page is made, and the playback window centred on the main window.
    function test_onHomePage() {
        const window = openHomeWindow();
        const panel = part(window, "latestAlarmPanel");
        const list = part(window, "newAlarmListView");
        const button = part(window, "refreshAlarmButton");
        tryCompare(list, "querying", false, patience);
        // The alarm page, made with the main window, asks for its own first page as well.
        compare(pagesAsked().filter(page => page !== 0), [3, 2]);
        compare(list.model.map(alarm => alarm.ID), [23, 24, 21, 22, 26, 27, 28, 25, 29, 30]);
        compare(list.count, 10);
        const titleBar = findChild(panel, "panelTitleBar");
        compare(button.parent, titleBar);
        compare(button.height, 28 * s);
        compare(button.x + button.width, titleBar.width - 5 * s);
        verify(list.width > 0 && list.height > 0);
        const host = { list: list };
        compare(rowPart(host, 7, "playButton").visible, false, "alarm 25 has no recording");
        mouseClick(rowPart(host, 0, "playButton"));
        const popup = part(window, "playAlarmPopup");
        tryCompare(popup, "visible", true, patience);
        compare(popup.topWindow, window);
        compare(popup.title, "告警通道: 一号楼大厅 (2026-12-06 09:41:59)");
        compare(Math.round(popup.x), Math.round(window.x + (window.width - popup.width) / 2));
        waitForRequests("/download/alarm/23.mp4", 1);
        popup.hideWindow();
        tryCompare(popup, "visible", false, patience);
        waitForRequests("/api/v1/devices/stopchannelstream", 1);
        testServer.clearLog();
        mouseClick(button);
        tryCompare(list, "querying", false, patience);
        compare(pagesAsked(), [0, 3, 2]);
    }
}
