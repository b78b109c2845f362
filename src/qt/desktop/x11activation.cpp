#include "qt/desktop/x11activation.h"

#include <QGuiApplication>
#include <QWidget>

#if QT_CONFIG(xcb) && defined(LUMIROKA_HAVE_XCB)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
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
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (!screens.rem)
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
    xcb_send_event(connection, 0, screens.data->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&request));
    xcb_flush(connection);
#else
    Q_UNUSED(window);
    Q_UNUSED(timestamp);
#endif
}

} // namespace lumiroka
