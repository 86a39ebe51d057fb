#pragma once

#include <QRect>

#include <optional>

class QWindow;

// Where the X server has a window, for the moments Qt's own account of it is not to be
// trusted (see WindowScreen).
namespace X11WindowPlace {

// `window`'s place on the desk in device pixels, as the server has it now; empty where the
// platform is not X11 or the window has no X window.
std::optional<QRect> nativeGeometry(const QWindow *window);

} // namespace X11WindowPlace
