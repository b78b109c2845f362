#include "qt/desktop/x11activation.h"

#include <QGuiApplication>
#include <QWidget>

#if QT_CONFIG(xcb) && defined(LUMIROKA_HAVE_XCB)
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>
#define LUMIROKA_X11_ACTIVATION 1
#endif

namespace lumiroka {

#ifdef LUMIROKA_X11_ACTIVATION
namespace {

xcb_connection_t *x11Connection()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

// Interned once, at the first alarm: a single round trip to the X server.
xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_window_t rootWindow(xcb_connection_t *connection)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem ? screens.data->root : xcb_window_t(XCB_NONE);
}

// The 32-bit values of a property of a window (a list of atoms or of windows).
std::vector<std::uint32_t> cardinals(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                     xcb_atom_t type)
{
    std::vector<std::uint32_t> values;
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, property, type, 0, 64);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (reply && reply->format == 32) {
        const auto *data = static_cast<const std::uint32_t *>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

} // namespace
#endif

X11Activation::X11Activation() = default;

X11Activation::~X11Activation()
{
    if (m_filtering && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11Activation::available()
{
#ifdef LUMIROKA_X11_ACTIVATION
    return x11Connection() != nullptr;
#else
    return false;
#endif
}

bool X11Activation::activate(QWidget *window)
{
#ifdef LUMIROKA_X11_ACTIVATION
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window)
        return false;
    if (m_timeAtom == XCB_ATOM_NONE) {
        m_timeAtom = internAtom(connection, "_LUMIROKA_TIMESTAMP");
        m_activeAtom = internAtom(connection, "_NET_ACTIVE_WINDOW");
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
#else
    Q_UNUSED(window);
    return false;
#endif
}

bool X11Activation::viewable(QWidget *window)
{
#ifdef LUMIROKA_X11_ACTIVATION
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window || !window->isVisible())
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_get_window_attributes_cookie_t cookie = xcb_get_window_attributes(connection, id);
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(connection, cookie, nullptr);
    const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return mapped;
#else
    Q_UNUSED(window);
    return false;
#endif
}

bool X11Activation::clearUserTime(QWidget *window)
{
#ifdef LUMIROKA_X11_ACTIVATION
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window)
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const std::vector<std::uint32_t> timeWindow =
        cardinals(connection, id, internAtom(connection, "_NET_WM_USER_TIME_WINDOW"), XCB_ATOM_WINDOW);
    const std::uint32_t zero = 0;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, timeWindow.empty() ? id : timeWindow.front(),
                        internAtom(connection, "_NET_WM_USER_TIME"), XCB_ATOM_CARDINAL, 32, 1, &zero);
    xcb_flush(connection);
    return true;
#else
    Q_UNUSED(window);
    return false;
#endif
}

bool X11Activation::setAbove(QWidget *window, bool above)
{
#ifdef LUMIROKA_X11_ACTIVATION
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window)
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t aboveAtom = internAtom(connection, "_NET_WM_STATE_ABOVE");
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
        xcb_send_event(connection, 0, rootWindow(connection),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&request));
    } else {
        // Qt keeps the states it finds on the window when it maps it.
        std::vector<std::uint32_t> states = cardinals(connection, id, state, XCB_ATOM_ATOM);
        states.erase(std::remove(states.begin(), states.end(), aboveAtom), states.end());
        if (above)
            states.push_back(aboveAtom);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(states.size()), states.data());
    }
    xcb_flush(connection);
    return true;
#else
    Q_UNUSED(window);
    Q_UNUSED(above);
    return false;
#endif
}

bool X11Activation::heldAbove(QWidget *window)
{
#ifdef LUMIROKA_X11_ACTIVATION
    xcb_connection_t *connection = x11Connection();
    if (!viewable(window))
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const std::vector<std::uint32_t> states =
        cardinals(connection, id, internAtom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM);
    const xcb_atom_t above = internAtom(connection, "_NET_WM_STATE_ABOVE");
    const xcb_atom_t hidden = internAtom(connection, "_NET_WM_STATE_HIDDEN");
    return std::find(states.begin(), states.end(), above) != states.end() &&
           std::find(states.begin(), states.end(), hidden) == states.end();
#else
    Q_UNUSED(window);
    return false;
#endif
}

std::uint32_t X11Activation::activeWindow()
{
#ifdef LUMIROKA_X11_ACTIVATION
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return 0;
    const std::vector<std::uint32_t> active =
        cardinals(connection, rootWindow(connection), internAtom(connection, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return active.empty() ? 0 : active.front();
#else
    return 0;
#endif
}

bool X11Activation::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
#ifdef LUMIROKA_X11_ACTIVATION
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
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    // Qt sees the event too and takes its time as the latest it knows.
    return false;
}

void X11Activation::sendActivation(std::uint32_t window, std::uint32_t timestamp)
{
#ifdef LUMIROKA_X11_ACTIVATION
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    const xcb_window_t root = rootWindow(connection);
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
#else
    Q_UNUSED(window);
    Q_UNUSED(timestamp);
#endif
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
#ifdef LUMIROKA_X11_ACTIVATION
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return false;
    if (m_filtering)
        return true;
    if (m_activeAtom == XCB_ATOM_NONE)
        m_activeAtom = internAtom(connection, "_NET_ACTIVE_WINDOW");
    // The root's property changes, added to whatever Qt already listens to there.
    const xcb_window_t root = rootWindow(connection);
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
#else
    return false;
#endif
}

void X11ActiveWindowWatch::stop()
{
    if (m_filtering && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_filtering = false;
}

bool X11ActiveWindowWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
#ifdef LUMIROKA_X11_ACTIVATION
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
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

} // namespace lumiroka
