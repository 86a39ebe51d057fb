#include "x11pointer.h"

#include <QGuiApplication>
#include <QWindow>

#ifdef ZELKA_HAS_XCB
#include <qpa/qplatformwindow.h>

#include <algorithm>

#include "x11connection.h"
#endif

namespace X11Pointer {

#ifdef ZELKA_HAS_XCB
namespace {

using X11::atom;
using X11::connection;
using X11::Reply;
using X11::rootWindow;

Reply<xcb_query_pointer_reply_t> queryPointer(xcb_connection_t *connection)
{
    const xcb_window_t root = rootWindow(connection);
    if (root == XCB_WINDOW_NONE)
        return {};
    return Reply<xcb_query_pointer_reply_t>(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr));
}

// Whether the window manager says it takes _NET_WM_MOVERESIZE (none does without one).
bool moveResizeSupported(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t moveResize)
{
    return X11::listedAsSupported(connection, root, moveResize);
}

// The _NET_WM_MOVERESIZE direction for a resize by `edges`, or a move.
uint32_t direction(Qt::Edges edges)
{
    // In the protocol's order: 0 the top-left corner, clockwise to 7 the left edge.
    static const Qt::Edges kResizeEdges[] = {
        Qt::TopEdge | Qt::LeftEdge,     Qt::TopEdge,    Qt::TopEdge | Qt::RightEdge,
        Qt::RightEdge,                  Qt::BottomEdge | Qt::RightEdge,
        Qt::BottomEdge,                 Qt::BottomEdge | Qt::LeftEdge, Qt::LeftEdge,
    };
    constexpr uint32_t kMove = 8;
    const auto *found = std::find(std::begin(kResizeEdges), std::end(kResizeEdges), edges);
    return found == std::end(kResizeEdges) ? kMove : uint32_t(found - std::begin(kResizeEdges));
}

void sendMoveResize(xcb_connection_t *connection, xcb_window_t root, QWindow *window, xcb_atom_t moveResize,
                    const QPoint &rootPosition, uint32_t action)
{
    constexpr uint32_t kFirstButton = 1;
    constexpr uint32_t kSourceApplication = 1;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = moveResize;
    message.data.data32[0] = uint32_t(rootPosition.x());
    message.data.data32[1] = uint32_t(rootPosition.y());
    message.data.data32[2] = action;
    message.data.data32[3] = kFirstButton;
    message.data.data32[4] = kSourceApplication;
    xcb_send_event(connection, false, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
}

} // namespace
#endif

std::optional<bool> buttonsHeld()
{
#ifdef ZELKA_HAS_XCB
    if (xcb_connection_t *c = connection()) {
        if (const auto pointer = queryPointer(c)) {
            constexpr uint16_t anyButton = XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3
                                           | XCB_BUTTON_MASK_4 | XCB_BUTTON_MASK_5;
            return (pointer->mask & anyButton) != 0;
        }
    }
#endif
    return std::nullopt;
}

std::optional<bool> beginMoveResize(QWindow *window, const QPoint &pressPosition, Qt::Edges edges)
{
#ifdef ZELKA_HAS_XCB
    xcb_connection_t *c = connection();
    if (!c)
        return std::nullopt;
    const xcb_window_t root = rootWindow(c);
    const xcb_atom_t moveResize = atom(c, "_NET_WM_MOVERESIZE");
    if (!window || !window->handle() || root == XCB_WINDOW_NONE || moveResize == XCB_ATOM_NONE
        || !moveResizeSupported(c, root, moveResize))
        return false;
    // The press in the screen's pixels, where the window is now (it has not moved since).
    const QPoint native = (QPointF(pressPosition) * window->devicePixelRatio()).toPoint();
    const QPoint rootPosition = window->handle()->mapToGlobal(native);
    // The press's own grab would keep the pointer from the window manager.
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    sendMoveResize(c, root, window, moveResize, rootPosition, direction(edges));
    return true;
#else
    Q_UNUSED(window);
    Q_UNUSED(pressPosition);
    Q_UNUSED(edges);
    return std::nullopt;
#endif
}

void cancelMoveResize(QWindow *window)
{
#ifdef ZELKA_HAS_XCB
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle())
        return;
    const auto pointer = queryPointer(c);
    const xcb_atom_t moveResize = atom(c, "_NET_WM_MOVERESIZE");
    if (!pointer || moveResize == XCB_ATOM_NONE)
        return;
    constexpr uint32_t kCancel = 11;
    sendMoveResize(c, pointer->root, window, moveResize, QPoint(pointer->root_x, pointer->root_y), kCancel);
#else
    Q_UNUSED(window);
#endif
}

} // namespace X11Pointer
