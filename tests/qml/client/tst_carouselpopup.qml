import QtQuick
import QtTest
import "qrc:/zelka/qml/RealtimeRetrieval" as RealtimeRetrieval

// The carousel popup against the local test server: what a start stores, the ticks and
// their replies, the selection, the paged channel list with its messages and its header
// box, and replies that come too late to count.
ClientTestCase {
    id: testCase
    name: "CarouselPopup"

    SignalSpy { id: startSpy; signalName: "start" }
    SignalSpy { id: stopSpy; signalName: "stop" }
    SignalSpy { id: carouselSpy; signalName: "carousel" }

    Component {
        id: popupComponent
        RealtimeRetrieval.CarouselSettingPopup {}
    }

    function init() {
        resetClient();
        logInSession();
        settings.carouselInterval = 30;
    }

    // The token that every call but the login needs.
    function logInSession() {
        let done = false;
        networkManager.login(testServer.userName, testServer.password, "", ok => done = ok);
        tryVerify(() => done, patience, "login");
        testServer.clearLog();
    }

    function makePopup(layoutCount) {
        const popup = createTemporaryObject(popupComponent, testCase, {layoutCount: layoutCount || 0});
        verify(popup);
        for (const spy of [startSpy, stopSpy, carouselSpy]) {
            spy.clear();
            spy.target = popup;
        }
        return popup;
    }

    function field(popup, name) {
        const item = findChild(popup.contentItem, name);
        verify(item, "no " + name);
        return item;
    }

    function openPopup(popup) {
        popup.open();
        tryCompare(popup, "opened", true, patience);
    }

    // The ids of a v2/channels request, as numbers.
    function idsOf(request) {
        return request.items.channels.split(",").map(Number);
    }

    // The carousel list as the text of config.ini holds it ("101, 201, 401").
    function storedList() {
        const line = /^CarouselList=(.*)$/m.exec(configFile.text());
        if (line === null || line[1] === "" || line[1].startsWith("@"))
            return [];
        return line[1].split(",").map(Number);
    }

    function storedInterval() {
        const line = /^CarouselInterval=(.*)$/m.exec(configFile.text());
        return line === null ? NaN : Number(line[1]);
    }

    function channelsOf(count, online) {
        const channels = [];
        for (let i = 0; i < count; ++i)
            channels.push({ChannelID: 5000 + i, ParentDeviceID: 1, Name: "通道" + i, Online: online, Enable: 1,
                           Parental: 0, GBChannelID: "gb" + i});
        return channels;
    }

    function test_startStoresTheReturnedIdsAndTicks() {
        const popup = makePopup(4);
        for (const id of [401, 9999, 101, 201])
            popup.addCarouselChannel(id);
        compare(popup.carouselChannelList, [101, 201, 401, 9999]);
        compare(popup.selectedCount, 4);
        compare(field(popup, "selectedText").text, "只显示已选(4):");
        compare(settings.carouselList, [], "choosing stores nothing");
        verify(!configFile.exists());

        field(popup, "intervalEdit").text = "12";
        popup.startCarousel();
        compare(startSpy.count, 1);
        compare(popup.running, true);
        compare(popup.carouselType, 0);
        compare(field(popup, "intervalEdit").text, "30", "the field shows the clamped interval");
        tryVerify(() => configFile.exists() && storedList().length === 3, patience);
        compare(storedList(), [101, 201, 401], "only ids the server knows");
        compare(storedInterval(), 30);
        compare(settings.carouselList, [101, 201, 401]);
        compare(popup.carouselChannelList, [101, 201, 401, 9999], "the selection keeps every id");

        // The first tick comes at once, with the head of the list.
        tryCompare(carouselSpy, "count", 1, patience);
        compare(carouselSpy.signalArguments[0][0].map(c => c.ChannelID), [101, 201, 401]);
        compare(popup.currentIndex, 4);

        popup.stopCarousel();
        compare(stopSpy.count, 1);
        compare(popup.currentIndex, 0, "a new start begins at the head");
        compare(popup.running, false);

        field(popup, "intervalEdit").text = "40000";
        popup.startCarousel();
        compare(field(popup, "intervalEdit").text, "36000");
        tryVerify(() => storedInterval() === 36000, patience);
        popup.stopCarousel();

        // A field without a number keeps the stored interval.
        field(popup, "intervalEdit").text = "";
        popup.startCarousel();
        compare(field(popup, "intervalEdit").text, "36000");
        popup.stopCarousel();
    }

    function test_emptySelectionSendsNothing() {
        settings.carouselList = [101];
        const popup = makePopup(4);
        popup.removeCarouselChannel(101);
        compare(popup.selectedCount, 0);
        compare(settings.carouselList, [101], "the settings are untouched");
        popup.startCarousel();
        tryCompare(carouselSpy, "count", 1, patience);
        compare(carouselSpy.signalArguments[0][0], []);
        tryVerify(() => configFile.exists() && storedList().length === 0, patience);
        compare(settings.carouselList, []);
        compare(testServer.requests("/api/v2/channels").length, 0, "no request for no ids");
        popup.stopCarousel();

        // No cells: no ids either.
        popup.addCarouselChannel(101);
        popup.layoutCount = 0;
        carouselSpy.clear();
        popup.startCarousel();
        tryCompare(carouselSpy, "count", 1, patience);
        compare(carouselSpy.signalArguments[0][0], []);
        popup.stopCarousel();
    }

    function test_groupRotationAndLateReplies() {
        const popup = makePopup(4);
        // One stop and start in one call: exactly one immediate tick.
        popup.stopCarousel();
        popup.startCarouselGroup([101, 102, 106, 201, 401]);
        popup.stopCarousel();
        popup.startCarouselGroup([101, 102, 106, 201, 401]);
        compare(popup.carouselType, 1);
        tryCompare(carouselSpy, "count", 1, patience);
        wait(500);
        compare(testServer.requests("/api/v2/channels").length, 1);
        compare(idsOf(testServer.requests("/api/v2/channels")[0]), [101, 102, 106, 201]);
        compare(testServer.requests("/api/v1/labelchannel/info").length, 0);
        verify(!configFile.exists(), "a group carousel stores nothing");

        // Later ticks go round: e a b c, then d e a b.
        popup.tick();
        popup.tick();
        const requests = waitForRequests("/api/v2/channels", 3);
        compare(idsOf(requests[1]), [401, 101, 102, 106]);
        compare(idsOf(requests[2]), [201, 401, 101, 102]);
        tryCompare(carouselSpy, "count", 3, patience);

        // A reply that arrives after the stop is not handed on; nor one of an earlier run.
        testServer.setFault("/api/v2/channels", {delayMs: 1500});
        carouselSpy.clear();
        popup.tick();
        popup.stopCarousel();
        waitForRequests("/api/v2/channels", 4);
        popup.startCarouselGroup([102]);
        waitForRequests("/api/v2/channels", 5);
        tryCompare(carouselSpy, "count", 1, patience);
        wait(1000);
        compare(carouselSpy.count, 1, "only the reply of the running start");
        compare(carouselSpy.signalArguments[0][0].map(c => c.ChannelID), [102]);
        popup.stopCarousel();
    }

    function test_storedSettingsAreACopyReadBeforeAnyStart() {
        settings.carouselList = [102, 101];
        settings.carouselInterval = 45;
        // The home wall starts from a completion handler of its own, which may run first.
        const popup = createTemporaryObject(popupComponent, testCase, {layoutCount: 4});
        compare(popup.carouselChannelList, [102, 101], "the stored order");
        compare(field(popup, "intervalEdit").text, "45");
        popup.addCarouselChannel(7);
        compare(popup.carouselChannelList, [7, 101, 102]);
        compare(settings.carouselList, [102, 101], "the settings are not the selection");
        settings.carouselList = [1];
        compare(popup.carouselChannelList, [7, 101, 102]);
    }

    Component {
        id: earlyStartComponent
        Item {
            property alias popup: popup
            RealtimeRetrieval.CarouselSettingPopup {
                id: popup
                layoutCount: 4
                Component.onCompleted: startCarousel()
            }
        }
    }

    function test_startFromACompletionHandler() {
        settings.carouselList = [102, 101];
        settings.carouselInterval = 45;
        const holder = createTemporaryObject(earlyStartComponent, testCase);
        const requests = waitForRequests("/api/v2/channels", 2);
        compare(idsOf(requests[0]), [102, 101]);
        compare(holder.popup.running, true);
        tryVerify(() => configFile.exists() && storedInterval() === 45, patience);
        holder.popup.stopCarousel();
    }

    function test_pagingMessages() {
        testServer.changeData({Channels: []});
        const popup = makePopup(4);
        openPopup(popup);
        waitForRequests("/api/v1/channels", 1);
        tryCompare(field(popup, "pageText"), "text", "当前页: 1 / 0", patience);
        compare(field(popup, "countText").text, "当前页: 0 条 / 总 0 条");
        mouseClick(field(popup, "nextPageButton"));
        compare(field(popup, "rightPageTooltip").text, "已经是最后一页!");
        tryCompare(field(popup, "rightPageTooltip"), "visible", true, patience);
        mouseClick(field(popup, "gotoPageButton"));
        compare(field(popup, "gotoPageTooltip").text, "无法跳转!");
        compare(popup.currentPage, 0);
        popup.close();
        tryCompare(popup, "visible", false, patience);

        testServer.changeData({Channels: channelsOf(25, 1)});
        testServer.clearLog();
        openPopup(popup);
        tryCompare(popup, "totalPage", 3, patience);
        compare(field(popup, "pageText").text, "当前页: 1 / 3");
        mouseClick(field(popup, "previousPageButton"));
        compare(field(popup, "leftPageTooltip").text, "已经是第一页!");
        const pageEdit = field(popup, "pageEdit");
        pageEdit.text = "3";
        mouseClick(field(popup, "gotoPageButton"));
        compare(popup.currentPage, 2);
        tryCompare(field(popup, "countText"), "text", "当前页: 5 条 / 总 25 条", patience);
        compare(testServer.requests("/api/v1/channels").pop().items.start, "20");
        mouseClick(field(popup, "nextPageButton"));
        compare(field(popup, "rightPageTooltip").text, "已经是最后一页!");
        compare(popup.currentPage, 2);
        mouseClick(field(popup, "previousPageButton"));
        compare(popup.currentPage, 1);
        compare(pageEdit.text, "3", "only the operator writes the page field");
    }

    function test_listRowsAndFilters() {
        const popup = makePopup(4);
        openPopup(popup);
        const list = field(popup, "listView");
        // Online channels: 8, of which two are parents of sub-channels.
        tryCompare(field(popup, "countText"), "text", "当前页: 6 条 / 总 8 条", patience);
        let request = testServer.requests("/api/v1/channels").pop();
        compare(request.items.online, "true");
        compare(request.items.device, undefined);
        compare(request.items.getdevinfo, "true");
        tryVerify(() => list.itemAtIndex(list.count - 1) && list.itemAtIndex(0).model.ChannelID !== undefined, patience);
        const ids = [];
        for (let i = 0; i < list.count; ++i)
            ids.push(list.itemAtIndex(i).model.ChannelID);
        verify(!ids.includes(103) && !ids.includes(104), String(ids));
        compare(popup.totalPage, 1);

        // "全部" on page 2 goes back to page 1; the same entry again just reloads.
        const combo = field(popup, "statusComboBox");
        combo.currentIndex = 0;
        combo.activated(0);
        tryCompare(popup, "channelTotal", 12, patience);
        popup.currentPage = 1;
        tryCompare(list, "count", 2, patience);
        testServer.clearLog();
        combo.currentIndex = 2;
        combo.activated(2);
        compare(popup.currentPage, 0);
        tryCompare(popup, "channelTotal", 4, patience);
        request = testServer.requests("/api/v1/channels").pop();
        compare([request.items.start, request.items.online], ["0", "false"]);
        testServer.clearLog();
        combo.activated(2);
        waitForRequests("/api/v1/channels", 1);
        compare(popup.currentPage, 0);

        // The switch lists the selection's records; the filters do not apply.
        popup.addCarouselChannel(402);
        popup.addCarouselChannel(101);
        mouseClick(field(popup, "selecedSwitch"));
        tryCompare(popup, "channelTotal", 2, patience);
        compare(idsOf(testServer.requests("/api/v2/channels").pop()), [101, 402]);
        compare(field(popup, "pagingRow").visible, false);
        // The list makes its rows anew on its next polish.
        tryVerify(() => list.itemAtIndex(1) && list.itemAtIndex(0).model.Name === "东门入口"
                  && list.itemAtIndex(1).model.ChannelID === 402, patience);
        mouseClick(findChild(list.itemAtIndex(1), "rowCheckBox"));
        compare(popup.carouselChannelList, [101]);
        compare(popup.selectedCount, 1);
        compare(list.count, 2, "the row stays until the next reload");
        mouseClick(field(popup, "selecedSwitch"));
        tryCompare(popup, "channelTotal", 4, patience);
        compare(field(popup, "pagingRow").visible, true);
    }

    function test_headerBox() {
        const popup = makePopup(4);
        for (const id of [101, 102, 106, 201, 401, 402])
            popup.addCarouselChannel(id);
        openPopup(popup);
        const list = field(popup, "listView");
        const header = field(popup, "checkHeaderCheckBox");
        tryCompare(list, "count", 6, patience);
        tryCompare(header, "checked", true, patience);
        const boxes = [];
        for (let i = 0; i < 6; ++i)
            boxes.push(findChild(list.itemAtIndex(i), "rowCheckBox"));
        verify(boxes.every(box => box.checked));

        mouseClick(boxes[2]);
        compare(header.checked, false);
        verify(!popup.carouselChannelList.includes(list.itemAtIndex(2).model.ChannelID));
        mouseClick(boxes[2]);
        compare(header.checked, true, "the last unchecked row checked again");

        popup.addCarouselChannel(9999);
        mouseClick(header);
        compare(header.checked, false);
        verify(boxes.every(box => !box.checked));
        compare(popup.carouselChannelList, [9999], "a channel of no row shown stays");
        mouseClick(header);
        verify(boxes.every(box => box.checked));
        compare(popup.selectedCount, 7);

        // A reload with no rows leaves the header box alone.
        testServer.changeData({Channels: []});
        popup.recalcModel();
        tryCompare(list, "count", 0, patience);
        compare(header.checked, true);
    }

    function test_onlyTheLatestListReplyCounts() {
        testServer.setFault("/api/v1/channels", {delayMs: 1500, remainingHits: 1});
        const popup = makePopup(4);
        openPopup(popup);
        waitForRequests("/api/v1/channels", 1);
        typeInto(field(popup, "searchEdit"), "东门");
        tryCompare(popup, "channelTotal", 1, patience);
        const list = field(popup, "listView");
        compare(list.count, 1);
        compare(testServer.requests("/api/v1/channels").pop().items.q, "东门");
        wait(2000);
        compare(popup.channelTotal, 1, "the delayed first reply came last and was dropped");
        compare(list.count, 1);
    }
}
