#include "x11windowplace.h"

#include <QWindow>

#ifdef ZELKA_HAS_XCB
#include <qpa/qplatformwindow.h>

#include "x11connection.h"
#endif

namespace X11WindowPlace {

std::optional<QRect> nativeGeometry(const QWindow *window)
{
#ifdef ZELKA_HAS_XCB
    xcb_connection_t *connection = X11::connection();
    const QPlatformWindow *platform = window->handle();
    if (!connection || !platform)
        return std::nullopt;
    const QRect place = X11::placeOnRoot(connection, X11::rootWindow(connection), xcb_window_t(platform->winId()));
    if (!place.isEmpty())
        return place;
#else
    Q_UNUSED(window);
#endif
    return std::nullopt;
}

} // namespace X11WindowPlace
