#include "x11pointer.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#ifdef ZELKA_HAS_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace X11Pointer {

#ifdef ZELKA_HAS_XCB
namespace {

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

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

Reply<xcb_query_pointer_reply_t> queryPointer(xcb_connection_t *connection)
{
    const xcb_window_t root = rootWindow(connection);
    if (root == XCB_WINDOW_NONE)
        return {};
    return Reply<xcb_query_pointer_reply_t>(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr));
}

xcb_atom_t moveResizeAtom(xcb_connection_t *connection)
{
    static const char name[] = "_NET_WM_MOVERESIZE";
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, false, sizeof name - 1, name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
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

void cancelMoveResize(QWindow *window)
{
#ifdef ZELKA_HAS_XCB
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle())
        return;
    const auto pointer = queryPointer(c);
    const xcb_atom_t atom = moveResizeAtom(c);
    if (!pointer || atom == XCB_ATOM_NONE)
        return;
    constexpr uint32_t kCancel = 11;
    constexpr uint32_t kFirstButton = 1;
    constexpr uint32_t kSourceApplication = 1;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = atom;
    message.data.data32[0] = uint32_t(pointer->root_x);
    message.data.data32[1] = uint32_t(pointer->root_y);
    message.data.data32[2] = kCancel;
    message.data.data32[3] = kFirstButton;
    message.data.data32[4] = kSourceApplication;
    xcb_send_event(c, false, pointer->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(c);
#else
    Q_UNUSED(window);
#endif
}

} // namespace X11Pointer
