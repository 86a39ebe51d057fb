import QtQuick
import QtTest
import "qrc:/zelka/qml/RealtimeRetrieval/layoutgeometry.js" as Geometry
import "qrc:/zelka/qml/RealtimeRetrieval/carousel.js" as Carousel
import "qrc:/zelka/qml/Widgets/paging.js" as Paging

// The rules behind the camera layouts, the carousel and the paged lists, with the
// numbers the screens depend on.
TestCase {
    name: "CarouselRules"

    readonly property var size: ({width: 1001, height: 601, buttonWidth: 32, buttonHeight: 32})

    function test_geometryOfTheLayouts() {
        // 1001 px in 4 columns: (1001 - 3) / 4 = 249.5, rounded half up to 250.
        const four = Geometry.layoutRecords({count: 4, rows: 2, columns: 4, average: true}, size, 144);
        compare(four.length, 144);
        compare(four[0].width, 250);
        compare(four[0].height, 300);
        compare(four[0].layoutWidth, 7);
        compare(four[0].layoutHeight, 16);
        compare(four[3].visible, true);
        compare(four[4], {visible: false, width: 0, height: 0, layoutWidth: 0, layoutHeight: 0,
                          rowSpan: 1, columnSpan: 1, fillWidth: false, fillHeight: false});
        compare(four[143].visible, false);

        // "average" true never reads the items, even broken ones.
        const average = Geometry.layoutRecords({count: 4, rows: 2, columns: 2, average: true,
                                                items: [{rowSpan: 2, columnSpan: 2}]}, size, 144);
        compare(average[0].rowSpan, 1);
        compare(average[0].width, 500);
        compare(average.filter(r => r.visible).length, 4);

        // A span over all columns takes the whole width, not 3 rounded shares and spacing.
        const spans = Geometry.layoutRecords({count: 5, rows: 3, columns: 3, items: [
            {rowSpan: 1, columnSpan: 3, fillWidth: true},
            {rowSpan: 2, columnSpan: 2},
            {rowSpan: 3, columnSpan: 1, fillHeight: true}]}, {width: 1000, height: 700, buttonWidth: 32, buttonHeight: 32}, 144);
        compare(spans[0].width, 1000, "not 333 * 3 + 2");
        compare(spans[0].layoutWidth, 32);
        compare(spans[0].height, 233);
        compare(spans[0].fillWidth, true);
        compare(spans[0].fillHeight, false);
        compare(spans[1].width, 333 * 2 + 1);
        compare(spans[1].height, 233 * 2 + 1);
        compare(spans[1].layoutWidth, 10 * 2 + 1);
        compare(spans[2].height, 700, "a span over all rows takes the whole height");
        compare(spans[2].layoutHeight, 32);
        compare(spans[2].fillHeight, true);
        compare([spans[3].visible, spans[3].rowSpan, spans[3].width], [true, 1, 333], "plain cells after the items");
        compare(spans[4].visible, true);
        compare(spans[5].visible, false);

        // Items past "count" are not read.
        const fewer = Geometry.layoutRecords({count: 1, rows: 1, columns: 2, items: [{rowSpan: 1, columnSpan: 1},
                                              {rowSpan: 1, columnSpan: 2}]}, size, 144);
        compare(fewer.filter(r => r.visible).length, 1);
        compare(fewer.length, 144);

        compare(Geometry.nextCell(3, 4), 0);
        compare(Geometry.nextCell(2, 4), 3);
        compare(Geometry.nextCell(10, 4), 0, "a pick in a hidden cell moves to cell 0");
    }

    function test_badLayoutFiles() {
        const file = "/opt/x/config/layout.json";
        const good = {name: "4", count: 4, rows: 2, columns: 2, average: true};
        function problemsOf(value) {
            const parsed = Geometry.parseLayouts(typeof value === "string" ? value : JSON.stringify(value), file, 144);
            for (const problem of parsed.problems)
                verify(problem.startsWith(file + ": "), "names the file: " + problem);
            return parsed;
        }
        let parsed = problemsOf("");
        compare(parsed.layouts, []);
        compare(parsed.problems.length, 1);
        verify(parsed.problems[0].includes("missing"));
        parsed = problemsOf("[{\"count\": 4,");
        compare(parsed.layouts, []);
        verify(parsed.problems[0].includes("not valid JSON"));
        parsed = problemsOf({layouts: [good]});
        compare(parsed.layouts, []);
        compare(parsed.problems, [file + ": not a JSON array of layouts"]);

        const bad = [
            [{count: 0, rows: 1, columns: 1, average: true}, "\"count\" outside 1..144"],
            [{count: 145, rows: 12, columns: 13, average: true}, "\"count\" outside 1..144"],
            [{count: "4", rows: 2, columns: 2, average: true}, "\"count\" outside 1..144"],
            [{count: 4, rows: 0, columns: 2, average: true}, "\"rows\""],
            [{count: 4, rows: 2, columns: -1, average: true}, "\"columns\""],
            [{count: 4, rows: 2, columns: 2}, "neither \"average\" true nor an \"items\" array"],
            [{count: 4, rows: 2, columns: 2, average: "true", items: {}}, "neither"],
            [{count: 4, rows: 2, columns: 2, items: [{rowSpan: 0, columnSpan: 1}]}, "\"rowSpan\""],
            [{count: 4, rows: 2, columns: 2, items: [{rowSpan: 1}]}, "\"columnSpan\""],
            ["4 cells", "not an object"]
        ];
        for (const [layout, reason] of bad) {
            parsed = problemsOf([good, layout, good]);
            compare(parsed.layouts.length, 2, JSON.stringify(layout) + " is skipped, the others kept");
            compare(parsed.problems.length, 1);
            verify(parsed.problems[0].includes("layout 1 skipped: ") && parsed.problems[0].includes(reason),
                   parsed.problems[0]);
            const records = Geometry.allLayoutRecords(parsed.layouts, size, 144);
            verify(records.every(list => list.every(r => !isNaN(r.width) && !isNaN(r.height))), "no NaN size");
        }
    }

    function test_intervalAndRotation() {
        compare(Carousel.clampInterval("12", 60), 30);
        compare(Carousel.clampInterval("40000", 60), 36000);
        compare(Carousel.clampInterval("36000", 60), 36000);
        compare(Carousel.clampInterval("45", 60), 45);
        compare(Carousel.clampInterval("", 60), 60, "no number: the stored interval");
        compare(Carousel.clampInterval("+", 60), 60);
        compare(Carousel.clampInterval("", 5), 30, "a stored interval out of bounds is clamped too");
        compare(Carousel.clampInterval("", 99999), 36000);
        compare(Carousel.clampInterval("", undefined), 30);

        const ids = ["a", "b", "c", "d", "e"];
        let at = 0;
        const ticks = [];
        for (let tick = 0; tick < 4; ++tick) {
            const taken = Carousel.take(ids, 4, at);
            ticks.push(taken.ids.join(" "));
            at = taken.index;
        }
        compare(ticks, ["a b c d", "e a b c", "d e a b", "c d e a"]);
        compare(Carousel.take(["a", "b", "c"], 4, 0).ids, ["a", "b", "c"]);
        compare(Carousel.take(["a", "b", "c"], 4, 2).ids, ["c", "a", "b"]);
        compare(Carousel.take(ids, 0, 3), {ids: [], index: 3});
        compare(Carousel.take([], 4, 0).ids, []);
    }

    function test_selection() {
        let selection = [];
        for (const id of [7, 3, 10])
            selection = Carousel.withId(selection, id);
        compare(selection, [3, 7, 10], "by number, not as texts");
        compare(Carousel.withId(selection, 3), null);
        const without = Carousel.withoutId(selection, 7);
        compare(without, [3, 10]);
        compare(selection, [3, 7, 10], "the old list is left alone");
        compare(Carousel.withoutId(without, 7), null);

        const copied = Carousel.copyIds([5, "6"]);
        compare(copied, [5, 6]);
        compare(Carousel.rowsOf([{Parental: 0, DevID: 1, ChannelID: 101, Name: "a", DevName: "d", Online: 1, X: 1},
                                 {Parental: 1, ChannelID: 103}, {Parental: "0", ChannelID: 104}, {ChannelID: 105}]),
                [{DevID: 1, ChannelID: 101, Name: "a", DevName: "d", Online: 1}]);
        compare(Carousel.tileRecord({Name: "n", ParentDeviceID: 2, ChannelID: 201, DevName: "x"}),
                {name: "n", parentDeviceID: 2, channelID: 201, snapUrl: ""});
    }

    function test_paging() {
        compare(Paging.pageCount(0, 10), 0);
        compare(Paging.pageCount(25, 10), 3);
        compare(Paging.pageText(0, 0), "当前页: 1 / 0");
        compare(Paging.countText(8, 11), "当前页: 8 条 / 总 11 条");
        compare(Paging.previous(0), {message: "已经是第一页!"});
        compare(Paging.previous(2), {page: 1});
        compare(Paging.next(0, 0), {message: "已经是最后一页!"});
        compare(Paging.next(2, 3), {message: "已经是最后一页!"});
        compare(Paging.next(1, 3), {page: 2});
        compare(Paging.goTo("1", 0), {message: "无法跳转!"});
        compare(Paging.goTo("3", 3), {page: 2});
        compare(Paging.goTo("4", 3), {message: "无法跳转!"});
        compare(Paging.goTo("0", 3), {message: "无法跳转!"});
        compare(Paging.goTo("", 3), {message: "无法跳转!"});
    }
}
