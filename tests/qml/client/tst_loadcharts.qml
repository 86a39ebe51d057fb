import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage"

// The two load charts fed with scripted sample lists, as the home page feeds them from
// the server's state record. Sample times are local: the test runs in a fixed zone.
ClientTestCase {
    id: testCase
    name: "LoadCharts"

    visible: true
    width: 700
    height: 660

    readonly property color textColor: styleManager.style.color("Login-TextColor")

    Component {
        id: cpuComponent
        CpuMemoryChart {
            width: 600
            height: 320
        }
    }

    Component {
        id: networkComponent
        NetworkChart {
            width: 600
            height: 320
        }
    }

    // The two charts on a black ground, where their axis labels show as light pixels.
    Component {
        id: panelsComponent

        Rectangle {
            readonly property alias cpuChart: cpuChart
            readonly property alias networkChart: networkChart

            width: 600
            height: 650
            color: "black"

            CpuMemoryChart {
                id: cpuChart
            }

            NetworkChart {
                id: networkChart
                y: 330
            }
        }
    }

    function pad(n) {
        return n < 10 ? "0" + n : String(n);
    }

    function timeText(date) {
        return date.getFullYear() + "-" + pad(date.getMonth() + 1) + "-" + pad(date.getDate()) + " "
               + pad(date.getHours()) + ":" + pad(date.getMinutes()) + ":" + pad(date.getSeconds());
    }

    // `count` samples 2 s apart, the last at `last`; `use(i)` gives the value of sample i.
    function samples(last, count, use) {
        const list = [];
        for (let i = 0; i < count; ++i)
            list.push({ time: timeText(new Date(last.getTime() - (count - 1 - i) * 2000)), use: use(i) });
        return list;
    }

    function noon(seconds) {
        return new Date(2026, 11, 7, 12, 0, seconds);
    }

    function createChart(component) {
        const chart = createTemporaryObject(component, testCase);
        verify(chart);
        tryVerify(() => chart.plotArea.width > 0, patience, "the chart has a plot area");
        return chart;
    }

    function ys(series) {
        const values = [];
        for (let i = 0; i < series.count; ++i)
            values.push(series.at(i).y);
        return values;
    }

    // The pointer where the chart draws `time`: the chart maps the pointer's position in
    // the plot area as if it were the chart's own, so the newest seconds of the window,
    // as wide as the axis labels, are out of the pointer's reach.
    function pointerAt(chart, time) {
        return chart.mapToPosition(Qt.point(time.getTime(), 0), chart.firstSeries).x;
    }

    function test_trimmingBeforeEachUpdate() {
        for (const component of [cpuComponent, networkComponent]) {
            const chart = createChart(component);
            // 80 points: cut back to 40 before the new one comes, on both series alike.
            chart.updatePerformance(samples(noon(0), 80, i => 0.01 * i), samples(noon(0), 80, i => 0.01 * i));
            compare(chart.firstSeries.count, 80);
            compare(chart.secondSeries.count, 80);
            chart.updatePerformance(samples(noon(2), 80, i => 0.5), samples(noon(2), 80, i => 0.5));
            compare(chart.firstSeries.count, 41);
            compare(chart.secondSeries.count, 41);
            compare(chart.firstSeries.at(0).x, noon(0).getTime() - 39 * 2000, "the oldest 40 went");
            compare(chart.secondSeries.at(40).x, noon(2).getTime());
            // 79 points are not cut: the next one makes 80.
            chart.clearSeries();
            chart.updatePerformance(samples(noon(0), 79, i => 0.2), samples(noon(0), 79, i => 0.2));
            chart.updatePerformance(samples(noon(2), 3, i => 0.2), samples(noon(2), 3, i => 0.2));
            compare(chart.firstSeries.count, 80);
            compare(chart.secondSeries.count, 80);
        }
    }

    function test_backFillOnceAfterEachClear() {
        const chart = createChart(cpuComponent);
        compare(chart.fillSeries, true);
        chart.updatePerformance(samples(noon(0), 60, i => 0.3), samples(noon(0), 30, i => 0.4));
        compare(chart.firstSeries.count, 60);
        compare(chart.secondSeries.count, 30);
        compare(chart.fillSeries, false);
        chart.updatePerformance(samples(noon(2), 60, i => i === 59 ? 0.7 : 0.1), samples(noon(2), 30, i => 0.2));
        compare(chart.firstSeries.count, 61, "only the newest sample");
        compare(chart.secondSeries.count, 31);
        compare(chart.firstSeries.at(60).y, 70);

        chart.toolTip.cpuValue = 12;
        chart.toolTip.memoryValue = 34;
        chart.toolTip.opacity = 1;
        chart.clearSeries();
        compare(chart.firstSeries.count, 0);
        compare(chart.secondSeries.count, 0);
        compare(chart.fillSeries, true);
        compare(chart.toolTip.cpuValue, 0);
        compare(chart.toolTip.memoryValue, 0);
        tryCompare(chart.toolTip, "opacity", 0, patience);

        // An empty first list ends the back-fill and moves nothing.
        const before = chart.firstXAxis.max.getTime();
        chart.updatePerformance([], samples(noon(4), 30, i => 0.2));
        compare(chart.firstSeries.count, 0);
        compare(chart.secondSeries.count, 0);
        compare(chart.fillSeries, false);
        compare(chart.firstXAxis.max.getTime(), before);
        chart.updatePerformance(samples(noon(6), 60, i => 0.3), samples(noon(6), 30, i => 0.4));
        compare(chart.firstSeries.count, 1);
        compare(chart.secondSeries.count, 1);

        // Members the server left out or sent as something else count as empty lists.
        chart.updatePerformance(undefined, "none");
        chart.updatePerformance({ time: "x" }, null);
        compare(chart.firstSeries.count, 1);
    }

    function test_valuesAndCaps() {
        const cpu = createChart(cpuComponent);
        cpu.updatePerformance(samples(noon(4), 3, i => [0.5, 1.3, 0.004][i]), samples(noon(4), 3, i => [1.0, 2, 0][i]));
        compare(ys(cpu.cpuSeries), [50, 100, 0.4]);
        compare(ys(cpu.memorySeries), [100, 100, 0]);
        // Bandwidth is Mbps, drawn as sent: nothing is cut at 100.
        const network = createChart(networkComponent);
        network.updatePerformance(samples(noon(4), 3, i => [250, 3.5, 0][i]), samples(noon(4), 3, i => [1200, 99.99, 0.01][i]));
        compare(ys(network.uploadSeries), [250, 3.5, 0]);
        compare(ys(network.downloadSeries), [1200, 99.99, 0.01]);
        compare(network.uploadSeries.name, "上行带宽");
        compare(network.downloadSeries.name, "下行带宽");
        compare(cpu.cpuSeries.name, "CPU使用率");
        compare(cpu.memorySeries.name, "内存使用率");
    }

    // Samples the server got wrong are left out one by one; the window stays where the
    // last good sample put it, never at 1970, and no point or axis gets NaN.
    function test_badSamplesAreSkipped() {
        for (const component of [cpuComponent, networkComponent]) {
            const chart = createChart(component);
            const factor = component === cpuComponent ? 100 : 1;
            chart.updatePerformance([{ time: timeText(noon(20)), use: 0.1 },
                                     { time: "not a time", use: 0.2 },
                                     { time: timeText(noon(22)), use: "abc" },
                                     { time: timeText(noon(24)), use: "0.5" },
                                     { time: 1234567, use: 0.3 },
                                     { use: 0.3 },
                                     { time: timeText(noon(26)), use: null },
                                     { time: timeText(noon(28)), use: {} },
                                     { time: timeText(noon(30)), use: "Infinity" }],
                                    [{ time: timeText(noon(20)), use: 0.2 },
                                     { time: timeText(noon(24)), use: 0.4 },
                                     { time: "2026-13-45 99:99:99", use: 0.1 },
                                     { time: "2026/12/07 12:00:40", use: 0.1 }]);
            compare(chart.firstSeries.count, 2);
            compare(chart.firstSeries.at(1).x, noon(24).getTime());
            fuzzyCompare(chart.firstSeries.at(1).y, 0.5 * factor, 0.0001, "a number in a text is a number");
            compare(chart.secondSeries.count, 2);
            compare(chart.firstXAxis.max.getTime(), noon(24).getTime(), "the newest good sample ends the window");
            compare(chart.firstXAxis.min.getTime(), noon(24).getTime() - 32000);
            // One sample each: a bad newest sample adds nothing to its series and leaves
            // the window; the good one beside it is taken.
            chart.updatePerformance([{ time: timeText(noon(26)), use: 0.3 }], [{ time: "", use: 0.3 }]);
            compare(chart.firstSeries.count, 3);
            compare(chart.secondSeries.count, 2);
            compare(chart.firstXAxis.max.getTime(), noon(24).getTime());
            chart.updatePerformance([{ time: timeText(noon(28)), use: NaN }], [{ time: timeText(noon(28)), use: "" }]);
            compare(chart.firstSeries.count, 3);
            compare(chart.secondSeries.count, 2);
            compare(chart.firstXAxis.max.getTime(), noon(24).getTime());
            chart.updatePerformance([{ time: timeText(noon(30)), use: 0.1 }], [{ time: timeText(noon(30)), use: 0.1 }]);
            compare(chart.secondSeries.count, 3);
            compare(chart.firstXAxis.max.getTime(), noon(30).getTime());
            compare(chart.secondXAxis.max.getTime(), noon(30).getTime());
            for (const series of [chart.firstSeries, chart.secondSeries]) {
                for (let i = 0; i < series.count; ++i) {
                    verify(isFinite(series.at(i).y), "no NaN point");
                    verify(series.at(i).x >= noon(0).getTime(), "no point at 1970");
                }
            }
            // A back-fill of nothing but bad samples moves nothing either.
            chart.clearSeries();
            chart.updatePerformance([{ time: "x", use: 1 }], [{ time: timeText(noon(40)), use: "?" }]);
            compare(chart.firstSeries.count, 0);
            compare(chart.secondSeries.count, 0);
            compare(chart.firstXAxis.max.getTime(), noon(30).getTime());
            compare(chart.fillSeries, false);
        }
    }

    function test_windowEndsAtTheNewestSample() {
        for (const component of [cpuComponent, networkComponent]) {
            const chart = createChart(component);
            // At creation: from now on a whole second, 10 s long.
            const start = chart.firstXAxis.min.getTime();
            compare(start % 1000, 0);
            verify(Math.abs(start - Date.now()) < 60000);
            compare(chart.firstXAxis.max.getTime() - start, 10000);
            // The second list's newest sample ends the window.
            chart.updatePerformance(samples(noon(30), 5, i => 0.1), samples(noon(40), 5, i => 0.1));
            compare(chart.firstXAxis.min.getTime(), noon(8).getTime());
            compare(chart.firstXAxis.max.getTime(), noon(40).getTime());
            compare(chart.secondXAxis.min.getTime(), noon(8).getTime());
            compare(chart.secondXAxis.max.getTime(), noon(40).getTime());
            compare(chart.firstXAxis.tickCount, 5);
            compare(chart.firstXAxis.format, "hh:mm:ss");
        }
    }

    function test_wheelZoomsTheValueAxis() {
        const cpu = createChart(cpuComponent);
        const area = cpu.mouseArea;
        compare(cpu.cpuYAxis.max, 100);
        mouseWheel(area, 100, 100, 0, -120);
        compare(cpu.cpuYAxis.scaleRatio, 1.0);
        const expected = [0.8333, 0.6944, 0.5787, 0.4823, 0.4019, 0.3349, 0.2791];
        for (const step of expected) {
            mouseWheel(area, 100, 100, 0, 120);
            fuzzyCompare(cpu.cpuYAxis.scaleRatio, step, 0.0001);
        }
        mouseWheel(area, 100, 100, 0, 120);
        compare(cpu.cpuYAxis.scaleRatio, 0.25, "exactly the lower limit");
        mouseWheel(area, 100, 100, 0, 120);
        compare(cpu.cpuYAxis.scaleRatio, 0.25);
        compare(cpu.cpuYAxis.max, 25);
        compare(cpu.memoryYAxis.max, 25, "the hidden axis follows");
        mouseWheel(area, 100, 100, 0, -120);
        fuzzyCompare(cpu.cpuYAxis.scaleRatio, 0.3, 0.0001);

        const network = createChart(networkComponent);
        compare(network.uploadYAxis.scaleRatio, 0.01);
        tryCompare(network.uploadYAxis, "max", 10, patience);
        mouseWheel(network.mouseArea, 100, 100, 0, 120);
        compare(network.uploadYAxis.scaleRatio, 0.01, "already at the lower limit");
        for (let i = 0; i < 40; ++i)
            mouseWheel(network.mouseArea, 100, 100, 0, -120);
        compare(network.uploadYAxis.scaleRatio, 4.0);
        tryCompare(network.uploadYAxis, "max", 4000, patience);
        tryCompare(network.downloadYAxis, "max", 4000, patience);
        compare(network.downloadYAxis.min, 0);
    }

    // Samples at the given seconds after noon.
    function at(seconds, uses) {
        return seconds.map((second, i) => ({ time: timeText(noon(second)), use: uses[i] }));
    }

    // The pointer moves in from a pixel away, as a hand brings it.
    function hoverAt(chart, x, y) {
        mouseMove(chart.mouseArea, x + 1, y);
        mouseMove(chart.mouseArea, x, y);
    }

    function hoverTime(chart, time) {
        hoverAt(chart, pointerAt(chart, time), chart.plotArea.height / 2);
    }

    function test_hoverPicksAPointOfBothSeries() {
        const chart = createChart(cpuComponent);
        // Three points, fewer than the tick count, in the window 12:00:08 to 12:00:40.
        chart.updatePerformance(at([20, 28, 40], [0.1, 0.2, 0.3]), at([20, 28, 40], [0.4, 0.5, 0.6]));
        hoverTime(chart, noon(15));
        tryCompare(chart.toolTip, "opacity", 1, patience);
        compare(chart.toolTip.time.getTime(), noon(20).getTime());
        fuzzyCompare(chart.toolTip.cpuValue, 10, 0.0001);
        fuzzyCompare(chart.toolTip.memoryValue, 40, 0.0001);
        compare(findChild(chart, "selectedCpuPoint"), chart.selectedCpuPoint);
        compare(findChild(chart, "selectedMemoryPoint"), chart.selectedMemoryPoint);
        const first = chart.mapToPosition(chart.firstSeries.at(0), chart.firstSeries);
        fuzzyCompare(chart.selectedCpuPoint.x, first.x - 5 - chart.plotArea.x, 0.5);
        fuzzyCompare(chart.selectedCpuPoint.y, first.y - 5 - chart.plotArea.y, 0.5);
        const second = chart.mapToPosition(chart.secondSeries.at(0), chart.secondSeries);
        fuzzyCompare(chart.selectedMemoryPoint.y, second.y - 5 - chart.plotArea.y, 0.5);
        compare(chart.toolTip.text, "⭐ 时间: 12:00:20\n⭐ CPU使用: 10.00 (%)\n⭐ 内存使用: 40.00 (%)");
        // Less than half a second after a point still picks it; later picks the next.
        hoverTime(chart, new Date(noon(20).getTime() + 300));
        compare(chart.toolTip.time.getTime(), noon(20).getTime());
        hoverTime(chart, noon(21));
        compare(chart.toolTip.time.getTime(), noon(28).getTime());
        fuzzyCompare(chart.toolTip.memoryValue, 50, 0.0001);

        // More than 500 ms left of the window: nothing is picked, the last values stay.
        hoverTime(chart, new Date(noon(8).getTime() - 700));
        compare(chart.toolTip.time.getTime(), noon(28).getTime());
        fuzzyCompare(chart.toolTip.cpuValue, 20, 0.0001);

        // A sample one series left out: each time shows its own figures, never the next
        // sample's, and a time only one series has is passed over.
        chart.clearSeries();
        const seconds = [20, 22, 24, 26, 28, 30, 32, 34, 36, 38, 40];
        chart.updatePerformance(at(seconds, seconds.map(t => t / 100)),
                                at(seconds, seconds.map(t => t === 26 ? "?" : (t + 50) / 100)));
        hoverTime(chart, noon(24));
        compare(chart.toolTip.time.getTime(), noon(24).getTime());
        fuzzyCompare(chart.toolTip.memoryValue, 74, 0.0001);
        hoverTime(chart, noon(26));
        compare(chart.toolTip.time.getTime(), noon(28).getTime(), "no memory figure at 12:00:26");
        fuzzyCompare(chart.toolTip.cpuValue, 28, 0.0001);
        fuzzyCompare(chart.toolTip.memoryValue, 78, 0.0001);
        // The next sample is bad in the other series, after the back-fill.
        chart.updatePerformance(at([42], ["x"]), at([42], [0.92]));
        chart.updatePerformance(at([44], [0.44]), at([44], [0.94]));
        hoverTime(chart, noon(32));
        compare(chart.toolTip.time.getTime(), noon(32).getTime());
        fuzzyCompare(chart.toolTip.cpuValue, 32, 0.0001);
        fuzzyCompare(chart.toolTip.memoryValue, 82, 0.0001);

        // Leaving hides the read-out.
        mouseMove(testCase, 680, 390);
        tryCompare(chart.toolTip, "opacity", 0, patience);
        compare(chart.selectedCpuPoint.opacity, 0);
    }

    function test_networkPicksAndReadsMbps() {
        const chart = createChart(networkComponent);
        chart.updatePerformance(at([20, 28, 40], [250, 2, 3]), at([20, 28, 40], [4, 5, 6]));
        // The pick takes the first point more than a second after the pointer.
        hoverTime(chart, noon(15));
        compare(chart.toolTip.time.getTime(), noon(20).getTime());
        compare(chart.toolTip.text, "⭐ 时间: 12:00:20\n⭐ 上行带宽: 250.00 (Mbps)\n⭐ 下行带宽: 4.00 (Mbps)");
        compare(chart.toolTip.uploadValue, 250);
        compare(chart.toolTip.downloadValue, 4);
        compare(chart.toolTip.textItem.transFlow(3.14159), "3.14");
        const dot = chart.mapToPosition(chart.downloadSeries.at(0), chart.downloadSeries);
        fuzzyCompare(chart.selectedDownloadPoint.y, dot.y - 5 - chart.plotArea.y, 0.5);
        verify(chart.selectedUploadPoint !== chart.selectedDownloadPoint);
        hoverTime(chart, new Date(noon(19).getTime() + 500));
        compare(chart.toolTip.time.getTime(), noon(28).getTime());
    }

    // How far left of the plot area the axis labels reach: the columns with light pixels
    // in the rows of the plot, give or take half a line.
    function labelReach(picture, chart, lineHeight) {
        const area = chart.plotArea;
        for (let x = Math.ceil(chart.x); x < chart.x + area.x - 1; ++x) {
            for (let y = Math.ceil(chart.y + area.y - lineHeight / 2); y < chart.y + area.y + area.height + lineHeight / 2; ++y) {
                const c = picture.pixel(x, y);
                if (Math.min(c.r, c.g, c.b) > 0.45)
                    return chart.x + area.x - x;
            }
        }
        return 0;
    }

    // Screens whose ratio the main window's fit takes below the class's, 1920 x 1080 and a
    // 4K screen, each with the load panels as the home page sizes them there (960 x 540
    // shows what 1920 x 1080 at 200 % shows, 960 x 522 the same less a panel).
    function test_axisLabelsWholeOnSmallScreens_data() {
        return [
            { tag: "0.55 on 960 x 522", screen: Qt.size(960, 522), ratio: 522 / 950, width: 245, height: 122 },
            { tag: "0.57 on 960 x 540", screen: Qt.size(960, 540), ratio: 540 / 950, width: 251, height: 126 },
            { tag: "0.61 on 1024 x 768", screen: Qt.size(1024, 768), ratio: 1024 / 1688, width: 265, height: 135 },
            { tag: "1.0 on 1920 x 1080", screen: Qt.size(1920, 1080), ratio: 1, width: 414, height: 225 },
            { tag: "1.4 on 3840 x 2160", screen: Qt.size(3840, 2160), ratio: 1.4, width: 580, height: 315 }
        ];
    }

    // On the small screens Qt used to elide every bandwidth label to "...".
    function test_axisLabelsWholeOnSmallScreens(data) {
        requireScreen(data);
        const ratio = styleManager.scaleRatio;
        const metrics = createTemporaryQmlObject("import QtQuick; FontMetrics {}", testCase);
        const host = createTemporaryObject(panelsComponent, testCase);
        verify(host);
        const charts = [host.cpuChart, host.networkChart];
        for (const chart of charts) {
            chart.width = data.width;
            chart.height = data.height;
            chart.updatePerformance(samples(noon(0), 5, i => 0.4), samples(noon(0), 5, i => 0.6));
            tryVerify(() => chart.plotArea.width > 0 && chart.plotArea.height < data.height - 20, patience, "laid out");
            compare(chart.firstYAxis.labelsFont.pointSize, 9 * ratio, "the fonts follow the ratio");
            verify(!chart.firstXAxis.labelsTruncated, "times whole");
        }
        verify(!host.cpuChart.cpuYAxis.labelsTruncated, "percentages whole");
        // The bandwidth axis shows "0~5" and "5~20" at the start: the wider must be whole.
        metrics.font = host.networkChart.uploadYAxis.labelsFont;
        const wanted = metrics.tightBoundingRect("5~20").width;
        // The chart draws its axes some frames after its layout.
        let reach = 0;
        tryVerify(() => (reach = labelReach(grabImage(host), host.networkChart, metrics.height)) >= wanted, patience,
                  "\"5~20\" (" + wanted + " px) whole left of the bandwidth plot");
        verify(reach < wanted + 20, "nothing else there: " + reach);
    }

    function test_toolTipFlipsAtThePlotEdges() {
        const chart = createChart(cpuComponent);
        chart.updatePerformance(samples(noon(40), 3, i => 0.1), samples(noon(40), 3, i => 0.2));
        const area = chart.plotArea;
        const tip = chart.toolTip;
        hoverAt(chart, 30, 30);
        fuzzyCompare(tip.x, 30 + area.x + 20, 1);
        fuzzyCompare(tip.y, 30 + area.y + 20, 1);
        // Near the right and bottom edges: left of and above the pointer.
        const x = area.width - 10;
        const y = area.height - 10;
        hoverAt(chart, x, y);
        fuzzyCompare(tip.x, x + area.x - 20 - tip.width, 1);
        fuzzyCompare(tip.y, y + area.y - 20 - tip.height, 1);
    }
}
