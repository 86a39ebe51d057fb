#pragma once

#include <optional>

class QWindow;

// The X server's own account of the pointer, for what Qt's xcb platform does not say:
// while a window manager moves a window the client sees no pointer event, and afterwards
// Qt still reports the button the window manager's grab took as held.
namespace X11Pointer {

// Whether a pointer button is held now; empty where the platform is not X11.
std::optional<bool> buttonsHeld();

// Asks the window manager to drop a move or resize of `window` that it runs or is about to
// start (_NET_WM_MOVERESIZE_CANCEL); nothing where the platform is not X11.
void cancelMoveResize(QWindow *window);

} // namespace X11Pointer
