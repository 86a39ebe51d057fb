#pragma once

#include <QList>
#include <QRect>

// The panels (task bars, docks) on an X11 desk: windows that reserve a strip along a screen
// edge (_NET_WM_STRUT_PARTIAL or _NET_WM_STRUT). The window manager's work area is one
// rectangle for the whole desk; a panel's own place tells which monitor it takes room from.
struct X11Panel
{
    // Where it lies, in the desk's device pixels.
    QRect rect;
    // The edges it is reserved along.
    Qt::Edges edges;

    bool operator==(const X11Panel &other) const { return rect == other.rect && edges == other.edges; }
};

namespace X11Panels {

// The mapped panels among the root window's children down to three levels (where window
// managers put panels and the frames around them); empty off X11.
QList<X11Panel> read();

// `monitor` (device pixels) less the strips that the panels lying on it reserve.
QRect freeArea(const QRect &monitor, const QList<X11Panel> &panels);

} // namespace X11Panels
