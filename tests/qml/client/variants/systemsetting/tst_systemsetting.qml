import QtQuick
import QtTest
import "../.."

// The system-setting entry switched on: it shows gear pictures of the client's own (the
// style file has none), and choosing it completes a running switch and keeps the page
// shown. "VideoSquare=true:false" counts as switched on.
ShellTestCase {
    name: "SystemSetting"

    function test_settingEntryKeepsThePageShown() {
        const window = openHomeWindow();
        const items = entries(window);
        compare(items.length, 3);
        const list = part(window, "menuList");
        compare(list.model.get(1).menuType, 3);
        compare(list.model.get(2).menuType, 8);
        compare(list.model.get(2).menuName, "系统设置");
        compare(list.model.get(2).menuIcon, "Home-SystemSet-");
        const gear = items[2];
        compare(String(gear.picture.source), "qrc:/zelka/res/img/homepage/system_set_default@2x.png");
        compare(gear.picture.status, Image.Ready);
        mouseMove(gear, gear.width / 2, gear.height / 2);
        tryCompare(gear, "stateName", "Hovered", patience);
        compare(String(gear.picture.source), "qrc:/zelka/res/img/homepage/system_set_move@2x.png");
        compare(gear.picture.status, Image.Ready);

        // Chosen while the video square slides in: that switch completes at once, and the
        // video square stays.
        const animation = part(window, "switchAnimation");
        mouseClick(items[1]);
        verify(animation.running);
        mouseClick(gear);
        compare(menu(window).currentMenu, 8);
        compare(animation.running, false);
        compare(visibleLoaders(window), ["videoSquareLoader"]);
        compare(loader(window, 3).width, part(window, "contentLayer").width);
        compare(String(gear.picture.source), "qrc:/zelka/res/img/homepage/system_set_click@2x.png");
        compare(gear.picture.status, Image.Ready);
        // And on from there to another page as usual.
        switchTo(window, 2);
        compare(visibleLoaders(window), ["homeLoader"]);
    }
}
