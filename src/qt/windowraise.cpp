#include "qt/windowraise.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "forms/layout.h"
#include "qt/appdirs.h"
#include "qt/desktop/desktopnotification.h"
#include "qt/desktop/waylandactivation.h"
#include "qt/desktop/x11.h"
#include "qt/desktop/x11activation.h"

namespace lumiroka {

WindowRaiser::WindowRaiser() = default;

WindowRaiser::WindowRaiser(std::unique_ptr<DesktopNotification> notification) : m_notification(std::move(notification))
{
}

WindowRaiser::~WindowRaiser() = default;

QString WindowRaiser::restoreLabel()
{
    // The tray menu's restore item, without its access key: a notification has none.
    QString label = QString::fromUtf8(layout::kRestoreItem);
    return label.left(label.lastIndexOf(QLatin1Char('(')));
}

void WindowRaiser::showWithoutFocus(QWidget *window, const std::function<void()> &show)
{
    // Restoring a minimized window in place is the window manager's "restore", which
    // activates it (openbox, xfwm4), leaves it underneath (KWin) or does nothing (mutter,
    // which keeps minimized windows mapped). Withdrawn and mapped anew it is a new window,
    // and the hints below apply.
    if (window->isVisible() && (window->windowState() & Qt::WindowMinimized))
        window->hide();
    // Not to be focused and "above" from the first map on; Qt maps the window as soon as
    // its minimized state is cleared, before show() marks it.
    x11::clearUserTime(window);
    hold(window, true);
    // Without Qt::WindowActive, which QWidget keeps from the last time the window was
    // active and answers with an activation request.
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowActive));
    // Qt maps the window with a user time of 0: "do not focus it".
    window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    if (QWindow *handle = window->windowHandle()) {
        handle->setProperty("_q_showWithoutActivating", true);
        WaylandActivation::aboutToShow(handle);
    }
    show();
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (QWindow *handle = window->windowHandle())
        handle->setProperty("_q_showWithoutActivating", QVariant());
}

void WindowRaiser::raiseToFront(QWidget *window, const QString &alarmLine)
{
    if (!window)
        return;
    m_window = window;
    m_alarmLine = alarmLine;
    // "Above", held: the one request every window manager tried grants without focusing
    // the window. A plain raise is refused by some (mutter, KWin) and focuses the window
    // on another (xfwm4); switching "above" straight off again puts the window back
    // underneath on KWin.
    hold(window, true);
    if (!m_watch)
        m_watch = std::make_unique<X11ActiveWindowWatch>([this](std::uint32_t active) { activeWindowChanged(active); },
                                                         [this] { buttonPressed(); });
    m_activeAtRaise = x11::activeWindow();
    if (m_settle)
        m_settle->stop(); // a click during an alarm before ends nothing of this one
    m_watch->start();
    if (WaylandActivation::native())
        wayland().activate(window->windowHandle());
    if (!m_confirm) {
        m_confirm = std::make_unique<QTimer>();
        m_confirm->setSingleShot(true);
        QObject::connect(m_confirm.get(), &QTimer::timeout, [this] { confirm(); });
    }
    m_confirm->start(kConfirmMs);
}

void WindowRaiser::hold(QWidget *window, bool on)
{
    m_holding = on;
    if (m_mapWait)
        m_mapWait->stop();
    if (!window || !x11::setAbove(window, on) || !on || x11::viewable(window))
        return;
    // Being mapped: the state goes with the map, and once the window manager shows the
    // window the request follows, for a window manager that had read the state before.
    if (!m_mapWait) {
        m_mapWait = std::make_unique<QTimer>();
        m_mapWait->setInterval(kMapPollMs);
        QObject::connect(m_mapWait.get(), &QTimer::timeout, [this] {
            QWidget *shown = m_window;
            if (!m_holding || !shown || ++m_mapPolls * kMapPollMs > kConfirmMs) {
                m_mapWait->stop();
            } else if (x11::viewable(shown)) {
                m_mapWait->stop();
                x11::setAbove(shown, true);
            }
        });
    }
    m_window = window;
    m_mapPolls = 0;
    m_mapWait->start();
}

