#include "x11connection.h"

#ifdef ZELKA_HAS_XCB
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <algorithm>
#include <cstring>

namespace X11 {

xcb_connection_t *connection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t *connection)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, false, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<uint32_t> property32(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                 xcb_atom_t type)
{
    constexpr uint32_t kMostItems = 4096;
    const Reply<xcb_get_property_reply_t> reply = quietReply(
        xcb_get_property_reply, connection, xcb_get_property(connection, false, window, property, type, 0, kMostItems));
    if (!reply || reply->format != 32 || reply->type != type)
        return {};
    const auto *items = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(items, items + xcb_get_property_value_length(reply.get()) / 4);
}

bool listedAsSupported(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t hint)
{
    const std::vector<uint32_t> supported =
        property32(connection, root, atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    return std::find(supported.begin(), supported.end(), hint) != supported.end();
}

QRect placeOnRoot(xcb_connection_t *connection, xcb_window_t root, xcb_window_t window)
{
    const Reply<xcb_get_geometry_reply_t> geometry =
        quietReply(xcb_get_geometry_reply, connection, xcb_get_geometry(connection, window));
    const Reply<xcb_translate_coordinates_reply_t> origin =
        quietReply(xcb_translate_coordinates_reply, connection, xcb_translate_coordinates(connection, window, root, 0, 0));
    if (!geometry || !origin)
        return {};
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

} // namespace X11
#endif
