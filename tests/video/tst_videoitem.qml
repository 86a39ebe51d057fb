import QtQuick
import QtTest
import an.video 1.0

TestCase {
    id: testCase
    name: "VideoItemQml"
    when: windowShown
    width: 320
    height: 240

    VideoItem {
        id: video
        anchors.fill: parent
        fillMode: VideoItem.PreserveAspectFit
        property var statuses: []
        onStatusChanged: statuses.push(status)
    }

    SignalSpy {
        id: finishedSpy
        target: video
        signalName: "finished"
    }

    function test_enumerations() {
        compare(VideoItem.Opening, 1)
        compare(VideoItem.Opened, 2)
        compare(VideoItem.Paused, 3)
        compare(VideoItem.Closed, 4)
        compare(VideoItem.UnknownStatus, 5)
        compare(VideoItem.Unknown, 0)
        compare(VideoItem.Cpu, 1)
        compare(VideoItem.Gpu_Dxva, 2)
        compare(VideoItem.Gpu_Nvidia, 3)
        compare(VideoItem.Stretch, 0)
        compare(VideoItem.PreserveAspectFit, 1)
        compare(VideoItem.PreserveAspectCrop, 2)
    }

    function test_videoInfoIsUncreatable() {
        var message = ""
        try {
            Qt.createQmlObject("import an.video 1.0; VideoInfo {}", testCase)
        } catch (e) {
            message = e.qmlErrors[0].message
        }
        verify(message.indexOf("Can't created: VideoInfo") >= 0, message)
    }

    function test_playsAndStops() {
        compare(video.status, VideoItem.UnknownStatus)
        video.videoUrl = testMediaUrl
        compare(video.status, VideoItem.Opening)
        tryCompare(video, "sourceValid", true, patience)
        tryCompare(video.videoInfo, "resolution", Qt.size(320, 240), patience)
        compare(video.hardwareType, VideoItem.Cpu)
        compare(video.frameRate, 25)
        compare(video.contentRect, Qt.rect(0, 0, 320, 240))
        finishedSpy.wait(patience)
        compare(video.statuses, [VideoItem.Opening, VideoItem.Opened, VideoItem.Closed])
        video.videoUrl = ""
        compare(video.sourceValid, false)
        compare(video.networkDelay, 0)
    }
}
