#include "x11windowmanager.h"

#ifdef ZELKA_HAS_XCB
#include "x11connection.h"
#endif

namespace X11WindowManager {

bool takesFullScreen()
{
#ifdef ZELKA_HAS_XCB
    xcb_connection_t *connection = X11::connection();
    if (!connection)
        return false;
    const xcb_window_t root = X11::rootWindow(connection);
    // A window manager that ended leaves its properties on the root behind; its check window
    // went with it, and only a live one names itself there.
    const xcb_atom_t check = X11::atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const std::vector<uint32_t> named = X11::property32(connection, root, check, XCB_ATOM_WINDOW);
    if (named.empty()
        || X11::property32(connection, xcb_window_t(named.front()), check, XCB_ATOM_WINDOW) != named)
        return false;
    return X11::listedAsSupported(connection, root, X11::atom(connection, "_NET_WM_STATE_FULLSCREEN"));
#else
    return false;
#endif
}

} // namespace X11WindowManager
