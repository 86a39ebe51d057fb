import QtQuick
import QtTest
import "qrc:/zelka/qml/Widgets" as Widgets

// The date-time selector: start entries, day counts, the date columns' writes into
// `currentTime` (never to a day the columns do not show), the look of the entries and
// turning the columns by pointer.
Item {
    id: scene
    width: 500
    height: 300

    Component {
        id: selectorComponent
        Widgets.DateTimeSelector {
            x: 250
            y: 150
        }
    }

    TestCase {
        name: "DateTimeSelector"
        when: windowShown

        readonly property var columnNames: ["yearTumbler", "monthTumbler", "dateTumbler", "hoursTumbler",
                                            "minutesTumbler"]

        function init() {
            failOnWarning(/TypeError|ReferenceError|Unable to assign|Binding loop/);
        }

        function column(selector, name) {
            const found = findChild(selector, name);
            verify(found, "no " + name);
            return found;
        }

        function createSelector(time) {
            const selector = createTemporaryObject(selectorComponent, scene,
                                                   time === undefined ? {} : { currentTime: time });
            verify(selector);
            for (const name of columnNames)
                tryVerify(() => column(selector, name).currentItem !== null, patience, name);
            return selector;
        }

        // The texts in the middle of the five columns once they are at rest: not moving,
        // and the entries laid out in their slots.
        function shown(selector) {
            return columnNames.map(name => {
                const tumbler = column(selector, name);
                tryCompare(tumbler, "moving", false, patience);
                const step = tumbler.availableHeight / tumbler.visibleItemCount;
                tryVerify(() => tumbler.currentItem && Math.abs(tumbler.currentItem.y - step) < 0.5
                          && neighbours(tumbler).length === 2, patience, name + " at rest");
                tryVerify(() => tumbler.currentItem && tumbler.currentItem.color
                          == Qt.color(selector.selectedColor), patience, name + " middle entry coloured");
                return tumbler.currentItem.text;
            }).join(" ");
        }

        function stamp(date) {
            return [date.getFullYear(), date.getMonth() + 1, date.getDate(), date.getHours(), date.getMinutes()]
                .join(" ");
        }

        // The entries of a column that lie beside the middle one, at rest.
        function neighbours(tumbler) {
            const middle = tumbler.currentItem;
            const step = tumbler.availableHeight / tumbler.visibleItemCount;
            return Array.from(middle.parent.children).filter(item => item !== middle && item.visible
                && Math.abs(Math.abs(item.y - middle.y) - step) < 0.5);
        }

        function test_startsOnTheGivenTime() {
            const selector = createSelector(new Date(2021, 2, 15, 10, 5));
            compare(shown(selector), "2021 3 15 10 05");
            compare(stamp(selector.currentTime), "2021 3 15 10 5");
            for (const name of columnNames) {
                const tumbler = column(selector, name);
                compare(tumbler.visibleItemCount, 3);
                const beside = neighbours(tumbler);
                compare(beside.length, 2, name);
                for (const item of beside)
                    compare(String(item.color), String(Qt.color(selector.defaultColor)), name + " " + item.text);
            }
            // The year column lists 2022 first, 2018 last.
            const years = column(selector, "yearTumbler");
            compare(years.count, 5);
            compare(years.currentIndex, 1);
            compare(neighbours(years).map(item => item.text).sort().join(" "), "2020 2022");
            compare(neighbours(column(selector, "monthTumbler")).map(item => item.text).sort().join(" "), "2 4");
            compare(neighbours(column(selector, "hoursTumbler")).map(item => item.text).sort().join(" "), "09 11");
            compare(neighbours(column(selector, "minutesTumbler")).map(item => item.text).sort().join(" "), "04 06");

            // A new Date turns every column.
            selector.currentTime = new Date(2019, 10, 3, 7, 0);
            compare(shown(selector), "2019 11 3 07 00");
            compare(column(selector, "dateTumbler").count, 30);
            compare(stamp(selector.currentTime), "2019 11 3 7 0");
        }

        function test_entriesFadeAndShrinkBesideTheMiddle() {
            const selector = createSelector(new Date(2020, 5, 15, 12, 30));
            shown(selector);
            for (const name of columnNames) {
                const tumbler = column(selector, name);
                const middle = tumbler.currentItem;
                compare(middle.opacity, 1, name);
                compare(middle.font.pointSize, 14, name);
                const dateColumn = name === "yearTumbler" || name === "monthTumbler";
                for (const item of neighbours(tumbler)) {
                    fuzzyCompare(item.opacity, dateColumn ? 0.4 : 1 / 3, 1e-6, name);
                    fuzzyCompare(item.font.pointSize, dateColumn ? 9.6 : 14 / 3 + 4, 0.01, name);
                }
            }
            // Colours are the selector's own.
            selector.selectedColor = "#00ff00";
            selector.defaultColor = "#0000ff";
            const hours = column(selector, "hoursTumbler");
            compare(String(hours.currentItem.color), "#00ff00");
            compare(String(neighbours(hours)[0].color), "#0000ff");
        }

        function test_dayCountFollowsYearAndMonth() {
            const selector = createSelector(new Date(2020, 1, 10, 8, 0));
            const years = column(selector, "yearTumbler");
            const months = column(selector, "monthTumbler");
            const days = column(selector, "dateTumbler");
            compare(days.count, 29);
            years.currentIndex = 3;
            compare(selector.currentTime.getFullYear(), 2019);
            compare(days.count, 28);
            years.currentIndex = 2;
            compare(selector.currentTime.getFullYear(), 2020);
            compare(days.count, 29);
            months.currentIndex = 3;
            compare(days.count, 30);
            months.currentIndex = 11;
            compare(days.count, 31);
            compare(stamp(selector.currentTime), "2020 12 10 8 0");
            days.currentIndex = 0;
            compare(selector.currentTime.getDate(), 1);
            days.currentIndex = 30;
            compare(selector.currentTime.getDate(), 31);
        }

        function test_dateColumnsNeverCarryIntoTheNextMonth() {
            const selector = createSelector(new Date(2020, 0, 31, 9, 15));
            const years = column(selector, "yearTumbler");
            const months = column(selector, "monthTumbler");
            const days = column(selector, "dateTumbler");
            compare(shown(selector), "2020 1 31 09 15");
            months.currentIndex = 1;
            compare(stamp(selector.currentTime), "2020 2 29 9 15");
            compare(days.count, 29);
            compare(days.currentIndex, 28);
            compare(shown(selector), "2020 2 29 09 15");

            years.currentIndex = 3;
            compare(stamp(selector.currentTime), "2019 2 28 9 15");
            compare(days.count, 28);
            compare(days.currentIndex, 27);
            compare(shown(selector), "2019 2 28 09 15");

            // 31 January 2019 to February gives the 28th.
            selector.currentTime = new Date(2019, 0, 31, 9, 15);
            compare(shown(selector), "2019 1 31 09 15");
            months.currentIndex = 1;
            compare(stamp(selector.currentTime), "2019 2 28 9 15");
            compare(days.currentIndex, 27);

            // 29 February 2020 to 2019 gives 28 February.
            selector.currentTime = new Date(2020, 1, 29, 9, 15);
            compare(shown(selector), "2020 2 29 09 15");
            years.currentIndex = 3;
            compare(stamp(selector.currentTime), "2019 2 28 9 15");
            compare(shown(selector), "2019 2 28 09 15");
        }

        function test_thirtyFirstStartsOnEntry31() {
            const selector = createSelector(new Date(2021, 6, 31, 23, 59));
            compare(shown(selector), "2021 7 31 23 59");
            compare(column(selector, "dateTumbler").count, 31);
            compare(stamp(selector.currentTime), "2021 7 31 23 59");
            selector.currentTime = new Date(2021, 8, 30, 0, 0);
            selector.currentTime = new Date(2021, 9, 31, 0, 0);
            compare(shown(selector), "2021 10 31 00 00");
            compare(stamp(selector.currentTime), "2021 10 31 0 0");
        }

        function test_yearOutsideTheListIsShownAndKept() {
            const now = new Date();
            const selector = createSelector();
            const years = column(selector, "yearTumbler");
            tryCompare(years, "moving", false, patience);
            compare(years.currentItem.text, String(now.getFullYear()));
            compare(selector.currentTime.getFullYear(), now.getFullYear());
            compare(selector.currentTime.getMonth(), now.getMonth());
            compare(selector.currentTime.getDate(), now.getDate());
            verify(years.count >= 5);

            selector.currentTime = new Date(2010, 4, 1, 6, 0);
            compare(shown(selector), "2010 5 1 06 00");
            compare(stamp(selector.currentTime), "2010 5 1 6 0");
            // The list only widens: 2018 and the newest year are still offered.
            compare(years.count, Math.max(2022, now.getFullYear()) - 2010 + 1);
            years.currentIndex = years.count - 1 - (2018 - 2010);
            compare(selector.currentTime.getFullYear(), 2018);
        }

        function test_hourAndMinuteChoicesReachTheTime() {
            const selector = createSelector(new Date(2021, 2, 15, 10, 5));
            shown(selector);
            column(selector, "hoursTumbler").currentIndex = 7;
            column(selector, "minutesTumbler").currentIndex = 0;
            compare(stamp(selector.currentTime), "2021 3 15 7 0");
            compare(shown(selector), "2021 3 15 07 00");

            // Turned by the pointer: dragging a column up by one entry picks the next one.
            const hours = column(selector, "hoursTumbler");
            const step = hours.availableHeight / hours.visibleItemCount;
            const x = hours.width / 2;
            const y = hours.height / 2;
            mousePress(hours, x, y);
            for (let moved = 4; moved <= step; moved += 4)
                mouseMove(hours, x, y - moved, 20);
            mouseMove(hours, x, y - step, 20);
            mouseRelease(hours, x, y - step, Qt.LeftButton, Qt.NoModifier, 200);
            tryCompare(hours, "moving", false, patience);
            compare(hours.currentIndex, 8);
            compare(selector.currentTime.getHours(), 8);
        }

        function test_formatText() {
            const selector = createSelector(new Date(2021, 2, 5, 3, 9));
            compare(selector.formatText(0), "00");
            compare(selector.formatText(9), "09");
            compare(selector.formatText(10), 10);
            compare(selector.formatText(59), 59);
            // Hours and minutes below 10 carry a leading zero, months and days none.
            compare(shown(selector), "2021 3 5 03 09");
        }
    }
}
