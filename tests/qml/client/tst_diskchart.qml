import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage"

// The disk chart fed with scripted disk lists as the server's state record brings them.
ClientTestCase {
    id: testCase
    name: "DiskChart"

    visible: true
    width: 600
    height: 400

    readonly property color textColor: styleManager.style.color("Login-TextColor")

    Component {
        id: diskComponent
        DiskChart {
            width: 500
            height: 300
        }
    }

    // The chart on a black ground, where its axis labels show as light pixels.
    Component {
        id: panelComponent

        Rectangle {
            readonly property alias chart: chart

            width: 500
            height: 340
            color: "black"

            DiskChart {
                id: chart
            }
        }
    }

    function disk(name, used, free, size, unit) {
        return { Name: name, Used: used, FreeSpace: free, Size: size, Unit: unit || "GB" };
    }

    function createChart() {
        const chart = createTemporaryObject(diskComponent, testCase);
        verify(chart);
        tryVerify(() => chart.plotArea.width > 0, patience, "the chart has a plot area");
        return chart;
    }

    function values(set) {
        const found = [];
        for (let i = 0; i < set.count; ++i)
            found.push(set.at(i));
        return found;
    }

    function test_maximumAndBarsFollowTheList() {
        const chart = createChart();
        compare(chart.usedBarSet.count, 0, "empty at first");
        chart.updateDisk([disk("C:", 50, 49.6, 99.6), disk("D:", 200, 50.2, 250.2)]);
        compare(chart.yAxis.max, 255);
        compare(chart.xAxis.categories, ["C:", "D:"]);
        compare(values(chart.usedBarSet), [50, 200]);
        compare(values(chart.freeBarSet), [49.6, 50.2]);
        chart.updateDisk([disk("Z:", 0, 0, 0)]);
        compare(chart.yAxis.max, 5);
        compare(chart.xAxis.categories, ["Z:"]);
        // Half a unit rounds upward.
        chart.updateDisk([disk("Z:", 0, 0.5, 0.5)]);
        compare(chart.yAxis.max, 6);
        chart.updateDisk([]);
        compare(chart.yAxis.max, 0);
        compare(chart.usedBarSet.count, 0);
        compare(chart.freeBarSet.count, 0);
        compare(chart.xAxis.categories, []);
        // Anything but an array counts as no disks.
        chart.updateDisk([disk("C:", 1, 2, 3)]);
        chart.updateDisk(undefined);
        compare(chart.usedBarSet.count, 0);
        chart.updateDisk([disk("C:", 1, 2, 3)]);
        chart.updateDisk({ Name: "C:" });
        compare(chart.usedBarSet.count, 0);
        compare(chart.diskDataList, []);
    }

    function test_sameCountReplacesInPlaceAndNewCountRebuilds() {
        const chart = createChart();
        const setOfUsed = chart.usedBarSet;
        chart.updateDisk([disk("C:", 10, 90, 100), disk("D:", 20, 80, 100)]);
        chart.updateDisk([disk("C:", 30, 70, 100), disk("E:", 40, 160, 200)]);
        verify(chart.usedBarSet === setOfUsed, "the same bar sets");
        compare(values(chart.usedBarSet), [30, 40]);
        compare(values(chart.freeBarSet), [70, 160]);
        compare(chart.xAxis.categories, ["C:", "E:"]);
        compare(chart.yAxis.max, 205);
        // Two disks to three: every free part stands on its own disk.
        const three = [disk("A:", 1, 11, 12), disk("B:", 2, 22, 24), disk("C:", 3, 33, 36)];
        chart.updateDisk(three);
        compare(values(chart.usedBarSet), [1, 2, 3]);
        compare(values(chart.freeBarSet), [11, 22, 33]);
        compare(chart.xAxis.categories, ["A:", "B:", "C:"]);
        compare(chart.yAxis.max, 41);
        compare(chart.barSeries.count, 2);
    }

    // A disk whose figures are not numbers is left out of the bars and of the axis; a
    // number in a text counts; a list with nothing to draw keeps the bars shown.
    function test_badDisksAreSkipped() {
        const chart = createChart();
        chart.updateDisk([disk("C:", 30, 70, 100), disk("D:", "40", "60", "100"), disk("E:", 10, 10, "big"),
                          disk("F:", "n/a", 1, 2), disk("G:", 1, null, 2), disk("H:", 1, 1, "")]);
        compare(chart.xAxis.categories, ["C:", "D:"]);
        compare(values(chart.usedBarSet), [30, 40]);
        compare(values(chart.freeBarSet), [70, 60]);
        compare(chart.yAxis.max, 105);
        compare(chart.diskDataList.map(d => d.Name), ["C:", "D:"]);
        chart.updateDisk([disk("C:", 35, 65, 100), disk("D:", 45, 55, "1e999")]);
        compare(chart.xAxis.categories, ["C:"]);
        compare(values(chart.usedBarSet), [35]);
        compare(chart.yAxis.max, 105);
        // Nothing drawable: the last bars, the axis and the tool tip's list stay.
        chart.updateDisk([disk("C:", "x", 1, 1), disk("D:", 1, 1, undefined)]);
        compare(values(chart.usedBarSet), [35]);
        compare(chart.yAxis.max, 105);
        compare(chart.diskDataList.length, 1);
        verify(isFinite(chart.yAxis.max));
    }

    function test_hoverTellsTheDisksFigures() {
        const chart = createChart();
        chart.updateDisk([disk("C:", 30, 70, 100), disk("/data", 120, 80, 200, "TB")]);
        // Past the bars' growth animation, so that they stand where the pointer goes.
        wait(1200);
        const top = chart.mapToPosition(Qt.point(1, 60), chart.barSeries);
        mouseMove(chart, top.x + 1, top.y);
        mouseMove(chart, top.x, top.y);
        tryCompare(chart.tooltip, "visible", true, patience);
        compare(chart.tooltip.text, "/data\n使用: 120TB\n剩余: 80TB\n总共: 200TB");
        const place = chart.mapToPosition(Qt.point(1, 120), chart.barSeries);
        compare(chart.tooltip.x, place.x);
        compare(chart.tooltip.y, place.y);
        // The free part of the first bar names the first disk.
        const free = chart.mapToPosition(Qt.point(0, 60), chart.barSeries);
        mouseMove(chart, free.x + 1, free.y);
        mouseMove(chart, free.x, free.y);
        tryCompare(chart.tooltip, "text", "C:\n使用: 30GB\n剩余: 70GB\n总共: 100GB", patience);
        // Off the bars, between the axis and the first bar.
        mouseMove(chart, chart.plotArea.x + 4, chart.plotArea.y + chart.plotArea.height / 2);
        mouseMove(chart, chart.plotArea.x + 3, chart.plotArea.y + chart.plotArea.height / 2);
        tryCompare(chart.tooltip, "visible", false, patience);
    }

    // How wide the light pixels under the plot area reach in the columns of bar `index`.
    function nameInk(picture, chart, index) {
        const area = chart.plotArea;
        const slot = area.width / chart.usedBarSet.count;
        let left = Infinity;
        let right = -Infinity;
        for (let x = Math.ceil(area.x + index * slot); x < area.x + (index + 1) * slot; ++x) {
            for (let y = Math.ceil(area.y + area.height + 2); y < chart.height; ++y) {
                const c = picture.pixel(x, y);
                if (Math.min(c.r, c.g, c.b) > 0.3) {
                    left = Math.min(left, x);
                    right = Math.max(right, x);
                }
            }
        }
        return right >= left ? right - left + 1 : 0;
    }

    // Screens whose ratio the main window's fit takes below the class's, 1920 x 1080 and a
    // 4K screen, each with the disk panel as the home page sizes it there (960 x 540 shows
    // what 1920 x 1080 at 200 % shows, 960 x 522 the same less a panel).
    function test_namesWholeOnSmallScreens_data() {
        return [
            { tag: "0.55 on 960 x 522", screen: Qt.size(960, 522), ratio: 522 / 950, width: 165, height: 122 },
            { tag: "0.57 on 960 x 540", screen: Qt.size(960, 540), ratio: 540 / 950, width: 171, height: 126 },
            { tag: "0.61 on 1024 x 768", screen: Qt.size(1024, 768), ratio: 1024 / 1688, width: 185, height: 135 },
            { tag: "1.0 on 1920 x 1080", screen: Qt.size(1920, 1080), ratio: 1, width: 334, height: 225 },
            { tag: "1.4 on 3840 x 2160", screen: Qt.size(3840, 2160), ratio: 1.4, width: 468, height: 315 }
        ];
    }

    // With the seeded disks: on the small screens Qt cut "/data" to "/d...". A name too wide
    // for its bar still elides.
    function test_namesWholeOnSmallScreens(data) {
        requireScreen(data);
        const metrics = createTemporaryQmlObject("import QtQuick; FontMetrics {}", testCase);
        const disks = [disk("C:", 200, 800, 1000), disk("D:", 1500, 500, 2000), disk("E:", 3800, 200, 4000),
                       disk("/data", 10, 40, 50)];
        const host = createTemporaryObject(panelComponent, testCase);
        verify(host);
        const chart = host.chart;
        chart.width = data.width;
        chart.height = data.height;
        chart.updateDisk(disks);
        tryVerify(() => chart.plotArea.width > 0 && chart.plotArea.height < data.height - 20, patience, "laid out");
        compare(chart.xAxis.labelsFont.pointSize, 10 * styleManager.scaleRatio, "the fonts follow the ratio");
        verify(!chart.yAxis.labelsTruncated, "sizes whole");
        metrics.font = chart.xAxis.labelsFont;
        const whole = metrics.tightBoundingRect("/data").width;
        const elided = metrics.tightBoundingRect("/d...").width;
        // The chart draws its axes some frames after its layout. The ink leaves out the
        // edges that antialiasing greys: more than the elided name's box is the whole.
        let ink = 0;
        tryVerify(() => (ink = nameInk(grabImage(host), chart, 3)) > elided, patience,
                  "\"/data\" (" + whole + " px, elided " + elided + " px) whole under its bar");
        verify(ink <= whole + 2, "nothing else there: " + ink);

        chart.updateDisk([disk("C:", 200, 800, 1000), disk("/srv/backup/archive/volume-07", 10, 40, 50)]);
        tryVerify(() => chart.xAxis.labelsTruncated, patience, "a long name elides");
    }
}
