import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage"

// The dashboard's charts and rings as the OpenGL scene graph draws them (the series that
// ask for OpenGL included): lines, bars and arcs leave coloured pixels on black.
Rectangle {
    id: scene
    width: 1000
    height: 620
    color: "#000000"

    readonly property color textColor: "#ffffff"

    CpuMemoryChart {
        id: cpuChart
        width: 480
        height: 300
    }

    NetworkChart {
        id: networkChart
        x: 500
        width: 480
        height: 300
    }

    DiskChart {
        id: diskChart
        y: 320
        width: 480
        height: 300
    }

    DeviceStatusView {
        id: statusView
        x: 500
        y: 320
        width: 400
        height: 200
    }

    TestCase {
        name: "HomeChartsDrawn"
        when: windowShown

        function samples(values) {
            const now = Date.now();
            return values.map((use, i) => {
                const at = new Date(now - (values.length - 1 - i) * 2000);
                const pad = n => (n < 10 ? "0" : "") + n;
                return { use: use, time: at.getFullYear() + "-" + pad(at.getMonth() + 1) + "-" + pad(at.getDate())
                                         + " " + pad(at.getHours()) + ":" + pad(at.getMinutes()) + ":" + pad(at.getSeconds()) };
            });
        }

        // Pixels of the area in bright colours: brighter than the plot's orange wash and
        // the grid lines, neither white nor grey.
        function colouredPixels(picture, area) {
            let count = 0;
            for (let x = Math.ceil(area.x); x < area.x + area.width; x += 2) {
                for (let y = Math.ceil(area.y); y < area.y + area.height; y += 2) {
                    const c = picture.pixel(x, y);
                    const top = Math.max(c.r, c.g, c.b);
                    if (top > 0.6 && top - Math.min(c.r, c.g, c.b) > 0.25)
                        ++count;
                }
            }
            return count;
        }

        function pixelNear(picture, x, y, wanted) {
            for (let dx = -2; dx <= 2; ++dx) {
                for (let dy = -2; dy <= 2; ++dy) {
                    if (wanted(picture.pixel(x + dx, y + dy)))
                        return true;
                }
            }
            return false;
        }

        // What the picture lacks of the charts and rings, or "" when it shows them all.
        function drawingFailure(picture) {
            // Lines above the plot area's orange wash: clearly coloured pixels in the plots.
            for (const chart of [cpuChart, networkChart]) {
                const area = Qt.rect(chart.x + chart.plotArea.x, chart.y + chart.plotArea.y,
                                     chart.plotArea.width, chart.plotArea.height);
                if (colouredPixels(picture, area) <= 100)
                    return chart + ": " + colouredPixels(picture, area);
            }
            // Each disk bar: the used part below, the free part above, in the theme's colours.
            const used = diskChart.mapToPosition(Qt.point(0, 30), diskChart.barSeries);
            const free = diskChart.mapToPosition(Qt.point(0, 80), diskChart.barSeries);
            const usedColour = picture.pixel(diskChart.x + used.x, diskChart.y + used.y);
            const freeColour = picture.pixel(diskChart.x + free.x, diskChart.y + free.y);
            if (Math.max(usedColour.r, usedColour.g, usedColour.b) <= 0.3)
                return "used bar: " + usedColour;
            if (Math.max(freeColour.r, freeColour.g, freeColour.b) <= 0.3)
                return "free bar: " + freeColour;
            if (Qt.colorEqual(usedColour, freeColour))
                return "one colour in a bar";

            // The online ring: green right of 12 o'clock (inside 252 degrees), red at 10 o'clock.
            const ring = statusView.onlineStatusView;
            const centre = ring.mapToItem(scene, ring.width / 2, ring.height / 2);
            const radius = ring.ring1.radiusX;
            const green = c => c.g > 0.6 && c.r < 0.45 && c.b > 0.5;
            const red = c => c.r > 0.7 && c.g < 0.4 && c.b < 0.4;
            if (!pixelNear(picture, centre.x + radius, centre.y, green))
                return "no green at 3 o'clock";
            if (!pixelNear(picture, centre.x, centre.y + radius, green))
                return "no green at 6 o'clock";
            const angle = (300 - 90) * Math.PI / 180;
            if (!pixelNear(picture, centre.x + radius * Math.cos(angle), centre.y + radius * Math.sin(angle), red))
                return "no red at 10 o'clock";
            return "";
        }

        function test_linesBarsAndArcsAreDrawn() {
            const values = [0.2, 0.4, 0.6, 0.3, 0.5, 0.7, 0.4, 0.6, 0.2, 0.5, 0.3, 0.6, 0.4, 0.5, 0.3, 0.2];
            cpuChart.updatePerformance(samples(values), samples(values.map(v => v / 2)));
            networkChart.updatePerformance(samples(values.map(v => v * 10)), samples(values.map(v => v * 5)));
            diskChart.updateDisk([{ Name: "C:", Used: 60, FreeSpace: 40, Size: 100, Unit: "GB" },
                                  { Name: "D:", Used: 30, FreeSpace: 70, Size: 100, Unit: "GB" }]);
            statusView.updateOnlineStatus(7, 3, 10);
            statusView.updateEnableStatus(3, 7, 10);
            // The series and sweep animations advance by frames, which a loaded machine
            // draws slowly: the picture is taken again until it shows them ended.
            let failure = drawingFailure(grabImage(scene));
            for (let waited = 0; failure !== "" && waited < patience; waited += 100) {
                wait(100);
                failure = drawingFailure(grabImage(scene));
            }
            compare(failure, "", "everything drawn");
        }
    }
}
