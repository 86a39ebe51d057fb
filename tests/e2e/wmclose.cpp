/* Closes an X window the way a window manager does (Alt+F4, a title bar's close button):
 * a WM_DELETE_WINDOW client message of the WM_PROTOCOLS kind. xdotool's windowclose
 * destroys the window instead, which no application sees as a close request.
 * Usage: zelka_wm_close WINDOW_ID (decimal, as xdotool prints it) */
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

static xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
        return 2;
    }
    const xcb_window_t window = (xcb_window_t)strtoul(argv[1], NULL, 0);
    xcb_connection_t *connection = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(connection)) {
        fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 1;
    }
    xcb_client_message_event_t message;
    memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_void_cookie_t sent =
        xcb_send_event_checked(connection, 0, window, XCB_EVENT_MASK_NO_EVENT, (const char *)&message);
    xcb_generic_error_t *error = xcb_request_check(connection, sent);
    xcb_disconnect(connection);
    if (error) {
        fprintf(stderr, "%s: no window %s\n", argv[0], argv[1]);
        free(error);
        return 1;
    }
    return 0;
}
