import QtQuick
import QtQuick.Controls as QQC
import QtQuick.Layouts

// A modal confirmation box: "确定" runs the action handed to openWithConfirm once,
// "取消" and every other way of closing drop it.
MovablePopup {
    id: box

    property alias message: messageText.text
    property alias messageColor: messageText.color
    property alias messageFont: messageText.font
    property color buttonColor: styleManager.style.color("Login-LoginButton-Normal")
    property color buttonTextColor: "white"
    property var __confirmCallback: undefined

    function openWithConfirm(callback) {
        __confirmCallback = callback;
        open();
    }

    // The action is taken before it runs, so a second click during the fade cannot run
    // it again, and an action that asks for another confirmation keeps its new one.
    function confirm() {
        const action = __confirmCallback;
        close();
        if (typeof action === "function")
            action();
    }

    width: 260 * styleManager.fontScaleRatio
    height: 150 * styleManager.fontScaleRatio
    modal: true
    closePolicy: QQC.Popup.NoAutoClose

    // A dismissed action must not run on a later confirmation of some other question.
    onAboutToHide: __confirmCallback = undefined

    contentItem: ColumnLayout {
        spacing: 10

        Text {
            id: messageText
            objectName: "MessageBoxText"
            Layout.fillWidth: true
            Layout.fillHeight: true
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
        }

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredHeight: 30 * styleManager.scaleRatio
            spacing: 20 * styleManager.scaleRatio

            MessageBoxButton {
                objectName: "MessageBoxConfirm"
                text: "确定"
                onClicked: box.confirm()
            }

            MessageBoxButton {
                objectName: "MessageBoxCancel"
                text: "取消"
                onClicked: box.close()
            }
        }
    }

    component MessageBoxButton: ColorButton {
        Layout.preferredWidth: 60 * styleManager.scaleRatio
        Layout.preferredHeight: 30 * styleManager.scaleRatio
        radius: 2
        normalColor: box.buttonColor
        hoveredColor: Qt.lighter(box.buttonColor)
        pressedColor: Qt.darker(box.buttonColor, 1.2)
        textColor: box.buttonTextColor
    }
}
