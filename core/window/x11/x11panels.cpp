#include "x11panels.h"

#ifdef ZELKA_HAS_XCB
#include <vector>

#include "x11connection.h"
#endif

namespace X11Panels {

#ifdef ZELKA_HAS_XCB
namespace {

using X11::placeOnRoot;
using X11::quietReply;
using X11::Reply;

constexpr int kDepth = 3;

std::vector<xcb_window_t> children(xcb_connection_t *connection, const std::vector<xcb_window_t> &parents)
{
    // Every request first, then the replies: one round trip for all of them.
    std::vector<xcb_query_tree_cookie_t> cookies;
    cookies.reserve(parents.size());
    for (xcb_window_t parent : parents)
        cookies.push_back(xcb_query_tree(connection, parent));
    std::vector<xcb_window_t> found;
    for (xcb_query_tree_cookie_t cookie : cookies) {
        const Reply<xcb_query_tree_reply_t> reply = quietReply(xcb_query_tree_reply, connection, cookie);
        if (!reply)
            continue;
        const xcb_window_t *windows = xcb_query_tree_children(reply.get());
        found.insert(found.end(), windows, windows + xcb_query_tree_children_length(reply.get()));
    }
    return found;
}

// The edges a strut reserves: its first four items are left, right, top and bottom.
Qt::Edges strutEdges(xcb_connection_t *connection, xcb_get_property_cookie_t cookie)
{
    const Reply<xcb_get_property_reply_t> reply = quietReply(xcb_get_property_reply, connection, cookie);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 16)
        return {};
    const auto *items = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    Qt::Edges edges;
    edges.setFlag(Qt::LeftEdge, items[0] > 0);
    edges.setFlag(Qt::RightEdge, items[1] > 0);
    edges.setFlag(Qt::TopEdge, items[2] > 0);
    edges.setFlag(Qt::BottomEdge, items[3] > 0);
    return edges;
}

struct Candidate
{
    xcb_window_t window;
    xcb_get_property_cookie_t partial;
    xcb_get_property_cookie_t plain;
    xcb_get_window_attributes_cookie_t attributes;
};

} // namespace
#endif

QList<X11Panel> read()
{
    QList<X11Panel> panels;
#ifdef ZELKA_HAS_XCB
    xcb_connection_t *connection = X11::connection();
    if (!connection)
        return panels;
    const xcb_window_t root = X11::rootWindow(connection);
    const xcb_atom_t partial = X11::atom(connection, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t plain = X11::atom(connection, "_NET_WM_STRUT");
    // Three levels down: icewm's task bar lies in a frame in a frame.
    std::vector<xcb_window_t> windows;
    std::vector<xcb_window_t> level{root};
    for (int depth = 0; depth < kDepth; ++depth) {
        level = children(connection, level);
        windows.insert(windows.end(), level.begin(), level.end());
    }
    std::vector<Candidate> candidates;
    candidates.reserve(windows.size());
    for (xcb_window_t window : windows) {
        candidates.push_back({window, xcb_get_property(connection, false, window, partial, XCB_ATOM_CARDINAL, 0, 12),
                              xcb_get_property(connection, false, window, plain, XCB_ATOM_CARDINAL, 0, 4),
                              xcb_get_window_attributes(connection, window)});
    }
    for (const Candidate &candidate : candidates) {
        const Qt::Edges fromPartial = strutEdges(connection, candidate.partial);
        const Qt::Edges fromPlain = strutEdges(connection, candidate.plain);
        const Reply<xcb_get_window_attributes_reply_t> attributes =
            quietReply(xcb_get_window_attributes_reply, connection, candidate.attributes);
        const Qt::Edges edges = fromPartial ? fromPartial : fromPlain;
        if (!edges || !attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const QRect rect = placeOnRoot(connection, root, candidate.window);
        if (!rect.isEmpty())
            panels.append({rect, edges});
    }
#endif
    return panels;
}

QRect freeArea(const QRect &monitor, const QList<X11Panel> &panels)
{
    QRect free = monitor;
    for (const X11Panel &panel : panels) {
        if (!panel.rect.intersects(monitor))
            continue;
        if (panel.edges & Qt::TopEdge)
            free.setTop(qMax(free.top(), panel.rect.bottom() + 1));
        if (panel.edges & Qt::BottomEdge)
            free.setBottom(qMin(free.bottom(), panel.rect.top() - 1));
        if (panel.edges & Qt::LeftEdge)
            free.setLeft(qMax(free.left(), panel.rect.right() + 1));
        if (panel.edges & Qt::RightEdge)
            free.setRight(qMin(free.right(), panel.rect.left() - 1));
    }
    return free;
}

} // namespace X11Panels
