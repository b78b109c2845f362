#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>

#include <cstdint>
#include <functional>

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

    // Starts the activation of the window's native window; false when there is no X11.
    // Only for what the person asked for: a timer event never activates.
    bool activate(QWidget *window);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void sendActivation(std::uint32_t window, std::uint32_t timestamp);

    std::uint32_t m_pending = 0; // the window whose PropertyNotify we wait for
    bool m_filtering = false;
};

// Reports, while started, what tells the program that the person went to another window:
// every change of the window manager's active window (_NET_ACTIVE_WINDOW on the root
// window), and every press of a mouse button anywhere on the screen (XInput 2 raw events
// on the root window; a click into the program they were already typing in changes no
// active window). Does nothing without X11.
class X11ActiveWindowWatch : public QAbstractNativeEventFilter
{
public:
    X11ActiveWindowWatch(std::function<void(std::uint32_t active)> onChange, std::function<void()> onButtonPress);
    ~X11ActiveWindowWatch() override;
    X11ActiveWindowWatch(const X11ActiveWindowWatch &) = delete;
    X11ActiveWindowWatch &operator=(const X11ActiveWindowWatch &) = delete;

    // False without X11.
    bool start();
    void stop();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void selectButtonPresses(bool on);

    std::function<void(std::uint32_t)> m_onChange;
    std::function<void()> m_onButtonPress;
    std::uint8_t m_inputOpcode = 0; // XInput's major opcode; 0 without XInput
    bool m_filtering = false;
};

} // namespace lumiroka
