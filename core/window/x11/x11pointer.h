#pragma once

#include <QPoint>
#include <Qt>

#include <optional>

class QWindow;

// The X server's own account of the pointer, for what Qt's xcb platform does not say:
// while a window manager moves a window the client sees no pointer event, and afterwards
// Qt still reports the button the window manager's grab took as held.
namespace X11Pointer {

// Whether a pointer button is held now; empty where the platform is not X11.
std::optional<bool> buttonsHeld();

// Hands the pointer to the window manager for a move (no edges) or a resize of `window` by
// `edges` (_NET_WM_MOVERESIZE) that starts at the press at `pressPosition` (the window's
// logical pixels): the window manager takes the start from the request, so the window keeps
// the place the pointer took hold of however far the pointer has gone since. Empty where
// the platform is not X11; false where no window manager takes such requests.
std::optional<bool> beginMoveResize(QWindow *window, const QPoint &pressPosition, Qt::Edges edges);

// Asks the window manager to drop a move or resize of `window` that it runs or is about to
// start (_NET_WM_MOVERESIZE_CANCEL); nothing where the platform is not X11.
void cancelMoveResize(QWindow *window);

} // namespace X11Pointer
