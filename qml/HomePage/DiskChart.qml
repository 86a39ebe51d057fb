import QtQuick
import QtCharts
import "../Widgets" as Widgets
import "./Dashboard/figures.js" as Figures

// One stacked bar per server disk, used below and free above, with the disk's figures
// in a tool tip.
ChartView {
    id: chart

    // The last disk list, read by the tool tip.
    property var diskDataList: []
    // True while values change too little to be seen.
    property bool settling: false

    readonly property alias barSeries: barSeries
    readonly property alias usedBarSet: usedBarSet
    readonly property alias freeBarSet: freeBarSet
    readonly property alias xAxis: xAxis
    readonly property alias yAxis: yAxis
    readonly property alias tooltip: tooltip
    // The widest disk name as the axis draws it, in pixels.
    readonly property real widestName: Math.max(0, ...xAxis.categories.map(name => nameMetrics.boundingRect(name).width))
    readonly property FontMetrics nameMetrics: FontMetrics {
        font: xAxis.labelsFont
    }

    backgroundColor: "transparent"
    plotAreaColor: "transparent"
    // The bars animate to new heights on screen only, and only when a height changes by
    // at least a pixel: the disks' figures drift a little on every sample, and a smaller
    // move would be a second of frames that show nothing.
    animationOptions: visible && !settling ? ChartView.SeriesAnimations : ChartView.NoAnimation
    animationDuration: 1000
    antialiasing: true
    margins.top: 0
    margins.bottom: 0
    margins.left: 0
    margins.right: 0
    legend.visible: false

    // A disk whose figures are not all numbers is left out; so is an element that is no
    // object, and anything but an array counts as no disks. A list that had disks but
    // none to draw leaves the bars as they are.
    function updateDisk(array) {
        const given = Array.isArray(array) ? array.filter(disk => disk !== null && typeof disk === "object") : [];
        const disks = given.filter(disk => [disk.Used, disk.FreeSpace, disk.Size]
                                   .every(figure => isFinite(Figures.readNumber(figure))));
        if (disks.length === 0 && given.length > 0)
            return;
        diskDataList = disks;
        let maximum = 0;
        for (const disk of disks)
            maximum = Math.max(maximum, Math.round(Figures.readNumber(disk.Size)) + 5);
        if (usedBarSet.count !== disks.length)
            rebuild(disks);
        else
            replaceInPlace(disks, maximum);
        yAxis.max = maximum;
    }

    function rebuild(disks) {
        usedBarSet.remove(0, usedBarSet.count);
        freeBarSet.remove(0, freeBarSet.count);
        xAxis.categories = disks.map(disk => String(disk.Name));
        for (const disk of disks) {
            usedBarSet.append(Figures.readNumber(disk.Used));
            freeBarSet.append(Figures.readNumber(disk.FreeSpace));
        }
    }

    // Names and heights change where they stand: the bars animate to their new heights.
    function replaceInPlace(disks, maximum) {
        const names = disks.map(disk => String(disk.Name));
        if (String(xAxis.categories) !== String(names))
            xAxis.categories = names;
        settling = maximum === yAxis.max && !disks.some((disk, i) => movesBar(usedBarSet.at(i), disk.Used)
                                                                    || movesBar(freeBarSet.at(i), disk.FreeSpace));
        for (let i = 0; i < disks.length; ++i) {
            usedBarSet.replace(i, Figures.readNumber(disks[i].Used));
            freeBarSet.replace(i, Figures.readNumber(disks[i].FreeSpace));
        }
        settling = false;
    }

    // Whether a bar part going from `shown` to `value` moves by half a pixel or more.
    function movesBar(shown, value) {
        return yAxis.max <= 0 || Math.abs(Figures.readNumber(value) - shown) * plotArea.height / yAxis.max >= 0.5;
    }

    function toolTipText(index) {
        const disk = diskDataList[index];
        return disk.Name + "\n使用: " + disk.Used + disk.Unit + "\n剩余: " + disk.FreeSpace + disk.Unit
               + "\n总共: " + disk.Size + disk.Unit;
    }

    Widgets.ToolTip {
        id: tooltip
        objectName: "diskToolTip"
        leftPadding: 20
        rightPadding: 20
        font.pointSize: 10 * styleManager.fontScaleRatio
    }

    StackedBarSeries {
        id: barSeries
        useOpenGL: true

        axisX: BarCategoryAxis {
            id: xAxis
            gridLineColor: "#a007ceac"
            labelsColor: textColor
            labelsFont.family: "微软雅黑"
            labelsFont.bold: true
            labelsFont.pointSize: 10 * styleManager.fontScaleRatio
            lineVisible: false
            // Qt keeps a name to a share of the plot one bar wider than the bar's, less 8
            // unscaled pixels, which on a small screen cut "/data" to "/d...". Names elide
            // only where the widest would not fit under its bar with that gap scaled.
            truncateLabels: chart.widestName > chart.plotArea.width / Math.max(1, categories.length)
                                               - 8 * styleManager.scaleRatio
        }

        axisY: ValueAxis {
            id: yAxis
            min: 0
            gridLineColor: "#a007ceac"
            labelsColor: textColor
            labelsFont.family: "微软雅黑"
            labelsFont.bold: true
            labelsFont.pointSize: 10 * styleManager.fontScaleRatio
            lineVisible: false
        }

        BarSet { id: usedBarSet }
        BarSet { id: freeBarSet }

        onHovered: (status, index, barset) => {
            const position = chart.mapToPosition(Qt.point(index, barset.at(index)), barSeries);
            tooltip.x = position.x;
            tooltip.y = position.y;
            tooltip.visible = status;
            tooltip.text = chart.toolTipText(index);
        }
    }
}
