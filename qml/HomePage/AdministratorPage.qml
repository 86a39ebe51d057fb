import QtQuick
import an.window 1.0

// The user button of the title strip: the operator's nick name, and a drop-down with
// personal information, the server's user management in the browser, and logging out,
// which ends the application once the server has answered (or the transport has given
// up). Works only inside the main window (homeWindow).
Item {
    id: administratorPage

    property alias isLoggingOut: logoutEntry.isLoggingOut
    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")
    property string normalImage: styleManager.style.image("Home-Admin-Normal")
    property string hoveredImage: styleManager.style.image("Home-Admin-Hovered")
    property string pressedImage: styleManager.style.image("Home-Admin-Clicked")
    property string contentImage: styleManager.style.image("Home-Admin-Page-Background")
    property string contentClickedImage: styleManager.style.image("Home-Admin-Page-Clicked")
    property string name: ""
    property string nickName: ""
    property string roleName: ""

    width: buttonRow.width
    height: 32 * styleManager.scaleRatio

    // A failed request never answers: the name stays empty.
    Component.onCompleted: {
        networkManager.getUserInfo(function(userInfo) {
            administratorPage.name = String(userInfo?.name ?? "");
            administratorPage.nickName = String(userInfo?.nick_name ?? "");
            administratorPage.roleName = String(userInfo?.role_name ?? "");
        });
    }

    Connections {
        target: homeWindow

        // The main window goes at once; so does the drop-down.
        function onClosing() {
            content.closeNow();
        }
    }

    Rectangle {
        id: buttons
        objectName: "userButton"

        property bool hovered: false
        property bool pressed: false

        anchors.horizontalCenter: parent.horizontalCenter
        width: buttonRow.width
        height: 32 * styleManager.scaleRatio
        color: "transparent"

        Row {
            id: buttonRow

            Image {
                objectName: "userIcon"
                width: height
                height: 32 * styleManager.scaleRatio
                mipmap: true
                source: buttons.pressed ? administratorPage.pressedImage
                                        : buttons.hovered ? administratorPage.hoveredImage : administratorPage.normalImage
            }

            Text {
                objectName: "nickNameText"
                height: 32 * styleManager.scaleRatio
                leftPadding: 5 * styleManager.scaleRatio
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                text: administratorPage.nickName
                color: buttons.hovered || buttons.pressed ? administratorPage.inputColor : administratorPage.textColor
                font.family: "微软雅黑"
                font.pointSize: 12 * styleManager.fontScaleRatio
            }
        }

        // A click while the drop-down fades out finds it still open and only repeats
        // the close request: it does not flicker open again.
        MouseArea {
            anchors.fill: parent
            hoverEnabled: true
            onEntered: buttons.hovered = true
            onExited: buttons.hovered = false
            onPressed: buttons.pressed = true
            onReleased: buttons.pressed = false
            onClicked: {
                if (content.opened)
                    content.quit();
                else
                    content.display();
            }
        }
    }

    FramelessWindow {
        id: content
        objectName: "userMenuWindow"

        // True from the request to open until the fade-out has ended.
        property bool opened: false

        // The place is computed here only: the drop-down does not follow the main window.
        // The place in one step: a position set as x, then y chooses the screen twice.
        function display() {
            setGeometry(homeWindow.x + administratorPage.mapToItem(null, 0, 0).x
                        - Math.abs(width - administratorPage.width) * 0.5,
                        homeWindow.y + administratorPage.y + administratorPage.height + 30 * styleManager.scaleRatio,
                        width, height);
            opened = true;
            show();
            activeWindow();
            openAnimation.restart();
        }

        function quit() {
            if (closeAnimation.running)
                return;
            openAnimation.stop();
            closeAnimation.restart();
        }

        // Also when the window manager closed it: the next request opens it again.
        function reset() {
            openAnimation.stop();
            closeAnimation.stop();
            contentImage.opacity = 0;
            opened = false;
        }

        function closeNow() {
            reset();
            close();
        }

        width: 140 * styleManager.scaleRatio
        maximumWidth: 140 * styleManager.scaleRatio
        height: 160 * styleManager.scaleRatio
        maximumHeight: 160 * styleManager.scaleRatio
        topWindow: homeWindow
        taskbarHint: false
        resizable: false
        visible: false
        color: "transparent"

        onClosing: reset()
        // The account window is never shown, so any click outside fades the drop-down out.
        onFocusOut: {
            if (!userInfoWindow.opened)
                quit();
        }

        NumberAnimation {
            id: openAnimation
            target: contentImage
            property: "opacity"
            from: 0
            to: 1
            duration: 350
        }

        NumberAnimation {
            id: closeAnimation
            target: contentImage
            property: "opacity"
            from: 1
            to: 0
            duration: 350
            onFinished: {
                content.opened = false;
                content.close();
            }
        }

        Image {
            id: contentImage
            objectName: "userMenuPicture"
            anchors.fill: parent
            opacity: 0
            source: administratorPage.contentImage

            Column {
                id: entries
                anchors.fill: parent
                anchors.topMargin: 40 * styleManager.scaleRatio
                anchors.bottomMargin: 20 * styleManager.scaleRatio
                spacing: 5 * styleManager.scaleRatio

                // Only closes the drop-down (or the account window, were it open).
                MenuEntry {
                    objectName: "detailEntry"
                    text: qsTr("个人信息")
                    normalIcon: styleManager.style.image("Home-Detail-Normal")
                    hoveredIcon: styleManager.style.image("Home-Detail-Clicked")
                    onClicked: {
                        if (userInfoWindow.opened)
                            userInfoWindow.quit();
                        else
                            content.quit();
                    }
                }

                // The browser takes the focus, which fades the drop-down out.
                MenuEntry {
                    objectName: "userManageEntry"
                    text: qsTr("用户管理")
                    normalIcon: styleManager.style.image("Home-User-Normal")
                    hoveredIcon: styleManager.style.image("Home-User-Clicked")
                    onClicked: Qt.openUrlExternally("http://" + settingManager.settings.host + ":"
                                                    + settingManager.settings.port)
                }

                // Any answer ends the application, a refusal too; an unanswered request
                // ends as a failure when the transport gives up.
                MenuEntry {
                    id: logoutEntry
                    objectName: "logoutEntry"

                    property bool isLoggingOut: false

                    text: qsTr("退出账号")
                    normalIcon: styleManager.style.image("Home-Exit-Normal")
                    hoveredIcon: styleManager.style.image("Home-Exit-Clicked")
                    onClicked: {
                        if (isLoggingOut)
                            return;
                        isLoggingOut = true;
                        networkManager.logout(function(success, errorString) {
                            if (!logoutEntry.isLoggingOut)
                                return;
                            logoutEntry.isLoggingOut = false;
                            settingManager.setApplicationNeedRestart(true);
                            homeWindow.quit();
                        });
                    }
                }
            }
        }
    }

    UserInfoWindow {
        id: userInfoWindow
        objectName: "userInfoWindow"
    }

    component MenuEntry: Item {
        id: entry

        property bool hovered: false
        property string text
        property string normalIcon
        property string hoveredIcon

        signal clicked()

        width: entries.width
        height: entries.height / 4

        Image {
            anchors.fill: parent
            source: entry.hovered ? administratorPage.contentClickedImage : ""
        }

        Image {
            id: entryIcon
            anchors.verticalCenter: parent.verticalCenter
            x: 12 * styleManager.scaleRatio
            width: height
            height: entry.height + 10 * styleManager.scaleRatio
            source: entry.hovered ? entry.hoveredIcon : entry.normalIcon
        }

        Text {
            anchors.left: entryIcon.right
            anchors.right: parent.right
            anchors.rightMargin: 18 * styleManager.scaleRatio
            height: entry.height
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: entry.text
            color: administratorPage.textColor
            font.pointSize: 12 * styleManager.fontScaleRatio
        }

        MouseArea {
            anchors.fill: parent
            hoverEnabled: true
            onEntered: entry.hovered = true
            onPressed: entry.hovered = true
            onExited: entry.hovered = false
            onReleased: mouse => {
                if (!contains(Qt.point(mouse.x, mouse.y)))
                    entry.hovered = false;
            }
            onClicked: entry.clicked()
        }
    }
}
