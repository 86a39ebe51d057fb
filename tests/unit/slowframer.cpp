/* A window manager reduced to how it takes a window in: at a map request it puts the window
 * in a frame of its own at the desk's corner, as openbox and others do, and places the frame
 * where the window asked to be only after a pause (ZELKA_FRAME_PAUSE_MS, 1000 by default), then
 * maps both; it tells the window nothing of that. An unmapped window goes back to the root
 * at its frame's place; a window not taken in is configured as it asks. Prints "ready" once
 * it manages the display and "framed" when a window lies in its frame at the corner.
 * Usage: zelka_slow_framer */
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <thread>
#include <chrono>
#include <xcb/xcb.h>

namespace {

struct Free
{
    void operator()(void *p) const { free(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, Free>;

xcb_connection_t *connection;
xcb_window_t root;
// Each framed window's frame.
std::map<xcb_window_t, xcb_window_t> frames;

void roundTrip()
{
    Owned<xcb_get_input_focus_reply_t>(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

void frame(xcb_window_t window, int pauseMs)
{
    Owned<xcb_get_geometry_reply_t> asked(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    if (!asked)
        return;
    const xcb_window_t box = xcb_generate_id(connection);
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, box, root, 0, 0, asked->width, asked->height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    xcb_reparent_window(connection, window, box, 0, 0);
    frames[window] = box;
    roundTrip();
    printf("framed\n");
    fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    const uint32_t place[] = {uint32_t(asked->x), uint32_t(asked->y)};
    xcb_configure_window(connection, box, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
    xcb_map_window(connection, window);
    xcb_map_window(connection, box);
}

void release(xcb_window_t window)
{
    const auto found = frames.find(window);
    if (found == frames.end())
        return;
    Owned<xcb_get_geometry_reply_t> at(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, found->second), nullptr));
    if (at)
        xcb_reparent_window(connection, window, root, at->x, at->y);
    xcb_destroy_window(connection, found->second);
    frames.erase(found);
}

void configure(const xcb_configure_request_event_t *request)
{
    static const uint16_t kFields[] = {XCB_CONFIG_WINDOW_X, XCB_CONFIG_WINDOW_Y, XCB_CONFIG_WINDOW_WIDTH,
                                       XCB_CONFIG_WINDOW_HEIGHT, XCB_CONFIG_WINDOW_BORDER_WIDTH,
                                       XCB_CONFIG_WINDOW_SIBLING, XCB_CONFIG_WINDOW_STACK_MODE};
    const uint32_t given[] = {uint32_t(request->x),     uint32_t(request->y),         request->width,
                              request->height,          request->border_width,        request->sibling,
                              request->stack_mode};
    uint32_t values[7];
    int count = 0;
    for (int i = 0; i < 7; ++i) {
        if (request->value_mask & kFields[i])
            values[count++] = given[i];
    }
    xcb_configure_window(connection, request->window, request->value_mask, values);
}

} // namespace

int main()
{
    const char *pause = getenv("ZELKA_FRAME_PAUSE_MS");
    const int pauseMs = pause ? atoi(pause) : 1000;
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        fprintf(stderr, "zelka_slow_framer: cannot open the display\n");
        return 1;
    }
    root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (Owned<xcb_generic_error_t>(xcb_request_check(
            connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask)))) {
        fprintf(stderr, "zelka_slow_framer: another window manager runs\n");
        return 1;
    }
    printf("ready\n");
    fflush(stdout);
    while (Owned<xcb_generic_event_t> event{xcb_wait_for_event(connection)}) {
        switch (event->response_type & 0x7f) {
        case XCB_MAP_REQUEST:
            frame(reinterpret_cast<xcb_map_request_event_t *>(event.get())->window, pauseMs);
            break;
        case XCB_CONFIGURE_REQUEST:
            configure(reinterpret_cast<xcb_configure_request_event_t *>(event.get()));
            break;
        case XCB_UNMAP_NOTIFY:
            release(reinterpret_cast<xcb_unmap_notify_event_t *>(event.get())->window);
            break;
        case XCB_DESTROY_NOTIFY:
            release(reinterpret_cast<xcb_destroy_notify_event_t *>(event.get())->window);
            break;
        default:
            break;
        }
        xcb_flush(connection);
    }
    return 0;
}
