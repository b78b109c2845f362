#include "qt/desktop/x11.h"

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace lumiroka::x11 {

namespace {

// ICCCM WM_HINTS: nine 32-bit values, the first holding which of the others are set.
constexpr std::uint32_t kUrgencyHint = 1u << 8;
constexpr std::size_t kWmHintsLength = 9;

xcb_window_t idOf(QWidget *window)
{
    return static_cast<xcb_window_t>(window->winId());
}

// Sets a flag of WM_HINTS on or off. Qt writes the hints when it creates the window; the
// others are kept as they are.
bool changeWmHints(QWidget *window, std::uint32_t flag, bool on)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return false;
    const xcb_window_t id = idOf(window);
    std::vector<std::uint32_t> hints = cardinals(c, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS);
    hints.resize(kWmHintsLength, 0);
    hints[0] = on ? hints[0] | flag : hints[0] & ~flag;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        static_cast<std::uint32_t>(hints.size()), hints.data());
    xcb_flush(c);
    return true;
}

} // namespace

xcb_connection_t *connection()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t *connection)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem ? screens.data->root : xcb_window_t(XCB_NONE);
}

const Atoms *atoms()
{
    // The program has one X connection for its whole run.
    static const Atoms *interned = []() -> const Atoms * {
        xcb_connection_t *c = connection();
        if (!c)
            return nullptr;
        static const std::array<const char *, 9> names = {
            "_NET_ACTIVE_WINDOW",         "_NET_WM_STATE",      "_NET_WM_STATE_ABOVE",
            "_NET_WM_STATE_HIDDEN",       "_NET_WM_USER_TIME",  "_NET_WM_USER_TIME_WINDOW",
            "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS", "_LUMIROKA_TIMESTAMP"};
        std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
        for (std::size_t i = 0; i < names.size(); ++i)
            cookies[i] = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(names[i])), names[i]);
        std::array<xcb_atom_t, names.size()> values{};
        for (std::size_t i = 0; i < names.size(); ++i) {
            xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookies[i], nullptr);
            values[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
            std::free(reply);
        }
        static Atoms result{values[0], values[1], values[2], values[3], values[4],
                            values[5], values[6], values[7], values[8]};
        return &result;
    }();
    return interned;
}

std::vector<std::uint32_t> cardinals(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                     xcb_atom_t type)
{
    std::vector<std::uint32_t> values;
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, property, type, 0, 64);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (reply && reply->type == type && reply->format == 32) {
        const auto *data = static_cast<const std::uint32_t *>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

void sendToRoot(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t type,
                const std::vector<std::uint32_t> &data)
{
    const xcb_window_t root = rootWindow(connection);
    if (root == XCB_NONE)
        return;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 5), message.data.data32);
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
}

bool viewable(QWidget *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->isVisible())
        return false;
    const xcb_get_window_attributes_cookie_t cookie = xcb_get_window_attributes(c, idOf(window));
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(c, cookie, nullptr);
    const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return mapped;
}

bool clearUserTime(QWidget *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return false;
    const xcb_window_t id = idOf(window);
    const std::vector<std::uint32_t> timeWindow = cardinals(c, id, atoms()->userTimeWindow, XCB_ATOM_WINDOW);
    const std::uint32_t zero = 0;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, timeWindow.empty() ? id : timeWindow.front(), atoms()->userTime,
                        XCB_ATOM_CARDINAL, 32, 1, &zero);
    xcb_flush(c);
    return true;
}

bool setUrgent(QWidget *window, bool urgent)
{
    return changeWmHints(window, kUrgencyHint, urgent);
}

bool setAbove(QWidget *window, bool above)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return false;
    const xcb_window_t id = idOf(window);
    const Atoms &a = *atoms();
    if (viewable(window)) {
        // _NET_WM_STATE_ADD or _REMOVE, the state, none, from the application itself.
        sendToRoot(c, id, a.wmState, {above ? 1u : 0u, a.wmStateAbove, 0, 1});
        return true;
    }
    // Qt keeps the states it finds on the window when it maps it; "hidden" is what the
    // window manager left there when the window was minimized, not how it is to be shown.
    std::vector<std::uint32_t> states = cardinals(c, id, a.wmState, XCB_ATOM_ATOM);
    states.erase(std::remove_if(states.begin(), states.end(),
                                [&a](std::uint32_t s) { return s == a.wmStateAbove || s == a.wmStateHidden; }),
                 states.end());
    if (above)
        states.push_back(a.wmStateAbove);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, a.wmState, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());
    xcb_flush(c);
    return true;
}

bool heldAbove(QWidget *window)
{
    if (!viewable(window))
        return false;
    const Atoms &a = *atoms();
    const std::vector<std::uint32_t> states = cardinals(connection(), idOf(window), a.wmState, XCB_ATOM_ATOM);
    return std::find(states.begin(), states.end(), a.wmStateAbove) != states.end() &&
           std::find(states.begin(), states.end(), a.wmStateHidden) == states.end();
}

std::uint32_t activeWindow()
{
    xcb_connection_t *c = connection();
    if (!c)
        return 0;
    const std::vector<std::uint32_t> active = cardinals(c, rootWindow(c), atoms()->activeWindow, XCB_ATOM_WINDOW);
    return active.empty() ? 0 : active.front();
}

} // namespace lumiroka::x11
