#include "qt/desktop/x11activation.h"

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "qt/desktop/x11.h"

namespace lumiroka {

X11Activation::X11Activation() = default;

X11Activation::~X11Activation()
{
    if (m_filtering && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11Activation::activate(QWidget *window)
{
    xcb_connection_t *connection = x11::connection();
    if (!connection || !window)
        return false;
    if (m_timeAtom == XCB_ATOM_NONE) {
        m_timeAtom = x11::atom(connection, "_LUMIROKA_TIMESTAMP");
        m_activeAtom = x11::atom(connection, "_NET_ACTIVE_WINDOW");
        if (m_timeAtom == XCB_ATOM_NONE || m_activeAtom == XCB_ATOM_NONE)
            return false;
    }
    m_pending = static_cast<xcb_window_t>(window->winId());
    if (!m_filtering) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filtering = true;
    }
    // Appending nothing changes nothing, but the server still reports the change, with its time.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, m_pending, m_timeAtom, XCB_ATOM_CARDINAL, 32, 0, nullptr);
    xcb_flush(connection);
    return true;
}

bool X11Activation::viewable(QWidget *window)
{
    xcb_connection_t *connection = x11::connection();
    if (!connection || !window || !window->isVisible())
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_get_window_attributes_cookie_t cookie = xcb_get_window_attributes(connection, id);
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(connection, cookie, nullptr);
    const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return mapped;
}

bool X11Activation::clearUserTime(QWidget *window)
{
    xcb_connection_t *connection = x11::connection();
    if (!connection || !window)
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const std::vector<std::uint32_t> timeWindow =
        x11::cardinals(connection, id, x11::atom(connection, "_NET_WM_USER_TIME_WINDOW"), XCB_ATOM_WINDOW);
    const std::uint32_t zero = 0;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, timeWindow.empty() ? id : timeWindow.front(),
                        x11::atom(connection, "_NET_WM_USER_TIME"), XCB_ATOM_CARDINAL, 32, 1, &zero);
    xcb_flush(connection);
    return true;
}

bool X11Activation::setAbove(QWidget *window, bool above)
{
    xcb_connection_t *connection = x11::connection();
    if (!connection || !window)
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t state = x11::atom(connection, "_NET_WM_STATE");
    const xcb_atom_t aboveAtom = x11::atom(connection, "_NET_WM_STATE_ABOVE");
    if (viewable(window)) {
        xcb_client_message_event_t request;
        std::memset(&request, 0, sizeof request);
        request.response_type = XCB_CLIENT_MESSAGE;
        request.format = 32;
        request.window = id;
        request.type = state;
        request.data.data32[0] = above ? 1 : 0; // _NET_WM_STATE_ADD / _REMOVE
        request.data.data32[1] = aboveAtom;
        request.data.data32[3] = 1; // from the application itself
        xcb_send_event(connection, 0, x11::rootWindow(connection),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&request));
    } else {
        // Qt keeps the states it finds on the window when it maps it.
        std::vector<std::uint32_t> states = x11::cardinals(connection, id, state, XCB_ATOM_ATOM);
        states.erase(std::remove(states.begin(), states.end(), aboveAtom), states.end());
        if (above)
            states.push_back(aboveAtom);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(states.size()), states.data());
    }
    xcb_flush(connection);
    return true;
}

bool X11Activation::heldAbove(QWidget *window)
{
    xcb_connection_t *connection = x11::connection();
    if (!viewable(window))
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const std::vector<std::uint32_t> states =
        x11::cardinals(connection, id, x11::atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM);
    const xcb_atom_t above = x11::atom(connection, "_NET_WM_STATE_ABOVE");
    const xcb_atom_t hidden = x11::atom(connection, "_NET_WM_STATE_HIDDEN");
    return std::find(states.begin(), states.end(), above) != states.end() &&
           std::find(states.begin(), states.end(), hidden) == states.end();
}

std::uint32_t X11Activation::activeWindow()
{
    xcb_connection_t *connection = x11::connection();
    if (!connection)
        return 0;
    const std::vector<std::uint32_t> active = x11::cardinals(
        connection, x11::rootWindow(connection), x11::atom(connection, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return active.empty() ? 0 : active.front();
}

bool X11Activation::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (m_pending == 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
    if (notify->window != m_pending || notify->atom != m_timeAtom)
        return false;
    const xcb_window_t window = m_pending;
    m_pending = 0;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    m_filtering = false;
    sendActivation(window, notify->time);
    // Qt sees the event too and takes its time as the latest it knows.
    return false;
}

void X11Activation::sendActivation(std::uint32_t window, std::uint32_t timestamp)
{
    xcb_connection_t *connection = x11::connection();
    if (!connection)
        return;
    const xcb_window_t root = x11::rootWindow(connection);
    if (root == XCB_NONE)
        return;
    xcb_client_message_event_t request;
    std::memset(&request, 0, sizeof request);
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = window;
    request.type = m_activeAtom;
    request.data.data32[0] = 1; // the request comes from the application itself
    request.data.data32[1] = timestamp;
    request.data.data32[2] = XCB_NONE; // none of our windows is active
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&request));
    xcb_flush(connection);
}

X11ActiveWindowWatch::X11ActiveWindowWatch(std::function<void(std::uint32_t)> onChange)
    : m_onChange(std::move(onChange))
{
}

X11ActiveWindowWatch::~X11ActiveWindowWatch()
{
    stop();
}

bool X11ActiveWindowWatch::start()
{
    xcb_connection_t *connection = x11::connection();
    if (!connection)
        return false;
    if (m_filtering)
        return true;
    if (m_activeAtom == XCB_ATOM_NONE)
        m_activeAtom = x11::atom(connection, "_NET_ACTIVE_WINDOW");
    // The root's property changes, added to whatever Qt already listens to there.
    const xcb_window_t root = x11::rootWindow(connection);
    const xcb_get_window_attributes_cookie_t cookie = xcb_get_window_attributes(connection, root);
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(connection, cookie, nullptr);
    if (attributes && !(attributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE)) {
        const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
    }
    std::free(attributes);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_filtering = true;
    return true;
}

void X11ActiveWindowWatch::stop()
{
    if (m_filtering && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_filtering = false;
}

bool X11ActiveWindowWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (!m_filtering || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
    if (notify->atom != m_activeAtom)
        return false;
    // The handler may stop the watch: Qt allows a filter to remove itself while it runs.
    if (m_onChange)
        m_onChange(X11Activation::activeWindow());
    return false;
}

} // namespace lumiroka
