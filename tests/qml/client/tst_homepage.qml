import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage"

// The home page on its own, against the local test server: its panels, its server-state
// poll while it is current, and the charts it feeds.
ShellTestCase {
    id: testCase
    name: "HomePage"

    visible: true
    width: 1648
    height: 872

    readonly property string statePath: "/api/v1/state/top"

    function init() {
        resetClient();
        logIn();
    }

    Component {
        id: pageComponent
        HomePage {
            width: testCase.width
            height: testCase.height
        }
    }

    function createPage() {
        const page = createTemporaryObject(pageComponent, testCase);
        verify(page);
        return page;
    }

    function stateRequests() {
        return testServer.requests(statePath).length;
    }

    function panel(page, name) {
        const found = findChild(page, name);
        verify(found, "no panel " + name);
        return found;
    }

    // A state record as the server would send it, with some members changed.
    function stateBody(changes) {
        const samples = [{ time: "2026-12-07 12:00:38", use: 0.25 }, { time: "2026-12-07 12:00:40", use: 0.5 }];
        return JSON.stringify(Object.assign({
            cpuData: samples, memData: samples, netUpData: samples, netDownData: samples,
            diskData: [{ Name: "C:", Used: 1, FreeSpace: 2, Size: 3, Unit: "GB" }]
        }, changes));
    }

    function test_panelsOnTheGrid() {
        const page = createPage();
        const grid = findChild(page, "deviceListPanel").parent;
        const cellWidth = (grid.width - 5 * 3) / 4;
        const cellHeight = (grid.height - 5 * 2) / 3;
        compare(grid.x, 20 * s);
        compare(grid.y, 0);
        compare(grid.width, page.width - 40 * s);
        compare(grid.height, page.height - 20 * s);
        const expected = {
            deviceListPanel: [0, 0, cellWidth - 40, cellHeight, "设备列表"],
            liveViewPanel: [cellWidth - 40 + 5, 0, cellWidth * 2 + 5 + 80, cellHeight * 2 + 5, "实时调阅"],
            latestAlarmPanel: [grid.width - (cellWidth - 40), (grid.height - (cellHeight * 3 + 5)) / 2,
                               cellWidth - 40, cellHeight * 3 + 5, "最新告警"],
            deviceStatusPanel: [0, cellHeight + 5, cellWidth - 40, cellHeight, "设备状态"],
            diskPanel: [0, (cellHeight + 5) * 2, cellWidth - 40, cellHeight, "磁盘使用"],
            cpuMemoryPanel: [cellWidth - 40 + 5, (cellHeight + 5) * 2, cellWidth + 40, cellHeight, "CPU/内存使用"],
            networkPanel: [cellWidth * 2 + 10, (cellHeight + 5) * 2, cellWidth + 40, cellHeight, "带宽使用(Mbps)"]
        };
        for (const name in expected) {
            const item = panel(page, name);
            const [x, y, width, height, title] = expected[name];
            // The layout rounds its cells up to whole pixels.
            fuzzyCompare(item.x, x, 3, name + " x");
            fuzzyCompare(item.y, y, 3, name + " y");
            fuzzyCompare(item.width, width, 0.01, name + " width");
            fuzzyCompare(item.height, height, 0.01, name + " height");
            compare(findChild(item, "panelTitleText").text, title);
            // Its glowing body, drawn by the page's backdrop, lies on the panel's inset body.
            const frame = findChild(page, name + "Frame");
            verify(frame, name + " frame");
            compare(frame.color, Qt.color("#70002E3B"));
            compare(frame.glowRadius, 10 * s);
            const body = item.mapToItem(page, item.rect.x, item.rect.y);
            for (const [got, wanted] of [[frame.x, body.x], [frame.y, body.y], [frame.width, width - 24 * s],
                                         [frame.height, height - 24 * s]])
                fuzzyCompare(got, wanted, 0.01, name + " frame");
            const area = findChild(item, "panelContentArea");
            compare(area.width, width - 24 * s - 10 * s);
            compare(area.height, height - 24 * s - 32 * s - 10 * s);
        }
        compare(panel(page, "deviceListPanel").z, 10);
        // The contents fill their panels' content areas.
        for (const [content, name] of [[page.deviceListView, "deviceListPanel"], [page.diskChart, "diskPanel"],
                                       [page.cpuMemoryChart, "cpuMemoryPanel"], [page.networkChart, "networkPanel"],
                                       [page.deviceStatusView, "deviceStatusPanel"]]) {
            const area = findChild(panel(page, name), "panelContentArea");
            verify(content.parent === area, name);
            compare(content.width, area.width);
            compare(content.height, area.height);
        }
    }

    function test_refreshButtonReloadsTheDevices() {
        const page = createPage();
        const button = findChild(page, "deviceRefreshButton");
        const bar = findChild(panel(page, "deviceListPanel"), "panelTitleBar");
        verify(button.parent === bar);
        compare(button.height, 28 * s);
        compare(button.width, 28 * s);
        compare(button.x + button.width, bar.width - 5 * s);
        compare(button.y, (bar.height - button.height) / 2);
        mouseMove(button, button.width / 2, button.height / 2);
        const tip = findChild(button, "deviceRefreshToolTip");
        tryCompare(tip, "visible", true, patience);
        compare(tip.text, "刷新");
        mouseClick(button);
        waitForRequests("/api/v1/devices", 1);
        tryVerify(() => deviceManager.deviceList.length === 4, patience);
        // The seeded devices: twelve channels, eight online, one not in use.
        tryCompare(page.deviceStatusView.onlineStatusView, "total", 12, patience);
        compare(page.deviceStatusView.onlineStatusView.onlineTotal, 8);
        tryCompare(page.deviceStatusView.enableStatusView, "onlineTotal", 11, patience);
    }

    function test_pollRunsOnlyWhileCurrent() {
        const page = createPage();
        wait(2500);
        compare(stateRequests(), 0, "not current: no request");
        page.isCurrent = true;
        // Never before 2 s; then one request per tick.
        wait(1900);
        compare(stateRequests(), 0, "no request in the first 1.9 s");
        waitForRequests(statePath, 1);
        tryCompare(page.cpuMemoryChart.cpuSeries, "count", 30, patience);
        waitForRequests(statePath, 2);
        compare(page.stateTimer.interval, 2000);
        compare(page.stateTimer.repeat, true);
        tryCompare(page.cpuMemoryChart.cpuSeries, "count", 31, patience);
        compare(page.networkChart.uploadSeries.count, 31);
        compare(page.diskChart.usedBarSet.count, 4);

        // Hidden: the poll stops.
        page.isCurrent = false;
        verify(!page.stateTimer.running);
        wait(300);
        const hiddenCount = stateRequests();
        wait(2500);
        compare(stateRequests(), hiddenCount, "no request while hidden");
        compare(page.cpuMemoryChart.cpuSeries.count, 31, "hidden: the charts keep their points");

        // Back: both line charts start empty, the disk chart keeps its bars, and the next
        // reply fills the whole window again.
        page.isCurrent = true;
        compare(page.cpuMemoryChart.cpuSeries.count, 0);
        compare(page.cpuMemoryChart.memorySeries.count, 0);
        compare(page.networkChart.uploadSeries.count, 0);
        compare(page.networkChart.downloadSeries.count, 0);
        compare(page.diskChart.usedBarSet.count, 4);
        tryCompare(page.cpuMemoryChart.cpuSeries, "count", 30, patience);
        tryCompare(page.networkChart.downloadSeries, "count", 30, patience);
    }

    function test_slowServerGetsOneRequestAtATime() {
        const page = createPage();
        testServer.setFault(statePath, { delayMs: 6500, remainingHits: 1 });
        page.isCurrent = true;
        waitForRequests(statePath, 1);
        // Two more ticks pass while the reply is out: they leave the server alone.
        wait(4500);
        compare(stateRequests(), 1, "no second request while the first is out");
        tryCompare(page.cpuMemoryChart.cpuSeries, "count", 30, patience);
        waitForRequests(statePath, 2);

        // A failed request is over: the next tick asks again, long before the patience
        // for unanswered requests runs out.
        page.isCurrent = false;
        page.stateReplyPatience = 120000;
        wait(500);
        testServer.setFault(statePath, { status: 500, body: "busy", remainingHits: 1 });
        testServer.clearLog();
        page.isCurrent = true;
        waitForRequests(statePath, 2);
        const cpuPoints = page.cpuMemoryChart.cpuSeries.count;
        tryVerify(() => page.cpuMemoryChart.cpuSeries.count > cpuPoints, patience, "the next reply was applied");

        // A server that never answers: the transport gives up on the request, and only
        // then does the poll ask again.
        page.isCurrent = false;
        testKit.setRequestTimeout(3000);
        page.stateReplyPatience = 3000;
        testServer.setFault(statePath, { neverAnswer: true });
        wait(500);
        testServer.clearLog();
        page.isCurrent = true;
        waitForRequests(statePath, 1);
        wait(2500);
        compare(stateRequests(), 1, "the tick after a hung request leaves the server alone");
        waitForRequests(statePath, 2);
        testServer.clearFaults();
    }

    function test_badMemberLeavesTheOtherChartsUpdating() {
        const page = createPage();
        testServer.setFault(statePath, {
            status: 200, contentType: "application/json",
            body: stateBody({ cpuData: "broken", diskData: { Name: "C:" } }), remainingHits: 1 });
        page.isCurrent = true;
        tryCompare(page.networkChart.uploadSeries, "count", 2, patience);
        compare(page.cpuMemoryChart.cpuSeries.count, 0, "not an array: no samples");
        compare(page.diskChart.usedBarSet.count, 0);
        // Elements that cannot be read count as missing: their chart takes nothing.
        page.isCurrent = false;
        testServer.setFault(statePath, {
            status: 200, contentType: "application/json",
            body: stateBody({ memData: [null, 5], diskData: [null] }), remainingHits: 1 });
        page.isCurrent = true;
        tryCompare(page.networkChart.uploadSeries, "count", 2, patience);
        compare(page.cpuMemoryChart.cpuSeries.count, 0);
        compare(page.cpuMemoryChart.memorySeries.count, 0);
        compare(page.diskChart.usedBarSet.count, 0);
        // The next full reply goes on from there.
        tryCompare(page.diskChart.usedBarSet, "count", 4, patience);
        compare(page.cpuMemoryChart.cpuSeries.count, 1);
        compare(page.networkChart.uploadSeries.count, 3);
    }

    // Through the real poll: a reply whose newest samples cannot be read and whose disk
    // size is no number leaves each chart where the last good reply put it.
    function test_badSamplesFromTheServerKeepTheWindow() {
        const page = createPage();
        testServer.setFault(statePath, { status: 200, contentType: "application/json", body: stateBody({}),
                                         remainingHits: 1 });
        page.isCurrent = true;
        tryCompare(page.cpuMemoryChart.cpuSeries, "count", 2, patience);
        const end = new Date(2026, 11, 7, 12, 0, 40).getTime();
        compare(page.cpuMemoryChart.cpuXAxis.max.getTime(), end);
        compare(page.diskChart.yAxis.max, 8);
        const bad = [{ time: "2026-12-07 12:00:42", use: "high" }, { time: "12:00:44", use: 0.5 }];
        testServer.setFault(statePath, {
            status: 200, contentType: "application/json",
            body: stateBody({ cpuData: bad, memData: bad, netUpData: bad, netDownData: bad,
                              diskData: [{ Name: "C:", Used: "?", FreeSpace: 2, Size: "lots", Unit: "GB" }] }) });
        waitForRequests(statePath, 3);
        wait(300);
        for (const chart of [page.cpuMemoryChart, page.networkChart]) {
            compare(chart.firstSeries.count, 2);
            compare(chart.secondSeries.count, 2);
            compare(chart.firstXAxis.max.getTime(), end, "the window stays");
            compare(chart.secondXAxis.min.getTime(), end - 32000);
        }
        compare(page.diskChart.yAxis.max, 8, "the bars and the axis stay");
        compare(page.diskChart.usedBarSet.count, 1);
        testServer.clearFaults();
    }

    // Off screen nothing animates: a chart takes its sample and a ring its share at once.
    function test_hiddenPageAnimatesNothing() {
        const page = createPage();
        compare(page.cpuMemoryChart.animationOptions, 2, "series animations on screen");
        compare(page.diskChart.animationOptions, 2);
        page.visible = false;
        for (const chart of [page.cpuMemoryChart, page.networkChart, page.diskChart])
            compare(chart.animationOptions, 0);
        const ring = page.deviceStatusView.onlineStatusView;
        page.deviceStatusView.updateOnlineStatus(3, 1, 4);
        compare(ring.ring1.sweepAngle, 270, "no animation off screen");
        page.visible = true;
        compare(page.networkChart.animationOptions, 2);
        page.deviceStatusView.updateOnlineStatus(1, 1, 2);
        compare(ring.ring1.sweepAngle, 270, "on screen the arc sets out from where it stood");
        tryCompare(ring.ring1, "sweepAngle", 180, patience);
    }
}
