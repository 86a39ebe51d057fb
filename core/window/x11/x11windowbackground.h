#pragma once

#include <QColor>
#include <QWindow>

// The colour the X server fills a window's newly exposed pixels with (a grown part, an area
// uncovered) before the window draws them.
namespace X11WindowBackground {

// `colour`, opaque; a transparent colour leaves the pixels to the server (what lay there
// before). Nothing where the platform is not X11 or the window has no native window yet.
void fill(const QWindow *window, const QColor &colour);

} // namespace X11WindowBackground
