import QtQuick
import QtTest
import an.network 1.0
import "qrc:/zelka/qml/HomePage" as HomePage
import ".." as Shared

// The PTZ overlay against the server's log: starts on press, stops on release, the
// speed and its start value, the host's hide timer, and what it refuses.
ShellTestCase {
    id: testCase
    name: "PtzControl"

    visible: true
    width: 1400
    height: 900

    readonly property color textColor: styleManager.style.color("Login-TextColor")

    Shared.FadeRecorder {
        id: fade
    }

    Component {
        id: hostComponent

        Item {
            property alias panel: panel
            property alias timer: timer
            width: 800
            height: 600

            // Stands in for a tile's hide timer.
            QtObject {
                id: timer
                property int stops: 0
                property int retimes: 0
                function stop() { ++stops; }
                function retime() { ++retimes; }
            }

            HomePage.PtzControlPanel {
                id: panel
                deviceId: 1
                channelId: 101
                exitTimer: timer
            }
        }
    }

    function init() {
        resetClient();
        settings.ptzSpeed = 0;
        logIn();
        testServer.clearLog();
    }

    function makeHost(properties) {
        const host = createTemporaryObject(hostComponent, testCase, properties || {});
        verify(host);
        return host;
    }

    function sent() {
        return testServer.requests("/api/v1/ptzcontrol").map(r => r.items);
    }

    // What the server received, as "command/direction/speed", in the order the client
    // sent it: each request goes on a connection of its own, so the server's log may
    // have them in another order; the client logs each call as it makes it.
    function commands() {
        const received = sent().map(i => i.command + "/" + i.direction + "/" + i.speed);
        const calls = testKit.messages().filter(m => m.indexOf("ptzControl") >= 0 && m.indexOf("command=") >= 0)
            .map(m => {
                const value = key => (m.match(new RegExp(key + "=([a-z0-9]+)")) || [])[1];
                return value("command") + "/" + value("direction") + "/" + value("speed");
            });
        compare(calls.slice().sort(), received.slice().sort(), "the server received what the client sent");
        return calls;
    }

    function wheel(panel) {
        return findChild(panel, "ptzSteeringWheel");
    }

    function test_joystickAndZoomSequences() {
        const host = makeHost();
        const panel = host.panel;
        const stick = wheel(panel);
        compare(stick.width, panel.height / 4);
        // Up, dragged into the right quarter, released.
        mousePress(stick, stick.width / 2, stick.height * 0.15);
        compare(host.timer.stops, 1);
        compare(panel.currentCommand, NetworkManager.Up);
        mouseMove(stick, stick.width * 0.85, stick.height / 2);
        compare(panel.currentCommand, NetworkManager.Right);
        mouseRelease(stick, stick.width * 0.85, stick.height / 2);
        compare(panel.currentCommand, NetworkManager.Stop);
        compare(host.timer.retimes, 1);
        tryVerify(() => sent().length === 3, patience);
        compare(commands(), ["up/up/100", "right/right/100", "stop/right/100"]);
        compare(sent()[0].device, "1");
        compare(sent()[0].channel, "101");

        testKit.clearMessages();
        // Zoom in: start on press, stop naming the zoom on release; the timer is held.
        testServer.clearLog();
        const zoomIn = findChild(panel, "ptzZoomIn");
        mousePress(zoomIn);
        compare(host.timer.stops, 2);
        mouseRelease(zoomIn);
        compare(host.timer.retimes, 2);
        compare(panel.currentCommand, NetworkManager.ZoomIn);
        const zoomOut = findChild(panel, "ptzZoomOut");
        mousePress(zoomOut);
        mouseRelease(zoomOut);
        tryVerify(() => sent().length === 4, patience);
        compare(commands(), ["zoomin/zoomin/100", "stop/zoomin/100", "zoomout/zoomout/100", "stop/zoomout/100"]);

        // Half a step is rounded up.
        testServer.clearLog();
        testKit.clearMessages();
        findChild(panel, "ptzSpeedSlider").value = 37.5;
        compare(findChild(panel, "ptzSpeedCaption").text, "云台速度: 38");
        panel.stopPtzControl();
        tryVerify(() => sent().length === 1, patience);
        compare(commands(), ["stop/zoomout/38"]);
    }

    function test_speedFromSettings() {
        compare(findChild(makeHost().panel, "ptzSpeedSlider").value, 100);
        settings.ptzSpeed = 300;
        compare(findChild(makeHost().panel, "ptzSpeedSlider").value, 255);
        settings.ptzSpeed = 80;
        const panel = makeHost().panel;
        compare(findChild(panel, "ptzSpeedSlider").value, 80);
        compare(findChild(panel, "ptzSpeedCaption").text, "云台速度: 80");
        compare(findChild(panel, "ptzSpeedCaption").color, textColor);
        const zoomIn = findChild(panel, "ptzZoomIn");
        mouseClick(zoomIn);
        tryVerify(() => sent().length === 2, patience);
        compare(commands(), ["zoomin/zoomin/80", "stop/zoomin/80"]);
    }

    function test_refusals() {
        // Ids -1: the controls and the timer work, nothing leaves the client.
        let host = makeHost();
        host.panel.deviceId = -1;
        mouseClick(findChild(host.panel, "ptzZoomIn"));
        const stick = wheel(host.panel);
        mousePress(stick, stick.width / 2, stick.height * 0.15);
        mouseRelease(stick, stick.width / 2, stick.height * 0.15);
        compare(host.timer.stops, 2);
        compare(host.timer.retimes, 2);
        wait(300);
        compare(sent().length, 0);

        // Not hovered: the joystick ignores the pointer, the zoom buttons do not.
        host.panel.deviceId = 1;
        fade.watched = host.panel;
        fade.clear();
        host.panel.hovered = false;
        tryCompare(host.panel, "opacity", 0, patience);
        verify(fade.between > 0, "the panel faded out");
        mousePress(stick, stick.width / 2, stick.height * 0.15);
        mouseRelease(stick, stick.width / 2, stick.height * 0.15);
        verify(stick.isStop);
        mouseClick(findChild(host.panel, "ptzZoomOut"));
        tryVerify(() => sent().length === 2, patience);
        compare(commands(), ["zoomout/zoomout/100", "stop/zoomout/100"]);
        host.panel.hovered = true;
        tryCompare(host.panel, "opacity", 1, patience);

        // Hidden while held: the stop still goes out.
        testServer.clearLog();
        testKit.clearMessages();
        mousePress(stick, stick.width / 2, stick.height * 0.15);
        host.panel.visible = false;
        tryVerify(() => sent().length === 2, patience);
        compare(commands(), ["up/up/100", "stop/up/100"]);
        mouseRelease(stick, stick.width / 2, stick.height * 0.15);
        host.panel.visible = true;
        testServer.clearLog();
        testKit.clearMessages();
        const zoomIn = findChild(host.panel, "ptzZoomIn");
        mousePress(zoomIn);
        host.panel.visible = false;
        tryVerify(() => sent().length === 2, patience);
        compare(commands(), ["zoomin/zoomin/100", "stop/zoomin/100"]);
        mouseRelease(zoomIn);
    }

    function test_dockedMode() {
        const host = makeHost({ width: 300 * s, height: 600 });
        const panel = host.panel;
        panel.exitTimer = undefined;
        panel.auto = false;
        panel.steeringWheelMargin = 60 * s;
        verify(!findChild(panel, "ptzSpeedCaption").visible);
        compare(wheel(panel).width, panel.width - 120 * s);
        mouseClick(findChild(panel, "ptzZoomIn"));
        tryVerify(() => sent().length === 2, patience);
        compare(panel.opacity, 1);
    }
}
