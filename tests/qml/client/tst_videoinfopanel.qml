import QtQuick
import QtTest
import an.video 1.0
import "qrc:/zelka/qml/HomePage" as HomePage

// The statistics overlay: its texts and running chart over a stand-in provider whose
// figures the test sets, and the figures of a real record decoded by a playback item.
ClientTestCase {
    id: testCase
    name: "VideoInfoPanel"

    visible: true
    width: 1000
    height: 700

    readonly property color textColor: styleManager.style.color("Login-TextColor")

    // Stands in for a playback item: the figures the panel reads, settable.
    Component {
        id: standInComponent

        Item {
            id: standIn
            property bool sourceValid: false
            property int hardwareType: VideoItem.Unknown
            property QtObject videoInfo: QtObject {
                property real codeRate: 0
                property string videoCodec: ""
                property string audioCodec: ""
                property real cacheFrameCount: 0
                property size resolution: Qt.size(0, 0)
                property real audioSampleRate: 0
                property real packetLossRate: 0
            }
            width: 640.4
            height: 359.6
        }
    }

    Component {
        id: panelComponent

        HomePage.VideoInfoPanel {
            scaleFactor: 1.0
        }
    }

    Component {
        id: playerComponent

        VideoItem {
            width: 480
            height: 270
        }
    }

    function value(panel, line) {
        return findChild(findChild(panel, line), "value").text;
    }

    function chart(panel) {
        const series = findChild(panel, "codeRateLine").__series;
        verify(series, "the chart exists");
        return series;
    }

    function points(series) {
        const list = [];
        for (let i = 0; i < series.count; ++i)
            list.push(series.at(i));
        return list;
    }

    function test_textsAndChart() {
        const standIn = createTemporaryObject(standInComponent, testCase);
        const panel = createTemporaryObject(panelComponent, testCase, { provider: standIn, source: standIn });
        verify(panel);
        // A fresh provider: the start values.
        compare(value(panel, "codeRateLine"), "0.0 Mbps");
        compare(value(panel, "hardwareLine"), "未知硬件");
        compare(value(panel, "cacheLine"), "0");
        compare(value(panel, "resolutionLine"), "0x0");
        compare(value(panel, "viewSizeLine"), "640x360(1.00)");
        compare(value(panel, "sampleRateLine"), "0 HZ");
        compare(value(panel, "lossLine"), "0.0 %");
        compare(findChild(findChild(panel, "lossLine"), "value").color, textColor);

        const info = standIn.videoInfo;
        info.codeRate = 1536;
        info.packetLossRate = 0.0123;
        info.audioSampleRate = 8000;
        info.resolution = Qt.size(1920, 1080);
        info.videoCodec = "h265";
        info.audioCodec = "pcma";
        compare(value(panel, "codeRateLine"), "1.5 Mbps");
        compare(value(panel, "lossLine"), "1.2 %");
        compare(value(panel, "sampleRateLine"), "8000 HZ");
        compare(value(panel, "resolutionLine"), "1920x1080");
        compare(value(panel, "videoCodecLine"), "h265");
        compare(value(panel, "audioCodecLine"), "pcma");
        const series = chart(panel);
        compare(series.at(series.count - 1).y, 1.5);

        // Hardware texts; anything outside the enumeration reads empty.
        compare(panel.hardwareType2String(VideoItem.Cpu), "CPU软解");
        compare(panel.hardwareType2String(VideoItem.Gpu_Dxva), "Dxva GPU硬解");
        compare(panel.hardwareType2String(VideoItem.Gpu_Nvidia), "Nvidia GPU硬解");
        compare(panel.hardwareType2String(VideoItem.Unknown), "未知硬件");
        compare(panel.hardwareType2String(7), "");
        standIn.hardwareType = VideoItem.Cpu;
        compare(value(panel, "hardwareLine"), "CPU软解");

        // Twelve changes from an empty chart: the last eleven, at 2 to 12.
        panel.clear();
        compare(series.count, 0);
        for (let i = 1; i <= 12; ++i)
            info.codeRate = i * 512;
        compare(series.count, 11);
        const xs = points(series).map(p => p.x);
        compare(xs, [2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12]);
        compare(series.at(10).y, 6);
        compare(series.axisX.min, 2);
        compare(series.axisX.max, 12);
        // A rate above the scale stays above it.
        info.codeRate = 20480;
        compare(series.axisY.max, 10);
        compare(series.at(10).y, 20);

        // A new stream empties the chart; the next point is the first again.
        standIn.sourceValid = true;
        compare(series.count, 0);
        info.codeRate = 1024;
        compare(points(series).map(p => p.x), [1]);
        compare(series.axisX.min, -9);
        compare(series.axisX.max, 1);
        // A stream that stops leaves chart and texts as they are.
        standIn.sourceValid = false;
        compare(series.count, 1);
        compare(value(panel, "codeRateLine"), "1.0 Mbps");
    }

    function test_realRecord() {
        const player = createTemporaryObject(playerComponent, testCase);
        const panel = createTemporaryObject(panelComponent, testCase, { provider: player, source: player, x: 500 });
        player.videoUrl = testServer.url("media/record.mp4");
        tryVerify(() => player.sourceValid, patience, "record decoded");
        tryCompare(findChild(findChild(panel, "videoCodecLine"), "value"), "text", "h264", patience);
        tryCompare(findChild(findChild(panel, "resolutionLine"), "value"), "text", "640x360", patience);
        tryCompare(findChild(findChild(panel, "audioCodecLine"), "value"), "text", "mp4a", patience);
        tryCompare(findChild(findChild(panel, "sampleRateLine"), "value"), "text", "48000 HZ", patience);
        compare(value(panel, "viewSizeLine"), "480x270(1.00)");
        verify(value(panel, "hardwareLine") !== "未知硬件" && value(panel, "hardwareLine") !== "");
        tryVerify(() => chart(panel).count > 0, patience, "the code rate is plotted");
        verify(/^\d+\.\d Mbps$/.test(value(panel, "codeRateLine")));
    }
}
