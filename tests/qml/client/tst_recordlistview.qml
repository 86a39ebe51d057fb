import QtQuick
import QtTest
import "qrc:/zelka/qml/RecordManage" as RecordManage

// The record table against the test server: its columns by record type and its cell
// texts; flag, link and removal with their refusals and with answers that arrive after a
// reload; downloads with progress, refusal, stop, success and a reload in between.
ShellTestCase {
    id: testCase
    name: "RecordListView"

    visible: true
    width: 1400
    height: 900

    // Downloads go below a folder of this test's own, whose name needs encoding in a URL.
    property string folder: ""
    readonly property string flagPath: "/api/v1/record/setimportant"
    readonly property string removePath: "/api/v1/record/remove"

    Component {
        id: hostComponent

        Item {
            width: 1400
            height: 700

            RecordManage.RecordListView {
                objectName: "view"
                anchors.fill: parent
            }
        }
    }

    TextEdit {
        id: clipboardReader
        visible: false
    }

    function init() {
        resetClient();
        folder = qmlApi.getApplicationDir() + "/record29 #" + Date.now();
        settings.recordPath = folder;
    }

    function cleanup() {
        settings.recordPath = "";
    }

    function openView() {
        logIn();
        const host = createTemporaryObject(hostComponent, testCase);
        const view = findChild(host, "view");
        verify(view);
        return view;
    }

    // The seeded records of channel 101 on a day, as the record page hands them over.
    function loadRows(view, type, year, month, day) {
        let reply = null;
        networkManager.getRecordListForDay(101, year, month, day, type, answer => { reply = answer; });
        tryVerify(() => reply !== null, patience, "the day's records");
        view.type = type;
        fill(view, reply.list);
        compare(view.model.count, 3);
        testServer.clearLog();
        return reply.list;
    }

    function fill(view, records) {
        view.model.clear();
        for (const record of records)
            view.model.append(Object.assign({}, record, { channelID: 101 }));
    }

    // A row, once every row is in its place: new rows slide in from the top, over the
    // rows above them, and a reloaded list makes its rows when its window draws next.
    function row(view, index) {
        const list = piece(view, "listView");
        tryVerify(() => {
            for (let i = 0; i < list.count; ++i) {
                const item = list.itemAtIndex(i);
                if (item === null || item.y !== i * (item.height + 1) || item.model.name !== view.model.get(i).name)
                    return false;
            }
            return list.itemAtIndex(index) !== null;
        }, patience, "row " + index + " and the others in their places");
        return list.itemAtIndex(index);
    }

    function piece(item, name) {
        const found = findChild(item, name);
        verify(found, "no part named " + name);
        return found;
    }

    function clipboardText() {
        clipboardReader.text = "";
        clipboardReader.paste();
        return clipboardReader.text;
    }

    function address(path) {
        return "http://" + testServer.host + ":" + testServer.port + path;
    }

    function downloadPath(record) {
        return "/api/v1/record/download/101/" + record.startAt;
    }

    function cloudKey(view, record) {
        return view.downloadKey(true, Object.assign({}, record, { channelID: 101 }));
    }

    function downloadFolder() {
        return folder + "/record/download/";
    }

    function fileName(record) {
        return (record.name + "-101-" + record.startAt + ".mp4").replace(/[ :]/g, "-");
    }

    function filesNow() {
        return qmlApi.getAllFileNames(downloadFolder(), ["*"]);
    }

    function servedChecksum(path) {
        const request = new XMLHttpRequest();
        let sum = null;
        request.responseType = "arraybuffer";
        request.onreadystatechange = () => {
            if (request.readyState === XMLHttpRequest.DONE)
                sum = testKit.checksum(request.response);
        };
        request.open("GET", testServer.url(path));
        request.send();
        tryVerify(() => sum !== null, patience, "fetched " + path);
        return sum;
    }

    // Waits until the API client has answered a call of its own on a route that delays
    // every answer: the answers to earlier calls there have arrived too.
    function probe(path) {
        let answered = false;
        if (path === flagPath)
            networkManager.setRecordImportant(999, "20240101000000", false, () => { answered = true; });
        else
            networkManager.removeRecord(999, "20240101000000", () => { answered = true; });
        tryVerify(() => answered, patience, "the probe on " + path + " answered");
        wait(100);
    }

    function headerCell(view, title) {
        return piece(view, "header-" + title);
    }

    function test_columnsByTypeAndCellTexts() {
        const view = openView();
        const s = styleManager.scaleRatio;
        fill(view, [
            { name: "甲", startAt: "20240208080000", duration: 3725, hls: "/vod/record/101/20240208080000.mp4",
              important: false, snap: "" },
            { name: "乙", startAt: "2024-02-08", duration: 0, hls: "", important: true, snap: "/media/record-snap.jpg" },
            { name: "丙", startAt: "20240208235959", duration: 360000, hls: "/x", important: false, snap: "" }
        ]);
        const contentWidth = view.width - 20 * s;
        const cloudTitles = ["紧急标记", "快照", "链接", "删除"];
        for (const title of cloudTitles)
            verify(headerCell(view, title).visible, title);
        compare(headerCell(view, "录像地址").width, contentWidth - 920 * s - 10);

        const texts = name => [0, 1, 2].map(i => piece(row(view, i), name).text);
        compare(texts("numberCell"), ["1", "2", "3"]);
        compare(texts("nameCell"), ["甲", "乙", "丙"]);
        compare(texts("startCell"), ["2024-02-08 08:00:00", "", "2024-02-08 23:59:59"]);
        compare(texts("durationCell"), ["01:02:05", "00:00:00", "100:00:00"]);
        compare(texts("addressCell"), ["/vod/record/101/20240208080000.mp4", "--", "/x"]);
        compare([0, 1, 2].map(i => piece(row(view, i), "flagSwitch").checked), [false, true, false]);
        const snap0 = piece(row(view, 0), "snapImage");
        compare(String(snap0.source), styleManager.style.image("Home-NoSnap"));
        compare(String(piece(row(view, 1), "snapImage").source), address("/media/record-snap.jpg"));
        compare(snap0.sourceSize.width, Math.round(40 * s));
        // Each cell stands under its title.
        const first = row(view, 0);
        for (const [cell, title] of [["durationCell", "录像时长"], ["addressCell", "录像地址"]]) {
            const part = piece(first, cell);
            compare(part.mapToItem(view, 0, 0).x, headerCell(view, title).mapToItem(view, 0, 0).x, cell);
            compare(part.width, headerCell(view, title).width, cell);
        }

        // Device records: the cloud-only columns take no room, the address widens.
        view.type = 1;
        for (const title of cloudTitles)
            verify(!headerCell(view, title).visible, title);
        compare(headerCell(view, "录像地址").width, contentWidth - 640 * s - 6);
        verify(!piece(first, "flagSwitch").parent.visible);
        verify(!piece(first, "snapCell").visible);
        compare(String(snap0.source), "");
        const download = piece(first, "downloadButton").parent;
        compare(download.mapToItem(view, 0, 0).x, headerCell(view, "下载").mapToItem(view, 0, 0).x);
    }

    // The switch flips at once; the server's answer decides the row's flag, and a
    // refusal shows its text and puts the switch back.
    function test_flagSwitch() {
        const view = openView();
        const list = loadRows(view, 0, 2024, 2, 8);
        const third = row(view, 2);
        const flag = piece(third, "flagSwitch");
        mouseClick(flag);
        compare(flag.checked, true);
        const query = waitForRequests(flagPath, 1)[0].items;
        compare(query.id, "101");
        compare(query.period, list[2].startAt);
        compare(query.important, "true");
        tryVerify(() => view.model.get(2).important === true, patience, "the third row flagged");
        compare(view.model.get(0).important, false);
        compare(view.model.get(1).important, false);
        compare(flag.checked, true);

        testServer.setFault(flagPath, { status: 500, body: "不允许修改" });
        mouseClick(flag);
        compare(flag.checked, false);
        compare(waitForRequests(flagPath, 2)[1].items.important, "false");
        const tip = piece(third, "flagTooltip");
        tryCompare(tip, "visible", true, patience);
        compare(tip.text, "不允许修改");
        tryCompare(flag, "checked", true, patience);
        compare(view.model.get(2).important, true);
        // It follows the row's flag from then on.
        view.model.setProperty(2, "important", false);
        compare(flag.checked, false);
    }

    function test_deleteRenumbers() {
        const view = openView();
        const list = loadRows(view, 0, 2024, 2, 8);
        mouseClick(piece(row(view, 1), "deleteButton"));
        const query = waitForRequests(removePath, 1)[0].items;
        compare(query.id, "101");
        compare(query.period, list[1].startAt);
        tryCompare(view.model, "count", 2, patience);
        compare(piece(row(view, 1), "nameCell").text, list[2].name);
        compare(piece(row(view, 1), "numberCell").text, "2");

        testServer.setFault(removePath, { status: 500, body: "不能删除" });
        mouseClick(piece(row(view, 0), "deleteButton"));
        const tip = piece(row(view, 0), "deleteTooltip");
        tryCompare(tip, "visible", true, patience);
        compare(tip.text, "不能删除");
        compare(view.model.count, 2);
    }

    // Answers that arrive after a reload find their record by channel and start, not
    // by the position it had: a record gone from the list changes nothing.
    function test_lateAnswersFindTheirRecord() {
        const view = openView();
        const list = loadRows(view, 0, 2024, 2, 8);
        testServer.setFault(flagPath, { delayMs: 800 });
        testServer.setFault(removePath, { delayMs: 800 });
        mouseClick(piece(row(view, 0), "flagSwitch"));
        mouseClick(piece(row(view, 1), "deleteButton"));
        waitForRequests(flagPath, 1);
        waitForRequests(removePath, 1);
        fill(view, [list[2], list[0]]);
        probe(flagPath);
        probe(removePath);
        compare(view.model.count, 2);
        compare([0, 1].map(i => view.model.get(i).name), [list[2].name, list[0].name]);
        compare([0, 1].map(i => view.model.get(i).important), [false, true]);
        compare(piece(row(view, 0), "flagSwitch").checked, false);
        compare(piece(row(view, 1), "flagSwitch").checked, true);
    }

    function test_linkGoesToTheClipboard() {
        const view = openView();
        fill(view, [
            { name: "甲", startAt: "20240208080000", duration: 60, hls: "/vod/record/101/20240208080000.mp4",
              important: false, snap: "" },
            { name: "乙", startAt: "20240208090000", duration: 60, hls: "", important: false, snap: "" }
        ]);
        for (const [index, path] of [[0, "/vod/record/101/20240208080000.mp4"], [1, ""]]) {
            const current = row(view, index);
            mouseClick(piece(current, "linkButton"));
            compare(clipboardText(), address(path));
            const tip = piece(current, "linkTooltip");
            tryCompare(tip, "visible", true, patience);
            compare(tip.text, "已经复制到剪切板!");
        }
    }

    // A download with its length announced: the bar grows, a second click is refused
    // without a second transfer, the end opens the folder and closes the popup, and the
    // file is what the server sent, also after the popup's late close.
    function test_downloadGrowsAndEnds() {
        const view = openView();
        const record = loadRows(view, 0, 2024, 2, 8)[0];
        const body = "0123456789abcdef".repeat(160);
        testServer.setFault(downloadPath(record), { status: 200, body: body, slowChunkDelayMs: 20,
                                                    slowWithLength: true });
        const first = row(view, 0);
        const button = piece(first, "downloadButton");
        mouseClick(button);
        const popup = piece(first, "downloadPopup");
        tryCompare(popup, "opened", true, patience);
        compare(popup.title, "下载录像: [" + record.name + "]-2024-02-08 08:00:00");
        const bar = piece(popup, "downloadProgressBar");
        tryVerify(() => bar.value > 0 && bar.value < 1, patience, "part of it arrived");
        const part = bar.value;
        tryVerify(() => bar.value > part, patience, "more arrived");

        mouseClick(button);
        compare(bar.value, 0, "a refused start shows an empty bar until the next report");
        verify(testKit.messages().some(message => message.indexOf("录像正在下载") >= 0));
        compare(testServer.requests(downloadPath(record)).length, 1);
        verify(popup.opened);
        tryVerify(() => bar.value > 0, patience, "the running download reports again");

        tryCompare(openedUrls, "count", 1, patience);
        // The recorder holds the address as QUrl shows it: the space decoded, "#" not.
        compare(openedUrls.urls[0], "file://" + downloadFolder().replace(/#/g, "%23"));
        tryCompare(popup, "visible", false, patience);
        compare(bar.value, 0);
        const served = testKit.checksum(body);
        compare(testKit.fileChecksum(downloadFolder() + fileName(record)), served);
        wait(300);
        compare(testKit.fileChecksum(downloadFolder() + fileName(record)), served, "kept after the close");
        compare(openedUrls.count, 1);
    }

    // Without a length the bar stays empty until the end.
    function test_downloadWithoutLength() {
        const view = openView();
        const record = loadRows(view, 0, 2024, 2, 8)[1];
        const body = "0123456789abcdef".repeat(12);
        testServer.setFault(downloadPath(record), { status: 200, body: body, slowChunkDelayMs: 40 });
        const second = row(view, 1);
        mouseClick(piece(second, "downloadButton"));
        const popup = piece(second, "downloadPopup");
        const bar = piece(popup, "downloadProgressBar");
        waitForRequests(downloadPath(record), 1);
        wait(200);
        compare(bar.value, 0);
        verify(!isNaN(popup.progress));
        tryCompare(openedUrls, "count", 1, patience);
        compare(bar.value, 0);
        compare(testKit.fileChecksum(downloadFolder() + fileName(record)), testKit.checksum(body));
    }

    // A body that takes the server about 2.5 s to send. The transport writes to an
    // unnamed file until the end, so a download shows only by its request and, when it
    // ends well, by its file.
    function sendSlowly(record) {
        testServer.setFault(downloadPath(record), { status: 200, body: "0123456789abcdef".repeat(128),
                                                    slowChunkDelayMs: 20 });
    }

    function waitForTransfer(record) {
        waitForRequests(downloadPath(record), 1);
        wait(300);
    }

    // Longer than the whole body takes: a download that was not stopped has ended.
    function outwaitTransfers() {
        wait(3500);
        compare(filesNow(), []);
        compare(openedUrls.count, 0);
    }

    // The stop button leaves the popup open; the popup's close button stops as well.
    // Neither leaves a file.
    function test_stoppedDownloadsLeaveNoFile() {
        const view = openView();
        const list = loadRows(view, 0, 2024, 2, 8);
        sendSlowly(list[0]);
        sendSlowly(list[1]);
        const first = row(view, 0);
        mouseClick(piece(first, "downloadButton"));
        const popup = piece(first, "downloadPopup");
        tryCompare(popup, "opened", true, patience);
        waitForTransfer(list[0]);
        verify(view.downloads.isRunning(cloudKey(view, list[0])));
        mouseClick(piece(popup, "stopDownloadButton"));
        compare(piece(popup, "downloadProgressBar").value, 0);
        verify(popup.opened);
        verify(!view.downloads.isRunning(cloudKey(view, list[0])));

        const second = row(view, 1);
        mouseClick(piece(second, "downloadButton"));
        const other = piece(second, "downloadPopup");
        tryCompare(other, "opened", true, patience);
        waitForTransfer(list[1]);
        mouseClick(piece(other, "PopupCloseButton"));
        tryCompare(other, "visible", false, patience);
        tryVerify(() => !view.downloads.isRunning(cloudKey(view, list[1])), patience, "stopped by the close");
        outwaitTransfers();
    }

    // A reload while a download runs: the new row shows the running download and stops it.
    function test_reloadMidDownload() {
        const view = openView();
        const list = loadRows(view, 0, 2024, 2, 8);
        sendSlowly(list[0]);
        mouseClick(piece(row(view, 0), "downloadButton"));
        waitForTransfer(list[0]);
        fill(view, list);
        const fresh = row(view, 0);
        const popup = piece(fresh, "downloadPopup");
        tryCompare(popup, "opened", true, patience);
        verify(view.downloads.isRunning(cloudKey(view, list[0])));
        mouseClick(piece(popup, "stopDownloadButton"));
        verify(popup.opened);
        verify(!view.downloads.isRunning(cloudKey(view, list[0])));
        compare(testServer.requests(downloadPath(list[0])).length, 1);
        outwaitTransfers();
    }

    // Two records whose names differ only in a blank and a hyphen download into one file:
    // the second is refused, says so in its popup, and neither its stop button nor its
    // closing stops the first. A reload while the first runs reopens only the first's
    // popup, with its title.
    function test_sharedFileName() {
        const view = openView();
        const seeded = loadRows(view, 0, 2024, 2, 8);
        const records = [Object.assign({}, seeded[0], { name: "cam 1" }), Object.assign({}, seeded[0], { name: "cam-1" }),
                         seeded[1]];
        fill(view, records);
        compare(fileName(records[0]), fileName(records[1]));
        sendSlowly(records[0]);
        const first = row(view, 0);
        mouseClick(piece(first, "downloadButton"));
        const popup = piece(first, "downloadPopup");
        tryCompare(popup, "opened", true, patience);
        compare(piece(popup, "downloadMessage").text, "");
        waitForTransfer(records[0]);

        const second = row(view, 1);
        mouseClick(piece(second, "downloadButton"));
        const refused = piece(second, "downloadPopup");
        tryCompare(refused, "opened", true, patience);
        compare(piece(refused, "downloadMessage").text, "录像正在下载");
        compare(piece(refused, "downloadProgressBar").value, 0);
        mouseClick(piece(refused, "stopDownloadButton"));
        mouseClick(piece(refused, "PopupCloseButton"));
        tryCompare(refused, "visible", false, patience);
        wait(200);
        verify(view.downloads.isRunning(cloudKey(view, records[0])), "the first download runs on");
        verify(popup.opened);
        compare(testServer.requests(downloadPath(records[0])).length, 1);

        // Rows made again: the running download's row shows its popup, titled.
        fill(view, records);
        const fresh = piece(row(view, 0), "downloadPopup");
        verify(fresh !== popup);
        tryCompare(fresh, "opened", true, patience);
        compare(fresh.title, "下载录像: [cam 1]-2024-02-08 08:00:00");
        verify(!piece(row(view, 1), "downloadPopup").opened);
        mouseClick(piece(fresh, "stopDownloadButton"));
        verify(!view.downloads.isRunning(cloudKey(view, records[0])));
        verify(fresh.opened);
        outwaitTransfers();
    }

    // Device records: the download address first, then its stream, then the file.
    function test_deviceDownloadChain() {
        const view = openView();
        const record = loadRows(view, 1, 2024, 2, 2)[0];
        const first = row(view, 0);
        mouseClick(piece(first, "downloadButton"));
        tryCompare(openedUrls, "count", 1, patience);
        const paths = testServer.requests().map(request => request.path);
        const url = "/api/v1/record/downloaddevicerecord/101/" + record.name + "/" + record.duration;
        const file = "/download/device/101/devstream-101-" + record.startAt + ".mp4";
        compare(paths.filter(path => [url, "/api/v1/record/downloadrecord/streaminfo", file].includes(path)),
                [url, "/api/v1/record/downloadrecord/streaminfo", file]);
        compare(piece(first, "downloadPopup").title, "下载录像: [" + record.name + "]-2024-02-02 08:00:00");
        compare(testKit.fileChecksum(downloadFolder() + fileName(record)), servedChecksum(file));
    }

    // One window and one tile for every row: a cloud record plays from its own path, a
    // device record from the address the server gives for the latest click; closing the
    // window stops the tile.
    function test_playWindow() {
        const view = openView();
        const list = loadRows(view, 0, 2024, 2, 8);
        const window = piece(view, "playWindow");
        const tile = piece(window.contentItem, "playView");
        compare(tile.streamType, 1);
        mouseClick(piece(row(view, 1), "playButton"));
        tryCompare(window, "visible", true, patience);
        const title = list[1].name + "-2024-02-08 12:30:00";
        compare(window.title, title);
        compare(tile.title, title);
        compare(tile.videoUrl, address(list[1].hls));
        mouseClick(piece(row(view, 2), "playButton"));
        compare(tile.videoUrl, address(list[2].hls));
        compare(window.title, list[2].name + "-2024-02-08 20:15:00");

        const closer = findChild(window.contentItem.parent.parent, "PopupCloseButton");
        verify(closer);
        mouseClick(closer);
        compare(tile.videoUrl, "");
        compare(tile.title, "");
        tryCompare(window, "visible", false, patience);

        // Device records: an address answering an earlier click is dropped.
        const device = loadRows(view, 1, 2024, 2, 2);
        const playback = "/api/v1/devices/record/playback";
        testServer.setFault(playback, { delayMs: 1000, remainingHits: 1 });
        mouseClick(piece(row(view, 0), "playButton"));
        waitForRequests(playback, 1);
        mouseClick(piece(row(view, 2), "playButton"));
        const asked = waitForRequests(playback, 2)[1].items;
        compare(asked.channel, "101");
        compare(asked.file, device[2].name);
        compare(asked.stime, device[2].startAt);
        tryVerify(() => tile.videoUrl !== "", patience, "the second address arrived");
        const expected = address("/vod/device/101/" + device[2].startAt + "-20240202202000.flv");
        compare(tile.videoUrl, expected);
        compare(tile.title, device[2].name + "-2024-02-02 20:15:00");
        testServer.setFault(playback, { delayMs: 1000 });
        let probed = false;
        networkManager.getDeviceRecordUrl(101, "probe", "20240202080000", 10, () => { probed = true; });
        tryVerify(() => probed, patience, "the probe answered");
        wait(100);
        compare(tile.videoUrl, expected);
        mouseClick(closer);
        compare(tile.videoUrl, "");
    }

    // The preview stands left of the snapshot cell, level with it, or above it where the
    // table would end before the preview; it shows the cell's picture and goes on leaving.
    function test_snapshotPreview() {
        const view = openView();
        const s = styleManager.scaleRatio;
        fill(view, [
            { name: "甲", startAt: "20240208080000", duration: 60, hls: "/a", important: false, snap: "/media/record-snap.jpg" },
            { name: "乙", startAt: "20240208090000", duration: 60, hls: "/b", important: false, snap: "" }
        ]);
        const preview = piece(view, "snapPreview");
        const image = piece(preview, "previewImage");
        for (const [index, source] of [[0, address("/media/record-snap.jpg")], [1, styleManager.style.image("Home-NoSnap")]]) {
            const cell = piece(row(view, index), "snapCell");
            const at = cell.mapToItem(view, 0, 0);
            mouseMove(cell, cell.width / 2, cell.height / 2);
            tryCompare(preview, "opened", true, patience);
            compare(preview.x, at.x - 600 * s);
            compare(preview.y, at.y);
            compare(String(image.source), source);
            mouseMove(view, 10, view.height - 10);
            tryCompare(preview, "visible", false, patience);
        }
        // Low in a full table: above the cell.
        const many = [];
        for (let i = 0; i < 15; ++i)
            many.push({ name: "r" + i, startAt: "2024020808" + String(1000 + i).slice(1) + "0", duration: 60, hls: "/r", important: false, snap: "" });
        fill(view, many);
        const low = piece(row(view, 14), "snapCell");
        const lowAt = low.mapToItem(view, 0, 0);
        verify(lowAt.y + 600 * s > view.height && lowAt.y >= 600 * s);
        mouseMove(low, low.width / 2, low.height / 2);
        tryCompare(preview, "opened", true, patience);
        compare(preview.x, lowAt.x - 600 * s);
        compare(preview.y, lowAt.y - 600 * s);
        tryCompare(image, "status", Image.Ready, patience);
        verify(image.width <= 600 * s);
    }
}
