import QtQuick
import an.window 1.0
import "qrc:/zelka/qml/HomePage"

// Stands in for the main window around its title strip: the strip finds it as
// homeWindow, and quit() is counted instead of ending the test run.
FramelessWindow {
    id: homeWindow

    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")
    property int quitCalls: 0

    function quit() {
        ++quitCalls;
    }

    width: 1688 * styleManager.scaleRatio
    height: 950 * styleManager.scaleRatio
    color: "#0b2f4f"
    visible: true

    Item {
        anchors.fill: parent

        ControlButtons {
            objectName: "controlButtons"
        }
    }
}
