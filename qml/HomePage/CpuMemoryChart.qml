import QtQuick
import QtCharts
import "./Dashboard" as Dashboard

// The server's CPU and memory use in percent, from fractions of 1.
Dashboard.LoadChart {
    id: chart

    readonly property SplineSeries cpuSeries: firstSeries
    readonly property SplineSeries memorySeries: secondSeries
    readonly property DateTimeAxis cpuXAxis: firstXAxis
    readonly property DateTimeAxis memoryXAxis: secondXAxis
    readonly property alias cpuYAxis: yAxis1
    readonly property alias memoryYAxis: yAxis2
    readonly property Item selectedCpuPoint: pointDots[0]
    readonly property Item selectedMemoryPoint: pointDots[1]

    firstName: "CPU使用率"
    secondName: "内存使用率"
    valueFactor: 100
    valueCap: 100
    firstYAxis: yAxis1
    secondYAxis: yAxis2
    minimumZoom: 0.25
    maximumZoom: 1.0
    pickOffset: 500
    toolTip: cpuToolTip
    firstDotName: "selectedCpuPoint"
    secondDotName: "selectedMemoryPoint"

    Dashboard.LoadToolTip {
        id: cpuToolTip

        property real cpuValue: 0
        property real memoryValue: 0

        function setValues(cpu, memory) {
            cpuValue = cpu;
            memoryValue = memory;
        }

        valueLines: ["CPU使用: " + cpuValue.toFixed(2) + " (%)", "内存使用: " + memoryValue.toFixed(2) + " (%)"]
    }

    ValueAxis {
        id: yAxis1

        // The wheel zoom: the maximum is 100 times this.
        property real scaleRatio: 1

        tickCount: 4
        min: 0
        max: 100 * scaleRatio
        gridLineColor: "#a007ceac"
        labelsColor: "white"
        labelsFont.family: "微软雅黑"
        labelsFont.bold: true
        labelsFont.pointSize: 9 * styleManager.scaleRatio
        labelFormat: "%d% "
        lineVisible: false
    }

    ValueAxis {
        id: yAxis2
        visible: false
        tickCount: yAxis1.tickCount
        min: yAxis1.min
        max: yAxis1.max
    }
}
