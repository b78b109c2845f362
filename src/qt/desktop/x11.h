#pragma once

// The X11 connection Qt opened for the program, the atoms it uses (interned once), and
// the small requests on a window's state that the alarm and the placement make. On
// another window system (Wayland, offscreen) connection() is null and every call below
// does nothing and answers false (or 0).

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

class QWidget;

namespace lumiroka::x11 {

xcb_connection_t *connection();
xcb_window_t rootWindow(xcb_connection_t *connection);

// The atoms the program uses, interned together in one round trip at the first call.
struct Atoms
{
    xcb_atom_t activeWindow;   // _NET_ACTIVE_WINDOW
    xcb_atom_t wmState;        // _NET_WM_STATE
    xcb_atom_t wmStateAbove;   // _NET_WM_STATE_ABOVE
    xcb_atom_t wmStateHidden;  // _NET_WM_STATE_HIDDEN
    xcb_atom_t userTime;       // _NET_WM_USER_TIME
    xcb_atom_t userTimeWindow; // _NET_WM_USER_TIME_WINDOW
    xcb_atom_t requestFrame;   // _NET_REQUEST_FRAME_EXTENTS
    xcb_atom_t frameExtents;   // _NET_FRAME_EXTENTS
    xcb_atom_t timestamp;      // _LUMIROKA_TIMESTAMP, our own, for the server's time
};
// Null without X11.
const Atoms *atoms();

// The 32-bit values of a window's property of that type (atoms, windows, cardinals); none
// where the property is missing or of another type.
std::vector<std::uint32_t> cardinals(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                     xcb_atom_t type);
// A client message about `window` to the window manager (sent to the root window, as
// EWMH asks), with up to five 32-bit values.
void sendToRoot(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t type,
                const std::vector<std::uint32_t> &data);

// Asks for the window to be kept "above" the others, or no longer: on a window the
// window manager shows, by the EWMH request; on one about to be mapped, in the state it is
// mapped with. Not through Qt::WindowStaysOnTopHint, whose change makes Qt recreate the
// native window (a new X id) at its next showing.
bool setAbove(QWidget *window, bool above);
// Marks the window as not to be focused when it is mapped next (_NET_WM_USER_TIME 0,
// where the window manager reads it). Qt does this in QWindow::show() for
// Qt::WA_ShowWithoutActivating, but un-minimizing maps the window before that.
bool clearUserTime(QWidget *window);
// ICCCM's urgency hint: what window managers without "above" or EWMH's demands-attention
// (XWayland on sway) show as urgent.
bool setUrgent(QWidget *window, bool urgent);
// Whether the window is mapped (the window manager shows it).
bool viewable(QWidget *window);
// Whether the window manager keeps the window mapped and "above" (it granted the request).
bool heldAbove(QWidget *window);
// The window manager's active window (_NET_ACTIVE_WINDOW), 0 for none.
std::uint32_t activeWindow();

} // namespace lumiroka::x11
