import QtQuick
import QtTest

// The main window with the installed page switches (every page on, the system setting
// off): where it opens, its menu, the page switches and the menu's tint.
ShellTestCase {
    id: testCase
    name: "HomeWindow"

    readonly property var pageTypes: [2, 3, 4, 5, 6, 7]

    SignalSpy {
        id: menuChanges
        signalName: "currentMenuChanged"
    }

    function test_opensCentredAtItsMinimumAndAsksForDevicesOnce() {
        const window = openHomeWindow();
        const available = qmlApi.primaryScreen.availableGeometry;
        // Window sizes and places are whole pixels: the scaled values are cut. A screen
        // too small for the window bounds it.
        const width = Math.trunc(Math.min(1688 * s, available.width));
        const height = Math.trunc(Math.min(950 * s, available.height));
        compare(window.width, width);
        compare(window.height, height);
        compare(window.minimumWidth, width);
        compare(window.minimumHeight, height);
        compare(window.x, available.x + Math.trunc((available.width - window.width) * 0.5));
        compare(window.y, available.y + Math.trunc((available.height - window.height) * 0.5));
        verify(window.x >= available.x && window.x + window.width <= available.x + available.width,
               "the window fits the screen's width: " + window.x + " + " + window.width);
        verify(window.y >= available.y && window.y + window.height <= available.y + available.height,
               "the window fits the screen's height: " + window.y + " + " + window.height);
        compare(window.title, "Zelka视频监控平台(测试)");
        compare(part(window, "titleText").text, "Zelka视频监控平台(测试)");
        verify(window.visible);
        compare(window.captionArea, captionArea(window));
        compare(part(window, "background").status, Image.Ready, "the picture beside the runner");

        // Fixed once: a larger window keeps its place.
        const x = window.x;
        window.width = window.width + 100;
        compare(window.x, x);

        // One device list, asked with the login token.
        const devices = testServer.requests("/api/v1/devices");
        compare(devices.length, 1);
        compare(devices[0].items.start, "0");
        compare(devices[0].items.limit, "9999");
        const token = devices[0].headers.token;
        verify(token && token.length > 0, "no token header");
        compare(testServer.requests("/api/v1/getuserinfo")[0].headers.token, token);
    }

    function test_menuHasOneEntryPerPageAndPicturesByState() {
        const window = openHomeWindow();
        const homeMenu = menu(window);
        compare(homeMenu.width, 70 * s);
        compare(homeMenu.radius, 10 * s);
        verify(homeMenu.dark);
        compare(homeMenu.color, styleManager.style.color("Home-Menu-Background"));
        const items = entries(window);
        compare(items.length, 6);
        const list = part(window, "menuList");
        compare(list.model.count, 6);
        const names = ["首页", "视频广场", "实时调阅", "电子地图", "录像管理", "告警查询"];
        const icons = ["Home-Home-", "Home-VideoSquare-", "Home-RealtimeRetrieval-", "Home-ElectronicMap-",
                       "Home-RecordManage-", "Home-AlarmQuery-"];
        for (let i = 0; i < 6; ++i) {
            compare(list.model.get(i).menuType, pageTypes[i]);
            compare(list.model.get(i).menuName, names[i]);
            compare(list.model.get(i).menuIcon, icons[i]);
        }
        compare(homeMenu.height, list.height + 2 * homeMenu.radius);
        compare(list.height, 6 * 40 * s + 5 * 16 * s);

        // The current entry shows its pressed picture, larger; the others their normal one.
        compare(homeMenu.currentMenu, 2);
        compare(items[0].stateName, "Pressed");
        compare(items[0].picture.width, 76 * s);
        compare(String(items[0].picture.source), styleManager.style.image("Home-Home-Pressed"));
        compare(items[1].stateName, "Normal");
        compare(items[1].picture.width, 40 * s);
        compare(String(items[1].picture.source), styleManager.style.image("Home-VideoSquare-Normal"));
        for (const item of items)
            compare(item.picture.status, Image.Ready);

        // Hovered shows the hovered picture and the name; held, the pressed one; leaving
        // with the button held gives the normal picture again and selects nothing.
        mouseMove(items[1], items[1].width / 2, items[1].height / 2);
        tryCompare(items[1], "stateName", "Hovered", patience);
        compare(String(items[1].picture.source), styleManager.style.image("Home-VideoSquare-Hovered"));
        const tip = findChild(items[1], "menuToolTip");
        tryCompare(tip, "visible", true, patience);
        compare(tip.text, "视频广场");
        mousePress(items[1], items[1].width / 2, items[1].height / 2);
        compare(items[1].stateName, "Pressed");
        compare(items[1].picture.width, 76 * s);
        mouseMove(items[1], items[1].width / 2, items[1].height * 3);
        tryCompare(items[1], "stateName", "Normal", patience);
        compare(items[1].pressed, false);
        mouseRelease(items[1], items[1].width / 2, items[1].height * 3);
        compare(homeMenu.currentMenu, 2);
        compare(tip.visible, false);

        // The current entry stays pressed whatever the pointer does.
        mouseMove(items[0], items[0].width / 2, items[0].height / 2);
        compare(items[0].stateName, "Pressed");
    }

    function test_firstPageIsHomeAtFullWidth() {
        const window = openHomeWindow();
        const layer = part(window, "contentLayer");
        compare(layer.y, 46 * s);
        compare(visibleLoaders(window), ["homeLoader"]);
        const home = loader(window, 2);
        compare(home.width, layer.width);
        compare(home.x, 0);
        compare(home.item.isCurrent, true);
        // Every switched-on page is built up front and waits hidden.
        for (const type of pageTypes)
            verify(loader(window, type).item, loaderNames[type] + " has no page");
        compare(loader(window, 5).item.isCurrent, false);
        compare(loader(window, 7).item.isCurrent, false);
        compare(layer.currentContent, home);
        // The width follows the window again.
        window.width = window.width + 60;
        compare(home.width, layer.width);
    }

    // The old page narrows toward the left edge while the new one widens from the right;
    // the flags of the pages follow their visibility.
    function test_switchSlidesAndFlagsFollowVisibility() {
        const window = openHomeWindow();
        const layer = part(window, "contentLayer");
        const animation = part(window, "switchAnimation");
        const home = loader(window, 2);
        const alarms = loader(window, 7);
        let sumsSeen = 0;
        let widestGap = 0;
        mouseClick(entryFor(window, 7));
        compare(animation.running, true);
        compare(alarms.visible, true);
        compare(alarms.item.isCurrent, true, "true from the start of the slide-in");
        compare(home.item.isCurrent, true, "still shown while it slides out");
        while (animation.running) {
            widestGap = Math.max(widestGap, Math.abs(home.width + alarms.width - layer.width));
            verify(home.x === 0, "the old page keeps its left edge");
            verify(Math.abs(alarms.x + alarms.width - layer.width) < 0.5, "the new page keeps its right edge");
            ++sumsSeen;
            wait(20);
        }
        verify(sumsSeen > 0);
        verify(widestGap < 0.5, "the two widths fill the layer: off by " + widestGap);
        compare(visibleLoaders(window), ["alarmQueryLoader"]);
        compare(home.width, 0);
        compare(home.item.isCurrent, false);
        compare(alarms.item.isCurrent, true);
        compare(alarms.width, layer.width);
        compare(layer.currentContent, alarms);

        // A page switched away from keeps width 0 until a switch brings it back.
        window.width = window.width + 40;
        compare(home.width, 0);
        compare(alarms.width, layer.width);
        switchTo(window, 2);
        compare(visibleLoaders(window), ["homeLoader"]);
        compare(home.width, layer.width);
        compare(home.item.isCurrent, true);
        compare(alarms.item.isCurrent, false);
        compare(loader(window, 5).item.isCurrent, false);
    }

    // A choice while a switch runs completes it first: never more than two pages shown.
    function test_choiceDuringASwitchCompletesIt() {
        const window = openHomeWindow();
        const layer = part(window, "contentLayer");
        const animation = part(window, "switchAnimation");
        mouseClick(entryFor(window, 3));
        verify(animation.running);
        compare(visibleLoaders(window).length, 2);
        mouseClick(entryFor(window, 6));
        verify(animation.running, "a new switch from the completed page");
        compare(loader(window, 2).visible, false);
        compare(loader(window, 2).width, 0);
        compare(visibleLoaders(window), ["videoSquareLoader", "recordManageLoader"]);
        compare(layer.currentContent, loader(window, 3));
        compare(layer.nextContent, loader(window, 6));
        tryCompare(animation, "running", false, patience);
        compare(visibleLoaders(window), ["recordManageLoader"]);
        compare(loader(window, 3).width, 0);
        compare(loader(window, 6).width, layer.width);
    }

    function test_currentEntryAgainStartsNothing() {
        const window = openHomeWindow();
        const homeMenu = menu(window);
        const changes = menuChanges;
        changes.clear();
        changes.target = homeMenu;
        mouseClick(entryFor(window, 2));
        compare(changes.count, 0);
        compare(part(window, "switchAnimation").running, false);
        compare(visibleLoaders(window), ["homeLoader"]);
        // Choosing from code goes through the list like a click; a missing page changes nothing.
        homeMenu.setCurrentMenu(8);
        compare(changes.count, 0);
        homeMenu.setCurrentMenu(4);
        compare(homeMenu.currentMenu, 4);
        tryCompare(part(window, "switchAnimation"), "running", false, patience);
        compare(visibleLoaders(window), ["realtimeRetrievalLoader"]);
    }

    // The menu is light only while the map page shows the default map (type 0).
    function test_menuTintFollowsTheMapType() {
        const window = openHomeWindow();
        const homeMenu = menu(window);
        const map = loader(window, 5).item;
        compare(map.type, 1);
        switchTo(window, 5);
        verify(homeMenu.dark, "satellite map: dark");
        map.type = 0;
        compare(homeMenu.dark, false);
        compare(homeMenu.color, "#50222222");
        map.type = 1;
        compare(homeMenu.dark, true);
        map.type = 0;

        // Leaving: light until the map has slid out.
        mouseClick(entryFor(window, 6));
        compare(homeMenu.dark, false);
        tryCompare(part(window, "switchAnimation"), "running", false, patience);
        compare(homeMenu.dark, true);

        // Coming back with type 0: light from the start of the slide-in.
        mouseClick(entryFor(window, 5));
        compare(homeMenu.dark, false);
        tryCompare(part(window, "switchAnimation"), "running", false, patience);
        // The type changes elsewhere while the map is hidden keep the menu dark.
        switchTo(window, 2);
        map.type = 1;
        map.type = 0;
        compare(homeMenu.dark, true);
    }

    // The home page shows its own tree in a panel above its neighbours; the video square
    // holds the side panel, whose tree is the other component of the same name.
    function test_pagesHoldTheirTrees() {
        const window = openHomeWindow();
        const home = loader(window, 2).item;
        const homeTree = findChild(home, "deviceListView");
        verify(homeTree);
        compare(homeTree.toolTipAlign, Qt.AlignRight);
        compare(findChild(home, "deviceListPanel").z, 10);
        const square = loader(window, 3).item;
        const panel = findChild(square, "deviceManageView");
        verify(panel);
        compare(panel.x + panel.width, square.width, "at the right edge");
        compare(panel.height, square.height);
        compare(panel.width, 320 * s);
        verify(!("toolTipAlign" in findChild(panel, "deviceListView")));
    }

    function test_foldButtonFoldsTheMenu() {
        const window = openHomeWindow();
        const homeMenu = menu(window);
        const button = part(window, "menuFoldButton");
        const picture = part(window, "menuFoldPicture");
        compare(button.width, 16 * s);
        compare(button.height, 40 * s);
        compare(String(picture.source), styleManager.style.image("VideoSquare-ListView-Fold"));
        compare(button.mapToItem(null, 0, 0).x, homeMenu.width - homeMenu.radius);
        mouseClick(button);
        compare(homeMenu.expanded, false);
        compare(String(picture.source), styleManager.style.image("VideoSquare-ListView-UnFold"));
        tryCompare(homeMenu, "width", 0, patience);
        compare(button.mapToItem(null, 0, 0).x, 0, "folded, at the window's left edge");
        mouseClick(button);
        tryCompare(homeMenu, "width", 70 * s, patience);
        compare(String(picture.source), styleManager.style.image("VideoSquare-ListView-Fold"));
        // Presses over the menu do not reach the page below.
        const home = loader(window, 2).item;
        const below = Qt.createQmlObject("import QtQuick; MouseArea { property int presses: 0; anchors.fill: parent; onPressed: ++presses }", home);
        mouseClick(homeMenu, homeMenu.width - 4, 4);
        compare(below.presses, 0);
        mouseClick(home, home.width / 2, home.height / 2);
        compare(below.presses, 1);
        below.destroy();
    }

    SignalSpy {
        id: widthChanges
        signalName: "widthChanged"
    }

    SignalSpy {
        id: heightChanges
        signalName: "heightChanged"
    }

    // Moves the window and waits until nothing more changes its size: a move resizes it
    // at most once (its width, then its height), and then the window is still.
    function moveAndSettle(window, x, y) {
        widthChanges.clear();
        heightChanges.clear();
        window.x = x;
        window.y = y;
        let quiet = 0;
        let last = -1;
        tryVerify(() => {
            verify(widthChanges.count <= 1 && heightChanges.count <= 1,
                   "at x " + x + ": " + widthChanges.count + " widths, " + heightChanges.count + " heights");
            const changes = widthChanges.count + heightChanges.count + (window.x === x ? 0 : 1000);
            quiet = changes === last ? quiet + 1 : 0;
            last = changes;
            return quiet >= 5;
        }, patience, "the window settles at x " + x);
    }

    // On a desk of a 1920 x 1080 screen and a 1600 x 900 one beside it: the main window
    // walked across the screens' boundary in small steps, through the band where its own
    // size would take its centre back across, and back again. Every step settles, and the
    // window always has the size that the ratio of the screen it is on gives.
    function test_walkAcrossTwoScreens() {
        if (Qt.application.screens.length < 2)
            skip("needs the offscreen platform with two screens");
        const window = openHomeWindow();
        widthChanges.target = window;
        heightChanges.target = window;
        const boundary = Qt.application.screens[1].virtualX;
        const y = Qt.application.screens[1].virtualY + 10;
        const wide = Math.trunc(1688 * s);
        const start = boundary - wide / 2 - 40;
        moveAndSettle(window, start, y);
        compare(window.width, wide);
        const steps = [];
        for (let x = start; x <= boundary - wide * 0.4 + 40; x += 10)
            steps.push(x);
        for (const x of steps.concat(steps.slice().reverse())) {
            moveAndSettle(window, x, y);
            const area = window.availableArea;
            const onRight = area.x >= boundary;
            compare(area.x, onRight ? boundary : 0, "the area of one of the screens");
            compare(window.width, Math.trunc(1688 * styleManager.scaleRatio), "the width at x " + x);
            compare(window.height, Math.trunc(950 * styleManager.scaleRatio), "the height at x " + x);
            verify(window.width <= area.width && window.height <= area.height, "the window fits its screen");
            compare(styleManager.scaleRatio, onRight ? 0.8 : 1.0, "the ratio of the screen at x " + x);
        }
        compare(window.width, wide);
    }
}
