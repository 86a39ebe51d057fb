import QtQuick

// The page name in the middle of a page that is not built yet; goes with the last
// stand-in page.
Text {
    anchors.centerIn: parent
    color: styleManager.style.color("Login-TextColor")
    opacity: 0.6
    font.family: "微软雅黑"
    font.pointSize: 24 * styleManager.fontScaleRatio
    font.letterSpacing: 4
}
