import QtQuick
import QtQuick.Controls as QQC
import "../Widgets" as Widgets

// The page menu at the main window's left edge: one icon per page that ui_config.ini
// switches on, filled once. The current entry names the page the main window shows.
Rectangle {
    id: root

    enum MenuType {
        None = 1,
        Home,
        VideoSquare,
        RealtimeRetrieval,
        ElectronicMap,
        RecordManage,
        AlarmQuery,
        SystemSetting
    }

    property bool dark: true
    property bool expanded: true
    property var currentMenu: HomeMenu.None

    // Offered for choosing a page from code; an entry that is not there changes nothing.
    function setCurrentMenu(menu) {
        for (let i = 0; i < menuModel.count; ++i) {
            if (menuModel.get(i).menuType === menu) {
                listView.currentIndex = i;
                return;
            }
        }
    }

    // The style file has no pictures for the system-setting entry: it gets gears of our
    // own, unless a style file of the user's names some.
    function iconSource(prefix, stateName) {
        const source = styleManager.style.image(prefix + stateName);
        if (prefix !== "Home-SystemSet-" || source !== "[" + prefix + stateName + "] Invalid!")
            return source;
        const gears = { "Normal": "default", "Hovered": "move", "Pressed": "click" };
        return "qrc:/zelka/res/img/homepage/system_set_" + gears[stateName] + "@2x.png";
    }

    width: (expanded ? 70 : 0) * styleManager.scaleRatio
    height: mainMenu.height + 2 * radius
    radius: 10 * styleManager.scaleRatio
    clip: true
    color: dark ? styleManager.style.color("Home-Menu-Background") : "#50222222"

    Behavior on width {
        NumberAnimation {
            duration: 400
            easing.type: Easing.InOutBack
            easing.overshoot: 1.0
        }
    }

    ListModel {
        id: menuModel
    }

    // Presses over the panel never reach the page below it.
    MouseArea {
        anchors.fill: parent
    }

    Column {
        id: mainMenu
        objectName: "mainMenu"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: 60 * styleManager.scaleRatio
        spacing: 10 * styleManager.scaleRatio

        ListView {
            id: listView
            objectName: "menuList"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 40 * styleManager.scaleRatio
            height: contentHeight
            spacing: 16 * styleManager.scaleRatio
            interactive: false
            model: menuModel

            // Asked once: the entries never change afterwards. The first entry appended
            // becomes current by itself, which picks the main window's first page.
            Component.onCompleted: {
                const pages = [
                    { page: "Home", menuType: HomeMenu.Home, menuName: "首页", menuIcon: "Home-Home-" },
                    { page: "VideoSquare", menuType: HomeMenu.VideoSquare, menuName: "视频广场", menuIcon: "Home-VideoSquare-" },
                    { page: "RealtimeRetrieval", menuType: HomeMenu.RealtimeRetrieval, menuName: "实时调阅", menuIcon: "Home-RealtimeRetrieval-" },
                    { page: "ElectronicMap", menuType: HomeMenu.ElectronicMap, menuName: "电子地图", menuIcon: "Home-ElectronicMap-" },
                    { page: "RecordManage", menuType: HomeMenu.RecordManage, menuName: "录像管理", menuIcon: "Home-RecordManage-" },
                    { page: "AlarmQuery", menuType: HomeMenu.AlarmQuery, menuName: "告警查询", menuIcon: "Home-AlarmQuery-" },
                    { page: "SystemSetting", menuType: HomeMenu.SystemSetting, menuName: "系统设置", menuIcon: "Home-SystemSet-" }
                ];
                for (const entry of pages) {
                    if (styleManager.interface.visible(entry.page))
                        menuModel.append({ menuType: entry.menuType, menuName: entry.menuName, menuIcon: entry.menuIcon });
                }
            }

            delegate: Item {
                id: entry
                objectName: "menuEntry" + index

                property bool hovered: false
                property bool pressed: false
                readonly property bool isCurrent: ListView.isCurrentItem
                readonly property string stateName: isCurrent ? "Pressed" : hovered ? (pressed ? "Pressed" : "Hovered") : "Normal"
                readonly property alias picture: picture

                width: 40 * styleManager.scaleRatio
                height: 40 * styleManager.scaleRatio

                onIsCurrentChanged: {
                    if (isCurrent)
                        root.currentMenu = menuType;
                }

                Image {
                    id: picture
                    anchors.centerIn: parent
                    width: (entry.stateName === "Pressed" ? 76 : 40) * styleManager.scaleRatio
                    height: width
                    mipmap: true
                    source: root.iconSource(menuIcon, entry.stateName)
                }

                MouseArea {
                    anchors.fill: parent
                    hoverEnabled: true
                    onEntered: entry.hovered = true
                    onExited: {
                        entry.hovered = false;
                        entry.pressed = false;
                    }
                    onPressed: entry.pressed = true
                    onReleased: entry.pressed = false
                    onCanceled: {
                        entry.hovered = false;
                        entry.pressed = false;
                    }
                    onClicked: listView.currentIndex = index
                }

                // Follows the pointer only: a press elsewhere must not close it, which
                // would end the binding. Beside the menu, it covers no other entry.
                Widgets.ToolTip {
                    objectName: "menuToolTip"
                    x: entry.width + 16 * styleManager.scaleRatio
                    y: (entry.height - height) / 2
                    visible: entry.hovered
                    closePolicy: QQC.Popup.NoAutoClose
                    text: menuName
                }
            }
        }
    }
}
