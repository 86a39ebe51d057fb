import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage"

// The clock of the title strip: empty until the application clock's first tick, then
// time above date. The date's size follows the pixel ratio, the time's the font ratio;
// a second run on a screen scaled by 1.25 makes the two ratios differ.
ClientTestCase {
    id: testCase
    name: "DateTimePage"

    Component {
        id: clockComponent

        DateTimePage {
            width: 180 * styleManager.scaleRatio
        }
    }

    function test_emptyUntilTheFirstTickThenBothFormats() {
        const clock = createTemporaryObject(clockComponent, testCase);
        const time = findChild(clock, "timeText");
        const date = findChild(clock, "dateText");
        compare(time.text, "");
        compare(date.text, "");
        tryVerify(() => time.text !== "", patience);
        verify(/^\d\d:\d\d:\d\d$/.test(time.text), time.text);
        verify(/^\d{4}年\d\d月\d\d日 \S+$/.test(date.text), date.text);
        // The date of the tick (taken again a second later, in case midnight passed).
        const today = qmlApi.getCurrentDateTime("yyyy年MM月dd日 ddd");
        const aSecondAgo = qmlApi.fromMSecsSinceEpochToString(Date.now() - 1000, "yyyy年MM月dd日 ddd");
        verify(date.text === today || date.text === aSecondAgo, date.text + " / " + today);
        const first = time.text;
        tryVerify(() => time.text !== first, patience, "the clock ticks");
        compare(time.width, clock.width);
        compare(date.width, clock.width);
        compare(time.horizontalAlignment, Text.AlignRight);
        compare(date.horizontalAlignment, Text.AlignRight);
        compare(time.color, styleManager.style.color("Login-TextColor"));
        verify(time.y < date.y, "time above date");
    }

    function test_dateFollowsThePixelRatioAndTimeTheFontRatio() {
        const clock = createTemporaryObject(clockComponent, testCase);
        const time = findChild(clock, "timeText");
        const date = findChild(clock, "dateText");
        compare(time.font.pointSize, 14 * styleManager.fontScaleRatio);
        compare(date.font.pointSize, 8 * styleManager.scaleRatio);
        compare(time.topPadding, 2 * styleManager.scaleRatio);
        compare(date.bottomPadding, 5 * styleManager.scaleRatio);
    }
}
