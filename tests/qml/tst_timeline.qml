import QtQuick
import QtTest
import "qrc:/zelka/qml/RecordManage" as RecordManage

// The record time line under real pointer input: zoom, pan, picks by double-click and
// by the cursor handle, the record row and what reaches the screen. Also run on a
// 1366 x 768 screen, where the scale ratio is 0.8.
Item {
    id: scene

    // Read by the time line through the context, as from the main window.
    property color textColor: styleManager.style.color("Login-TextColor")
    readonly property real s: styleManager.scaleRatio

    width: 1700
    height: 300

    Rectangle {
        anchors.fill: parent
        color: "black"
    }

    Component {
        id: timeLineComponent
        // The ruler strip is 1600 wide at every ratio, so picks land on whole pixels (and
        // a tick a minute fits at 1.0).
        RecordManage.TimeLine {
            x: 10
            y: 10
            width: 1600 + 55 * scene.s
            height: 140 * scene.s
        }
    }

    TextMetrics {
        id: labelMetrics
        text: "00:00"
    }

    FontMetrics {
        id: labelFontMetrics
    }

    SignalSpy {
        id: picks
        signalName: "selectedTime"
    }

    TestCase {
        name: "TimeLine"
        when: windowShown

        property var timeLine: null

        function init() {
            timeLine = createTemporaryObject(timeLineComponent, scene)
            verify(timeLine)
            picks.clear()
            picks.target = timeLine
        }

        function part(name) {
            const item = findChild(timeLine, name)
            verify(item, name)
            return item
        }

        function stripWidth() { return part("timeLine").width }

        function picked(i) { return Array.prototype.slice.call(picks.signalArguments[i]) }

        // Distance of a colour from the expected one, channel by channel.
        function near(pixel, expected, tolerance) {
            return Math.abs(pixel.r - expected.r) <= tolerance && Math.abs(pixel.g - expected.g) <= tolerance
                    && Math.abs(pixel.b - expected.b) <= tolerance
        }

        function pixelOf(image, x, y) {
            const c = Qt.color(image.pixel(Math.round(x), Math.round(y)))
            return { "r": Math.round(c.r * 255), "g": Math.round(c.g * 255), "b": Math.round(c.b * 255) }
        }

        function test_zoomSteps() {
            const area = part("fullMouseArea")
            const ruler = part("lineRow")
            compare(stripWidth(), 1600)
            compare(ruler.width, 1600)

            timeLine.scaleFactor = 1.05
            mouseWheel(area, 300, 30, 0, -120)
            compare(timeLine.scaleFactor, 1.0) // not 0.945

            mouseWheel(area, 300, 30, 0, 120)
            fuzzyCompare(timeLine.scaleFactor, 1.1, 1e-9)
            mouseWheel(area, 300, 30, 120, 0) // no vertical turn: out
            compare(timeLine.scaleFactor, 1.0)
            mouseWheel(area, 300, 30, 0, -120)
            compare(timeLine.scaleFactor, 1.0)

            // No upper limit; the ruler is lw + zoom * (W - lw) wide.
            for (let i = 0; i < 60; ++i)
                mouseWheel(area, 300, 30, 0, 120)
            fuzzyCompare(timeLine.scaleFactor, Math.pow(1.1, 60), 1e-6)
            fuzzyCompare(ruler.width, timeLine.lineWidth + timeLine.scaleFactor * (1600 - timeLine.lineWidth), 1e-3)
        }

        function test_panning() {
            const area = part("fullMouseArea")
            const ruler = part("lineRow")

            // At 1.0 the ruler is the strip: a drag cannot move it.
            mousePress(area, 500, 20)
            mouseMove(area, 700, 20, -1, Qt.LeftButton)
            mouseMove(area, 300, 20, -1, Qt.LeftButton)
            mouseRelease(area, 300, 20)
            compare(ruler.x, 0)

            timeLine.scaleFactor = 2
            compare(ruler.x, 0) // the time is 00:00:00, which stays at the left edge
            mousePress(area, 500, 20)
            mouseMove(area, 400, 20, -1, Qt.LeftButton)
            mouseMove(area, 300, 20, -1, Qt.LeftButton)
            mouseRelease(area, 300, 20)
            compare(ruler.x, -200)
            mousePress(area, 100, 20)
            mouseMove(area, 1500, 20, -1, Qt.LeftButton)
            mouseRelease(area, 1500, 20)
            compare(ruler.x, 0) // clamped at the left end
            for (let i = 0; i < 3; ++i) {
                mousePress(area, 1500, 20)
                mouseMove(area, 10, 20, -1, Qt.LeftButton)
                mouseRelease(area, 10, 20)
            }
            compare(ruler.x, 1600 - ruler.width) // and at the right end
        }

        // The cursor keeps its place on screen while the ruler grows about it.
        function test_zoomKeepsTheCurrentTimeInPlace() {
            const area = part("fullMouseArea")
            const ruler = part("lineRow")
            const slider = part("controlSlider")
            timeLine.currentHour = 6
            compare(slider.x, 400)
            for (let i = 0; i < 5; ++i)
                mouseWheel(area, 1200, 30, 0, 120)
            verify(ruler.x < -100)
            fuzzyCompare(slider.x, 400, 0.01)
            for (let i = 0; i < 5; ++i)
                mouseWheel(area, 1200, 30, 0, -120)
            fuzzyCompare(timeLine.scaleFactor, 1.0, 1e-9)
            fuzzyCompare(ruler.x, 0, 1e-6)
            fuzzyCompare(slider.x, 400, 0.01)
        }

        function test_timesOfPositions() {
            const area = part("fullMouseArea")
            const times = [[0, "00:00:00"], [0.5, "12:00:00"], [1.5 / 24, "01:30:00"], [1, "24:00:00"]]
            for (const [ratio, text] of times)
                compare(timeLine.timeText(timeLine.timeOfRatio(ratio)), text)

            mouseDoubleClickSequence(area, 800, 30)
            compare(picks.count, 1)
            compare(picked(0), [12, 0, 0])
            compare(timeLine.totalSeconds, 12 * 3600)
            compare(part("controlSlider").x, 800)

            mouseDoubleClickSequence(area, 100, 30)
            compare(picked(1), [1, 30, 0])
            compare(timeLine.totalSeconds, 5400)
            fuzzyCompare(timeLine.timeToCoord(5400), 100, 0.1) // at the tick pitch
        }

        // The handle reports only when let go, and stops at the strip's ends.
        function test_sliderDrag() {
            const area = part("fullMouseArea")
            const handle = part("controlSliderMouseArea")
            const slider = part("controlSlider")
            const tip = part("timeTip")
            timeLine.currentHour = 12
            compare(slider.x, 800)

            mousePress(handle, handle.width / 2, handle.height / 2)
            tryCompare(tip, "visible", true)
            compare(tip.text, "12:00:00")
            mouseMove(area, 300, 60, -1, Qt.LeftButton)
            mouseMove(area, 100, 60, -1, Qt.LeftButton)
            mouseMove(area, -200, 60, -1, Qt.LeftButton)
            compare(slider.x, 0)
            compare(tip.text, "00:00:00")
            compare(picks.count, 0)
            compare(timeLine.currentHour, 12) // not while dragging
            mouseRelease(area, -200, 60)
            compare(picks.count, 1)
            compare(picked(0), [0, 0, 0])
            compare(timeLine.totalSeconds, 0)
            tryCompare(tip, "visible", false)

            mousePress(handle, handle.width / 2, handle.height / 2)
            mouseMove(area, 500, 60, -1, Qt.LeftButton)
            mouseMove(area, 2000, 60, -1, Qt.LeftButton)
            compare(slider.x, 1600)
            compare(tip.text, "24:00:00")
            mouseRelease(area, 2000, 60)
            compare(picks.count, 2)
            compare(picked(1), [24, 0, 0])

            // Bound to the time again: it follows the time and the zoom.
            timeLine.currentHour = 6
            compare(slider.x, 400)
            timeLine.scaleFactor = 2
            fuzzyCompare(slider.x, timeLine.calcX(), 1e-9)
        }

        function test_rowsAndClearing() {
            const list = part("recordListView")
            const ruler = part("lineRow")
            timeLine.addRecordTimeLine(5, "cam-a", [{ "startTime": 21600, "endTime": 43200 }])
            timeLine.scaleFactor = 1.5
            timeLine.currentHour = 9
            timeLine.addRecordTimeLine(6, "cam-b", [{ "startTime": 43200, "endTime": 64800 }])
            compare(list.count, 1)
            tryVerify(() => findChild(timeLine, "recordRow") !== null)
            const bars = findChild(timeLine, "recordBars")
            compare(bars.itemList[0].startTime, 43200)
            compare(timeLine.scaleFactor, 1.5) // zoom and time stay
            compare(timeLine.totalSeconds, 9 * 3600)

            // Dragged, then cleared: back to the whole day at 00:00:00.
            mousePress(part("fullMouseArea"), 800, 20)
            mouseMove(part("fullMouseArea"), 500, 20, -1, Qt.LeftButton)
            mouseRelease(part("fullMouseArea"), 500, 20)
            verify(ruler.x < 0)
            timeLine.clearRecordTimeLine()
            compare(list.count, 0)
            compare(timeLine.scaleFactor, 1.0)
            compare(timeLine.totalSeconds, 0)
            compare(ruler.x, 0)
            compare(ruler.width, 1600)
            compare(part("controlSlider").x, 0)
        }

        // Strips narrower than a tick a minute at the line width: the record page at its
        // default size with the side panel open (1313), and one of a small screen. At
        // zoom 1 the whole day still spans the strip, the late evening's records show,
        // the hour labels keep apart, and zoom, pan and picks go on working.
        function test_narrowStripShowsTheWholeDay() {
            const area = part("fullMouseArea")
            const ruler = part("lineRow")
            const bars = [{ "startTime": 81000, "endTime": 81600 }, { "startTime": 85800, "endTime": 85830 }]
            timeLine.addRecordTimeLine(6, "cam-b", bars)
            const bar = { "r": 170, "g": 128, "b": 0 }
            for (const strip of [1313, 700]) {
                timeLine.width = strip + 55 * scene.s
                compare(stripWidth(), strip)
                compare(timeLine.scaleFactor, 1.0)
                fuzzyCompare(ruler.width, strip, 1e-6)
                compare(ruler.x, 0)
                const pitch = (strip - timeLine.lineWidth) / 1440
                fuzzyCompare(ruler.spacing + timeLine.lineWidth, pitch, 1e-9)
                fuzzyCompare(timeLine.timeToCoord(86400), strip - timeLine.lineWidth, 1e-6)

                // A drag cannot move the unzoomed ruler.
                mousePress(area, strip / 2, 20)
                mouseMove(area, strip / 2 - 300, 20, -1, Qt.LeftButton)
                mouseRelease(area, strip / 2 - 300, 20)
                compare(ruler.x, 0)

                // The 22:30 record and the half minute at 23:50 are drawn inside the strip.
                const origin = part("timeLine").mapToItem(timeLine, 0, 0)
                const rowY = origin.y + ruler.height + 10 * s + 25 * s / 2
                let image = null
                const at = (seconds) => origin.x + 1 + seconds / 60 * pitch
                tryVerify(() => {
                    image = grabImage(timeLine)
                    return near(pixelOf(image, at(81300), rowY), bar, 12)
                }, 5000, "22:30 drawn on a strip of " + strip)
                verify(at(85830) < origin.x + strip - 2)
                // Less than a pixel long: at least one column mostly in the bar's colour.
                let shortBar = false
                for (let x = Math.floor(at(85800)); x <= Math.ceil(at(85830)); ++x)
                    shortBar = shortBar || near(pixelOf(image, x, rowY), bar, 60)
                verify(shortBar, "the half minute at 23:50 on a strip of " + strip)
                verify(near(pixelOf(image, at(79200), rowY), { "r": 0, "g": 0, "b": 0 }, 12))

                // Shown hour labels keep apart; 00:00 and 24:00 are among them.
                const shown = []
                for (let hour = 0; hour <= 24; ++hour) {
                    const label = ruler.itemAtIndex(hour * 60).children[1]
                    if (label.opacity === 1)
                        shown.push({ "hour": hour, "centre": label.mapToItem(timeLine, label.width / 2, 0).x,
                                     "width": label.contentWidth })
                }
                compare(shown[0].hour, 0)
                compare(shown[shown.length - 1].hour, 24)
                // Their tops inside the ruler, which clips them: glyphs end a descent above
                // the bottom of their boxes.
                const label = ruler.itemAtIndex(0).children[1]
                labelMetrics.font = label.font
                labelFontMetrics.font = label.font
                const glyphTop = label.y + label.height - labelFontMetrics.descent
                                 - labelMetrics.tightBoundingRect.height
                verify(glyphTop >= 0, "hour labels cut off at the top by " + -glyphTop)
                // Within the clipped area, the end labels too.
                verify(shown[0].centre - shown[0].width / 2 >= 0, "00:00 cut off")
                const last = shown[shown.length - 1]
                verify(last.centre + last.width / 2 <= timeLine.width - 25 * s, "24:00 cut off")
                verify(shown.length >= 7, shown.length + " hour labels on a strip of " + strip)
                for (let i = 1; i < shown.length; ++i)
                    verify(shown[i].centre - shown[i - 1].centre > (shown[i].width + shown[i - 1].width) / 2,
                           "hour labels " + shown[i - 1].hour + " and " + shown[i].hour + " overlap on " + strip)

                // The right end is midnight, for a double-click and for the handle.
                mouseDoubleClickSequence(area, strip - 1, 30)
                compare(picked(picks.count - 1)[0], 23)
                const handle = part("controlSliderMouseArea")
                mousePress(handle, handle.width / 2, handle.height / 2)
                mouseMove(area, strip + 100, 60, -1, Qt.LeftButton)
                mouseRelease(area, strip + 100, 60)
                compare(picked(picks.count - 1), [24, 0, 0])

                // Zoom and pan still work, and clearing brings the whole day back.
                mouseWheel(area, strip / 2, 30, 0, 120)
                fuzzyCompare(ruler.width, timeLine.lineWidth + 1.1 * (strip - timeLine.lineWidth), 1e-6)
                mousePress(area, strip / 2, 20)
                mouseMove(area, 10, 20, -1, Qt.LeftButton)
                mouseRelease(area, 10, 20)
                fuzzyCompare(ruler.x, strip - ruler.width, 1e-6)
                timeLine.clearRecordTimeLine()
                fuzzyCompare(ruler.width, strip, 1e-6)
                compare(ruler.x, 0)
                timeLine.addRecordTimeLine(6, "cam-b", bars)
            }
        }

        // Lines at least one pixel wide at every ratio, bars under the ruler at their
        // times, and labels that come with the zoom.
        function test_drawing() {
            if (Qt.application.screens[0].width === 1366)
                compare(styleManager.scaleRatio, 0.8)
            verify(timeLine.lineWidth >= 1)
            timeLine.addRecordTimeLine(6, "cam-b", [{ "startTime": 43200, "endTime": 64800 }])
            const strip = part("timeLine")
            const ruler = part("lineRow")
            const origin = strip.mapToItem(timeLine, 0, 0)
            const text = { "r": 0xd8, "g": 0xf3, "b": 0xfc }
            // #aaffc000 over black
            const bar = { "r": 170, "g": 128, "b": 0 }
            const pitch = ruler.spacing + timeLine.lineWidth
            const rowY = origin.y + ruler.height + 10 * s + 25 * s / 2
            let image = null
            tryVerify(() => {
                image = grabImage(timeLine)
                return near(pixelOf(image, origin.x + 1 + 800 * pitch, rowY), bar, 12)
            }, 5000, "bar drawn")
            verify(near(pixelOf(image, origin.x + 1 + 600 * pitch, rowY), { "r": 0, "g": 0, "b": 0 }, 12))
            verify(near(pixelOf(image, origin.x + 1 + 1100 * pitch, rowY), { "r": 0, "g": 0, "b": 0 }, 12))

            const baseY = origin.y + ruler.height
            for (const x of [100, 801, 1500])
                verify(near(pixelOf(image, origin.x + x, baseY), text, 12), "base line at " + x)
            // The 12:00 hour line, somewhere in its pixel column.
            const hourX = origin.x + 720 * pitch
            let found = false
            for (let x = Math.floor(hourX) - 1; x <= Math.ceil(hourX) + 1; ++x)
                found = found || near(pixelOf(image, x, origin.y + ruler.height - 10 * s), text, 40)
            verify(found, "hour line")

            // Minute lines and labels are hidden until there is room for them.
            const minuteTick = ruler.itemAtIndex(1)
            const sixMinuteTick = ruler.itemAtIndex(6)
            compare(minuteTick.children[0].opacity, 0)
            compare(minuteTick.children[1].opacity, 0)
            compare(sixMinuteTick.children[1].opacity, 0)
            compare(ruler.itemAtIndex(60).children[1].opacity, 1)
            compare(ruler.itemAtIndex(60).children[1].text, "01:00")
            compare(ruler.itemAtIndex(1440).children[1].text, "24:00")
            timeLine.scaleFactor = 20
            tryCompare(sixMinuteTick.children[1], "opacity", 1)
            compare(sixMinuteTick.children[1].text, "00:06")
            compare(minuteTick.children[1].opacity, 0)
            timeLine.scaleFactor = 80
            tryCompare(minuteTick.children[0], "opacity", 1)
            tryCompare(minuteTick.children[1], "opacity", 1)
            compare(minuteTick.children[1].text, "00:01")
        }
    }
}
