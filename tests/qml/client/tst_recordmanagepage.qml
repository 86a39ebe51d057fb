import QtQuick
import QtTest
import "qrc:/zelka/qml/RecordManage" as RecordManage

// The record page against the test server: which day and type a channel click asks
// for, how a reply fills the two views, which late replies are dropped, and how the
// calendar's marks follow the channel, the tab and the shown month.
DeviceTreeTestCase {
    id: testCase
    name: "RecordManagePage"

    readonly property string dayPath: "/api/v1/record/querydaily"
    readonly property string monthPath: "/api/v1/record/querymonthly"
    // Cloud records on these days of any month, device records on the others listed.
    readonly property var cloudDays: [1, 2, 3, 5, 8, 9, 12, 15, 16, 20, 21, 25, 28]
    readonly property var deviceDays: [2, 4, 6, 7, 10, 14, 18, 22, 26, 30]

    Component {
        id: hostComponent

        Item {
            property color textColor: "#3da5ff"
            width: 1400
            height: 900

            RecordManage.RecordManagePage {
                objectName: "page"
                anchors.fill: parent
            }
        }
    }

    // The page with the standard devices in its side panel, its calendar on `date`;
    // channels 12 and 21 have records.
    function openPage(date) {
        logIn();
        loadDevices(standardData());
        verify(testServer.changeData({ Records: { Channels: [12, 21], CloudDays: cloudDays, DeviceDays: deviceDays } }));
        const host = createTemporaryObject(hostComponent, testCase);
        const page = findChild(host, "page");
        verify(page);
        calendarOf(page).currentDate = date;
        testServer.clearLog();
        return page;
    }

    function calendarOf(page) {
        return piece(page, "calendarPopup");
    }

    function rows(page) {
        return piece(page, "recordListView").model;
    }

    function timeAxis(page) {
        return piece(page, "recordTimeAxisView");
    }

    function rowNames(page) {
        const model = rows(page);
        const names = [];
        for (let i = 0; i < model.count; ++i)
            names.push(model.get(i).name);
        return names;
    }

    function namesFor(prefix, channel, day) {
        return ["080000", "123000", "201500"].map(time => prefix + channel + "_" + day + time + ".mp4");
    }

    function pickChannel(page, id) {
        piece(page, "deviceManageView").clickChannel({ channelID: id });
    }

    // Waits until the API client has answered a request of its own on `path`, sent after
    // everything the page sent: on a route that delays every answer, a page's earlier
    // answer has then arrived too.
    function probe(path) {
        let answered = false;
        if (path === dayPath)
            networkManager.getRecordListForDay(21, 2024, 1, 1, 0, () => { answered = true; });
        else
            networkManager.getRecordListForMonth(21, 2024, 1, 0, () => { answered = true; });
        tryVerify(() => answered, patience, "the probe on " + path + " answered");
        wait(100);
    }

    function markedDays(page) {
        return calendarOf(page).recordDate.map(date => date.getFullYear() + "-" + (date.getMonth() + 1) + "-" + date.getDate());
    }

    // The grid's cells are not children by object: look through its content.
    function dayCell(page, year, month, day) {
        const name = "day-" + year + "-" + month + "-" + day;
        const cells = piece(calendarOf(page), "grid").contentItem.children;
        for (let i = 0; i < cells.length; ++i) {
            if (cells[i].objectName === name)
                return cells[i];
        }
        fail("no day cell " + name);
    }

    function openCalendar(page) {
        const box = piece(page, "calendarRect");
        mouseClick(box, 40, box.height / 2);
        tryCompare(calendarOf(page), "opened", true, patience);
    }

    function test_channelClickQueriesTheCalendarsDay() {
        const page = openPage(new Date(2024, 1, 8, 10, 30));
        compare(piece(page, "dateText").text, "2024年2月8日");

        // Without a channel: no tab, no calendar query, and nothing to pick.
        mouseClick(piece(page, "deviceTab"));
        openCalendar(page);
        mouseClick(piece(page, "cloudTab"));
        probe(dayPath);
        probe(monthPath);
        compare(testServer.requests(dayPath).length, 1, "only the probe");
        compare(testServer.requests(monthPath).length, 1, "only the probe");
        compare(markedDays(page), []);
        verify(!dayCell(page, 2024, 2, 8).enabled);
        calendarOf(page).close();
        testServer.clearLog();

        // A channel of the side panel, clicked as a hand would.
        const b = deviceRow(piece(page, "deviceListView"), 1);
        expand(b);
        clickText(childRow(b, 0));
        const query = waitForRequests(dayPath, 1)[0].items;
        compare(query.id, "21");
        compare(query.recordType, "Cloud");
        compare(query.period, "20240208");
        compare(query.start, "0");
        compare(query.limit, "999");
        tryCompare(rows(page), "count", 3, patience);
        compare(page.channelID, 21);
        compare(rowNames(page), namesFor("rec_", 21, "20240208"));
        compare(rows(page).get(0).channelID, 21);
        compare(timeAxis(page).timeLineList.length, 3);
        compare(timeAxis(page).channelID, 21);

        // The tabs fill their bar, not centred on their text's height (which does not
        // shrink with the ratio), so the view below never covers them.
        const bar = piece(page, "typeBar");
        for (const name of ["cloudTab", "deviceTab"]) {
            const tab = piece(page, name);
            compare(tab.mapToItem(bar, 0, 0).y, 0, name + " at the bar's top");
            compare(tab.height, bar.height);
        }

        // The other tab asks again with its type; the selected one asks again too.
        mouseClick(piece(page, "deviceTab"));
        compare(piece(page, "typeBar").currentIndex, 1);
        compare(piece(page, "recordListView").type, 1);
        compare(timeAxis(page).type, 1);
        compare(waitForRequests(dayPath, 2)[1].items.recordType, "Device");
        tryCompare(rows(page), "count", 0, patience);
        mouseClick(piece(page, "deviceTab"));
        compare(waitForRequests(dayPath, 3)[2].items.recordType, "Device");
        mouseClick(piece(page, "cloudTab"));
        compare(waitForRequests(dayPath, 4)[3].items.recordType, "Cloud");
        tryCompare(rows(page), "count", 3, patience);

        // The view switch shows the other view and names the one it leads to.
        const viewSwitch = piece(page, "viewSwitch");
        compare(viewSwitch.text, "时间轴视图");
        mouseClick(viewSwitch);
        compare(piece(page, "swipeView").currentIndex, 1);
        compare(viewSwitch.text, "列表视图");
        mouseClick(viewSwitch);
        compare(piece(page, "swipeView").currentIndex, 0);
    }

    // `total` only says whether there is anything; every element becomes a row and an
    // entry, the channel written into each. Replies that are not what they should be
    // empty both views.
    function test_replyFillsBothViews() {
        const page = openPage(new Date(2024, 1, 8));
        const list = [
            { name: "a", startAt: "20240208080000", duration: 600, hls: "/vod/a", important: false, snap: "", extra: "kept" },
            { name: "b", startAt: "20240208235000", duration: 1200, hls: "/vod/b", important: true, snap: "/s/b" },
            { name: "c", startAt: "not a time", duration: 30, hls: "", important: false, snap: "" },
            { name: "d", startAt: "20240207230000", duration: 60, hls: "/vod/d", important: false, snap: "" },
            { name: "e", startAt: "20240208000001", duration: 0, hls: "/vod/e", important: false, snap: "" }
        ];
        testServer.setFault(dayPath, { status: 200, body: JSON.stringify({ total: 2, list: list }) });
        pickChannel(page, 12);
        tryCompare(rows(page), "count", 5, patience);
        compare(rowNames(page), ["a", "b", "c", "d", "e"]);
        for (let i = 0; i < 5; ++i)
            compare(rows(page).get(i).channelID, 12, "row " + i);
        compare(rows(page).get(0).extra, "kept");
        const entries = timeAxis(page).timeLineList;
        compare(entries.length, 5);
        compare(timeAxis(page).channelID, 12);
        compare(entries.map(e => e.startTime), [8 * 3600, 23 * 3600 + 50 * 60, 0, 23 * 3600, 1]);
        compare(entries.map(e => e.endTime), [8 * 3600 + 600, 87000, 30, 23 * 3600 + 60, 1]);
        compare(entries[1].hls, "/vod/b");
        compare(entries[1].startAt, "20240208235000");
        compare(entries[1].duration, 1200);
        compare(entries[4].name, "e");

        testServer.clearFaults();
        const bad = [
            JSON.stringify({ total: 0, list: list }),
            JSON.stringify({ list: list }),
            JSON.stringify([{ total: 5, list: list }]),
            "not json at all"
        ];
        for (const body of bad) {
            pickChannel(page, 21);
            tryCompare(rows(page), "count", 3, patience);
            testServer.setFault(dayPath, { status: 200, body: body });
            pickChannel(page, 12);
            compare(rows(page).count, 0, "emptied at once: " + body);
            probe(dayPath);
            compare(rows(page).count, 0, body);
            compare(timeAxis(page).timeLineList.length, 0, body);
            testServer.clearFaults();
        }
    }

    // Numbers sent as text are read as numbers: the time line's ends are sums, its bars
    // and picks land where the list says. A reply that announces records none of which
    // can be used still gives the time line its (empty) row.
    function test_badRecordData() {
        const page = openPage(new Date(2024, 1, 8));
        const list = [
            { name: "a", startAt: "20240208080000", duration: "600", hls: "/vod/a", important: false, snap: "" },
            { name: "b", startAt: "20240208123000", duration: " 1800 ", hls: "/vod/b", important: false, snap: "" },
            { name: "c", startAt: "20240208200000", duration: "ten minutes", hls: "/vod/c", important: false, snap: "" }
        ];
        testServer.setFault(dayPath, { status: 200, body: JSON.stringify({ total: "3", list: list }) });
        pickChannel(page, 12);
        tryCompare(rows(page), "count", 3, patience);
        const entries = timeAxis(page).timeLineList;
        compare(entries.map(e => e.endTime), [8 * 3600 + 600, 12.5 * 3600 + 1800, 20 * 3600]);
        compare(entries.map(e => e.duration), [600, 1800, 0]);
        compare(rows(page).get(1).duration, 1800);
        const line = piece(timeAxis(page), "recordTimeLine");
        tryVerify(() => findChild(line, "recordBars") !== null, patience);
        compare(findChild(line, "recordBars").itemList[0].endTime, 29400);
        const durations = [];
        const table = piece(piece(page, "recordListView"), "listView");
        for (let i = 0; i < 3; ++i) {
            let row = null;
            tryVerify(() => (row = table.itemAtIndex(i)) !== null, patience);
            durations.push(findChild(row, "durationCell").text);
        }
        compare(durations, ["00:10:00", "00:30:00", "00:00:00"]);
        // 10:00 lies after the first record, so the pick plays the 12:30 one from its start.
        timeAxis(page).playRecordWithTime(10 * 3600);
        const tile = piece(timeAxis(page), "playRecordView");
        compare(tile.videoUrl, "http://" + settings.host + ":" + settings.port + "/vod/b");
        compare(tile.__replay_start_progress, 0);
        tile.stopChannel();

        // Announced, but nothing usable (or no list at all): a row without bars.
        for (const reply of [{ total: 2, list: [null, 5, "x", [1]] }, { total: 1 }]) {
            testServer.setFault(dayPath, { status: 200, body: JSON.stringify(reply) });
            pickChannel(page, 21);
            probe(dayPath);
            compare(rows(page).count, 0);
            compare(timeAxis(page).timeLineList.length, 0);
            compare(timeAxis(page).channelID, 21, JSON.stringify(reply));
            compare(findChild(line, "recordListView").count, 1, JSON.stringify(reply));
            tryVerify(() => findChild(line, "recordRow") !== null, patience);
            compare(findChild(line, "recordBars").itemList.length, 0);
        }
    }

    // A failed query shows nothing of what was shown before, in either view.
    function test_failedDayQueryLeavesBothViewsEmpty() {
        const page = openPage(new Date(2024, 1, 8));
        pickChannel(page, 12);
        tryCompare(rows(page), "count", 3, patience);
        compare(timeAxis(page).timeLineList.length, 3);
        testServer.setFault(dayPath, { status: 500, body: "down" });
        pickChannel(page, 21);
        tryVerify(() => testKit.messages().some(m => m.indexOf("getRecordListForDay error") >= 0), patience);
        compare(rows(page).count, 0);
        compare(timeAxis(page).timeLineList.length, 0);
        compare(timeAxis(page).channelID, -1);
    }

    // Only the answer to the latest day query counts, whichever arrives last.
    function test_lateDayRepliesAreDropped() {
        const page = openPage(new Date(2024, 1, 2));
        testServer.setFault(dayPath, { delayMs: 1500, remainingHits: 1 });
        pickChannel(page, 12);
        waitForRequests(dayPath, 1);
        pickChannel(page, 21);
        tryCompare(rows(page), "count", 3, patience);
        testServer.setFault(dayPath, { delayMs: 1500 });
        probe(dayPath);
        compare(rowNames(page), namesFor("rec_", 21, "20240202"));
        compare(timeAxis(page).channelID, 21);
        testServer.clearFaults();
        testServer.clearLog();

        // A tab switch while the cloud query is out: only the device answer shows.
        testServer.setFault(dayPath, { delayMs: 1500, remainingHits: 1 });
        pickChannel(page, 12);
        waitForRequests(dayPath, 1);
        mouseClick(piece(page, "deviceTab"));
        tryCompare(rows(page), "count", 3, patience);
        testServer.setFault(dayPath, { delayMs: 1500 });
        probe(dayPath);
        compare(rowNames(page), namesFor("dev_", 12, "20240202"));
    }

    // The cloud tab marks the days the server names, and nothing else; a month reply
    // that crosses a month step marks nothing.
    function test_cloudMonthMarks() {
        const page = openPage(new Date(2024, 1, 8));
        const calendar = calendarOf(page);
        pickChannel(page, 12);
        openCalendar(page);
        const query = waitForRequests(monthPath, 1)[0].items;
        compare(query.id, "12");
        compare(query.recordType, "Cloud");
        compare(query.period, "202402");
        tryVerify(() => calendar.recordDate.length === cloudDays.length, patience);
        compare(markedDays(page), cloudDays.map(day => "2024-2-" + day));
        verify(dayCell(page, 2024, 2, 8).hasRecord);
        verify(dayCell(page, 2024, 2, 8).enabled);
        verify(!dayCell(page, 2024, 2, 4).enabled);

        // A step clears at once, moves, and asks for the new month; the old month's
        // late answer is dropped.
        calendar.close();
        testServer.setFault(monthPath, { delayMs: 1500, remainingHits: 1 });
        openCalendar(page);
        waitForRequests(monthPath, 2);
        mouseClick(piece(calendar, "nextMonth"));
        compare(calendar.recordDate.length, 0);
        verify(!dayCell(page, 2024, 3, 8).hasRecord);
        compare(waitForRequests(monthPath, 3)[2].items.period, "202403");
        tryVerify(() => calendar.recordDate.length === cloudDays.length, patience);
        testServer.setFault(monthPath, { delayMs: 1500 });
        probe(monthPath);
        compare(markedDays(page), cloudDays.map(day => "2024-3-" + day));
        verify(dayCell(page, 2024, 3, 8).hasRecord);
        testServer.clearFaults();

        // A quoted month text: only characters that are exactly "1" mark their day.
        testServer.setFault(monthPath, { status: 200, body: "\"10101x1 11\"" });
        mouseClick(piece(calendar, "prevMonth"));
        tryVerify(() => calendar.recordDate.length === 6, patience);
        compare(markedDays(page), ["2024-2-1", "2024-2-3", "2024-2-5", "2024-2-7", "2024-2-9", "2024-2-10"]);
        verify(dayCell(page, 2024, 2, 7).hasRecord);
        verify(!dayCell(page, 2024, 2, 8).hasRecord);
    }

    // The device tab marks every day of the shown month without asking the server.
    function test_deviceMonthMarksEveryDay() {
        const page = openPage(new Date(2024, 1, 8));
        const calendar = calendarOf(page);
        pickChannel(page, 12);
        mouseClick(piece(page, "deviceTab"));
        waitForRequests(dayPath, 2);
        openCalendar(page);
        compare(calendar.recordDate.length, 29);
        verify(dayCell(page, 2024, 2, 29).hasRecord);
        verify(dayCell(page, 2024, 2, 1).hasRecord);
        probe(monthPath);
        compare(testServer.requests(monthPath).length, 1, "only the probe");
        mouseClick(piece(calendar, "nextYear"));
        compare(calendar.recordDate.length, 28);
        compare(markedDays(page)[27], "2025-2-28");
    }

    // A double-click picks a marked day of the shown month; an unmarked one does nothing.
    function test_pickingADay() {
        const page = openPage(new Date(2024, 1, 8));
        const calendar = calendarOf(page);
        pickChannel(page, 12);
        tryCompare(rows(page), "count", 3, patience);
        openCalendar(page);
        tryVerify(() => calendar.recordDate.length === cloudDays.length, patience);
        testServer.clearLog();

        mouseDoubleClickSequence(dayCell(page, 2024, 2, 4));
        compare(calendar.opened, true);
        compare(calendar.currentDay, 8);
        // A day of the next month in the last row takes no input, even marked.
        calendar.addRecord(2024, 2, 1);
        calendar.recordChanged();
        verify(dayCell(page, 2024, 3, 1).hasRecord);
        mouseDoubleClickSequence(dayCell(page, 2024, 3, 1));
        compare(calendar.opened, true);
        probe(dayPath);
        compare(testServer.requests(dayPath).length, 1, "only the probe");
        testServer.clearLog();

        mouseDoubleClickSequence(dayCell(page, 2024, 2, 5));
        compare(calendar.currentDay, 5);
        compare(calendar.currentDate.getHours(), 0);
        compare(piece(page, "dateText").text, "2024年2月5日");
        compare(waitForRequests(dayPath, 1)[0].items.period, "20240205");
        tryCompare(calendar, "visible", false, patience);
        tryCompare(rows(page), "count", 3, patience);
        compare(rowNames(page), namesFor("rec_", 12, "20240205"));
    }

    // Steps keep the day where the target month has it, else take its last day; the
    // date box follows, without leading zeros. Marks show only once announced.
    function test_calendarSteps() {
        const page = openPage(new Date(2024, 0, 31));
        const calendar = calendarOf(page);
        const dateText = piece(page, "dateText");
        const label = piece(calendar, "navigationLabel");
        openCalendar(page);
        compare(label.text, "2024年" + calendar.locale.monthName(0, Locale.LongFormat));
        compare(dateText.text, "2024年1月31日");

        mouseClick(piece(calendar, "nextMonth"));
        compare(dateText.text, "2024年2月29日");
        compare(label.text, "2024年" + calendar.locale.monthName(1, Locale.LongFormat));
        compare(piece(calendar, "grid").month, 1);
        mouseClick(piece(calendar, "prevMonth"));
        compare(dateText.text, "2024年1月29日");
        calendar.currentDate = new Date(2024, 1, 29);
        mouseClick(piece(calendar, "nextYear"));
        compare(dateText.text, "2025年2月28日");
        compare(calendar.visibleYear, 2025);
        compare(calendar.visibleMonth, 1);
        mouseClick(piece(calendar, "prevYear"));
        compare(dateText.text, "2024年2月28日");
        calendar.currentDate = new Date(2026, 2, 1);
        compare(dateText.text, "2026年3月1日");

        // Each step button names itself while hovered.
        const tips = { prevMonth: "前一月", prevYear: "前一年", nextMonth: "后一月", nextYear: "后一年" };
        for (const name in tips) {
            const button = piece(calendar, name);
            mouseMove(button, button.width / 2, button.height / 2);
            const tip = piece(calendar, name + "Tip");
            tryCompare(tip, "visible", true, patience);
            compare(tip.text, tips[name]);
        }

        // Marks without the announcement are not shown; a step clears them at once.
        calendar.addRecord(2026, 2, 4);
        verify(!dayCell(page, 2026, 3, 4).hasRecord);
        calendar.recordChanged();
        verify(dayCell(page, 2026, 3, 4).hasRecord);
        verify(dayCell(page, 2026, 3, 4).enabled);
        mouseClick(piece(calendar, "nextMonth"));
        compare(calendar.recordDate.length, 0);
        mouseClick(piece(calendar, "prevMonth"));
        verify(!dayCell(page, 2026, 3, 4).hasRecord);
        compare(testServer.requests(monthPath).length, 0, "no channel, no query");
    }
}
