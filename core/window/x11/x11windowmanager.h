#pragma once

// What the running X11 window manager offers, read from the root window's EWMH properties.
namespace X11WindowManager {

// Whether a window manager is running that takes a window into the full-screen state
// (_NET_WM_STATE_FULLSCREEN): it then covers the window's whole monitor, above the desktop's
// panels. False where the platform is not X11 or no window manager answers.
bool takesFullScreen();

} // namespace X11WindowManager
