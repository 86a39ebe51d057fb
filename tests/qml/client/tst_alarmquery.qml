import QtQuick
import QtQuick.Window
import QtTest
import "qrc:/zelka/qml/AlarmQuery"

// The alarm page against the test server with alarms of its own: the query of each
// filter, search text, page and page size, the table's texts, stale answers, and
// deletion of one alarm, of a page and of all.
ShellTestCase {
    id: testCase
    name: "AlarmQuery"

    Component {
        id: hostComponent

        Window {
            property alias page: alarmPage
            width: 1688
            height: 900
            visible: true

            AlarmQueryPage {
                id: alarmPage
                anchors.fill: parent
            }
        }
    }

    // `count` alarms, oldest first, so that the server's order is the id order.
    function alarms(count, extra) {
        const list = [];
        for (let i = 1; i <= count; ++i) {
            const alarm = {
                ID: i, DeviceID: 1000 + i, DeviceName: "设备" + i, ChannelID: 2000 + i, ChannelName: "通道 " + i,
                AlarmTime: "2026-12-01 " + String(Math.floor(i / 60) + 10).padStart(2, "0") + ":"
                           + String(i % 60).padStart(2, "0") + ":00",
                AlarmPriority: i % 4 + 1, AlarmMethod: i % 6 + 1, AlarmType: 1,
                AlarmSnap: i % 2 ? "/snap/alarm/" + i + ".h265" : "/snap/alarm/" + i + ".h264",
                AlarmRecord: "/download/alarm/" + i + ".mp4"
            };
            list.push(Object.assign(alarm, extra ? extra(i) : {}));
        }
        return list;
    }

    function queries() {
        return testServer.requests("/api/v1/alarmlist").map(request => request.items);
    }

    // The page with its alarms, its completion query answered.
    function openPage(alarmList) {
        logIn();
        verify(testServer.changeData({ Alarms: alarmList }));
        testServer.clearLog();
        const host = createTemporaryObject(hostComponent, testCase);
        const page = host.page;
        waitForRequests("/api/v1/alarmlist", 1);
        tryCompare(pageText(page, "rowCount"), "text",
                   "当前页: " + Math.min(10, alarmList.length) + " 条 / 总 " + alarmList.length + " 条", patience);
        return page;
    }

    function pageText(page, name) {
        const item = findChild(page, name);
        verify(item, "no part named " + name);
        return item;
    }

    function rowAt(page, index) {
        const list = findChild(page, "alarmListView");
        list.positionViewAtIndex(index, ListView.Contain);
        const row = list.itemAtIndex(index);
        verify(row, "row " + index);
        // New rows slide down from the top: a click lands on the row once it is in place.
        tryCompare(row, "y", index * (row.height + list.spacing), patience);
        return row;
    }

    // The texts of columns 1 to 9 of a row.
    function rowTexts(row) {
        const texts = [];
        const cells = row.children[0].children;
        for (let i = 0; i < 9; ++i)
            texts.push(cells[i].children[0].text);
        return texts;
    }

    function idsOnScreen(page) {
        const model = findChild(page, "alarmListModel");
        const ids = [];
        for (let i = 0; i < model.count; ++i)
            ids.push(model.get(i).ID);
        return ids;
    }

    // Waits for the answer to the latest query: `count` queries logged, the table filled.
    function settle(page, count, rows) {
        waitForRequests("/api/v1/alarmlist", count);
        tryCompare(findChild(page, "alarmListView"), "count", rows, patience);
    }

    function choose(box, index) {
        mouseClick(box);
        tryCompare(box.popup, "opened", true, patience);
        const list = box.popup.contentItem;
        list.positionViewAtIndex(index, ListView.Contain);
        let entry = null;
        tryVerify(() => (entry = list.itemAtIndex(index)) !== null, patience);
        mouseClick(entry);
        tryCompare(box.popup, "visible", false, patience);
        compare(box.currentIndex, index);
    }

    function replaceText(field, text) {
        mouseClick(field);
        tryCompare(field, "activeFocus", true, patience);
        keyClick(Qt.Key_A, Qt.ControlModifier);
        verify(testKit.typeText(text));
    }

    function gotoPage(page, text) {
        replaceText(findChild(page, "pageEdit"), text);
        mouseClick(findChild(page, "gotoPageButton"));
    }

    function test_pagingOf57Alarms() {
        const page = openPage(alarms(57));
        compare(queries().length, 1, "building the page sends the completion query alone");
        compare(queries()[0], { pageindex: "0", pagesize: "10", priority: "0", method: "0" });
        compare(pageText(page, "pageIndicator").text, "当前页: 1 / 6");
        compare(rowTexts(rowAt(page, 0)).slice(0, 5), ["1", "设备1", "1001", "通道 1", "2001"]);

        // "<" on the first page: a tool tip and no query.
        mouseClick(findChild(page, "leftPageButton"));
        tryCompare(findChild(page, "leftPageTooltip"), "visible", true, patience);
        compare(findChild(page, "leftPageTooltip").text, "已经是第一页!");

        // Page 6 of 6 through the goto field: 7 rows, numbered from 1.
        gotoPage(page, "6");
        settle(page, 2, 7);
        compare(queries()[1].pageindex, "5");
        compare(page.currentPage, 5);
        compare(pageText(page, "pageIndicator").text, "当前页: 6 / 6");
        tryCompare(pageText(page, "rowCount"), "text", "当前页: 7 条 / 总 57 条", patience);
        compare(rowTexts(rowAt(page, 0))[0], "1");
        compare(rowTexts(rowAt(page, 0))[1], "设备51");
        mouseClick(findChild(page, "rightPageButton"));
        tryCompare(findChild(page, "rightPageTooltip"), "visible", true, patience);
        compare(findChild(page, "rightPageTooltip").text, "已经是最后一页!");

        // 7 pages do not exist; the page already shown is not asked again.
        gotoPage(page, "7");
        tryCompare(findChild(page, "gotoPageTooltip"), "visible", true, patience);
        compare(findChild(page, "gotoPageTooltip").text, "无法跳转!");
        gotoPage(page, "6");
        // Enter in the field works as the button: page 2.
        replaceText(findChild(page, "pageEdit"), "2");
        keyClick(Qt.Key_Return);
        settle(page, 3, 10);
        compare(queries().map(items => items.pageindex), ["0", "5", "1"], "nothing for <, >, 7 or 6 again");
        compare(page.currentPage, 1);

        // "<" back to the first page; switching away and back asks the same again.
        mouseClick(findChild(page, "leftPageButton"));
        settle(page, 4, 10);
        page.isCurrent = true;
        waitForRequests("/api/v1/alarmlist", 5);
        page.isCurrent = false;
        compare(queries().length, 5, "leaving the page sends nothing");
        compare(queries()[4], { pageindex: "0", pagesize: "10", priority: "0", method: "0" });
    }

    function test_pageSizes() {
        const page = openPage(alarms(60));
        const sizeBox = findChild(page, "pageSizeComboBox");
        choose(sizeBox, 1);
        settle(page, 2, 20);
        compare(pageText(page, "pageIndicator").text, "当前页: 1 / 3");
        compare(queries().length, 2, "on page 0 the size alone sends a query");
        choose(sizeBox, 3);
        settle(page, 3, 40);
        compare(pageText(page, "pageIndicator").text, "当前页: 1 / 2");
        choose(sizeBox, 3);
        choose(sizeBox, 0);
        settle(page, 4, 10);
        compare(queries().length, 4, "the size in force sends nothing");

        // From page 4: page 0 at the old size, then page 0 at the new one.
        gotoPage(page, "4");
        settle(page, 5, 10);
        testServer.clearLog();
        choose(sizeBox, 2);
        settle(page, 2, 30);
        compare(queries().map(items => [items.pageindex, items.pagesize]), [["0", "10"], ["0", "30"]]);
        compare(pageText(page, "pageIndicator").text, "当前页: 1 / 2");
    }

    function test_filtersAndSearch() {
        const page = openPage(alarms(57));
        gotoPage(page, "3");
        settle(page, 2, 10);
        testServer.clearLog();

        // A filter keeps the page index: "二级警情" on the third page.
        choose(findChild(page, "alarmLevelComboBox"), 2);
        waitForRequests("/api/v1/alarmlist", 1);
        compare(queries()[0], { pageindex: "2", pagesize: "10", priority: "2", method: "0" });
        choose(findChild(page, "alarmTypeComboBox"), 7);
        choose(findChild(page, "alarmLevelComboBox"), 4);
        waitForRequests("/api/v1/alarmlist", 3);
        compare(queries()[1].method, "7");
        compare(queries()[2].priority, "4");
        compare(queries()[2].method, "7");
        choose(findChild(page, "alarmTypeComboBox"), 0);
        choose(findChild(page, "alarmLevelComboBox"), 0);
        gotoPage(page, "1");
        settle(page, 6, 10);

        // Each keystroke a query, the text as typed; an empty field drops "q".
        testServer.clearLog();
        const search = findChild(page, "searchEdit");
        typeInto(search, "13");
        waitForRequests("/api/v1/alarmlist", 2);
        compare(queries()[0].q, "1");
        compare(queries()[1].q, "13");
        // Only alarm 13 has a name or id with "13" in it.
        tryCompare(findChild(page, "alarmListView"), "count", 1, patience);
        compare(idsOnScreen(page), [13]);
        search.selectAll();
        keyClick(Qt.Key_Delete);
        waitForRequests("/api/v1/alarmlist", 3);
        compare("q" in queries()[2], false);
        typeInto(search, " ");
        waitForRequests("/api/v1/alarmlist", 4);
        compare(queries()[3].q, " ");
    }

    function test_cellTextsAndFailures() {
        const page = openPage(alarms(3, i => i === 2 ? { DeviceName: "", AlarmPriority: 9, AlarmMethod: 8, AlarmType: 1 }
                                               : i === 3 ? { AlarmPriority: 2, AlarmMethod: 5, AlarmType: 13, AlarmRecord: "" }
                                                         : { AlarmPriority: 1, AlarmMethod: 2, AlarmType: 4 }));
        compare(rowTexts(rowAt(page, 0)).slice(5), ["2026-12-01 10:01:00", "一级警情", "设备报警", "设备高温报警"]);
        compare(rowTexts(rowAt(page, 1)).slice(1, 2), ["--"]);
        compare(rowTexts(rowAt(page, 1)).slice(6), ["未知警情", "其他报警", "--"]);
        compare(rowTexts(rowAt(page, 2)).slice(6), ["二级警情", "视频报警", "图像遮挡报警"]);
        // A row without a record: no record buttons, still its delete button.
        compare(findChild(rowAt(page, 0), "recordButtons").visible, true);
        compare(findChild(rowAt(page, 2), "recordButtons").visible, false);
        compare(findChild(rowAt(page, 2), "deleteButton").visible, true);

        // A failed query empties the table.
        testServer.setFault("/api/v1/alarmlist", { status: 500, body: "服务器错误", remainingHits: 1 });
        page.recalcModel();
        settle(page, 2, 0);
        compare(pageText(page, "pageIndicator").text, "当前页: 1 / 0");
        tryCompare(pageText(page, "rowCount"), "text", "当前页: 0 条 / 总 0 条", patience);
        mouseClick(findChild(page, "rightPageButton"));
        tryCompare(findChild(page, "rightPageTooltip"), "visible", true, patience);

        page.recalcModel();
        settle(page, 3, 3);

        // An older answer that comes last is dropped: "1" (all three) after "13" (none).
        testServer.setFault("/api/v1/alarmlist", { delayMs: 1500, remainingHits: 1 });
        testServer.clearLog();
        typeInto(findChild(page, "searchEdit"), "1");
        waitForRequests("/api/v1/alarmlist", 1);
        typeInto(findChild(page, "searchEdit"), "3");
        settle(page, 2, 0);
        testServer.clearFaults();
        wait(2500); // the delayed answer for "1" has come by now
        compare(findChild(page, "alarmListView").count, 0, "three alarms match \"1\", none \"13\"");
        compare(page.alarmTotal, 0);
    }

    function test_deletion() {
        const page = openPage(alarms(25));
        compare(idsOnScreen(page), [1, 2, 3, 4, 5, 6, 7, 8, 9, 10]);

        // One row: "[3]" in the server's multipart part, the row goes, the total stays.
        mouseClick(findChild(rowAt(page, 2), "deleteButton"));
        const deletion = waitForRequests("/api/v1/deletealarm", 1)[0];
        compare(deletion.method, "POST");
        verify(/name="alarmids"\r\n(?:.*\r\n)*\r\n\[3\]\r\n--/.test(deletion.body), deletion.body);
        tryCompare(findChild(page, "alarmListView"), "count", 9, patience);
        compare(idsOnScreen(page), [1, 2, 4, 5, 6, 7, 8, 9, 10]);
        compare(rowTexts(rowAt(page, 2))[0], "3", "rows below close up");
        compare(pageText(page, "rowCount").text, "当前页: 9 条 / 总 25 条");
        compare(queries().length, 1, "no new query");

        // A refusal shows its text at the row and keeps it.
        testServer.setFault("/api/v1/deletealarm", { status: 403, body: "无权删除", remainingHits: 1 });
        mouseClick(findChild(rowAt(page, 0), "deleteButton"));
        const tooltip = findChild(rowAt(page, 0), "deleteTooltip");
        tryCompare(tooltip, "visible", true, patience);
        compare(tooltip.text, "无权删除");
        compare(idsOnScreen(page)[0], 1);

        // An answer that comes after a new query removes nothing from the new rows.
        testServer.setFault("/api/v1/deletealarm", { delayMs: 1500, remainingHits: 1 });
        testKit.clearMessages();
        mouseClick(findChild(rowAt(page, 0), "deleteButton"));
        waitForRequests("/api/v1/deletealarm", 3);
        mouseClick(findChild(page, "rightPageButton"));
        settle(page, 2, 10);
        const secondPage = idsOnScreen(page);
        tryVerify(() => testKit.messages().some(line => line.includes("Deleted")), patience, "delete answered");
        wait(50);
        compare(idsOnScreen(page), secondPage);

        // 23 alarms left, ids 2 and 4 to 25. The third page: ids 23 to 25, every one in
        // row order in the deletion, then the same page again, now beyond the last.
        mouseClick(findChild(page, "rightPageButton"));
        settle(page, 3, 3);
        compare(idsOnScreen(page), [23, 24, 25]);
        testServer.clearLog();
        mouseClick(findChild(page, "deletePageButton"));
        verify(/\r\n\r\n\[23,24,25\]\r\n/.test(waitForRequests("/api/v1/deletealarm", 1)[0].body));
        settle(page, 1, 0);
        compare(queries()[0].pageindex, "2");
        tryCompare(pageText(page, "pageIndicator"), "text", "当前页: 3 / 2", patience);

        // An empty page deletes "[]" and asks again.
        testServer.clearLog();
        mouseClick(findChild(page, "deletePageButton"));
        verify(/\r\n\r\n\[\]\r\n/.test(waitForRequests("/api/v1/deletealarm", 1)[0].body));
        waitForRequests("/api/v1/alarmlist", 1);

        // Clearing keeps the page index: page 3 of 0.
        testServer.clearLog();
        mouseClick(findChild(page, "clearAlarmButton"));
        waitForRequests("/api/v1/clearalarm", 1);
        waitForRequests("/api/v1/alarmlist", 1);
        compare(queries()[0].pageindex, "2");
        tryCompare(pageText(page, "rowCount"), "text", "当前页: 0 条 / 总 0 条", patience);
        compare(pageText(page, "pageIndicator").text, "当前页: 3 / 0");
    }
}
