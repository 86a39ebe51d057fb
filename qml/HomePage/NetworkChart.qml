import QtQuick
import QtCharts
import "./Dashboard" as Dashboard

// The server's upload and download bandwidth in Mbps, drawn as sent: a sample above
// the axis's top is not cut.
Dashboard.LoadChart {
    id: chart

    readonly property SplineSeries uploadSeries: firstSeries
    readonly property SplineSeries downloadSeries: secondSeries
    readonly property DateTimeAxis uploadXAxis: firstXAxis
    readonly property DateTimeAxis downloadXAxis: secondXAxis
    readonly property alias uploadYAxis: yAxis1
    readonly property alias downloadYAxis: yAxis2
    readonly property Item selectedUploadPoint: pointDots[0]
    readonly property Item selectedDownloadPoint: pointDots[1]

    firstName: "上行带宽"
    secondName: "下行带宽"
    firstUsesOpenGL: true
    firstYAxis: yAxis1
    secondYAxis: yAxis2
    minimumZoom: 0.01
    maximumZoom: 4.0
    pickOffset: -1000
    toolTip: networkToolTip
    firstDotName: "selectedUploadPoint"
    secondDotName: "selectedDownloadPoint"

    Dashboard.LoadToolTip {
        id: networkToolTip

        property real uploadValue: 0
        property real downloadValue: 0

        function setValues(upload, download) {
            uploadValue = upload;
            downloadValue = download;
        }

        valueLines: ["上行带宽: " + textItem.transFlow(uploadValue) + " (Mbps)",
                     "下行带宽: " + textItem.transFlow(downloadValue) + " (Mbps)"]
    }

    CategoryAxis {
        id: yAxis1

        // The wheel zoom: the maximum is 1000 times this, 10 at start.
        property real scaleRatio: 0.01

        tickCount: 4
        min: 0
        max: 1000 * scaleRatio
        startValue: 0
        labelsPosition: CategoryAxis.AxisLabelsPositionOnValue
        // Qt would give each label a fifth of the axis' height less 8 unscaled pixels, however
        // far apart the labels stand: on a small screen every label became "...". These four
        // texts are short, and labels that would run into each other are still left out.
        truncateLabels: false
        gridLineColor: "#a007ceac"
        labelsColor: "white"
        labelsFont.family: "微软雅黑"
        labelsFont.bold: true
        labelsFont.pointSize: 9 * styleManager.scaleRatio
        lineVisible: false

        Behavior on max {
            NumberAnimation { duration: 200 }
        }

        CategoryRange { label: "0~5"; endValue: 5 }
        CategoryRange { label: "5~20"; endValue: 20 }
        CategoryRange { label: "20~100"; endValue: 100 }
        CategoryRange { label: "100~1000"; endValue: 1000 }
    }

    ValueAxis {
        id: yAxis2
        visible: false
        tickCount: yAxis1.tickCount
        min: 0
        max: yAxis1.max
    }
}
