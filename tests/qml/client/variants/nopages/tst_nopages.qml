import QtQuick
import QtTest
import "../.."

// No ui_config.ini beside the executable: every page counts as switched off. The window
// shows its title, an empty menu strip and the title-bar controls; no switch ever runs.
ShellTestCase {
    name: "NoPages"

    function test_emptyMenuAndNoPage() {
        verify(!styleManager.interface.visible("Home"));
        const window = openHomeWindow();
        const homeMenu = menu(window);
        compare(entries(window).length, 0);
        compare(homeMenu.currentMenu, 1);
        compare(homeMenu.width, 70 * s);
        compare(homeMenu.height, 2 * homeMenu.radius);
        compare(visibleLoaders(window), []);
        for (const type of [2, 3, 4, 5, 6, 7])
            compare(loader(window, type).item, null);
        compare(part(window, "switchAnimation").running, false);
        compare(part(window, "titleText").text, "Zelka视频监控平台(测试)");
        verify(part(window, "controlButtons").visible);
        // Choosing from code finds nothing to choose.
        homeMenu.setCurrentMenu(2);
        compare(homeMenu.currentMenu, 1);
        compare(testServer.requests("/api/v1/devices").length, 1);
    }
}
