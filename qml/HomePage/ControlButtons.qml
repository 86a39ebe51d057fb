import QtQuick
import QtQuick.Controls as QQC
import "../Widgets" as Widgets

// The strip in the main window's top-right corner: clock, user menu, and the buttons
// to minimise, to show full screen and back, and to close. Closing tells the server
// without waiting for its answer. Works only inside the main window (homeWindow).
Item {
    id: controlButtons

    property alias isFull: fullScreenButton.isFull

    anchors.top: parent.top
    anchors.right: parent.right
    width: row.width
    height: 50 * styleManager.scaleRatio

    Row {
        id: row
        height: parent.height
        spacing: 20 * styleManager.scaleRatio

        DateTimePage {
            objectName: "dateTimePage"
            anchors.verticalCenter: parent.verticalCenter
            width: 180 * styleManager.scaleRatio
        }

        Separator {}

        AdministratorPage {
            id: administratorPage
            objectName: "administratorPage"
            anchors.verticalCenter: parent.verticalCenter
        }

        Separator {}

        Row {
            z: 10
            anchors.verticalCenter: parent.verticalCenter

            Widgets.ImageButton {
                objectName: "minButton"
                width: 32 * styleManager.scaleRatio
                height: width
                normalImage: styleManager.style.image("Login-MinButton-Normal")
                hoveredImage: styleManager.style.image("Login-MinButton-Hovered")
                pressedImage: styleManager.style.image("Login-MinButton-Pressed")
                onClicked: homeWindow.showMinimized()
            }

            // Every change of isFull acts on the window, whether by a click or by a
            // write from outside.
            Widgets.ImageButton {
                id: fullScreenButton
                objectName: "fullScreenButton"

                property bool isFull: false
                readonly property string imagePrefix: isFull ? "Home-NarrowButton-" : "Home-MaxButton-"

                width: 32 * styleManager.scaleRatio
                height: width
                normalImage: styleManager.style.image(imagePrefix + "Normal")
                hoveredImage: styleManager.style.image(imagePrefix + "Hovered")
                pressedImage: styleManager.style.image(imagePrefix + "Pressed")
                onClicked: isFull = !isFull
                onIsFullChanged: {
                    if (isFull) {
                        homeWindow.displayFullScreen();
                    } else {
                        homeWindow.displayNormal();
                        homeWindow.raise();
                    }
                }

                // Follows the pointer only: a press elsewhere must not close it, which
                // would end the binding.
                Widgets.ToolTip {
                    objectName: "fullScreenToolTip"
                    visible: fullScreenButton.hovered
                    closePolicy: QQC.Popup.NoAutoClose
                    text: fullScreenButton.isFull ? "还原" : "全屏"
                }
            }

            Widgets.ImageButton {
                objectName: "closeButton"
                width: 32 * styleManager.scaleRatio
                height: width
                normalImage: styleManager.style.image("Login-CloseButton-Normal")
                hoveredImage: styleManager.style.image("Login-CloseButton-Hovered")
                pressedImage: styleManager.style.image("Login-CloseButton-Pressed")
                onClicked: {
                    networkManager.logout();
                    homeWindow.quit();
                }
            }
        }
    }

    component Separator: Rectangle {
        anchors.verticalCenter: parent.verticalCenter
        width: 1
        height: controlButtons.height / 2
        color: homeWindow.textColor
    }
}
