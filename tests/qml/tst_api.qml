import QtQuick
import QtTest
import "qrc:/zelka/qml/Api/api.js" as Api

// The JavaScript helpers: calendar and clock texts, colour alpha, geometry and the
// coordinate shifts against published reference points.
TestCase {
    id: testCase
    name: "Api"

    // Metres per degree on the GCJ-02 ellipsoid, enough to judge round trips in metres.
    function metresBetween(p, q) {
        const metresPerDegree = Math.PI * Api.a / 180;
        const dLat = (p[0] - q[0]) * metresPerDegree;
        const dLon = (p[1] - q[1]) * metresPerDegree * Math.cos(p[0] * Math.PI / 180);
        return Math.sqrt(dLat * dLat + dLon * dLon);
    }

    function compareCoord(actual, expected, tolerance, what) {
        verify(Math.abs(actual[0] - expected[0]) <= tolerance,
               what + ": latitude " + actual[0] + " is not " + expected[0]);
        verify(Math.abs(actual[1] - expected[1]) <= tolerance,
               what + ": longitude " + actual[1] + " is not " + expected[1]);
    }

    function test_daysPerMonth_data() {
        return [
            { tag: "leap February", year: 2024, month: 1, days: 29 },
            { tag: "common February", year: 2023, month: 1, days: 28 },
            { tag: "century not leap", year: 1900, month: 1, days: 28 },
            { tag: "four hundred leap", year: 2000, month: 1, days: 29 },
            { tag: "January", year: 2023, month: 0, days: 31 },
            { tag: "April", year: 2023, month: 3, days: 30 },
            { tag: "December", year: 2024, month: 11, days: 31 }
        ];
    }

    function test_daysPerMonth(data) {
        compare(Api.getMonthDayTotal(data.year, data.month), data.days);
    }

    function test_padding() {
        compare(Api.getFull(0), "00");
        compare(Api.getFull(7), "07");
        compare(Api.getFull(10), "10");
        compare(Api.getFull(12), "12");
        compare(Api.getFullDate(2024, 3, 7), "20240307");
        compare(Api.getFullTime(9, 5, 30), "090530");
    }

    function test_stringToVec2() {
        compare(Api.stringToVec2("(1.5,2)"), Qt.vector2d(1.5, 2));
        compare(Api.stringToVec2("(3,4)"), Qt.vector2d(3, 4));
        compare(Api.stringToVec2("1,2,3"), Qt.vector2d(0, 0));
        compare(Api.stringToVec2("5"), Qt.vector2d(0, 0));
    }

    function test_colorOpacity() {
        compare(Api.setColorOpacity("#157595", 0.4), "#66157595");
        compare(Api.setColorOpacity("#ffc000", 0.5), "#7fffc000");
        compare(Api.setColorOpacity("#80ffffff", 0), "#00ffffff");
        compare(Api.setColorOpacity("#ffc000", 1.0), "#ffffc000");
        compare(Api.setColorOpacity("#ffc000", 0.05), "#0cffc000");
        compare(Api.setColorOpacity("#ffc000", -1), "#00ffc000");
        compare(Api.setColorOpacity("transparent", 0.5), "#7f000000");
        compare(Api.setColorOpacity("red", 0.5), "red");
        // A colour value, not a text, is read through its text form.
        compare(Api.setColorOpacity(Qt.color("#157595"), 0.4), "#66157595");

        compare(Api.getColorOpacity("#66157595"), 102 / 255);
        compare(Api.getColorOpacity("#157595"), 1.0);
        compare(Api.getColorOpacity("transparent"), 0);
        compare(Api.getColorNoOpacity("#66157595"), "#157595");
        compare(Api.getColorNoOpacity("#157595"), "#157595");
        compare(Api.getColorNoOpacity("transparent"), "#000000");
    }

    function test_pointDistance() {
        compare(Api.pointDistance(Qt.point(0, 0), Qt.point(3, 4)), 5);
        compare(Api.pointDistance({ x: -1, y: 2 }, { x: -1, y: 2 }), 0);
    }

    function test_chinaBox() {
        verify(Api.isInChinaBbox(39.9, 116.4));
        verify(Api.isInChinaBbox(0.8293, 72.004), "the south-west corner is inside");
        verify(Api.isInChinaBbox(55.8271, 137.8347), "the north-east corner is inside");
        verify(!Api.isInChinaBbox(10.0, 60.0));
        verify(!Api.isInChinaBbox(60.0, 116.0));
        verify(!Api.isInChinaBbox(0.8292, 100));
    }

    function test_wgsToGcj() {
        compareCoord(Api.wgs84Togcj02([39.9, 116.4]), [39.901403530, 116.406242785], 1e-8, "Beijing");
        compare(Api.wgs84Togcj02([10.0, 60.0]), [10.0, 60.0]);
        compare(Api.wgs84Togcj02([60.0, 116.0]), [60.0, 116.0]);
        const edge = Api.wgs84Togcj02([0.8293, 72.004]);
        verify(edge[0] !== 0.8293 || edge[1] !== 72.004, "a point on the box edge is shifted");
    }

    function test_gcjToWgs() {
        compareCoord(Api.gcj02Towgs84([39.9, 116.4]), [39.898598066, 116.393758824], 1e-8, "Beijing");
        compare(Api.gcj02Towgs84([60.0, 116.0]), [60.0, 116.0]);
    }

    function test_roundTripWithinAMetre_data() {
        return [
            { tag: "Beijing", point: [39.9, 116.4] },
            { tag: "Shanghai", point: [31.2304, 121.4737] },
            { tag: "Guangzhou", point: [23.1291, 113.2644] },
            { tag: "Urumqi", point: [43.8256, 87.6168] },
            { tag: "Harbin", point: [45.8038, 126.5349] },
            { tag: "Lhasa", point: [29.65, 91.1] }
        ];
    }

    function test_roundTripWithinAMetre(data) {
        const there = Api.wgs84Togcj02(data.point);
        verify(metresBetween(there, data.point) > 100, "the shift is hundreds of metres");
        const back = Api.gcj02Towgs84(there);
        verify(metresBetween(back, data.point) < 1, "round trip off by " + metresBetween(back, data.point) + " m");
    }

    // Just inside the west and south edges a corrected guess leaves the box, where the
    // forward shift does nothing; the inverse must still end, with its best guess.
    function test_inverseEndsNearTheEdges_data() {
        const rows = [];
        for (let i = 0; i <= 20; ++i) {
            rows.push({ tag: "west " + i, point: [30 + i, 72.004 + i * 0.0005] });
            rows.push({ tag: "south " + i, point: [0.8293 + i * 0.0005, 100 + i] });
        }
        return rows;
    }

    function test_inverseEndsNearTheEdges(data) {
        const result = Api.gcj02Towgs84(data.point);
        verify(isFinite(result[0]) && isFinite(result[1]));
        // Whatever it returns lies within the size of one shift of the input.
        verify(metresBetween(result, data.point) < 1500, "result strayed " + metresBetween(result, data.point) + " m");
    }

    function test_inverseAlternationIsReachedAndBounded() {
        // Some edge point must actually hit the alternation, or the bound goes untested.
        let alternating = 0;
        for (let i = 0; i <= 200; ++i) {
            const p = [35, 72.004 + i * 0.00005];
            const back = Api.wgs84Togcj02(Api.gcj02Towgs84(p));
            if (Math.abs(back[0] - p[0]) > 1e-6 || Math.abs(back[1] - p[1]) > 1e-6)
                ++alternating;
        }
        verify(alternating > 0, "no edge point needed the bound");
    }

    function test_baidu() {
        const bd = Api.gcj02Tobd09([39.9, 116.4]);
        compareCoord(bd, [39.906349200, 116.406380299], 1e-8, "to BD-09");
        compareCoord(Api.bd09Togcj02(bd), [39.9, 116.4], 4e-7, "back to GCJ-02");
    }
}
