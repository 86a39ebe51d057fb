import QtQuick

// The close button of every window frame and popup title bar.
ImageButton {
    normalImage: styleManager.style.image("Login-CloseButton-Normal")
    hoveredImage: styleManager.style.image("Login-CloseButton-Hovered")
    pressedImage: styleManager.style.image("Login-CloseButton-Pressed")
}
