import QtQuick
import QtTest

// The interface module "zelka": its module file, the files it compiles into the
// resources and the relative imports through which they reach each other.
ClientTestCase {
    id: testCase
    name: "InterfaceModule"

    // Every type of the module in the order of its module file.
    readonly property var moduleTypes: [
        "qml/AlarmQuery/AlarmQueryPage",
        "qml/ElectronicMap/ElectronicMapPage", "qml/ElectronicMap/MapToolTip",
        "qml/HomePage/AdministratorPage", "qml/HomePage/CameraRectangle", "qml/HomePage/ControlButtons",
        "qml/HomePage/CpuMemoryChart", "qml/HomePage/DateTimePage", "qml/HomePage/DeviceListView",
        "qml/HomePage/DeviceStatusView", "qml/HomePage/DeviceToolTip", "qml/HomePage/DiskChart",
        "qml/HomePage/HomeMenu", "qml/HomePage/HomePage", "qml/HomePage/HomeWindow", "qml/HomePage/NetworkChart",
        "qml/HomePage/PtzControlPanel", "qml/HomePage/UserInfoWindow", "qml/HomePage/VideoInfoPanel",
        "qml/RealtimeRetrieval/CameraLayoutView", "qml/RealtimeRetrieval/CarouselSettingPopup",
        "qml/RealtimeRetrieval/RealtimeRetrievalPage",
        "qml/RecordManage/RecordCalendar", "qml/RecordManage/RecordListView", "qml/RecordManage/RecordManagePage",
        "qml/RecordManage/RecordTimeAxisView", "qml/RecordManage/TimeLine",
        "qml/VideoSquare/DeviceListView", "qml/VideoSquare/DeviceManageSwipeView", "qml/VideoSquare/FavoriteListView",
        "qml/VideoSquare/GroupListView", "qml/VideoSquare/VideoPageView", "qml/VideoSquare/VideoSquarePage",
        "qml/Widgets/AppWindow", "qml/Widgets/CheckBox", "qml/Widgets/Circle", "qml/Widgets/ColorButton",
        "qml/Widgets/ColorPicker", "qml/Widgets/ComboBox", "qml/Widgets/DateTimeSelector",
        "qml/Widgets/FocusOnPressTextField", "qml/Widgets/GlowRectangle", "qml/Widgets/ImageButton",
        "qml/Widgets/InputField", "qml/Widgets/LineEdit",
        "qml/Widgets/MapOperationArea", "qml/Widgets/MessageBox", "qml/Widgets/MovablePopup",
        "qml/Widgets/MoveArea", "qml/Widgets/Parallelogram", "qml/Widgets/PopupWindow", "qml/Widgets/ScrollBar",
        "qml/Widgets/Slider", "qml/Widgets/SteeringWheelButton", "qml/Widgets/SwipeView", "qml/Widgets/ToolTip"
    ]
    readonly property var folders: ["qml", "qml/AlarmQuery", "qml/Api", "qml/ElectronicMap", "qml/HomePage",
        "qml/HomePage/CameraTile", "qml/HomePage/Dashboard", "qml/HomePage/DeviceTree", "qml/RealtimeRetrieval", "qml/RecordManage", "qml/VideoSquare", "qml/Widgets"]

    // Relative imports as written, with their namespace ("" for none), and the files
    // (folder/name) that may use them; "outside Widgets" stands for every file outside
    // qml/Widgets but the root file and the main window.
    readonly property var importTable: [
        { uri: "../Widgets", as: "Widgets", users: ["outside Widgets", "Widgets/PopupWindow", "Widgets/Slider",
                                                    "Widgets/SteeringWheelButton"] },
        { uri: "./Widgets", as: "Widgets", users: ["main"] },
        { uri: ".././Widgets", as: "Widgets", users: ["HomePage/HomeWindow"] },
        { uri: "./", as: "Widgets", users: ["Widgets/AppWindow", "Widgets/ComboBox"] },
        { uri: "../HomePage", as: "HomePage", users: ["AlarmQuery/AlarmQueryPage", "ElectronicMap/ChannelPin",
            "RealtimeRetrieval/CameraLayoutView", "RealtimeRetrieval/RealtimeRetrievalPage",
            "RecordManage/RecordListView", "RecordManage/RecordTimeAxisView", "VideoSquare/DeviceManageSwipeView",
            "VideoSquare/VideoPageView"] },
        { uri: "../VideoSquare", as: "VideoSquare", users: ["ElectronicMap/ElectronicMapPage",
            "RealtimeRetrieval/CameraLayoutView", "RealtimeRetrieval/RealtimeRetrievalPage",
            "RecordManage/RecordManagePage"] },
        { uri: "../RealtimeRetrieval", as: "RealtimeRetrieval", users: ["HomePage/HomePage"] },
        { uri: "../Api/api.js", as: "Api", users: ["AlarmQuery/AlarmQueryPage", "ElectronicMap/ElectronicMapPage",
            "HomePage/CpuMemoryChart", "HomePage/NetworkChart", "RecordManage/RecordListView",
            "RecordManage/RecordManagePage", "RecordManage/TimeLine", "Widgets/DateTimeSelector"] },
        { uri: "../VideoSquare", as: "", users: ["HomePage/HomeWindow"] },
        { uri: "../RealtimeRetrieval", as: "", users: ["HomePage/HomeWindow"] },
        { uri: "../ElectronicMap", as: "", users: ["HomePage/HomeWindow"] },
        { uri: "../RecordManage", as: "", users: ["HomePage/HomeWindow"] },
        { uri: "../AlarmQuery", as: "", users: ["HomePage/HomeWindow"] },
        // The two device trees share their rows, kept in a folder of helpers.
        { uri: "./DeviceTree", as: "DeviceTree", users: ["HomePage/DeviceListView"] },
        { uri: "../HomePage/DeviceTree", as: "DeviceTree", users: ["VideoSquare/DeviceListView",
            "VideoSquare/DeviceManageSwipeView", "VideoSquare/FavoriteListView", "VideoSquare/GroupListView"] },
        { uri: "../../Widgets", as: "Widgets", users: ["HomePage/DeviceTree/TreeFrame",
                                                       "HomePage/CameraTile/IButton", "HomePage/CameraTile/NarrowToolBar"] },
        // The camera tile's parts, kept in a folder of helpers.
        { uri: "./CameraTile", as: "CameraTile", users: ["HomePage/CameraRectangle"] },
        // The two load charts share one implementation, kept with the dashboard's helpers.
        { uri: "./Dashboard", as: "Dashboard", users: ["HomePage/CpuMemoryChart", "HomePage/NetworkChart"] },
        { uri: "../../Api/api.js", as: "Api", users: ["HomePage/Dashboard/LoadToolTip"] },
        { uri: "figures.js", as: "Figures", users: ["HomePage/Dashboard/LoadChart"] },
        { uri: "./Dashboard/figures.js", as: "Figures", users: ["HomePage/DiskChart"] },
        // Rules kept in scripts beside the files that use them.
        { uri: "layoutgeometry.js", as: "Geometry", users: ["RealtimeRetrieval/CameraLayoutView"] },
        { uri: "carousel.js", as: "Carousel", users: ["RealtimeRetrieval/CameraLayoutView",
                                                      "RealtimeRetrieval/CarouselSettingPopup",
                                                      "RealtimeRetrieval/RealtimeRetrievalPage"] },
        { uri: "paging.js", as: "Paging", users: ["Widgets/PagingRow"] },
        { uri: "windowplacement.js", as: "Placement", users: ["Widgets/PopupWindow"] },
        { uri: "./Widgets/windowplacement.js", as: "Placement", users: ["main"] }
    ]

    function moduleFile() {
        const text = qmlApi.readFileToString(":/zelka/qmldir");
        verify(text.length > 0, "no module file at :/zelka/qmldir");
        return text;
    }

    // "qml/Widgets/ToolTip.qml" and the like, for every QML and script file in the resources.
    function resourceFiles() {
        const files = [];
        for (const folder of folders) {
            for (const name of qmlApi.getAllFileNames(":/zelka/" + folder, ["*.qml", "*.js"]))
                files.push(folder + "/" + name);
        }
        return files.sort();
    }

    function isImportAllowed(file, uri, as) {
        const key = file.replace(/^qml\//, "").replace(/\.(qml|js)$/, "");
        const outsideWidgets = !key.startsWith("Widgets/") && key !== "main" && key !== "HomePage/HomeWindow";
        return importTable.some(entry => entry.uri === uri && entry.as === as
                                && (entry.users.includes(key) || (outsideWidgets && entry.users.includes("outside Widgets"))));
    }

    function test_header() {
        const text = moduleFile();
        const lines = text.split("\n");
        compare(lines[0], "module zelka");
        compare(lines[1], "typeinfo ZelkaVSS_Client.qmltypes");
        compare(lines[2], "prefer :/zelka/");
        verify(text.endsWith("\n\n") && !text.endsWith("\n\n\n"), "one empty line ends the file");
        compare(qmlApi.readFileToString(":/zelka/ZelkaVSS_Client.qmltypes"), "", "the type description is no resource");
    }

    // Until all pages exist the type lines are an ordered part of the full list, and
    // every type file that exists has its line.
    function test_typeLinesFollowTheListOrder() {
        const typeLines = moduleFile().split("\n").slice(3).filter(line => line.length > 0);
        verify(typeLines.length > 0);
        let previous = -1;
        for (const line of typeLines) {
            const match = /^(\w+) 1\.0 (qml\/\w+\/(\w+))\.qml$/.exec(line);
            verify(match !== null, "malformed type line: " + line);
            compare(match[1], match[3], "type named after its file: " + line);
            const index = moduleTypes.indexOf(match[2]);
            verify(index >= 0, "not a type of the module: " + line);
            verify(index > previous, "out of order: " + line);
            previous = index;
        }
        const files = resourceFiles();
        for (const type of moduleTypes) {
            if (files.includes(type + ".qml"))
                verify(typeLines.includes(type.split("/")[2] + " 1.0 " + type + ".qml"), "no line for " + type);
        }
        verify(typeLines.includes("HomeWindow 1.0 qml/HomePage/HomeWindow.qml"));
        verify(files.includes("qml/main.qml") && !typeLines.some(line => line.startsWith("main ")));
    }

    function test_everyFileCompilesWithItsImports() {
        const files = resourceFiles().filter(file => file.endsWith(".qml"));
        verify(files.length >= 20);
        for (const file of files) {
            const component = Qt.createComponent("qrc:/zelka/" + file);
            compare(component.status, Component.Ready, file + ": " + component.errorString());
            component.destroy();
        }
    }

    function test_filesReachEachOtherOnlyByTheTableImports() {
        for (const file of resourceFiles()) {
            const text = qmlApi.readFileToString(":/zelka/" + file);
            verify(!/^\s*import\s+zelka\b/m.test(text), file + " imports the module by its name");
            const imports = /^\s*import\s+"([^"]*)"(?:\s+as\s+(\w+))?/mg;
            for (let found = imports.exec(text); found !== null; found = imports.exec(text))
                verify(isImportAllowed(file, found[1], found[2] || ""), file + ": import \"" + found[1] + "\"");
        }
        // The table itself is checked against a file that must use it.
        verify(/^import "\.\/Widgets" as Widgets$/m.test(qmlApi.readFileToString(":/zelka/qml/main.qml")));
        verify(/^import "\.\.\/\.\/Widgets" as Widgets$/m.test(qmlApi.readFileToString(":/zelka/qml/HomePage/HomeWindow.qml")));
        verify(!isImportAllowed("qml/Widgets/ToolTip.qml", "../Widgets", "Widgets"));
        verify(isImportAllowed("qml/HomePage/HomePage.qml", "../Widgets", "Widgets"));
    }

    // The module cannot be imported by its name: Qt refuses a module file that names
    // DeviceListView twice. Its registration holds the two video types all the same.
    function test_videoTypesBelongToTheModule() {
        verify(testKit.isTypeRegistered("zelka", "VideoItem"));
        verify(testKit.isTypeRegistered("zelka", "VideoInfo"));
        verify(!testKit.isTypeRegistered("zelka", "NoSuchType"));
        const item = Qt.createQmlObject("import an.video 1.0\nVideoItem { objectName: \"moduleVideo\" }", testCase);
        verify(item);
        compare(item.status, 5, "UnknownStatus until a URL is set");
        verify(item.videoInfo !== null);
        item.destroy();
        let failure = "";
        try {
            Qt.createQmlObject("import an.video 1.0\nVideoInfo {}", testCase);
        } catch (error) {
            failure = error.qmlErrors.map(e => e.message).join(" ");
        }
        verify(failure.includes("Can't created: VideoInfo"), failure);
    }
}
