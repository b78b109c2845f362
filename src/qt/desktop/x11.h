#pragma once

// The X11 connection Qt opened for the program, and the small requests the window's
// activation and its placement make on it. On another window system (Wayland, offscreen)
// connection() is null.

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace lumiroka::x11 {

xcb_connection_t *connection();
// One round trip to the X server: callers keep what they use again.
xcb_atom_t atom(xcb_connection_t *connection, const char *name);
xcb_window_t rootWindow(xcb_connection_t *connection);
// The 32-bit values of a window's property of that type (atoms, windows, cardinals); none
// where the property is missing or of another type.
std::vector<std::uint32_t> cardinals(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                     xcb_atom_t type);

} // namespace lumiroka::x11
