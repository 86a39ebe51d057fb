import QtQuick
import QtCharts
import "figures.js" as Figures

// The load chart family: two smoothed series of server samples over a sliding time
// window, with a hover read-out. The members give the names, the y axes, the read-out and
// the few figures that differ; everything else lives here once.
ChartView {
    id: chart

    // Set by the members.
    property string firstName
    property string secondName
    property bool firstUsesOpenGL: false
    // A sample's `use` times this is the point's y, cut to `valueCap`.
    property real valueFactor: 1
    property real valueCap: Infinity
    // The y axes (the second hidden, following the first); the first carries the
    // wheel zoom in its own `scaleRatio`, between these limits.
    property ValueAxis firstYAxis
    property ValueAxis secondYAxis
    property real minimumZoom: 0.25
    property real maximumZoom: 1.0
    // The hover picks the first point whose time plus this is after the pointer's time.
    property int pickOffset: 500
    // The read-out (a LoadToolTip child of the member with its own value names and a
    // `setValues(first, second)`), and the names of the two dots on the picked points.
    property LoadToolTip toolTip
    property string firstDotName
    property string secondDotName

    // True: the next update takes the whole lists (back-fill after a clear).
    property bool fillSeries: true

    readonly property alias firstSeries: first
    readonly property alias secondSeries: second
    readonly property alias firstXAxis: xAxis1
    readonly property alias secondXAxis: xAxis2
    // The dots on the picked points, in the order of the series.
    readonly property var pointDots: [firstDot, secondDot]
    readonly property alias mouseArea: mouseArea

    readonly property string sampleFormat: "yyyy-MM-dd hh:mm:ss"
    // A series holds at most this many points before an update trims it.
    readonly property int pointLimit: 80

    backgroundColor: "transparent"
    plotAreaColor: "transparent"
    // A new sample animates only on screen: off screen the frames would show nothing.
    animationOptions: visible ? ChartView.SeriesAnimations : ChartView.NoAnimation
    animationDuration: 800
    antialiasing: true
    margins.top: 0
    margins.bottom: 0
    margins.left: 0
    margins.right: 0
    legend.alignment: Qt.AlignBottom
    legend.backgroundVisible: false
    legend.labelColor: textColor
    legend.font.family: "微软雅黑"
    legend.font.bold: true
    legend.font.pointSize: 10 * styleManager.fontScaleRatio

    function currentDate() {
        const now = new Date();
        now.setMilliseconds(0);
        return now;
    }

    // The sample's time in ms since the epoch, or NaN for a text that is not a date and
    // time of the sample format (read back, it would not give the same text).
    function sampleTime(sample) {
        if (typeof sample.time !== "string")
            return NaN;
        const time = Number(qmlApi.toMSecsSinceEpoch(sample.time, sampleFormat));
        const date = new Date(time);
        return !isNaN(date.getTime()) && Qt.formatDateTime(date, sampleFormat) === sample.time ? time : NaN;
    }

    // The point's y, or NaN when `use` is no number (a number in a text counts).
    function sampleValue(sample) {
        const number = Figures.readNumber(sample.use);
        return isFinite(number) ? Math.min(valueCap, number * valueFactor) : NaN;
    }

    // Anything but an array (a member the server left out) counts as no samples, and
    // an element that is no object as no sample.
    function samples(list) {
        return Array.isArray(list) ? list.filter(sample => sample !== null && typeof sample === "object") : [];
    }

    // Back to 8 ticks' worth of points once the limit is reached, before new points come.
    function trim(series, axis) {
        if (series.count >= pointLimit)
            series.removePoints(0, pointLimit - 8 * axis.tickCount);
    }

    // A sample whose time or value cannot be read is left out; returns the time of the
    // point appended, NaN when none was.
    function appendSample(series, sample) {
        const time = sampleTime(sample);
        const value = sampleValue(sample);
        if (!isFinite(time) || !isFinite(value))
            return NaN;
        series.append(time, value);
        return time;
    }

    function updatePerformance(firstList, secondList) {
        firstList = samples(firstList);
        secondList = samples(secondList);
        trim(first, xAxis1);
        trim(second, xAxis2);
        if (firstList.length > 0 && secondList.length > 0) {
            let newest = NaN;
            if (fillSeries) {
                for (const sample of firstList)
                    appendSample(first, sample);
                for (const sample of secondList) {
                    const time = appendSample(second, sample);
                    if (isFinite(time))
                        newest = time;
                }
            } else {
                newest = updatePerformanceOne(firstList[firstList.length - 1], secondList[secondList.length - 1]);
            }
            // The window ends at the newest point the second series got; none, it stays.
            if (isFinite(newest))
                updateAxis(new Date(newest));
        }
        fillSeries = false;
    }

    // Returns the time of the second series' new point, NaN when its sample was bad.
    function updatePerformanceOne(firstSample, secondSample) {
        appendSample(first, firstSample);
        return appendSample(second, secondSample);
    }

    // The window ends at `time` and starts one tick less than the tick count of 8 s
    // before it, on a whole second.
    function updateAxis(time) {
        const minimum = new Date(time.getFullYear(), time.getMonth(), time.getDate(), time.getHours(),
                                 time.getMinutes(), time.getSeconds() - 8 * (xAxis1.tickCount - 1), 0);
        xAxis1.min = minimum;
        xAxis1.max = time;
    }

    function clearSeries() {
        fillSeries = true;
        first.clear();
        second.clear();
        toolTip.opacity = 0;
        toolTip.setValues(0, 0);
    }

    function zoom(angleDelta) {
        const ratio = firstYAxis.scaleRatio;
        if (angleDelta < 0)
            firstYAxis.scaleRatio = ratio * 1.2 >= maximumZoom ? maximumZoom : ratio * 1.2;
        else
            firstYAxis.scaleRatio = ratio / 1.2 <= minimumZoom ? minimumZoom : ratio / 1.2;
    }

    // The index from which `series` may have points in the window starting at `windowStart`.
    function firstIndexInWindow(series, windowStart) {
        let index = series.count - xAxis1.tickCount;
        while (index > 0 && series.at(index).x > windowStart)
            --index;
        return Math.max(0, index);
    }

    // The point under the pointer: the mouse position is taken in the plot area's own
    // coordinates. Points are paired by time, and only where both series have one: a
    // sample left out of one series must not pair the other's figures with a later time.
    function updateCurrentPosition() {
        if (first.count === 0 || second.count === 0)
            return;
        const mouseTime = chart.mapToValue(Qt.point(mouseArea.mouseX, mouseArea.mouseY), first).x;
        const windowStart = xAxis1.min.getTime();
        if (mouseTime <= windowStart - 500)
            return;
        let i = firstIndexInWindow(first, windowStart);
        let j = firstIndexInWindow(second, windowStart);
        while (i < first.count && j < second.count) {
            const firstPoint = first.at(i);
            const secondPoint = second.at(j);
            if (firstPoint.x < secondPoint.x) {
                ++i;
            } else if (secondPoint.x < firstPoint.x) {
                ++j;
            } else if (mouseTime < firstPoint.x + pickOffset) {
                pick(firstPoint, secondPoint);
                return;
            } else {
                ++i;
                ++j;
            }
        }
    }

    function pick(firstPoint, secondPoint) {
        toolTip.time = new Date(firstPoint.x);
        toolTip.setValues(firstPoint.y, secondPoint.y);
        placeDot(firstDot, firstPoint, first);
        placeDot(secondDot, secondPoint, second);
    }

    function placeDot(dot, point, series) {
        const position = chart.mapToPosition(point, series);
        dot.x = position.x - dot.width / 2 - chart.plotArea.x;
        dot.y = position.y - dot.height / 2 - chart.plotArea.y;
    }

    // Right of and below the pointer, flipped to the other side where it would leave
    // the plot area.
    function placeToolTip() {
        const area = chart.plotArea;
        const x = mouseArea.mouseX + area.x + 20;
        if (x >= area.x && x + toolTip.width <= area.x + area.width)
            toolTip.x = x;
        else if (x + toolTip.width > area.x + area.width)
            toolTip.x = mouseArea.mouseX + area.x - 20 - toolTip.width;
        const y = mouseArea.mouseY + area.y + 20;
        if (y >= area.y && y + toolTip.height <= area.y + area.height)
            toolTip.y = y;
        else if (y + toolTip.height > area.y + area.height)
            toolTip.y = mouseArea.mouseY + area.y - 20 - toolTip.height;
    }

    Component.onCompleted: {
        const now = currentDate();
        xAxis1.min = now;
        xAxis1.max = new Date(now.getTime() + xAxis1.tickCount * 2000);
    }

    DateTimeAxis {
        id: xAxis1
        tickCount: 5
        format: "hh:mm:ss"
        gridLineColor: "#a007ceac"
        labelsColor: "white"
        labelsFont.family: "微软雅黑"
        labelsFont.bold: true
        labelsFont.pointSize: 9 * styleManager.scaleRatio
        lineVisible: false
    }

    DateTimeAxis {
        id: xAxis2
        visible: false
        tickCount: xAxis1.tickCount
        min: xAxis1.min
        max: xAxis1.max
    }

    SplineSeries {
        id: first
        objectName: "firstSeries"
        name: chart.firstName
        pointsVisible: true
        useOpenGL: chart.firstUsesOpenGL
        axisX: xAxis1
        axisY: chart.firstYAxis
    }

    SplineSeries {
        id: second
        objectName: "secondSeries"
        name: chart.secondName
        pointsVisible: true
        useOpenGL: true
        axisX: xAxis2
        axisY: chart.secondYAxis
    }

    // Above the member's read-out, which lies under the dots and hair lines.
    Rectangle {
        id: plotAreaItem
        objectName: "plotAreaItem"
        z: 1
        x: chart.plotArea.x
        y: chart.plotArea.y
        width: chart.plotArea.width
        height: chart.plotArea.height
        clip: true
        gradient: Gradient {
            GradientStop { position: 0.00; color: "#70ff7f27" }
            GradientStop { position: 0.50; color: "#20ff7f27" }
            GradientStop { position: 0.75; color: "#10ff7f27" }
            GradientStop { position: 0.90; color: "#08ff7f27" }
            GradientStop { position: 1.00; color: "#00ff7f27" }
        }

        MouseArea {
            id: mouseArea
            anchors.fill: parent
            hoverEnabled: true
            onEntered: toolTip.opacity = 1
            onExited: toolTip.opacity = 0
            onPositionChanged: {
                toolTip.opacity = 1;
                chart.updateCurrentPosition();
                chart.placeToolTip();
            }
            onWheel: wheel => chart.zoom(wheel.angleDelta.y)
        }

        Rectangle {
            id: firstDot
            objectName: chart.firstDotName
            width: 10
            height: 10
            radius: 5
            color: "#fff000"
            opacity: chart.toolTip ? chart.toolTip.opacity : 0
        }

        Rectangle {
            id: secondDot
            objectName: chart.secondDotName
            width: 10
            height: 10
            radius: 5
            color: "#fff000"
            opacity: firstDot.opacity
        }

        Rectangle {
            y: mouseArea.mouseY
            width: plotAreaItem.width * 2
            height: 1
            color: "#a0cccccc"
            opacity: firstDot.opacity
        }

        Rectangle {
            x: mouseArea.mouseX
            width: 1
            height: plotAreaItem.height * 2
            color: "#a0cccccc"
            opacity: firstDot.opacity
        }
    }
}
