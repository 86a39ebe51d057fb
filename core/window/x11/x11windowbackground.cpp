#include "x11windowbackground.h"

#ifdef ZELKA_HAS_XCB
#include "x11connection.h"
#endif

namespace X11WindowBackground {

void fill(const QWindow *window, const QColor &colour)
{
#ifdef ZELKA_HAS_XCB
    xcb_connection_t *connection = X11::connection();
    if (!connection || !window->handle())
        return;
    const auto native = xcb_window_t(window->winId());
    if (colour.alpha() == 0) {
        const uint32_t none = XCB_BACK_PIXMAP_NONE;
        xcb_change_window_attributes(connection, native, XCB_CW_BACK_PIXMAP, &none);
    } else {
        // A 32-bit window takes the alpha byte too; a 24-bit one ignores it.
        const uint32_t pixel = 0xff000000u | (colour.rgb() & 0x00ffffffu);
        xcb_change_window_attributes(connection, native, XCB_CW_BACK_PIXEL, &pixel);
    }
    xcb_flush(connection);
#else
    Q_UNUSED(window);
    Q_UNUSED(colour);
#endif
}

} // namespace X11WindowBackground
