import QtQuick
import QtTest
import "qrc:/zelka/qml/RecordManage" as RecordManage

// The time-axis view with the real camera tile against the test server, which serves
// every seeded record as media as long as the record (the playing second drawn on it, a
// key frame a second): which record a pick plays and where, the cursor, the move on to
// the next record, and device playback addresses that come late.
ShellTestCase {
    id: testCase
    name: "RecordTimeAxisView"

    visible: true
    width: 1200
    height: 800

    readonly property string playbackPath: "/api/v1/devices/record/playback"
    // Short records, so that playing one to its end takes seconds: A, a gap, B, a gap,
    // then C and D overlapping.
    readonly property var slots: [
        { Time: "080000", Duration: 40 }, { Time: "080100", Duration: 6 },
        { Time: "080200", Duration: 6 }, { Time: "080203", Duration: 20 }
    ]

    Component {
        id: hostComponent

        Item {
            property color textColor: "#3da5ff"
            width: 1000
            height: 700

            RecordManage.RecordTimeAxisView {
                objectName: "view"
                anchors.fill: parent
            }
        }
    }

    SignalSpy {
        id: finishedSpy
        signalName: "replayFinished"
    }

    function openView(type) {
        logIn();
        verify(testServer.changeData({ Records: { Channels: [101], CloudDays: [1], DeviceDays: [2], Day: slots } }));
        const host = createTemporaryObject(hostComponent, testCase);
        const view = findChild(host, "view");
        verify(view);
        view.type = type;
        finishedSpy.target = tile(view);
        finishedSpy.clear();
        testServer.clearLog();
        return view;
    }

    function tile(view) {
        return findChild(view, "playRecordView");
    }

    function timeLine(view) {
        return findChild(view, "recordTimeLine");
    }

    function provider(view) {
        const loader = findChild(tile(view), "cameraLoader");
        return loader && loader.item ? loader.item.videoProvider : null;
    }

    function seconds(hhmmss) {
        return Number(hhmmss.substr(0, 2)) * 3600 + Number(hhmmss.substr(2, 2)) * 60 + Number(hhmmss.substr(4, 2));
    }

    // A time-line entry of the record at `hhmmss` (one of the slots) on the given day, as
    // the record page makes it.
    function entry(day, hhmmss, duration) {
        const startAt = day + hhmmss;
        const start = seconds(hhmmss);
        return { name: "rec_101_" + startAt + ".mp4", hls: "/vod/record/101/" + startAt + ".mp4",
                 startAt: startAt, duration: duration, startTime: start, endTime: start + duration };
    }

    function cloud(hhmmss, duration) {
        return entry("20240201", hhmmss, duration);
    }

    function address(path) {
        return "http://" + settings.host + ":" + settings.port + path;
    }

    function cursor(view) {
        return timeLine(view).totalSeconds;
    }

    // Waits until the player itself reports a position at least `from` seconds into the
    // record (the tile holds the picked second until then).
    function waitForPlayer(view, from) {
        tryVerify(() => provider(view) && provider(view).sourceValid, patience, "record decoded");
        tryVerify(() => provider(view).videoInfo.progress >= from, patience,
                  "player at " + from + " s, is at " + provider(view).videoInfo.progress);
    }

    function test_pickChoosesRecord() {
        const view = openView(0);
        const a = cloud("080000", 40), b = cloud("080100", 6), c = cloud("080200", 6), d = cloud("080203", 20);
        view.addRecordTimeLine(101, "东门入口", [a, b, c, d]);
        compare(view.channelID, 101);
        compare(findChild(view, "recordRow").visible, true);

        // A quarter into A: A seeks to 0.25; until the player reports, the cursor stays on
        // the picked second.
        view.playRecordWithTime(seconds("080010"));
        const t = tile(view);
        compare(t.videoUrl, address(a.hls));
        compare(t.__replay_start_progress, 0.25);
        compare(t.title, a.name + "-2024-02-01 08:00:00");
        compare(t.startTime, a.startTime);
        compare(t.duration, 40);
        compare(t.progress, 10);
        compare(cursor(view), seconds("080010"));
        // The player starts a key-frame interval or so from there; the cursor follows it.
        waitForPlayer(view, 9);
        verify(t.progress <= 13, "progress " + t.progress);
        tryVerify(() => cursor(view) >= seconds("080011"), patience);
        compare(cursor(view), a.startTime + t.progress);

        // In the gap after A: B from its start.
        testServer.clearLog();
        view.playRecordWithTime(seconds("080050"));
        compare(t.videoUrl, address(b.hls));
        compare(t.__replay_start_progress, 0);
        compare(t.progress, 0);
        compare(cursor(view), b.startTime);

        // After the last record's end: nothing, no stop either.
        const stops = waitForRequests("/api/v1/devices/stopchannelstream", 1).length;
        view.playRecordWithTime(seconds("080300"));
        view.playRecordWithTime(86399);
        compare(t.videoUrl, address(b.hls));
        compare(t.startTime, b.startTime);
        wait(200);
        compare(testServer.requests("/api/v1/devices/stopchannelstream").length, stops);

        // Covered by C and D: the one listed first, at its own fraction.
        view.playRecordWithTime(seconds("080204"));
        compare(t.videoUrl, address(c.hls));
        compare(t.__replay_start_progress, 4 / 6);
        // Newest first: the first listed record after a gap is the latest of the day,
        // and of two covering records the listed first wins again.
        view.addRecordTimeLine(101, "东门入口", [d, c, b, a]);
        view.playRecordWithTime(seconds("080050"));
        compare(t.videoUrl, address(d.hls));
        compare(t.__replay_start_progress, 0);
        view.playRecordWithTime(seconds("080204"));
        compare(t.videoUrl, address(d.hls));
        compare(t.__replay_start_progress, 1 / 20);
        compare(t.progress, 1);

        // A record of no length covering the pick plays from its start, not at 0/0.
        const empty = { name: "empty.mp4", hls: a.hls, startAt: "20240201090000", duration: 0,
                        startTime: seconds("090000"), endTime: seconds("090000") };
        view.addRecordTimeLine(101, "东门入口", [empty]);
        view.playRecordWithTime(seconds("090000"));
        compare(t.videoUrl, address(a.hls));
        compare(t.__replay_start_progress, 0);
        compare(t.duration, 0);
        compare(cursor(view), seconds("090000"));
        // The start seek is done once the first picture is reported.
        tryVerify(() => !t.__replay_first, patience, "record decoded");
        verify(provider(view).sourceValid);
    }

    function test_goesOnAfterRecordEnd() {
        const view = openView(0);
        const b = cloud("080100", 6), c = cloud("080200", 6), d = cloud("080203", 20);
        const t = tile(view);
        // B picked near its end: after it, C from its start (nothing covers 08:01:07); the
        // cursor follows into C. After C, the last listed, nothing more plays.
        view.addRecordTimeLine(101, "东门入口", [b, c]);
        view.playRecordWithTime(seconds("080104"));
        compare(t.videoUrl, address(b.hls));
        finishedSpy.wait(patience);
        compare(t.videoUrl, address(c.hls));
        compare(t.__replay_start_progress, 0);
        compare(t.startTime, c.startTime);
        tryVerify(() => cursor(view) >= seconds("080202"), patience, "cursor at " + cursor(view));
        tryCompare(finishedSpy, "count", 2, patience);
        compare(t.videoUrl, address(c.hls));
        compare(t.startTime, c.startTime);

        // C ends where D covers the next second: D goes on at the matching fraction.
        view.addRecordTimeLine(101, "东门入口", [c, d]);
        finishedSpy.clear();
        view.playRecordWithTime(seconds("080204"));
        finishedSpy.wait(patience);
        compare(t.videoUrl, address(d.hls));
        compare(t.__replay_start_progress, 4 / 20);
        compare(t.progress, 4);
        waitForPlayer(view, 3);
        tryVerify(() => cursor(view) >= seconds("080208"), patience, "cursor at " + cursor(view));
    }

    function test_deviceRecords() {
        const view = openView(1);
        const a = entry("20240202", "080000", 40), b = entry("20240202", "080100", 6);
        a.name = "dev_101_20240202080000.mp4";
        view.addRecordTimeLine(101, "东门入口", [a, b]);
        const t = tile(view);

        // The address the server gives for the record's span, played and seeked into.
        view.playRecordWithTime(seconds("080010"));
        const sent = waitForRequests(playbackPath, 1);
        compare(sent[0].items.channel, "101");
        compare(sent[0].items.file, a.name);
        compare(sent[0].items.stime, "20240202080000");
        compare(sent[0].items.etime, "20240202080040");
        tryCompare(t, "videoUrl", address("/vod/device/101/20240202080000-20240202080040.flv"), patience);
        compare(t.title, a.name + "-2024-02-02 08:00:00");
        waitForPlayer(view, 9);
        verify(t.progress <= 13, "progress " + t.progress);

        // A late answer to an earlier pick is dropped: B's address stays.
        testServer.setFault(playbackPath, { delayMs: 1500, remainingHits: 1 });
        testKit.clearMessages();
        view.playRecordWithTime(seconds("080010"));
        compare(t.videoUrl, "");
        view.playRecordWithTime(seconds("080102"));
        const bUrl = address("/vod/device/101/20240202080100-20240202080106.flv");
        tryCompare(t, "videoUrl", bUrl, patience);
        tryVerify(() => testKit.messages().some(m => m.indexOf("dropped the address of an earlier pick") >= 0),
                  patience, "the late answer came");
        compare(t.videoUrl, bUrl);
        compare(t.startTime, b.startTime);

        // An answer asked before the view was cleared is dropped too.
        testServer.setFault(playbackPath, { delayMs: 1000, remainingHits: 1 });
        testKit.clearMessages();
        view.playRecordWithTime(seconds("080010"));
        view.clearRecordTimeLine();
        tryVerify(() => testKit.messages().some(m => m.indexOf("dropped the address of an earlier pick") >= 0),
                  patience, "the late answer came");
        compare(t.videoUrl, "");
        compare(cursor(view), 0);

        // A refused request leaves the tile stopped, the error logged.
        view.addRecordTimeLine(101, "东门入口", [a, b]);
        testServer.setFault(playbackPath, { status: 500, body: "设备离线", remainingHits: 1 });
        testKit.clearMessages();
        view.playRecordWithTime(seconds("080010"));
        tryVerify(() => testKit.messages().some(m => m.indexOf("设备离线") >= 0), patience);
        compare(t.videoUrl, "");

        // A start that does not read: no request, logged, the tile stopped, the record at
        // midnight as the page places it.
        const bad = { name: "bad.mp4", hls: "", startAt: "2024-02-02 08:00", duration: 40, startTime: 0, endTime: 40 };
        view.addRecordTimeLine(101, "东门入口", [bad]);
        testServer.clearLog();
        testKit.clearMessages();
        view.playRecordWithTime(10);
        compare(t.videoUrl, "");
        verify(testKit.messages().some(m => m.indexOf("录像开始时间无效") >= 0));
        wait(200);
        compare(testServer.requests(playbackPath).length, 0);
    }

    function test_screenAndClear() {
        const view = openView(0);
        const s = styleManager.scaleRatio;
        const line = timeLine(view);
        const area = findChild(view, "playRecordItem");
        const t = tile(view);
        compare(line.height, 140 * s);
        compare(line.y + line.height, view.height);
        compare(line.width, view.width);
        compare(area.y, 0);
        compare(area.height, line.y - 5 * s);
        compare(t.parent, area);
        compare(t.width, area.width);
        compare(t.streamType, 1);
        verify(line.visible);

        // A double-click on the ruler in the morning's gap plays the first record from its
        // start; the cursor moves there.
        const a = cloud("080000", 40);
        view.addRecordTimeLine(101, "东门入口", [a, cloud("080100", 6)]);
        const mouseArea = findChild(line, "fullMouseArea");
        const row = findChild(line, "lineRow");
        const x = row.x + row.width * seconds("070000") / 86400;
        mouseDoubleClickSequence(mouseArea, x, mouseArea.height / 2);
        compare(t.videoUrl, address(a.hls));
        compare(t.__replay_start_progress, 0);
        compare(cursor(view), a.startTime);
        tryVerify(() => provider(view) && provider(view).sourceValid, patience, "record decoded");
        waitForPlayer(view, 1);

        // A double-click on the tile lets it fill the whole view and hides the time line;
        // the next one puts both back.
        mouseDoubleClickSequence(t, t.width / 2, t.height / 2);
        compare(t.parent, view);
        verify(!line.visible);
        compare(t.width, view.width);
        compare(t.height, view.height);
        mouseDoubleClickSequence(t, t.width / 2, t.height / 2);
        compare(t.parent, area);
        verify(line.visible);
        compare(t.height, area.height);

        // Clearing stops the tile (a playback stop), empties the list and the rows and puts
        // the cursor back to midnight at zoom 1.
        line.scaleFactor = 3;
        testServer.clearLog();
        view.clearRecordTimeLine();
        compare(t.videoUrl, "");
        compare(t.title, "");
        compare(view.channelID, -1);
        compare(view.timeLineList.length, 0);
        compare(line.scaleFactor, 1);
        compare(cursor(view), 0);
        const stop = waitForRequests("/api/v1/devices/stopchannelstream", 1);
        compare(stop[0].items.stream_type, "playback");
        // Picks on an empty view do nothing.
        view.playRecordWithTime(seconds("070000"));
        compare(t.videoUrl, "");
    }
}
