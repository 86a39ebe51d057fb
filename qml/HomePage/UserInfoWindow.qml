import QtQuick
import "../Widgets" as Widgets

// The operator's account details in a small framed window. Nothing opens it yet: the
// user menu only asks whether it is open. The host flag and the user record are inputs
// the native layer does not offer, so the lines show their fallbacks until someone
// sets these two properties.
Widgets.AppWindow {
    id: userInfoWindow

    // True while shown by display() and not closed since.
    property bool opened: false
    property var isHost: settingManager.settings.isHost
    property var userInfo: networkManager.userInfo

    // Centred on the main window, on its screen.
    function display() {
        placeOver(homeWindow, false);
        visible = true;
        opened = true;
    }

    function quit() {
        visible = false;
        opened = false;
    }

    width: 400 * styleManager.scaleRatio
    height: 280 * styleManager.scaleRatio
    captionHeight: 35 * styleManager.scaleRatio
    captionWidth: width - 50 * styleManager.scaleRatio
    color: "transparent"
    topWindow: homeWindow
    resizable: false
    taskbarHint: false

    onCloseClicked: quit()

    contentItem: Item {
        Column {
            id: infoColumn
            objectName: "infoColumn"

            readonly property bool host: Boolean(userInfoWindow.isHost)
            readonly property var info: userInfoWindow.userInfo ?? ({})

            // Whole days of validity left, cut toward zero; a month counts as 30 days.
            function remaining() {
                const day = 24 * 60 * 60 * 1000;
                const end = new Date(info.updateTime).getTime() + info.passwordValidPeriod * 30 * day;
                return Math.trunc((end - Date.now()) / day);
            }

            anchors.horizontalCenter: parent.horizontalCenter
            anchors.verticalCenter: parent.verticalCenter
            anchors.verticalCenterOffset: -10 * styleManager.scaleRatio
            spacing: 10 * styleManager.scaleRatio

            InfoLine {
                objectName: "accountLine"
                text: "账号: " + (infoColumn.host ? infoColumn.info.username : "被控客户端")
            }

            InfoLine {
                objectName: "realNameLine"
                text: "真实姓名: " + (infoColumn.host ? infoColumn.info.realName : "被控客户端")
            }

            InfoLine {
                objectName: "phoneLine"
                text: "手机号码: " + (infoColumn.host ? infoColumn.info.phoneNumber : "无")
            }

            InfoLine {
                objectName: "updateTimeLine"
                text: "密码更新时间: " + (infoColumn.host ? infoColumn.info.updateTime + " " : "无")
            }

            InfoLine {
                objectName: "validPeriodLine"
                text: "密码有效期: " + (infoColumn.host ? infoColumn.info.passwordValidPeriod + " 个月" : "无")
            }

            InfoLine {
                objectName: "remainingLine"
                text: "密码剩余有效期: " + (infoColumn.host ? infoColumn.remaining() + " 天" : "无")
            }
        }
    }

    component InfoLine: Text {
        color: userInfoWindow.textColor
        font.family: "微软雅黑"
        font.pointSize: 11 * styleManager.fontScaleRatio
    }
}
