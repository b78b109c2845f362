#pragma once

#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QTimer;
class QWidget;

namespace lumiroka {

class DesktopNotification;
class WaylandActivation;
class X11Activation;
class X11ActiveWindowWatch;

// Brings the alarm to the person: the window in front of all others while the keyboard
// stays with the program they are using, without leaving it always on top.
class WindowRaiser
{
public:
    // The notification is made when first needed; tests hand in one on a bus of their own.
    WindowRaiser();
    explicit WindowRaiser(std::unique_ptr<DesktopNotification> notification);
    ~WindowRaiser();
    WindowRaiser(const WindowRaiser &) = delete;
    WindowRaiser &operator=(const WindowRaiser &) = delete;

    // Holds the window in front until withdraw() or until the person activates another
    // window. Where the desktop does not show it in front, the window asks for attention
    // and a desktop notification shows `alarmLine` with an action that calls onRestore.
    // On native Wayland the compositor is asked to activate the window with a token of
    // its own surface: it shows it in front where it allows that, and otherwise marks it
    // as demanding attention (no input of the person's comes with the request, so no
    // compositor hands it the keyboard).
    void raiseToFront(QWidget *window, const QString &alarmLine);
    // The alarm was silenced: the window is an ordinary one again and the notification,
    // if one is shown, is taken away.
    void withdraw();

    // Brings the window back the way the tray menu's restore item does; set by its owner.
    std::function<void()> onRestore;

    // Shows a hidden or minimized window in normal state, in front, without activating
    // it: withdrawn first where it is minimized, then mapped anew with no user time and
    // already "above". Every window manager tried puts such a window on top and leaves
    // the focus where it was; restoring a minimized window in place activates it on some
    // and leaves it underneath or minimized on others. `show` shows the widget.
    void showWithoutFocus(QWidget *window, const std::function<void()> &show);

    // How long the window system has to put the window in front before the raise counts
    // as refused.
    static constexpr int kConfirmMs = 1500;
    // The caption of the notification's action: the tray menu's restore item.
    static QString restoreLabel();

private:
    void hold(QWidget *window, bool on);
    void activate(QWidget *window, const QString &token);
    WaylandActivation &wayland();
    void confirm();
    void activeWindowChanged(std::uint32_t active);
    void buttonPressed();
    void endHold(QWidget *window);
    DesktopNotification &notification();

    QPointer<QWidget> m_window;
    QString m_alarmLine;
    bool m_holding = false;
    std::uint32_t m_activeAtRaise = 0; // the window the person was using at the raise
    std::unique_ptr<QTimer> m_confirm;
    std::unique_ptr<QTimer> m_mapWait; // until the window manager shows a window being mapped
    int m_mapPolls = 0;
    static constexpr int kMapPollMs = 40;
    std::unique_ptr<QTimer> m_settle; // a click outside, until the focus has moved
    static constexpr int kSettleMs = 700;
    bool m_urgent = false; // ICCCM urgency set
    std::unique_ptr<X11Activation> m_x11;
    std::unique_ptr<WaylandActivation> m_wayland;
    std::unique_ptr<X11ActiveWindowWatch> m_watch;
    std::unique_ptr<DesktopNotification> m_notification;
};

} // namespace lumiroka
