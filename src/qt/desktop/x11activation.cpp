#include "qt/desktop/x11activation.h"

#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>

#include "qt/desktop/x11.h"

#include <xcb/xinput.h>

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
    if (!connection || !window || x11::atoms()->timestamp == XCB_ATOM_NONE)
        return false;
    m_pending = static_cast<xcb_window_t>(window->winId());
    if (!m_filtering) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filtering = true;
    }
    // Appending nothing changes nothing, but the server still reports the change, with its time.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, m_pending, x11::atoms()->timestamp, XCB_ATOM_CARDINAL, 32, 0,
                        nullptr);
    xcb_flush(connection);
    return true;
}

bool X11Activation::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (m_pending == 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
    if (notify->window != m_pending || notify->atom != x11::atoms()->timestamp)
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
    // From the application itself, with the server's time; none of our windows is active.
    x11::sendToRoot(connection, window, x11::atoms()->activeWindow, {1, timestamp, XCB_NONE});
}

X11ActiveWindowWatch::X11ActiveWindowWatch(std::function<void(std::uint32_t)> onChange,
                                           std::function<void()> onButtonPress)
    : m_onChange(std::move(onChange)), m_onButtonPress(std::move(onButtonPress))
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
    selectButtonPresses(true);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_filtering = true;
    return true;
}

void X11ActiveWindowWatch::stop()
{
    if (m_filtering && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (m_filtering)
        selectButtonPresses(false);
    m_filtering = false;
}

void X11ActiveWindowWatch::selectButtonPresses(bool on)
{
    xcb_connection_t *connection = x11::connection();
    if (!connection)
        return;
    // Qt's own connection has announced XInput 2 already. Selected for the master devices
    // alone: the root's selections for all devices are Qt's, and a selection replaces the
    // one for the same devices.
    const xcb_query_extension_reply_t *input = xcb_get_extension_data(connection, &xcb_input_id);
    if (!input || !input->present)
        return;
    m_inputOpcode = input->major_opcode;
    struct
    {
        xcb_input_event_mask_t head;
        std::uint32_t mask;
    } select = {{XCB_INPUT_DEVICE_ALL_MASTER, 1}, on ? std::uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u};
    xcb_input_xi_select_events(connection, x11::rootWindow(connection), 1, &select.head);
    xcb_flush(connection);
}

bool X11ActiveWindowWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (!m_filtering || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) == XCB_GE_GENERIC) {
        const auto *generic = static_cast<const xcb_ge_generic_event_t *>(message);
        if (m_inputOpcode != 0 && generic->extension == m_inputOpcode &&
            generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS && m_onButtonPress)
            m_onButtonPress();
        return false;
    }
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
    if (notify->atom != x11::atoms()->activeWindow)
        return false;
    // The handler may stop the watch: Qt allows a filter to remove itself while it runs.
    if (m_onChange)
        m_onChange(x11::activeWindow());
    return false;
}

} // namespace lumiroka
