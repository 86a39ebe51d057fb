import QtQuick
import QtQuick.Controls as QQC
import QtQuick.Layouts

// The progress of one record download with its stop button. Only the operator closes it
// (or a successful end); closing stops the download as the button does. `message` says
// what became of a start that did not begin a download (one already running).
MovablePopup {
    id: downloadPopup

    property real progress: 0
    property string message: ""
    property color textColor: styleManager.style.color("Login-TextColor")
    readonly property color buttonColor: styleManager.style.color("Login-LoginButton-Normal")

    signal stopRequested()

    width: 400 * styleManager.scaleRatio
    height: 180 * styleManager.scaleRatio
    closePolicy: QQC.Popup.NoAutoClose
    onClosed: stopDownloadButton.clicked()

    contentItem: Item {
        RowLayout {
            anchors.top: parent.top
            anchors.topMargin: 20 * styleManager.scaleRatio
            anchors.left: parent.left
            anchors.right: parent.right
            height: 30 * styleManager.scaleRatio

            Text {
                Layout.alignment: Qt.AlignVCenter
                text: "下载进度: "
                color: downloadPopup.textColor
                font.family: "微软雅黑"
                font.pointSize: 11 * styleManager.fontScaleRatio
            }

            QQC.ProgressBar {
                objectName: "downloadProgressBar"
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignVCenter
                from: 0
                to: 1
                value: downloadPopup.progress
            }
        }

        Text {
            objectName: "downloadMessage"
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.top: parent.top
            anchors.topMargin: 60 * styleManager.scaleRatio
            text: downloadPopup.message
            color: downloadPopup.textColor
            font.family: "微软雅黑"
            font.pointSize: 10 * styleManager.fontScaleRatio
        }

        ColorButton {
            id: stopDownloadButton
            objectName: "stopDownloadButton"
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 20 * styleManager.scaleRatio
            width: 100 * styleManager.scaleRatio
            height: 30 * styleManager.scaleRatio
            text: "停止下载"
            normalColor: downloadPopup.buttonColor
            hoveredColor: Qt.lighter(downloadPopup.buttonColor)
            pressedColor: Qt.darker(downloadPopup.buttonColor, 1.2)
            textColor: styleManager.style.color("Login-TextColor")
            radius: 2
            onClicked: downloadPopup.stopRequested()
        }
    }
}
