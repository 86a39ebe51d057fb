import QtQuick
import QtTest

// The side panel's favourite tree against the server: devices and their favourite
// channels as the reply has them, the star that removes and adds back and keeps its
// flag in the row, current rows, and the details box texts.
SidePanelTestCase {
    id: testCase
    name: "FavoriteTree"

    property Item panel: null

    function openFavourites(data) {
        panel = openPanel(data);
        return openTab(panel, 2);
    }

    function test_rowsAndCurrentRows() {
        const data = groupData();
        data.Devices[2].Online = 0;
        const tree = openFavourites(data);
        compare(tree.listView.count, 2);
        const a = rowOf(tree.listView, 0);
        const c = rowOf(tree.listView, 1);
        compare(piece(a, "nameText").text, "设备A");
        compare(piece(a, "nameText").color, textColor);
        compare(piece(c, "nameText").color, offlineColor);
        compare(piece(a, "textArea").color, checkedColor, "the first device is current");
        compare(a.height, 30 * s);

        expand(a);
        compare(piece(a, "childArea").height, 30 * s);
        expand(c);
        const gate = rowOf(findChild(a, "channelList"), 0);
        const wall = rowOf(findChild(c, "channelList"), 0);
        compare(piece(gate, "nameText").text, "东门");
        compare(piece(gate, "nameText").color, textColor);
        compare(piece(wall, "nameText").color, offlineColor);
        compare(piece(gate, "stateText").text, "启用");
        // The star 14 from the right edge, the state word 5 left of it.
        const star = piece(gate, "star");
        const line = piece(gate, "textArea");
        compare(star.mapToItem(line, star.width, 0).x, line.width - 14 * s);
        const state = piece(gate, "stateText");
        compare(state.x + state.width, star.x - 5 * s);
        compare(star.color, pageInputColor);
        compare(star.styleColor, textColor);

        // A channel click makes its device current and leaves the channel undrawn.
        clickText(wall);
        compare(tree.listView.currentIndex, 1);
        mouseMove(tree, tree.width / 2, tree.height - 20);
        tryCompare(piece(a, "textArea"), "color", Qt.color("transparent"), patience);
        compare(piece(c, "textArea").color, checkedColor);
        tryCompare(piece(wall, "textArea"), "color", Qt.color("transparent"), patience);

        // The details box: four lines for a device, seven for a channel.
        const box = piece(panel, "deviceToolTip");
        hover(a);
        compare(box.text, "设备名称: 设备A\n传输模式: UDP\n更新时间: 2026-12-01 10:00:00\n设备类型: NVR");
        hover(gate);
        compare(box.text.split("\n").length, 7);
        compare(box.text.split("\n")[0], "name: 东门");
    }

    // Remove, then add back: each asks the server and turns the star on its answer; the
    // row stays. A failing add keeps the star grey; the next load starts from the server.
    function test_starRemovesAndAddsBack() {
        const tree = openFavourites();
        const a = rowOf(tree.listView, 0);
        expand(a);
        const gate = rowOf(findChild(a, "channelList"), 0);
        const star = piece(gate, "star");
        compare(star.color, pageInputColor);

        mouseClick(star);
        const removed = waitForRequests("/api/v1/deletefavoriteschannel", 1)[0].items;
        compare(removed.device, "1");
        compare(removed.channel, "11");
        tryCompare(star, "color", offlineColor, patience);
        compare(star.styleColor, offlineColor);
        compare(gate.theData.FavoritesChannel, 1, "the record is left alone");
        compare(findChild(a, "channelList").count, 1, "the row stays");
        compare(tree.listView.currentIndex, 0);

        mouseClick(star);
        waitForRequests("/api/v1/addfavoriteschannel", 1);
        tryCompare(star, "color", pageInputColor, patience);
        compare(star.styleColor, textColor);

        mouseClick(star);
        waitForRequests("/api/v1/deletefavoriteschannel", 2);
        tryCompare(star, "color", offlineColor, patience);
        testServer.setFault("/api/v1/addfavoriteschannel", { status: 500, body: "{}" });
        testKit.clearMessages();
        mouseClick(star);
        tryVerify(() => testKit.messages().some(line => line.includes("addFavoritesChannel error")), patience);
        wait(100);
        compare(star.color, offlineColor, "a failed add keeps the colour");
        testServer.clearFaults();

        // A removed favourite is gone from the next load; an answer for a row that went
        // meanwhile is dropped.
        openTab(panel, 2);
        compare(tree.listView.count, 1);
        const c = rowOf(tree.listView, 0);
        expand(c);
        const wall = rowOf(findChild(c, "channelList"), 0);
        testServer.setFault("/api/v1/deletefavoriteschannel", { delayMs: 1000, remainingHits: 1 });
        mouseClick(piece(wall, "star"));
        waitForRequests("/api/v1/deletefavoriteschannel", 3);
        openTab(panel, 2);
        compare(tree.listView.count, 0, "the server removed it before answering");
        wait(1500);
        compare(tree.listView.count, 0);
    }
}
