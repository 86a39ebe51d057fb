#pragma once

// The X server connection that Qt's xcb platform opened, and the small requests the window
// code makes on it. Only where the client is built with libxcb (ZELKA_HAS_XCB).
#ifdef ZELKA_HAS_XCB
#include <xcb/xcb.h>

#include <QRect>

#include <cstdlib>
#include <memory>
#include <vector>

namespace X11 {

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// A window may go between the request and the reply: its error is dropped here rather than
// reported by Qt's event loop as a fault.
template <typename T, typename Cookie>
Reply<T> quietReply(T *(*fetch)(xcb_connection_t *, Cookie, xcb_generic_error_t **), xcb_connection_t *connection,
                    Cookie cookie)
{
    xcb_generic_error_t *error = nullptr;
    Reply<T> reply(fetch(connection, cookie, &error));
    std::free(error);
    return reply;
}

// Null where the platform is not X11.
xcb_connection_t *connection();
xcb_window_t rootWindow(xcb_connection_t *connection);
xcb_atom_t atom(xcb_connection_t *connection, const char *name);
// The 32-bit items of `window`'s property of that type; empty where it has none or has gone.
std::vector<uint32_t> property32(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                 xcb_atom_t type);
// Whether the root's _NET_SUPPORTED (the window manager's list of the hints it takes) names `hint`.
bool listedAsSupported(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t hint);
// Where `window` lies in `root`'s pixels, as the server has it now; empty where it has gone.
QRect placeOnRoot(xcb_connection_t *connection, xcb_window_t root, xcb_window_t window);

} // namespace X11
#endif
