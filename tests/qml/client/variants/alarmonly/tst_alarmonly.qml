import QtQuick
import QtTest
import "../.."

// Only the alarm page switched on: one menu entry, current right after start, and the
// first switch brings the alarm page in from the empty home loader.
ShellTestCase {
    name: "AlarmQueryOnly"

    function test_oneEntryCurrentAtOnce() {
        const window = openHomeWindow();
        const homeMenu = menu(window);
        compare(homeMenu.currentMenu, 7);
        const items = entries(window);
        compare(items.length, 1);
        compare(part(window, "menuList").model.get(0).menuName, "告警查询");
        compare(items[0].stateName, "Pressed");
        compare(String(items[0].picture.source), styleManager.style.image("Home-AlarmQuery-Pressed"));
        compare(homeMenu.height, 40 * s + 2 * homeMenu.radius);

        compare(visibleLoaders(window), ["alarmQueryLoader"]);
        const alarms = loader(window, 7);
        compare(alarms.width, part(window, "contentLayer").width);
        compare(alarms.item.isCurrent, true);
        for (const type of [2, 3, 4, 5, 6]) {
            compare(loader(window, type).active, false);
            compare(loader(window, type).item, null);
        }
        // Its own entry again changes nothing.
        mouseClick(items[0]);
        compare(part(window, "switchAnimation").running, false);
        compare(visibleLoaders(window), ["alarmQueryLoader"]);
        // The home loader was the old side of the first switch and stays hidden.
        compare(loader(window, 2).visible, false);
        compare(loader(window, 2).width, 0);
    }
}
