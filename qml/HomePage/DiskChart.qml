import QtQuick
import QtCharts
import "../Widgets" as Widgets

// One stacked bar per server disk, used below and free above, with the disk's figures
// in a tool tip.
ChartView {
    id: chart

    // The last disk list, read by the tool tip.
    property var diskDataList: []

    readonly property alias barSeries: barSeries
    readonly property alias usedBarSet: usedBarSet
    readonly property alias freeBarSet: freeBarSet
    readonly property alias xAxis: xAxis
    readonly property alias yAxis: yAxis
    readonly property alias tooltip: tooltip

    backgroundColor: "transparent"
    plotAreaColor: "transparent"
    animationOptions: ChartView.SeriesAnimations
    animationDuration: 1000
    antialiasing: true
    margins.top: 0
    margins.bottom: 0
    margins.left: 0
    margins.right: 0
    legend.visible: false

    // Anything but an array counts as no disks, an element that is no object as no disk.
    function updateDisk(array) {
        const disks = Array.isArray(array) ? array.filter(disk => disk !== null && typeof disk === "object") : [];
        diskDataList = disks;
        let maximum = 0;
        if (usedBarSet.count !== disks.length)
            rebuild(disks);
        else
            replaceInPlace(disks);
        for (const disk of disks)
            maximum = Math.max(maximum, Math.round(disk.Size) + 5);
        yAxis.max = maximum;
    }

    function rebuild(disks) {
        usedBarSet.remove(0, usedBarSet.count);
        freeBarSet.remove(0, freeBarSet.count);
        xAxis.categories = disks.map(disk => String(disk.Name));
        for (const disk of disks) {
            usedBarSet.append(disk.Used);
            freeBarSet.append(disk.FreeSpace);
        }
    }

    // Names and heights change where they stand: the bars animate to their new heights.
    function replaceInPlace(disks) {
        const names = disks.map(disk => String(disk.Name));
        if (String(xAxis.categories) !== String(names))
            xAxis.categories = names;
        for (let i = 0; i < disks.length; ++i) {
            usedBarSet.replace(i, disks[i].Used);
            freeBarSet.replace(i, disks[i].FreeSpace);
        }
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
