import QtQuick
import QtCharts
import an.video 1.0

// Statistics of the stream a playback item shows: code rate with a running chart,
// decoding hardware, codecs, cached frames, resolution, view size, sample rate and loss.
Item {
    id: panel

    // The playback item whose statistics are shown, and the one whose size is shown.
    property var provider: null
    property var source: null
    property real scaleFactor: 0.0

    readonly property var __info: provider ? provider.videoInfo : null

    width: column.width + 30 * styleManager.scaleRatio
    height: column.height + 12 * styleManager.scaleRatio

    function clear() {
        codeRateLine.cleared();
    }

    function hardwareType2String(type) {
        switch (type) {
        case VideoItem.Cpu:
            return qsTr("CPU软解");
        case VideoItem.Gpu_Dxva:
            return qsTr("Dxva GPU硬解");
        case VideoItem.Gpu_Nvidia:
            return qsTr("Nvidia GPU硬解");
        case VideoItem.Unknown:
            return qsTr("未知硬件");
        default:
            return "";
        }
    }

    // A new stream, or a new frame size within one, starts the chart afresh.
    Connections {
        target: panel.provider
        function onSourceValidChanged() {
            if (panel.provider.sourceValid)
                panel.clear();
        }
    }

    component InfoLine: Row {
        id: line

        property string title: ""
        property string value: ""
        property bool hasChart: false
        property point currentPoint: Qt.point(0, 0)
        property real __chartItemHeight: 0
        // The chart's series, once the chart exists.
        property var __series: null

        signal cleared()

        Text {
            width: 70 * styleManager.scaleRatio
            height: line.hasChart ? line.__chartItemHeight : implicitHeight
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignVCenter
            rightPadding: 8
            text: line.title
            color: textColor
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
        }

        Text {
            objectName: "value"
            height: line.hasChart ? line.__chartItemHeight : implicitHeight
            verticalAlignment: Text.AlignVCenter
            text: line.value
            color: textColor
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
        }

        Loader {
            active: line.hasChart
            sourceComponent: chartComponent
            onLoaded: line.__chartItemHeight = item.height
        }

        Component {
            id: chartComponent

            ChartView {
                id: chart
                objectName: "codeRateChart"
                width: 150 * styleManager.scaleRatio
                height: 30 * styleManager.scaleRatio
                legend.visible: false
                backgroundColor: "transparent"
                plotAreaColor: "transparent"
                antialiasing: true
                margins.top: 0
                margins.bottom: 0
                margins.left: 10 * styleManager.scaleRatio
                margins.right: 0
                plotArea: Qt.rect(margins.left, 0, width, height)

                ValueAxis {
                    id: axisX
                    objectName: "codeRateAxisX"
                    min: 0
                    max: 10
                    gridVisible: false
                    labelsVisible: false
                    lineVisible: false
                    titleVisible: false
                }

                ValueAxis {
                    id: axisY
                    min: 0
                    max: 10
                    gridVisible: false
                    labelsVisible: false
                    lineVisible: false
                    titleVisible: false
                }

                SplineSeries {
                    id: series
                    objectName: "codeRateSeries"

                    property int index: 0

                    axisX: axisX
                    axisY: axisY
                    width: 3
                    color: "yellow"
                    pointsVisible: false
                    pointLabelsVisible: false

                    Component.onCompleted: line.__series = series
                }

                // One point per change of the rate; the last 11 stay, the newest at the right.
                Connections {
                    target: line
                    function onCurrentPointChanged() {
                        ++series.index;
                        if (series.count > 10)
                            series.remove(0);
                        series.append(series.index, line.currentPoint.y);
                        axisX.min = series.index - 10;
                        axisX.max = series.index;
                    }
                    function onCleared() {
                        series.clear();
                        series.index = 0;
                    }
                }
            }
        }
    }

    Rectangle {
        anchors.fill: parent
        color: "#80313d43"
        radius: 4
    }

    Column {
        id: column
        anchors.centerIn: parent

        InfoLine {
            id: codeRateLine
            objectName: "codeRateLine"
            title: "码率: "
            value: panel.__info ? (panel.__info.codeRate / 1024).toFixed(1) + " Mbps" : ""
            hasChart: true
            currentPoint: Qt.point(0, panel.__info ? panel.__info.codeRate / 1024 : 0)
        }
        InfoLine {
            objectName: "hardwareLine"
            title: "解码硬件: "
            value: panel.provider ? panel.hardwareType2String(panel.provider.hardwareType) : ""
        }
        InfoLine {
            objectName: "videoCodecLine"
            title: "视频编码: "
            value: panel.__info ? panel.__info.videoCodec : ""
        }
        InfoLine {
            objectName: "audioCodecLine"
            title: "音频编码: "
            value: panel.__info ? panel.__info.audioCodec : ""
        }
        InfoLine {
            objectName: "cacheLine"
            title: "缓存帧数: "
            value: panel.__info ? String(panel.__info.cacheFrameCount) : ""
        }
        InfoLine {
            objectName: "resolutionLine"
            title: "分辨率: "
            value: panel.__info ? panel.__info.resolution.width + "x" + panel.__info.resolution.height : ""
        }
        InfoLine {
            objectName: "viewSizeLine"
            title: "视图大小: "
            value: panel.source ? panel.source.width.toFixed(0) + "x" + panel.source.height.toFixed(0)
                                  + "(" + panel.scaleFactor.toFixed(2) + ")" : ""
        }
        InfoLine {
            objectName: "sampleRateLine"
            title: "采样率: "
            value: panel.__info ? panel.__info.audioSampleRate + " HZ" : ""
        }
        InfoLine {
            objectName: "lossLine"
            title: "丢包率: "
            value: panel.__info ? (panel.__info.packetLossRate * 100).toFixed(1) + " %" : ""
        }
    }
}
