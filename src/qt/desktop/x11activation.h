#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>

#include <cstdint>

class QWidget;

namespace lumiroka {

// Asks an X11 window manager to activate a window with a timestamp it will accept.
//
// Qt sends _NET_ACTIVE_WINDOW with the time of the last X event the program saw. When the
// person has typed in another program since, that time is older than the other window's
// user time, and focus-stealing prevention (mutter, KWin) refuses the request; mutter also
// keeps minimized windows mapped, so mapping them again restores nothing. A zero-length
// append to a property of our own window makes the server send a PropertyNotify that
// carries the current server time; the request sent with that time is a current one.
// Activation also restores a minimized window.
//
// Nothing waits: the request goes out when the PropertyNotify arrives through the event
// loop. Does nothing on other window systems (Wayland, offscreen).
class X11Activation : public QAbstractNativeEventFilter
{
public:
    X11Activation();
    ~X11Activation() override;
    X11Activation(const X11Activation &) = delete;
    X11Activation &operator=(const X11Activation &) = delete;

    // Whether the program runs on an X11 display.
    static bool available();
    // Starts the activation of the window's native window; false when there is no X11.
    bool activate(QWidget *window);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void sendActivation(std::uint32_t window, std::uint32_t timestamp);

    std::uint32_t m_timeAtom = 0;   // our private property for the timestamp round trip
    std::uint32_t m_activeAtom = 0; // _NET_ACTIVE_WINDOW
    std::uint32_t m_pending = 0;    // the window whose PropertyNotify we wait for
    bool m_filtering = false;
};

} // namespace lumiroka
