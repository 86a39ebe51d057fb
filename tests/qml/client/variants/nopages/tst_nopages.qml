import QtQuick
import QtTest
import "../.."

// Nothing optional beside the executable. Without ui_config.ini every page counts as
// switched off: the window shows its title, an empty menu strip and the title-bar
// controls, and no switch ever runs. Without the background picture the window stays
// transparent.
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

    function test_noBackgroundPictureLeavesTheWindowTransparent() {
        ignoreWarning(/background\/home\.png/);
        const window = openHomeWindow();
        const background = part(window, "background");
        compare(background.status, Image.Error);
        compare(String(background.source), "file:///" + qmlApi.getApplicationDir() + "/background/home.png");
        compare(window.color, Qt.rgba(0, 0, 0, 0));
        verify(part(window, "titleText").visible);
    }
}