void WindowRaiser::buttonPressed()
{
    QWidget *window = m_window;
    if (!window || !m_holding)
        return;
    // A click on our window (its frame included) is on what the alarm shows; any other is
    // the person at work elsewhere, maybe in the program they were already typing in,
    // which activates no other window (mutter): ours may be covered again.
    if (window->frameGeometry().contains(QCursor::pos()))
        return;
    if (x11::activeWindow() != static_cast<std::uint32_t>(window->winId())) {
        endHold(window);
        return;
    }
    // Ours has the focus, which the click takes elsewhere: the hold ends once the window
    // manager says where the focus went (activeWindowChanged). Ended before, the window
    // manager may put ours back on the top of the ordinary windows, over the one just
    // clicked (openbox, while it still counts ours as the focused one). A click that
    // focuses nothing (the desktop, a panel) ends it a moment later.
    if (!m_settle) {
        m_settle = std::make_unique<QTimer>();
        m_settle->setSingleShot(true);
        QObject::connect(m_settle.get(), &QTimer::timeout, [this] {
            if (m_holding)
                endHold(m_window);
        });
    }
    m_settle->start(kSettleMs);
}

void WindowRaiser::endHold(QWidget *window)
{
    if (m_settle)
        m_settle->stop();
    hold(window, false);
    m_watch->stop();
}

void WindowRaiser::activeWindowChanged(std::uint32_t active)
{
    QWidget *window = m_window;
    if (!window || !m_holding)
        return;
    const auto ours = static_cast<std::uint32_t>(window->winId());
    if (active == ours) {
        m_activeAtRaise = 0; // from now on any other window is one the person chose
        if (m_urgent)
            m_urgent = !x11::setUrgent(window, false); // seen
        return;
    }
    if (active == m_activeAtRaise || active == 0)
        return;
    // The person went to another window: ours may be covered again.
    endHold(window);
}

WaylandActivation &WindowRaiser::wayland()
{
    if (!m_wayland)
        m_wayland = std::make_unique<WaylandActivation>(pluginDirs());
    return *m_wayland;
}

void WindowRaiser::activate(QWidget *window, const QString &token)
{
    window->raise();
    // On Wayland the token of the person's click, handed over by the notification service,
    // is what lets the compositor activate us (Qt would ask only while we have the focus).
    if (WaylandActivation::native() && wayland().activate(window->windowHandle(), token))
        return;
    // On X11 the activation goes out with a current server time (Qt's own would carry a
    // stale one and only make the window "demand attention"); elsewhere Qt asks.
    if (!m_x11)
        m_x11 = std::make_unique<X11Activation>();
    if (!m_x11->activate(window))
        window->activateWindow();
}

void WindowRaiser::confirm()
{
    QWidget *window = m_window;
    if (!window || !m_holding)
        return; // silenced, or the person went to another window since: they have seen it
    if (window->isActiveWindow() || x11::heldAbove(window))
        return; // in front: nothing more to do
    // Not in front (a compositor that lets no program put its window there): the taskbar
    // entry asks for attention and the desktop says the line.
    QApplication::alert(window);
    // Qt's alert is EWMH's demands-attention; XWayland on sway shows ICCCM's urgency.
    m_urgent = x11::setUrgent(window, true);
    // Asked again on Wayland: GNOME now and then lets the first request at zero pass
    // without marking the window.
    if (WaylandActivation::native())
        wayland().activate(window->windowHandle());
    notification().show(QGuiApplication::applicationDisplayName(), m_alarmLine, restoreLabel());
}

void WindowRaiser::withdraw()
{
    if (m_confirm)
        m_confirm->stop();
    if (m_settle)
        m_settle->stop();
    if (m_watch)
        m_watch->stop();
    if (m_holding)
        hold(m_window, false);
    if (m_urgent && m_window)
        x11::setUrgent(m_window, false);
    m_urgent = false;
    if (m_notification)
        m_notification->withdraw();
}

DesktopNotification &WindowRaiser::notification()
{
    if (!m_notification)
        m_notification = std::make_unique<DesktopNotification>();
    if (!m_notification->onAction) {
        m_notification->onAction = [this](const QString &token) {
            if (onRestore)
                onRestore();
            // The person just clicked: a request with a current time (X11) or with the
            // click's token (Wayland) is one the window manager grants.
            if (m_window)
                activate(m_window, token);
            // Where the desktop still keeps the window out of sight (GNOME's Wayland
            // compositor sends no token), the notification comes back while the alarm
            // rings: the alarm never rings with nothing of it on the screen.
            if (m_confirm && m_holding)
                m_confirm->start(kConfirmMs);
        };
    }
    return *m_notification;
}

} // namespace lumiroka
