import QtQuick
import QtQuick.Layouts
import "../Widgets" as Widgets
import "../HomePage" as HomePage
import "layoutgeometry.js" as Geometry
import "carousel.js" as Carousel

// The video wall of the real-time view: 144 tiles made once, of which the layout in force
// shows the first "count", a strip of layout buttons with miniatures of their layouts,
// and the carousel. The layouts come from config/layout.json beside the executable; the
// geometry of every layout is computed ahead for the present size, so that a switch only
// applies it.
Item {
    id: root

    readonly property int itemCount: 144
    property var layoutSettings: []
    property var layoutObjects: []
    property int currentLayout: 0
    property var currentCamera: null
    // The channel the current tile shows now, also after a drop or a carousel tick gave it
    // another: the docked PTZ panel steers this one.
    readonly property int currentCameraDeviceId: currentCamera ? currentCamera.deviceId : -1
    readonly property int currentCameraChannelId: currentCamera ? currentCamera.channelId : -1
    property int currentCameraIndex: 0
    property real layoutButtonWidth: 32 * s
    property real layoutButtonHeight: 32 * s
    property bool hasFillCamera: false
    property bool enableKeyFrame: false
    property bool showPtzPanel: true
    property bool __initialize: false

    // The layout file; read once, when it first reads and parses.
    property string layoutFile: qmlApi.getApplicationDir() + "/config/layout.json"
    // The faults of the layout file already logged: each is logged once.
    property var __loggedProblems: ({})

    readonly property real s: styleManager.scaleRatio
    readonly property var currentSetting: settingOf(currentLayout)
    readonly property int currentCount: currentSetting ? currentSetting.count : 0
    readonly property color buttonColor: styleManager.style.color("Login-LoginButton-Normal")

    function settingOf(index) {
        return index >= 0 && index < layoutSettings.length ? layoutSettings[index] : null;
    }

    function cameraAt(index) {
        const cell = cells.itemAt(index);
        return cell ? cell.camera : null;
    }

    function logProblems(problems) {
        for (const problem of problems) {
            if (__loggedProblems[problem])
                continue;
            __loggedProblems[problem] = true;
            console.warn("layout file: " + problem);
        }
    }

    function readLayoutFile() {
        const parsed = Geometry.parseLayouts(qmlApi.readFileToString(layoutFile), layoutFile, itemCount);
        logProblems(parsed.problems);
        // A file that gave no layout at all is tried again at the next size change.
        if (parsed.layouts.length === 0)
            return;
        console.log("layout file: " + JSON.stringify(parsed.layouts));
        __initialize = true;
        layoutSettings = parsed.layouts;
    }

    function recalcLayoutObjects() {
        if (!__initialize)
            readLayoutFile();
        layoutObjects = Geometry.allLayoutRecords(layoutSettings, {
            width: gridLayout.width,
            height: gridLayout.height,
            buttonWidth: layoutButtonWidth,
            buttonHeight: layoutButtonHeight
        }, itemCount);
        currentLayoutChanged();
    }

    // Every cell and miniature takes its record of the layout in force.
    function applyLayout() {
        // Read afresh: the bindings on currentLayout may not have followed it yet.
        const setting = settingOf(currentLayout);
        const count = setting ? setting.count : 0;
        enableKeyFrame = count >= 16;
        const records = layoutObjects[currentLayout];
        if (records) {
            for (let k = 0; k < itemCount; ++k)
                cells.itemAt(k).apply(records[k]);
        }
        for (let i = 0; i < layoutButtonRepeater.count; ++i) {
            const button = layoutButtonRepeater.itemAt(i);
            if (button && layoutObjects[i])
                button.apply(layoutObjects[i]);
        }
        // A pick must not play in a cell out of sight.
        if (count > 0 && currentCameraIndex >= count && cameraAt(0))
            setCurrentCamera(cameraAt(0));
    }

    function setCurrentCamera(current) {
        currentCamera = current;
        currentCameraIndex = current.cameraIndex;
        cells.itemAt(current.cameraIndex).z = 1;
    }

    function playCurrentCamera(info) {
        if (currentCamera === null)
            return;
        currentCamera.playChannel(info);
        const setting = settingOf(currentLayout);
        if (cells.itemAt(currentCameraIndex))
            setCurrentCamera(cameraAt(Geometry.nextCell(currentCameraIndex, setting ? setting.count : 0)));
    }

    function playCarouselGroupList(idList) {
        carouselSettingPopup.stopCarousel();
        carouselSettingPopup.startCarouselGroup(idList);
    }

    function closeAllCamera() {
        for (let k = 0; k < itemCount; ++k) {
            const camera = cameraAt(k);
            if (camera)
                camera.stopChannel();
        }
    }

    function recordOf(camera) {
        return {name: camera.title, parentDeviceID: camera.deviceId, channelID: camera.channelId,
                snapUrl: camera.snapUrl};
    }

    // A drop of the drag carrier `source` onto the tile `target`: the two exchange their
    // channels. Anything else dropped (a drag from another program) changes nothing.
    function dropCamera(target, source) {
        const camera = source ? source.camera : undefined;
        if (!camera || camera.cameraIndex === undefined || cameraAt(camera.cameraIndex) !== camera)
            return;
        const targetRecord = recordOf(target);
        const sourceRecord = recordOf(camera);
        camera.playChannel(targetRecord);
        target.playChannel(sourceRecord);
    }

    onCurrentLayoutChanged: applyLayout()

    GridLayout {
        id: gridLayout
        objectName: "gridLayout"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: layoutButtons.top
        anchors.bottomMargin: 5 * root.s
        clip: true
        rowSpacing: 1
        columnSpacing: 1
        rows: root.currentSetting ? root.currentSetting.rows : 1
        columns: root.currentSetting ? root.currentSetting.columns : 1

        onWidthChanged: if (completed) root.recalcLayoutObjects()
        onHeightChanged: if (completed) root.recalcLayoutObjects()
        property bool completed: false
        Component.onCompleted: {
            completed = true;
            root.recalcLayoutObjects();
        }

        Repeater {
            id: cells
            model: root.itemCount

            delegate: Item {
                id: cell

                required property int index
                property alias camera: cameraRectangle
                property real preferredWidth: 0
                property real preferredHeight: 0

                function apply(record) {
                    visible = record.visible;
                    preferredWidth = record.width;
                    preferredHeight = record.height;
                    Layout.rowSpan = record.rowSpan;
                    Layout.columnSpan = record.columnSpan;
                    Layout.fillWidth = record.fillWidth;
                    Layout.fillHeight = record.fillHeight;
                }

                objectName: "cell" + index
                visible: false
                enabled: visible && (!root.hasFillCamera || cameraRectangle.parent === root)
                Layout.preferredWidth: preferredWidth
                Layout.preferredHeight: preferredHeight

                Behavior on preferredWidth { NumberAnimation {} }
                Behavior on preferredHeight { NumberAnimation {} }

                MouseArea {
                    id: dragArea
                    objectName: "dragArea"
                    anchors.fill: parent
                    propagateComposedEvents: true
                    drag.target: root.hasFillCamera ? null : dragItem
                    onPressed: (mouse) => {
                        if (mouse.button === Qt.LeftButton)
                            cameraRectangle.grabToImage(result => dragItem.Drag.imageSource = result.url);
                    }
                    // The tile maximises and restores on a double-click.
                    onDoubleClicked: (mouse) => mouse.accepted = false
                    // Started, not bound: the system drag runs to its end inside the start,
                    // where the pointer's release ends this area's drag (a bound start
                    // would hear of it while still being written). The drag clears its
                    // own state when it ends.
                    drag.onActiveChanged: {
                        if (drag.active)
                            dragItem.Drag.active = true;
                    }

                    Item {
                        id: dragItem
                        objectName: "dragItem"
                        property var camera: cameraRectangle
                        anchors.fill: parent
                        Drag.dragType: Drag.Automatic
                    }
                }

                DropArea {
                    objectName: "dropArea"
                    anchors.fill: parent
                    onDropped: (drop) => root.dropCamera(cameraRectangle, drop.source)
                }

                HomePage.CameraRectangle {
                    id: cameraRectangle

                    property int cameraIndex: cell.index

                    objectName: "camera" + cell.index
                    width: parent ? parent.width : 0
                    height: parent ? parent.height : 0
                    anchors.centerIn: parent
                    // Presses reach the cell's drag area while the tile sits in its cell. A
                    // maximised tile covers cells that take nothing: a press nobody takes
                    // would lose the double-click that restores it.
                    penetrateEvent: parent !== root
                    setCurrentFunction: (camera) => root.setCurrentCamera(camera)
                    fillParent: root
                    noFillParent: cell
                    isCurrent: root.currentCamera === cameraRectangle
                    videoVisible: !root.hasFillCamera || parent === root
                    enableKeyFrame: root.enableKeyFrame && parent !== root
                    onParentChanged: root.hasFillCamera = parent === root
                    Component.onCompleted: {
                        if (cell.index === 0)
                            root.setCurrentCamera(cameraRectangle);
                    }
                }
            }
        }
    }

    Row {
        id: layoutButtons
        objectName: "layoutButtons"
        height: root.layoutButtonHeight
        spacing: 8 * root.s
        anchors.left: parent.left
        anchors.leftMargin: 5 * root.s
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 5 * root.s

        Repeater {
            id: layoutButtonRepeater
            model: root.layoutSettings

            delegate: MouseArea {
                id: layoutButton

                required property int index
                required property var modelData
                property bool hovered: false

                function apply(records) {
                    for (let k = 0; k < miniatures.count; ++k)
                        miniatures.itemAt(k).apply(records[k]);
                }

                objectName: "layoutButton" + index
                width: root.layoutButtonWidth
                height: root.layoutButtonHeight
                hoverEnabled: true
                onEntered: hovered = true
                onExited: hovered = false
                onCanceled: hovered = false
                onClicked: root.currentLayout = index

                GridLayout {
                    anchors.fill: parent
                    clip: true
                    rowSpacing: 1
                    columnSpacing: 1
                    rows: layoutButton.modelData.rows
                    columns: layoutButton.modelData.columns

                    // A miniature past the layout's count is always hidden: none is made.
                    Repeater {
                        id: miniatures
                        model: layoutButton.modelData.count

                        delegate: Rectangle {
                            property real preferredWidth: 0
                            property real preferredHeight: 0

                            function apply(record) {
                                visible = record.visible;
                                preferredWidth = record.layoutWidth;
                                preferredHeight = record.layoutHeight;
                                Layout.rowSpan = record.rowSpan;
                                Layout.columnSpan = record.columnSpan;
                                Layout.fillWidth = record.fillWidth;
                                Layout.fillHeight = record.fillHeight;
                            }

                            visible: false
                            color: layoutButton.index === root.currentLayout ? inputColor : "#28C2C3"
                            Layout.preferredWidth: preferredWidth
                            Layout.preferredHeight: preferredHeight

                            Behavior on preferredWidth { NumberAnimation {} }
                            Behavior on preferredHeight { NumberAnimation {} }
                        }
                    }
                }

                Widgets.ToolTip {
                    visible: layoutButton.hovered
                    text: layoutButton.modelData.name === undefined ? "" : String(layoutButton.modelData.name)
                }
            }
        }

        component CommandButton: Widgets.ColorButton {
            width: 100 * root.s
            height: layoutButtons.height
            normalColor: root.buttonColor
            hoveredColor: Qt.lighter(normalColor)
            pressedColor: Qt.darker(normalColor, 1.2)
            textColor: styleManager.style.color("Login-TextColor")
            font.pointSize: 12 * styleManager.fontScaleRatio
            radius: 2
        }

        CommandButton {
            objectName: "carouselButton"
            text: carouselSettingPopup.running ? "暂停轮播" : "轮播"
            onClicked: {
                if (carouselSettingPopup.running)
                    carouselSettingPopup.stopCarousel();
                else
                    carouselSettingPopup.open();
            }
        }

        CommandButton {
            objectName: "closeAllButton"
            text: "一键关闭"
            onClicked: root.closeAllCamera()
        }

        CommandButton {
            objectName: "ptzPanelButton"
            text: "PTZ面板"
            onClicked: root.showPtzPanel = !root.showPtzPanel
        }
    }

    CarouselSettingPopup {
        id: carouselSettingPopup
        objectName: "carouselSettingPopup"
        layoutCount: root.currentCount
        onStart: root.closeAllCamera()
        onCarousel: (channelList) => {
            for (let i = 0; i < channelList.length; ++i) {
                const camera = root.cameraAt(i);
                if (camera)
                    camera.playChannel(Carousel.tileRecord(channelList[i]));
            }
        }
    }
}
