import QtQuick
import QtTest
import an.video 1.0
import "qrc:/zelka/qml/HomePage" as HomePage

// The camera tile's controls: which bar, when the overlays show, the context menu on an
// empty tile, the files that recording and snapshots leave (read back by decoding
// them), and the pointer: selection, maximising by double-click, wheel, pass-through.
CameraTileTestCase {
    id: testCase
    name: "CameraControls"

    readonly property string timePattern: "-\\d{4}-\\d{2}-\\d{2}-\\d{2}-\\d{2}-\\d{2}-\\d{3}"

    Component {
        id: wallComponent

        Item {
            id: wall
            property alias tile: cameraTile
            property alias cell: cell
            property alias beneath: beneath
            property var selections: []
            width: 900
            height: 600

            MouseArea {
                id: beneath
                property int presses: 0
                property int wheels: 0
                anchors.fill: parent
                acceptedButtons: Qt.LeftButton | Qt.RightButton
                onPressed: ++presses
                onWheel: ++wheels
            }

            Item {
                id: cell
                width: 300
                height: 200
            }

            HomePage.CameraRectangle {
                id: cameraTile
                parent: cell
                anchors.fill: parent
                noFillParent: cell
                fillParent: wall
                setCurrentFunction: t => wall.selections.push(t)
            }
        }
    }

    Component {
        id: pictureComponent

        Image {
            asynchronous: false
            cache: false
        }
    }

    Component {
        id: playerComponent

        VideoItem {
            width: 320
            height: 180
        }
    }

    function bar(tile, narrow) {
        return inLayer(tile, narrow ? "narrowBar" : "wideBar");
    }

    function button(tile, index) {
        const narrow = tile.showLabel;
        const item = findChild(bar(tile, narrow).item, (narrow ? "narrowButton" : "wideButton") + index);
        verify(item, "button " + index);
        return narrow ? item : findChild(item, "imageButton");
    }

    function buttonText(tile, index) {
        const narrow = tile.showLabel;
        const item = findChild(bar(tile, narrow).item, (narrow ? "narrowButton" : "wideButton") + index);
        return narrow ? findChild(item, "toolTip").text : item.text;
    }

    function menuItem(tile, name) {
        return findChild(findChild(tile, "contextMenu"), name) || findChild(findChild(tile, "contextMenu").contentItem, name);
    }

    function files(folder, filter) {
        return qmlApi.getAllFileNames(folder, [filter]);
    }

    function newFiles(folder, filter, before) {
        return files(folder, filter).filter(name => before.indexOf(name) < 0);
    }

    function fileUrl(path) {
        return "file://" + path.split("/").map(encodeURIComponent).join("/");
    }

    // A recorded file read back through the player: it opens and decodes. The address is
    // percent-encoded: the player takes addresses as Latin-1 text.
    function verifyPlayable(path) {
        const player = createTemporaryObject(playerComponent, testCase);
        player.videoUrl = fileUrl(path);
        tryVerify(() => player.sourceValid, patience, path + " decodes");
        compare(player.videoInfo.resolution, Qt.size(640, 360));
        player.destroy();
    }

    function test_barsAndMenu() {
        // An inner width of exactly 600 gives the wide bar, one pixel less the narrow one.
        let tile = makeTile(600 * s + 4, 400);
        tile.snapUrl = "/snap/101.h264";
        verify(!tile.showLabel);
        verify(bar(tile, false).active && !bar(tile, true).active);
        tile.parent.width = 600 * s + 3;
        verify(tile.showLabel);
        verify(bar(tile, true).active && !bar(tile, false).active);
        // A snapshot alone never shows a bar, hovered or not.
        tile.exitTimer.retime();
        wait(400);
        verify(!bar(tile, true).visible);

        tile.parent.width = 800;
        playLive(tile, gate);
        mouseMove(tile, 300, 100);
        tryCompare(bar(tile, false), "visible", true, patience);
        tryCompare(bar(tile, false), "opacity", 1, patience);
        // Texts flip at once, before anything else.
        compare(buttonText(tile, 4), "等比填充");
        mouseClick(button(tile, 4));
        compare(tile.fillMode, VideoItem.PreserveAspectFit);
        compare(provider(tile).fillMode, VideoItem.PreserveAspectFit);
        compare(buttonText(tile, 4), "完全填充");
        mouseClick(button(tile, 4));
        compare(tile.fillMode, VideoItem.Stretch);
        mouseClick(button(tile, 5));
        verify(tile.videoInfoChecked);
        tryCompare(inLayer(tile, "videoInfoPanel"), "visible", true, patience);
        // A bar under the pointer keeps the overlays up; leaving it lets them go.
        const wideBar = bar(tile, false).item;
        mouseMove(wideBar, 20, wideBar.height - 5);
        wait(2600);
        verify(tile.hovered);
        // The statistics overlay stays while the others go.
        mouseMove(testCase, 1300, 850);
        tryCompare(tile, "hovered", false, patience);
        tryCompare(bar(tile, false), "visible", false, patience);
        verify(inLayer(tile, "videoInfoPanel").visible);

        // The menu on an empty tile: talk and record change nothing, the others act.
        tile.stopChannel();
        verify(!tile.videoInfoChecked);
        mousePress(tile, 100, 100, Qt.RightButton);
        mouseRelease(tile, 100, 100, Qt.RightButton);
        const menu = findChild(tile, "contextMenu");
        tryCompare(menu, "opened", true, patience);
        compare(menu.x, 100 - tile.border.width);
        compare(menuItem(tile, "menuTalk").text, "开始对讲");
        menuItem(tile, "menuTalk").triggered();
        menuItem(tile, "menuRecord").triggered();
        menuItem(tile, "menuSnapshot").triggered();
        verify(!tile.isTalking);
        verify(!tile.isRecording);
        compare(menuItem(tile, "menuTalk").text, "开始对讲");
        compare(menuItem(tile, "menuRecord").text, "录制视频");
        compare(openedUrls.count, 0);
        menuItem(tile, "menuFillMode").triggered();
        compare(tile.fillMode, VideoItem.PreserveAspectFit);
        compare(menuItem(tile, "menuFillMode").text, "完全填充");
        menuItem(tile, "menuVideoInfo").triggered();
        verify(tile.videoInfoChecked);
        compare(menuItem(tile, "menuVideoInfo").text, "关闭视频信息");
        // Switched on from the menu, the overlay shows once a video plays.
        playLive(tile, gate);
        tryCompare(inLayer(tile, "videoInfoPanel"), "visible", true, patience);
        tile.title = "菜单";
        menuItem(tile, "menuClose").triggered();
        compare(tile.title, "");
        compare(tile.channelId, -1);
        // The idle title shows on a hovered tile without video.
        tile.title = "空闲";
        tile.exitTimer.retime();
        tryCompare(findChild(tile, "idleTitle"), "visible", true, patience);
    }

    function test_recordingAndSnapshotFiles() {
        const tile = makeTile(500, 300);
        const stamp = String(Date.now());
        playLive(tile, gate);
        tile.title = "录像" + stamp;
        const recordFolder = provider(tile).recordingPath();
        compare(recordFolder, qmlApi.getApplicationDir() + "/record/video");
        const recordsBefore = files(recordFolder, "*.mp4");
        tile.exitTimer.retime();
        tryCompare(bar(tile, true), "visible", true, patience);
        // The pointer rests on the bar, which keeps it up.
        mouseMove(button(tile, 2));
        mouseClick(button(tile, 2));
        verify(tile.isRecording);
        compare(buttonText(tile, 2), "停止录制");
        wait(2500);
        verify(bar(tile, true).visible);
        mouseClick(button(tile, 2));
        verify(!tile.isRecording);
        compare(buttonText(tile, 2), "录制视频");
        compare(qmlApi.urlToLocalFile(openedUrls.urls[openedUrls.count - 1]), recordFolder);
        let made = [];
        tryVerify(() => (made = newFiles(recordFolder, "*.mp4", recordsBefore)).length === 1, patience, "one recording");
        verify(new RegExp("^录像" + stamp + timePattern + "\\.mp4$").test(made[0]), made[0]);
        verifyPlayable(recordFolder + "/" + made[0]);

        // A snapshot: a PNG of the stream's size in the snapshot folder.
        const snapFolder = provider(tile).snapshotPath();
        const snapsBefore = files(snapFolder, "*.png");
        openedUrls.clear();
        tile.exitTimer.retime();
        mouseClick(button(tile, 3));
        compare(openedUrls.count, 1);
        compare(qmlApi.urlToLocalFile(openedUrls.urls[0]), snapFolder);
        tryVerify(() => (made = newFiles(snapFolder, "*.png", snapsBefore)).length === 1, patience, "one snapshot");
        verify(new RegExp("^录像" + stamp + timePattern + "\\.png$").test(made[0]), made[0]);
        // The file shows up while it is being written: read until it is whole.
        const picture = createTemporaryObject(pictureComponent, testCase);
        tryVerify(() => {
            picture.source = "";
            picture.source = fileUrl(snapFolder + "/" + made[0]);
            return picture.status === Image.Ready;
        }, patience, "the snapshot reads as a picture");
        compare(picture.sourceSize, Qt.size(640, 360));

        // A title with a way out stays inside the folders.
        tile.title = "a/../b" + stamp;
        const outsideBefore = files(recordFolder + "/..", "*.mp4").concat(files(snapFolder + "/..", "*.png"));
        const recordsNow = files(recordFolder, "*.mp4");
        const snapsNow = files(snapFolder, "*.png");
        // From the menu this time.
        menuItem(tile, "menuRecord").triggered();
        verify(tile.isRecording);
        compare(menuItem(tile, "menuRecord").text, "停止录制");
        menuItem(tile, "menuSnapshot").triggered();
        wait(1500);
        // stopVideo ends the recording without opening the folder.
        openedUrls.clear();
        tile.stopVideo();
        verify(!tile.isRecording);
        compare(openedUrls.count, 0);
        tryVerify(() => newFiles(recordFolder, "*.mp4", recordsNow).length === 1, patience);
        tryVerify(() => newFiles(snapFolder, "*.png", snapsNow).length === 1, patience);
        compare(files(recordFolder + "/..", "*.mp4").concat(files(snapFolder + "/..", "*.png")), outsideBefore);
        verifyPlayable(recordFolder + "/" + newFiles(recordFolder, "*.mp4", recordsNow)[0]);
    }

    function test_foldersWithBlanksOpenAsFileUrls() {
        const folder = qmlApi.getApplicationDir() + "/snap test #" + Date.now();
        settings.snapshotPath = folder;
        const tile = makeTile(500, 300);
        tile.streamType = 1;
        // Asked for while no picture has come yet, the snapshot is written with the first.
        tile.videoUrl = testServer.url("media/record.mp4");
        const snapFolder = provider(tile).snapshotPath();
        compare(snapFolder, folder + "/snapshot/video");
        tile.__runAction(3);
        verify(!provider(tile).sourceValid);
        compare(openedUrls.urls.length, 1);
        verify(openedUrls.urls[0].startsWith("file:///"), openedUrls.urls[0]);
        compare(qmlApi.urlToLocalFile(openedUrls.urls[0]), snapFolder);
        tryVerify(() => files(snapFolder, "*.png").length === 1, patience, "the waiting snapshot");
        verify(new RegExp("^" + timePattern + "\\.png$").test(files(snapFolder, "*.png")[0]));
    }

    function test_pointer() {
        logIn();
        const wall = createTemporaryObject(wallComponent, testCase);
        const tile = wall.tile;
        // Gestures one after another at points apart, so that none joins the one before
        // into a double-click.
        const points = [[40, 40], [250, 150], [60, 170], [200, 30]];
        let next = 0;
        const doubleClick = button => {
            const p = points[next++ % points.length];
            mouseDoubleClickSequence(tile, p[0], p[1], button || Qt.LeftButton);
        };
        // A press selects; a double-click moves the tile into the wall and back.
        mouseClick(tile, 150, 100);
        compare(wall.selections.length, 1);
        compare(wall.beneath.presses, 0);
        doubleClick();
        compare(tile.parent, wall);
        compare(tile.width, 900);
        compare(wall.selections.length, 4);
        verify(wall.selections.every(t => t === tile));
        doubleClick();
        compare(tile.parent, wall.cell);
        compare(tile.width, 300);
        // The right button selects and opens the menu, but does not maximise.
        doubleClick(Qt.RightButton);
        compare(tile.parent, wall.cell);
        findChild(tile, "contextMenu").close();
        tryCompare(findChild(tile, "contextMenu"), "visible", false, patience);
        // The wheel is taken only in the small parent.
        mouseWheel(tile, 50, 50, 0, 120);
        compare(wall.beneath.wheels, 0);
        doubleClick();
        compare(tile.parent, wall);
        mouseWheel(tile, 50, 50, 0, 120);
        compare(wall.beneath.wheels, 1);
        // Pass-through: the press also reaches the item beneath.
        tile.penetrateEvent = true;
        const selected = wall.selections.length;
        mousePress(tile, 120, 60);
        mouseRelease(tile, 120, 60);
        compare(wall.beneath.presses, 1);
        compare(wall.selections.length, selected + 1);
        tile.penetrateEvent = false;
        // Never into a null parent.
        tile.noFillParent = null;
        doubleClick();
        compare(tile.parent, wall);
        // Without a host callback a double-click changes nothing.
        tile.setCurrentFunction = undefined;
        tile.noFillParent = wall.cell;
        doubleClick();
        compare(tile.parent, wall);
    }
}
