import QtQuick
import an.window 1.0
import ".././Widgets" as Widgets

// The main window after login. Until its menu and pages arrive it shows the server's title
// over the background and offers the close button; it fades in when shown and fades out
// before the application quits.
FramelessWindow {
    id: homeWindow

    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")

    function quit() {
        quitAnimation.restart();
    }

    minimumWidth: 1688 * styleManager.scaleRatio
    minimumHeight: 950 * styleManager.scaleRatio
    width: minimumWidth
    height: minimumHeight
    captionArea: Qt.rect(450 * styleManager.scaleRatio, 0, width - 900 * styleManager.scaleRatio, 30 * styleManager.scaleRatio)
    title: networkManager.otherConfig.title
    visible: false
    resizable: true
    color: "transparent"
    opacity: 0

    Component.onCompleted: {
        x = (qmlApi.primaryScreen.availableSize.width - width) * 0.5;
        y = (qmlApi.primaryScreen.availableSize.height - height) * 0.5;
        showAnimation.start();
    }

    NumberAnimation {
        id: showAnimation
        target: homeWindow
        property: "opacity"
        from: 0
        to: 1.0
        duration: 800
        onStarted: homeWindow.visible = true
    }

    NumberAnimation {
        id: quitAnimation
        target: homeWindow
        property: "opacity"
        to: 0
        duration: 600
        onStopped: Qt.quit()
    }

    FontLoader {
        id: yousheFont
        source: "qrc:/zelka/res/font/YouSheBiaoTiHei.ttf"
    }

    Image {
        anchors.fill: parent
        source: "file:///" + qmlApi.getApplicationDir() + "/background/home.png"

        Text {
            objectName: "titleText"
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.top: parent.top
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: networkManager.otherConfig.title
            color: homeWindow.textColor
            font.family: yousheFont.status === FontLoader.Ready ? yousheFont.name : "YouSheBiaoTiHei"
            font.pointSize: 28 * styleManager.fontScaleRatio
            font.letterSpacing: 4
        }

        Widgets.ImageButton {
            id: closeButton
            objectName: "closeButton"
            anchors.top: parent.top
            anchors.right: parent.right
            anchors.margins: 8 * styleManager.scaleRatio
            width: 32 * styleManager.scaleRatio
            height: width
            normalImage: styleManager.style.image("Login-CloseButton-Normal")
            hoveredImage: styleManager.style.image("Login-CloseButton-Hovered")
            pressedImage: styleManager.style.image("Login-CloseButton-Pressed")
            // The server is told without waiting for its answer.
            onClicked: {
                networkManager.logout();
                homeWindow.quit();
            }
        }
    }
}
