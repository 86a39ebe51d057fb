import QtQuick
import QtTest
import "qrc:/zelka/qml/HomePage/CameraTile" as CameraTile

// The texts of the pages' fields, drop-down lists, tabs and tool boxes in the main window
// as the screen the test runs on sizes it. CTest runs this file on 1920 x 1080 (ratio 1)
// and again on 1024 x 768, 960 x 540 and 960 x 522 (ratios 0.61, 0.57 and 0.55): each text
// lies whole inside its box and clear of the pictures beside it; at a ratio of 1 the boxes
// keep the paddings and sizes they always had.
ShellTestCase {
    id: testCase
    name: "SmallScreenTexts"

    readonly property bool fullSize: styleManager.scaleRatio >= 1

    // Menu types of the pages (see ShellTestCase.loaderNames).
    readonly property int realtimePage: 4
    readonly property int mapPage: 5
    readonly property int recordPage: 6
    readonly property int alarmPage: 7

    function pageOf(window, menuType) {
        switchTo(window, menuType);
        const page = loader(window, menuType).item;
        verify(page, "page " + menuType);
        return page;
    }

    // Every item under `item` named `name`, depth first.
    function allNamed(item, name) {
        let found = item.objectName === name ? [item] : [];
        for (let i = 0; i < item.children.length; ++i)
            found = found.concat(allNamed(item.children[i], name));
        return found;
    }

    function where(item) {
        return item.objectName + " " + item.width.toFixed(1) + "x" + item.height.toFixed(1) + " at ratio "
               + styleManager.scaleRatio.toFixed(4);
    }

    // A one-line field: its line fits between its paddings (a text input cuts off what
    // does not, from the bottom).
    function verifyField(field, text) {
        field.text = text;
        const room = field.height - field.topPadding - field.bottomPadding;
        verify(field.contentHeight > 0, where(field) + ": no line");
        verify(field.contentHeight <= room + 1e-9,
               where(field) + ": a line of " + field.contentHeight + " in " + room + " between paddings "
               + field.topPadding + " and " + field.bottomPadding);
        if (fullSize) {
            compare(field.topPadding, 5, where(field));
            compare(field.bottomPadding, 7, where(field));
        }
    }

    // A drop-down list opened: each entry it shows draws its one line, not elided.
    function verifyEntries(combo) {
        combo.popup.open();
        tryCompare(combo.popup, "height", combo.popup.actualHeight, patience);
        const list = combo.popup.contentItem;
        const shown = Math.min(combo.count, combo.maxDisplayRow);
        verify(shown > 0, where(combo));
        for (let i = 0; i < shown; ++i) {
            const row = list.itemAtIndex(i);
            verify(row, where(combo) + ": entry " + i);
            const text = row.contentItem;
            const what = where(combo) + ": entry " + i + " \"" + text.text + "\" in " + text.width.toFixed(1) + "x"
                         + text.height.toFixed(1);
            compare(text.lineCount, 1, what + " draws no line");
            verify(!text.truncated, what + " elided");
            if (fullSize) {
                compare(row.topPadding, 11, what);
                compare(row.bottomPadding, 13, what);
                compare(row.leftPadding, 12, what);
                compare(row.rightPadding, 12, what);
            }
        }
        combo.popup.close();
        tryCompare(combo.popup, "visible", false, patience);
    }

    // Where a text item draws its lines, vertically centred in its own box.
    function paintedTop(text) {
        return text.y + (text.height - text.contentHeight) / 2;
    }

    function test_textsWhole_data() {
        return [
            { tag: "carousel list", page: realtimePage, check: page => {
                const popup = findChild(page, "carouselSettingPopup");
                verify(popup);
                popup.open();
                tryCompare(popup, "opened", true, patience);
                verifyField(findChild(popup.contentItem, "searchEdit"), "东门入口");
                verifyField(findChild(popup.contentItem, "intervalEdit"), "30");
                verifyEntries(findChild(popup.contentItem, "statusComboBox"));
                popup.close();
                tryCompare(popup, "visible", false, patience);
            } },
            { tag: "alarm filters and page size", page: alarmPage, check: page => {
                verifyField(findChild(page, "searchEdit"), "34020000001310000103");
                verifyEntries(findChild(page, "alarmLevelComboBox"));
                verifyEntries(findChild(page, "alarmTypeComboBox"));
                verifyEntries(findChild(page, "pageSizeComboBox"));
            } },
            { tag: "record type tabs", page: recordPage, check: page => {
                for (const name of ["cloudTab", "deviceTab"]) {
                    const tab = findChild(page, name);
                    const text = tab.contentItem;
                    const top = paintedTop(text);
                    const below = tab.height - top - text.contentHeight;
                    const what = where(tab) + ": \"" + tab.text + "\" " + top.toFixed(1) + " from the top, "
                                 + below.toFixed(1) + " from the bottom";
                    verify(top >= 0 && below >= 0, what);
                    verify(Math.abs(top - below) <= 1, what + ", not centred");
                    if (fullSize) {
                        compare(tab.topPadding, 12, what);
                        compare(tab.bottomPadding, 12, what);
                    }
                }
            } },
            { tag: "record calendar", page: recordPage, check: page => {
                const calendar = findChild(page, "calendarPopup");
                calendar.open();
                tryCompare(calendar, "opened", true, patience);
                const body = calendar.contentItem;
                const inside = (item, x, y, w, h, what) => {
                    const box = item.mapToItem(body, x, y, w, h);
                    verify(box.x >= 0 && box.y >= 0 && box.x + box.width <= body.width + 1e-9
                           && box.y + box.height <= body.height + 1e-9,
                           what + " at " + box.x.toFixed(1) + "," + box.y.toFixed(1) + " " + box.width.toFixed(1) + "x"
                           + box.height.toFixed(1) + " in the calendar's " + body.width.toFixed(1) + "x"
                           + body.height.toFixed(1));
                };
                const names = allNamed(body, "weekdayName");
                compare(names.length, 7);
                if (fullSize) {
                    const row = findChild(body, "dayOfWeekRow");
                    compare(row.spacing, 6);
                    compare(row.topPadding, 6);
                    compare(row.bottomPadding, 6);
                }
                for (const name of names) {
                    const what = "\"" + name.text + "\" (" + name.contentWidth + "x" + name.contentHeight + ") in "
                                 + where(name);
                    verify(name.contentWidth <= name.width && name.contentHeight <= name.height, what);
                    inside(name, (name.width - name.contentWidth) / 2, paintedTop(name) - name.y,
                           name.contentWidth, name.contentHeight, what);
                    if (fullSize)
                        compare(name.font.pixelSize, 15, what);
                }
                const days = allNamed(body, "dayText").filter(day => day.visible);
                verify(days.length >= 28, days.length + " days");
                for (const day of days) {
                    const cell = day.parent;
                    const what = "day " + day.text + " (" + day.contentWidth + "x" + day.contentHeight + ") in "
                                 + where(cell);
                    verify(day.contentWidth <= cell.width && day.contentHeight <= cell.height, what);
                    inside(day, 0, 0, day.width, day.height, what);
                    if (fullSize)
                        compare(day.font.pixelSize, 15, what);
                }
                calendar.close();
                tryCompare(calendar, "visible", false, patience);
            } },
            { tag: "map type box", page: mapPage, check: page => {
                const bar = findChild(page, "typeBar");
                const box = findChild(bar, "streetCheckBox");
                const caption = findChild(box, "caption");
                const mark = findChild(box, "mark");
                const left = caption.mapToItem(bar, 0, 0).x;
                const right = left + caption.contentWidth;
                const pictures = findChild(bar, "defaultButton").mapToItem(bar, 0, 0).x;
                const what = where(box) + ": \"" + caption.text + "\" from " + left.toFixed(1) + " to " + right.toFixed(1)
                             + ", the mark to " + mark.mapToItem(bar, mark.width, 0).x.toFixed(1)
                             + ", the pictures from " + pictures.toFixed(1);
                verify(right <= pictures, what);
                verify(mark.mapToItem(bar, mark.width, 0).x <= left, what);
                verify(caption.contentHeight <= bar.height, what);
                if (fullSize) {
                    compare(mark.width, 16, what);
                    compare(mark.height, 16, what);
                    compare(caption.x, 24, what);
                    compare(box.width - caption.x - caption.width, 8, what);
                }
            } }
        ];
    }

    Component {
        id: wideBarComponent

        CameraTile.WideToolBar {
            readonly property color textColor: "white"

            host: QtObject {
                readonly property var __actionKeys: ["CloseVideo", "Talking", "Videotape", "Capture", "Proportion",
                                                     "VideoInfo"]
                readonly property bool isTalking: false
                readonly property Timer exitTimer: Timer { property bool held: false }

                function __actionText(index) {
                    return ["关闭视频", "开启对讲", "录制视频", "抓取快照", "原始比例", "视频信息"][index];
                }
            }
        }
    }

    // The wide tool bar's captions, each under its button, stay clear of one another: in
    // the default font whatever the ratio, they ran into each other below about 0.6.
    function test_wideBarCaptionsApart() {
        const bar = createTemporaryObject(wideBarComponent, testCase);
        verify(bar);
        const captions = [];
        for (let i = 0; i < 6; ++i)
            captions.push(findChild(findChild(bar, "wideButton" + i), "caption"));
        for (let i = 0; i + 1 < captions.length; ++i) {
            const end = captions[i].mapToItem(bar, captions[i].contentWidth, 0).x;
            const next = captions[i + 1].mapToItem(bar, 0, 0).x;
            verify(end <= next, "\"" + captions[i].text + "\" to " + end.toFixed(1) + ", \"" + captions[i + 1].text
                   + "\" from " + next.toFixed(1) + " at ratio " + styleManager.scaleRatio.toFixed(4));
        }
        if (fullSize)
            compare(captions[0].font.pointSize, Qt.application.font.pointSize);
    }

    function test_textsWhole(data) {
        const window = openHomeWindow();
        data.check(pageOf(window, data.page));
    }
}
