import QtQuick
import QtQml
import QtQuick.Shapes
import QtQuick.Layouts

// Two rings over all channels of all devices: online against offline, enabled against
// not enabled. Each ring is two arcs round a centre text; an arc under the pointer
// widens and tells its count and share.
Item {
    id: root

    // The scale the rings are drawn at: the screen's, as everything on the page.
    property real scaleRatio: styleManager.scaleRatio
    // Each ring is a square 160 across at scale 1, smaller where the view cannot hold two
    // of them side by side. The layout moves its cells and the rings in them to whole
    // pixels, a ring up to a pixel and a half past its exact place: two to spare.
    readonly property real ringSide: Math.max(0, Math.floor(Math.min(160 * scaleRatio, height - 2,
                                                                      (width - rings.spacing) / 2 - 2)))

    // The enabled channels counted so far, per device of the current list.
    property var enabledCounts: new Map()

    readonly property alias listView: listView
    readonly property alias deviceTotal: listView.deviceTotal
    readonly property alias onlineDeviceTotal: listView.onlineDeviceTotal
    readonly property alias enableDeviceTotal: listView.enableDeviceTotal

    // The colour of the centre texts, from the page that holds the view.
    readonly property color ringTextColor: textColor

    readonly property alias onlineStatusView: onlineStatusView
    readonly property alias enableStatusView: enableStatusView
    readonly property alias toolTip: toolTip

    function updateOnlineStatus(onlineTotal, offlineTotal, total) {
        onlineStatusView.onlineTotal = onlineTotal;
        onlineStatusView.offlineTotal = offlineTotal;
        onlineStatusView.total = total;
        onlineStatusView.update();
    }

    function updateEnableStatus(onlineTotal, offlineTotal, total) {
        enableStatusView.onlineTotal = onlineTotal;
        enableStatusView.offlineTotal = offlineTotal;
        enableStatusView.total = total;
        enableStatusView.update();
    }

    // The online figures come with the devices; the enabled ones with each device's
    // channel list, which arrives later, one reply per device.
    function countDevices() {
        let total = 0;
        let online = 0;
        const counts = new Map();
        for (const device of deviceManager.deviceList) {
            total += device.channelNums;
            online += device.onlineChannelNums;
            counts.set(device, 0);
        }
        enabledCounts = counts;
        listView.deviceTotal = total;
        listView.onlineDeviceTotal = online;
        listView.enableDeviceTotal = 0;
        updateOnlineStatus(onlineDeviceTotal, deviceTotal - onlineDeviceTotal, deviceTotal);
        for (const device of counts.keys())
            countEnabled(device);
        showEnabled();
    }

    // A device's new channel list changes the total by its own difference: the work is
    // that list's channels, not every channel of every device. A device of a list that
    // has since been replaced counts no more.
    function countEnabled(device) {
        if (!enabledCounts.has(device))
            return;
        let enabled = 0;
        for (const channel of device.channelList) {
            if (channel.enable !== 0)
                ++enabled;
        }
        listView.enableDeviceTotal += enabled - enabledCounts.get(device);
        enabledCounts.set(device, enabled);
    }

    // After a change of the total, once per pass of the event loop however many channel
    // lists the pass brought.
    function showEnabled() {
        updateEnableStatus(enableDeviceTotal, deviceTotal - enableDeviceTotal, deviceTotal);
    }

    // Follows the device list; the watchers below follow each device's channel list.
    ListView {
        id: listView
        objectName: "listView"

        property int deviceTotal: 0
        property int onlineDeviceTotal: 0
        property int enableDeviceTotal: 0

        width: 0
        height: 0
        visible: false
        model: deviceManager.deviceList
        onModelChanged: root.countDevices()
        onEnableDeviceTotalChanged: Qt.callLater(root.showEnabled)
    }

    Instantiator {
        model: deviceManager.deviceList
        delegate: Connections {
            required property var modelData
            target: modelData
            function onChannelListChanged() { root.countEnabled(modelData); }
        }
    }

    Rectangle {
        id: toolTip
        objectName: "statusToolTip"

        property string text: ""

        z: 10
        width: toolTipText.implicitWidth + 14 * styleManager.scaleRatio
        height: toolTipText.implicitHeight + 10 * styleManager.scaleRatio
        color: "#40aaaaaa"
        border.color: "#80aaaaaa"
        radius: 2
        opacity: 0
        enabled: false

        Behavior on opacity {
            NumberAnimation {}
        }

        Text {
            id: toolTipText
            anchors.centerIn: parent
            text: toolTip.text
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
            color: "#fff000"
        }
    }

    RowLayout {
        id: rings
        anchors.fill: parent

        CircleView {
            id: onlineStatusView
            objectName: "onlineStatusView"
            Layout.preferredWidth: root.ringSide
            Layout.preferredHeight: root.ringSide
            Layout.alignment: Qt.AlignCenter
            toolTip: root.toolTip
            textColor: root.ringTextColor
            onlineText: "在线: "
            offlineText: "离线: "
        }

        CircleView {
            id: enableStatusView
            objectName: "enableStatusView"
            Layout.preferredWidth: root.ringSide
            Layout.preferredHeight: root.ringSide
            Layout.alignment: Qt.AlignCenter
            toolTip: root.toolTip
            textColor: root.ringTextColor
            onlineText: "启用: "
            offlineText: "未启用: "
        }
    }

    component CircleView: Rectangle {
        id: circle

        property int onlineTotal: 0
        property int offlineTotal: 0
        property int total: 0
        // The strokes and the centre text keep their proportion to the ring, whose side
        // the view's layout gives: 160 at scale 1.
        readonly property real ringScale: width / 160
        property real normalWidth: 16 * ringScale
        property real selectedWidth: 24 * ringScale
        // With no channels there is no share: both parts are empty.
        readonly property real onlineRatio: total > 0 ? onlineTotal / total : 0
        readonly property real offlineRatio: total > 0 ? 1.0 - onlineRatio : 0
        property string onlineText: "在线: "
        property string offlineText: "离线: "
        // The shared tool tip, placed in its parent's coordinates, and the text colour.
        property Item toolTip
        property color textColor
        readonly property alias ring1: ring1
        readonly property alias ring2: ring2
        readonly property alias ringPath1: ringPath1
        readonly property alias ringPath2: ringPath2
        readonly property alias centreText: centreText
        readonly property real centreX: width / 2
        readonly property real centreY: height / 2

        // The larger part is drawn by the animated arc.
        function update() {
            ring1.sweepAngle = Math.max(onlineRatio, offlineRatio) * 360;
            ring2.sweepAngle = Math.min(onlineRatio, offlineRatio) * 360;
            ring1.isOnline = onlineRatio > offlineRatio;
            ring2.isOnline = !ring1.isOnline;
        }

        function percent(ratio) {
            return (ratio * 100).toFixed(1) + "%";
        }

        function showNothing() {
            circle.toolTip.opacity = 0;
            ringPath1.emphasis = 0;
            ringPath2.emphasis = 0;
        }

        // Angles as the arcs count them: 0 at 3 o'clock, clockwise; the pointer on the
        // border between the parts counts as part two.
        function hover(x, y) {
            const dx = x - centreX;
            const dy = y - centreY;
            const distance = Math.sqrt(dx * dx + dy * dy);
            if (distance < ring1.radiusX - normalWidth / 2 + 4 || distance > ring1.radiusX + normalWidth / 2 + 4) {
                showNothing();
                return;
            }
            let angle = Math.atan2(dy, dx) + Math.PI / 2;
            if (angle < 0)
                angle += 2 * Math.PI;
            const a = angle * 180 / Math.PI - 90;
            const position = circle.mapToItem(circle.toolTip.parent, x, y);
            circle.toolTip.x = x > centreX ? position.x : position.x - circle.toolTip.width;
            circle.toolTip.y = position.y;
            circle.toolTip.opacity = 1;
            const partOne = ring1.isOnline ? ring1 : ring2;
            const onPartOne = partOne.startAngle < a && a < partOne.startAngle + partOne.sweepAngle;
            const partOnePath = ring1.isOnline ? ringPath1 : ringPath2;
            const partTwoPath = ring1.isOnline ? ringPath2 : ringPath1;
            if (onPartOne) {
                circle.toolTip.text = onlineText + onlineTotal + " (" + percent(onlineRatio) + ")";
                partOnePath.emphasis = 1;
                partTwoPath.emphasis = 0;
            } else {
                circle.toolTip.text = offlineText + (total - onlineTotal) + " (" + percent(offlineRatio) + ")";
                partTwoPath.emphasis = 1;
                partOnePath.emphasis = 0;
            }
        }

        radius: width / 2
        color: "#20ffffff"
        layer.enabled: true
        // No more samples than the window's renderer offers: it would draw with none then.
        layer.samples: Math.min(16, Window.window && Window.window.maxSamples ? Window.window.maxSamples : 1)
        layer.smooth: true

        Shape {
            anchors.fill: parent

            ShapePath {
                id: ringPath1

                // 0 at rest, 1 under the pointer: only the pointer's coming and going
                // animates, a new size of the ring takes effect at once.
                property real emphasis: 0

                fillColor: "transparent"
                capStyle: ShapePath.FlatCap
                strokeWidth: circle.normalWidth + (circle.selectedWidth - circle.normalWidth) * emphasis
                strokeColor: ring1.isOnline ? "#d04ADAC5" : "#d0ff3d38"

                Behavior on emphasis {
                    enabled: circle.visible
                    NumberAnimation { duration: 400; easing.type: Easing.OutElastic }
                }

                PathAngleArc {
                    id: ring1

                    property bool isOnline: false

                    centerX: circle.centreX
                    centerY: circle.centreY
                    radiusX: circle.width / 2 - circle.normalWidth
                    radiusY: circle.height / 2 - circle.normalWidth
                    startAngle: isOnline ? -90 : ring2.sweepAngle - 90
                    sweepAngle: 0

                    // A ring off screen takes its new share at once: an animation there
                    // would draw frames that show nothing.
                    Behavior on sweepAngle {
                        enabled: circle.visible
                        NumberAnimation { duration: 1500 }
                    }
                }
            }

            ShapePath {
                id: ringPath2

                property real emphasis: 0

                fillColor: "transparent"
                capStyle: ShapePath.FlatCap
                strokeWidth: circle.normalWidth + (circle.selectedWidth - circle.normalWidth) * emphasis
                strokeColor: ring2.isOnline ? "#d04ADAC5" : "#d0ff3d38"

                Behavior on emphasis {
                    enabled: circle.visible
                    NumberAnimation { duration: 400; easing.type: Easing.OutElastic }
                }

                PathAngleArc {
                    id: ring2

                    property bool isOnline: false

                    centerX: circle.centreX
                    centerY: circle.centreY
                    radiusX: circle.width / 2 - circle.normalWidth
                    radiusY: circle.height / 2 - circle.normalWidth
                    startAngle: isOnline ? -90 : ring1.sweepAngle - 90
                    sweepAngle: 0
                }
            }
        }

        Text {
            id: centreText
            anchors.centerIn: parent
            horizontalAlignment: Text.AlignHCenter
            font.family: "微软雅黑"
            // A view narrowed to nothing (the page during a switch) still needs a valid size.
            font.pointSize: Math.max(1, 10 * circle.ringScale)
            color: circle.textColor
            text: circle.onlineText + circle.onlineTotal + "\n" + circle.offlineText + circle.offlineTotal
                  + "\n总共: " + circle.total
        }

        MouseArea {
            anchors.fill: parent
            hoverEnabled: true
            onPositionChanged: mouse => circle.hover(mouse.x, mouse.y)
            onExited: circle.showNothing()
            onCanceled: circle.showNothing()
        }
    }
}
