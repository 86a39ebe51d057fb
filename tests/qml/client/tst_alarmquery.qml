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
        // New rows slide down from the top, over one another: a click lands on the row
        // once every row is in place.
        tryVerify(() => {
            for (let i = 0; i < list.count; ++i) {
                const other = list.itemAtIndex(i);
                if (other && other.y !== i * (other.height + list.spacing))
                    return false;
            }
            return true;
        }, patience, "rows in place");
        const row = list.itemAtIndex(index);
        verify(row, "row " + index);
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

    // Downloads go into a folder of this test's working directory, with a blank and a "#"
    // in its name; the working directory is where config/config.ini lives.
    function useRecordFolder() {
        const workDir = configFile.path.replace(/\/config\/config\.ini$/, "");
        settings.recordPath = workDir + "/录像 #1";
        return networkManager.getRecordPath();
    }

    // SHA-1 of what the server serves for a record.
    function servedChecksum(path) {
        const request = new XMLHttpRequest();
        request.open("GET", testServer.url(path));
        request.responseType = "arraybuffer";
        request.send();
        tryCompare(request, "readyState", XMLHttpRequest.DONE, patience);
        compare(request.status, 200);
        return testKit.checksum(request.response);
    }

    function downloadPopup(row) {
        const popup = findChild(row, "downloadPopup");
        verify(popup, "download popup");
        return popup;
    }

    // The file that the download of alarm `i` of alarms() writes.
    function recordFile(folder, i) {
        return folder + "通道-" + i + "-" + (2000 + i) + "-2026-12-01-10-" + String(i).padStart(2, "0") + "-00.mp4";
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

        // From page 4: page 0 at the old size, then page 0 at the new one. The two go out
        // side by side and may reach the server in either order; whichever comes first
        // is answered last, and the table still shows the answer to the second.
        gotoPage(page, "4");
        settle(page, 5, 10);
        testServer.clearLog();
        testServer.setFault("/api/v1/alarmlist", { delayMs: 1000, remainingHits: 1 });
        choose(sizeBox, 2);
        settle(page, 2, 30);
        compare(queries().map(items => [items.pageindex, items.pagesize]).sort(), [["0", "10"], ["0", "30"]]);
        compare(pageText(page, "pageIndicator").text, "当前页: 1 / 2");
        wait(1500);
        compare(findChild(page, "alarmListView").count, 30);
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
        compare(queries().slice(1).map(items => [items.priority, items.method]).sort(), [["2", "7"], ["4", "7"]]);
        choose(findChild(page, "alarmTypeComboBox"), 0);
        choose(findChild(page, "alarmLevelComboBox"), 0);
        gotoPage(page, "1");
        settle(page, 6, 10);

        // Each keystroke a query, the text as typed; an empty field drops "q".
        testServer.clearLog();
        const search = findChild(page, "searchEdit");
        typeInto(search, "13");
        waitForRequests("/api/v1/alarmlist", 2);
        // Two connections at once: the server may take the second query first.
        compare(queries().map(items => items.q).sort(), ["1", "13"]);
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

    // "删除本页" deletes the rows on screen only while they are the page that the bar
    // shows: while the answer to a page change or a new search is out, it deletes nothing.
    function test_deletePageOnlyWhatIsShown() {
        const page = openPage(alarms(25));
        const button = findChild(page, "deletePageButton");
        verify(button.enabled);
        testServer.setFault("/api/v1/alarmlist", { delayMs: 1500, remainingHits: 1 });
        mouseClick(findChild(page, "rightPageButton"));
        waitForRequests("/api/v1/alarmlist", 2);
        compare(pageText(page, "pageIndicator").text, "当前页: 2 / 3");
        compare(idsOnScreen(page)[0], 1);
        verify(!button.enabled);
        mouseClick(button);
        page.deletePage();
        settle(page, 2, 10);
        tryVerify(() => idsOnScreen(page)[0] === 11, patience, "second page shown");
        compare(testServer.requests("/api/v1/deletealarm").length, 0);
        tryCompare(button, "enabled", true, patience);
        tryCompare(button, "opacity", 1, patience);

        // A search typed while the page is shown: the same until its answer.
        testServer.setFault("/api/v1/alarmlist", { delayMs: 1500, remainingHits: 1 });
        replaceText(findChild(page, "searchEdit"), "2");
        waitForRequests("/api/v1/alarmlist", 3);
        verify(!button.enabled);
        mouseClick(button);
        tryCompare(button, "enabled", true, patience);
        compare(testServer.requests("/api/v1/deletealarm").length, 0);
        const shown = idsOnScreen(page);
        mouseClick(button);
        const body = waitForRequests("/api/v1/deletealarm", 1)[0].body;
        verify(body.includes("\r\n\r\n[" + shown.join(",") + "]\r\n"), body);
    }

    function test_downloads() {
        const page = openPage(alarms(12));
        const folder = useRecordFolder();
        const served = servedChecksum("/media/record.mp4");
        testServer.clearLog();

        // Success: the served bytes under the alarm's name, its folder opened as a file:
        // address (not the bare path), the popup closed, the file kept.
        let row = rowAt(page, 0);
        let popup = downloadPopup(row);
        mouseClick(findChild(row, "downloadButton"));
        tryCompare(openedUrls, "count", 1, patience);
        const url = openedUrls.urls[0];
        verify(url.startsWith("file:///"), url);
        compare(qmlApi.urlToLocalFile(url), folder);
        compare(testKit.fileChecksum(recordFile(folder, 1)), served);
        tryCompare(popup, "visible", false, patience);
        compare(popup.progress, 0);
        compare(testKit.fileChecksum(recordFile(folder, 1)), served, "closing after success keeps the file");
        compare(testServer.requests("/download/alarm/1.mp4").length, 1);

        // A second click while the first download runs: refused in the debug output, one
        // request, the running download goes on to one whole file.
        testServer.setFault("/download/alarm/3.mp4", { delayMs: 3000, remainingHits: 1 });
        row = rowAt(page, 2);
        popup = downloadPopup(row);
        mouseClick(findChild(row, "downloadButton"));
        waitForRequests("/download/alarm/3.mp4", 1);
        mouseClick(findChild(row, "downloadButton"));
        tryVerify(() => testKit.messages().some(line => line.includes("录像正在下载")), patience, "second download refused");
        compare(popup.visible, true);
        compare(page.downloads.isRunning(page.downloadKey("通道 3", 2003, "2026-12-01 10:03:00")), true);
        tryCompare(openedUrls, "count", 2, patience);
        compare(testKit.fileChecksum(recordFile(folder, 3)), served);
        compare(testServer.requests("/download/alarm/3.mp4").length, 1);
        tryCompare(popup, "visible", false, patience);
        compare(qmlApi.getAllFileNames(folder, ["*"]).length, 2, "no second file, no leftovers");

        // Stop: without an announced length the bar stays at 0 (no division by -1), the
        // partial file goes, the popup stays open, a second stop does nothing.
        testServer.setFault("/download/alarm/2.mp4", { slowChunkDelayMs: 2 });
        row = rowAt(page, 1);
        popup = downloadPopup(row);
        mouseClick(findChild(row, "downloadButton"));
        tryCompare(popup, "opened", true, patience);
        waitForRequests("/download/alarm/2.mp4", 1);
        wait(300);
        compare(popup.progress, 0);
        compare(findChild(popup, "downloadProgressBar").value, 0);
        const key = page.downloadKey("通道 2", 2002, "2026-12-01 10:02:00");
        verify(page.downloads.isRunning(key));
        mouseClick(findChild(popup, "stopDownloadButton"));
        tryVerify(() => !page.downloads.isRunning(key), patience, "stopped");
        compare(popup.visible, true);
        compare(testKit.fileChecksum(recordFile(folder, 2)), "");
        compare(qmlApi.getAllFileNames(folder, ["*"]).length, 2);
        mouseClick(findChild(popup, "stopDownloadButton"));
        compare(openedUrls.count, 2);

        // Closing the popup stops its download the same way.
        mouseClick(findChild(popup, "PopupCloseButton"));
        tryCompare(popup, "visible", false, patience);
        mouseClick(findChild(row, "downloadButton"));
        waitForRequests("/download/alarm/2.mp4", 2);
        tryCompare(popup, "opened", true, patience);
        verify(page.downloads.isRunning(key));
        popup.close();
        tryVerify(() => !page.downloads.isRunning(key), patience, "closing stops");
        compare(qmlApi.getAllFileNames(folder, ["*"]).length, 2);
        testServer.clearFaults();
    }

    // Every reply rebuilds the rows: the download runs on, the new row shows its popup
    // with the progress, and its stop button stops it.
    function test_downloadOutlivesItsRow() {
        const page = openPage(alarms(25));
        const folder = useRecordFolder();
        testServer.setFault("/download/alarm/4.mp4", { slowChunkDelayMs: 1, slowWithLength: true });
        const key = page.downloadKey("通道 4", 2004, "2026-12-01 10:04:00");
        const oldPopup = downloadPopup(rowAt(page, 3));
        mouseClick(findChild(rowAt(page, 3), "downloadButton"));
        tryVerify(() => oldPopup.progress > 0, patience, "progress reported");
        compare(findChild(oldPopup, "downloadProgressBar").value, oldPopup.progress);

        mouseClick(findChild(page, "rightPageButton"));
        settle(page, 2, 10);
        tryVerify(() => idsOnScreen(page)[0] === 11, patience, "second page shown");
        verify(page.downloads.isRunning(key), "the row went, its download did not");
        const before = page.downloads.progress(key);
        page.recalcModel();
        mouseClick(findChild(page, "leftPageButton"));
        settle(page, 4, 10);
        tryVerify(() => idsOnScreen(page)[0] === 1, patience, "back on the first page");

        const popup = downloadPopup(rowAt(page, 3));
        verify(popup !== oldPopup);
        tryCompare(popup, "opened", true, patience);
        tryVerify(() => popup.progress > before, patience, "the new row follows the download");
        compare(findChild(popup, "downloadProgressBar").value, popup.progress);
        verify(!downloadPopup(rowAt(page, 4)).visible, "other rows show nothing");
        mouseClick(findChild(popup, "stopDownloadButton"));
        tryVerify(() => !page.downloads.isRunning(key), patience, "stopped");
        compare(popup.progress, 0);
        compare(popup.visible, true);
        compare(qmlApi.getAllFileNames(folder, ["*"]), []);
        compare(openedUrls.count, 0);
        testServer.clearFaults();
    }

    // Two alarms of one channel at one second share the file name: the second's start is
    // refused and says so in its popup; its stop button and its closing leave the first's
    // download running; only the first's row, made again, shows that download again.
    function test_sharedFileName() {
        const page = openPage(alarms(25, i => i === 6 ? { ChannelName: "通道 5", ChannelID: 2005,
                                                          AlarmTime: "2026-12-01 10:05:00" } : {}));
        const folder = useRecordFolder();
        testServer.setFault("/download/alarm/5.mp4", { slowChunkDelayMs: 1, slowWithLength: true });
        const key = page.downloadKey("通道 5", 2005, "2026-12-01 10:05:00");
        const popup = downloadPopup(rowAt(page, 4));
        mouseClick(findChild(rowAt(page, 4), "downloadButton"));
        tryVerify(() => popup.progress > 0, patience, "progress reported");
        compare(findChild(popup, "downloadMessage").text, "");

        const refused = downloadPopup(rowAt(page, 5));
        testKit.clearMessages();
        mouseClick(findChild(rowAt(page, 5), "downloadButton"));
        tryCompare(refused, "opened", true, patience);
        verify(testKit.messages().some(line => line.includes("录像正在下载")));
        compare(findChild(refused, "downloadMessage").text, "录像正在下载");
        compare(findChild(refused, "downloadProgressBar").value, 0);
        mouseClick(findChild(refused, "stopDownloadButton"));
        mouseClick(findChild(refused, "PopupCloseButton"));
        tryCompare(refused, "visible", false, patience);
        wait(200);
        verify(page.downloads.isRunning(key), "the first alarm's download runs on");
        const before = popup.progress;
        tryVerify(() => popup.progress > before, patience, "and reports");
        compare(testServer.requests("/download/alarm/6.mp4").length, 0);

        mouseClick(findChild(page, "rightPageButton"));
        settle(page, 2, 10);
        tryVerify(() => idsOnScreen(page)[0] === 11, patience, "second page shown");
        mouseClick(findChild(page, "leftPageButton"));
        settle(page, 3, 10);
        tryVerify(() => idsOnScreen(page)[0] === 1, patience, "back on the first page");
        const fresh = downloadPopup(rowAt(page, 4));
        tryCompare(fresh, "opened", true, patience);
        verify(!downloadPopup(rowAt(page, 5)).opened, "the other alarm's row shows nothing");
        mouseClick(findChild(fresh, "stopDownloadButton"));
        tryVerify(() => !page.downloads.isRunning(key), patience, "stopped by its own row");
        compare(testKit.fileChecksum(recordFile(folder, 5)), "");
        testServer.clearFaults();
    }

    // The preview beside the thumbnail fetches the snapshot on every entry.
    function test_preview() {
        const page = openPage(alarms(10));
        const preview = findChild(page, "snapPopup");
        const snapCount = () => testServer.requests("/snap/alarm/1.h265").length;
        tryCompare(findChild(rowAt(page, 0), "snapImage"), "snapValid", true, patience);
        const thumbnails = snapCount();

        const cell = findChild(rowAt(page, 0), "snapCell");
        mouseMove(cell, cell.width / 2, cell.height / 2);
        tryCompare(preview, "opened", true, patience);
        const corner = cell.mapToItem(page, 0, 0);
        compare(preview.width, 600 * s);
        compare(preview.height, 500 * s);
        compare(preview.x, corner.x - preview.width);
        compare(preview.y, corner.y);
        tryVerify(() => snapCount() === thumbnails + 1, patience, "the preview fetches the picture");
        mouseMove(page, 10, 10);
        tryCompare(preview, "visible", false, patience);
        mouseMove(cell, cell.width / 2, cell.height / 2);
        tryCompare(preview, "opened", true, patience);
        tryVerify(() => snapCount() === thumbnails + 2, patience, "the second entry fetches again");

        // A cell near the bottom: the preview stands above it.
        const low = findChild(rowAt(page, 9), "snapCell");
        mouseMove(low, low.width / 2, low.height / 2);
        const lowCorner = low.mapToItem(page, 0, 0);
        verify(lowCorner.y + preview.height > page.height);
        tryCompare(preview, "y", lowCorner.y - preview.height, patience);
        tryVerify(() => testServer.requests("/snap/alarm/10.h264").length >= 2, patience);
        mouseMove(page, 10, 10);
        tryCompare(preview, "visible", false, patience);
    }

    // The record plays in the page's window, whose tile outlives the rows; closing the
    // window stops the tile with the stop notice of a playback without ids.
    function test_play() {
        const page = openPage(alarms(3, i => i === 2 ? { ChannelName: "Gate 1" } : {}));
        const popup = findChild(page, "playAlarmPopup");
        const tile = findChild(popup, "playAlarmView");
        verify(popup && tile);
        compare(popup.visible, false);
        compare(tile.streamType, 1);
        const address = path => "http://" + testServer.host + ":" + testServer.port + path;

        mouseClick(findChild(rowAt(page, 1), "playButton"));
        tryCompare(popup, "visible", true, patience);
        compare(popup.title, "告警通道: Gate 1 (2026-12-01 10:02:00)");
        compare(tile.videoUrl, address("/download/alarm/2.mp4"));
        compare(popup.width, 860 * s);
        compare(popup.height, 560 * s);
        const area = findChild(popup, "PopupWindowContent");
        const corner = tile.mapToItem(area, 0, 0);
        compare([corner.x, corner.y, tile.width, tile.height], [2 * s, 2 * s, area.width - 4 * s, area.height - 4 * s]);
        const video = findChild(tile, "cameraLoader");
        tryVerify(() => video.item && video.item.videoProvider.sourceValid, patience, "the record plays");

        // Another row's play switches the window to its record; a new query keeps it.
        mouseClick(findChild(rowAt(page, 0), "playButton"));
        compare(popup.title, "告警通道: 通道 1 (2026-12-01 10:01:00)");
        compare(tile.videoUrl, address("/download/alarm/1.mp4"));
        testServer.clearLog();
        page.recalcModel();
        settle(page, 1, 3);
        compare(tile.videoUrl, address("/download/alarm/1.mp4"));
        compare(popup.visible, true);

        mouseClick(findChild(popup, "PopupCloseButton"));
        tryCompare(tile, "videoUrl", "", patience);
        const stop = waitForRequests("/api/v1/devices/stopchannelstream", 1)[0].items;
        compare([stop.device, stop.channel, stop.stream_type], ["-1", "-1", "playback"]);
        tryCompare(popup, "visible", false, patience);
        compare(tile.title, "");
    }
}
