#include "qt/windowraise.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "forms/layout.h"
#include "qt/desktop/desktopnotification.h"
#include "qt/desktop/x11activation.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace lumiroka {

QtWindowRaiser::QtWindowRaiser() = default;

QtWindowRaiser::QtWindowRaiser(std::unique_ptr<DesktopNotification> notification)
    : m_notification(std::move(notification))
{
}

QtWindowRaiser::~QtWindowRaiser() = default;

QString QtWindowRaiser::restoreLabel()
{
    // The tray menu's restore item, without its access key: a notification has none.
    QString label = QString::fromUtf8(layout::kRestoreItem);
    return label.left(label.lastIndexOf(QLatin1Char('(')));
}

void QtWindowRaiser::raiseToFront(QWidget *window, const QString &alarmLine)
{
    if (!window)
        return;
    m_window = window;
    m_alarmLine = alarmLine;
    activate(window);
    if (!m_confirm) {
        m_confirm = std::make_unique<QTimer>();
        m_confirm->setSingleShot(true);
        QObject::connect(m_confirm.get(), &QTimer::timeout, [this] { confirm(); });
    }
    m_confirm->start(kConfirmMs);
}

void QtWindowRaiser::activate(QWidget *window)
{
#ifdef Q_OS_WIN
    // Windows refuses plain activation from a background process; the topmost round
    // trip puts the window in front and leaves it an ordinary window again.
    const HWND handle = reinterpret_cast<HWND>(window->winId());
    SetWindowPos(handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    SetWindowPos(handle, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    window->activateWindow();
#else
    // Toggle the hint on the QWindow: QWidget::setWindowFlag would recreate the native
    // window. Switching "above" on and off asks the window manager to lift the window
    // into the top layer and put it back at the top of the normal one.
    if (QWindow *handle = window->windowHandle()) {
        handle->setFlag(Qt::WindowStaysOnTopHint, true);
        window->raise();
        handle->setFlag(Qt::WindowStaysOnTopHint, false);
    }
    window->raise();
    // On X11 the activation goes out with a current server time (Qt's own would carry a
    // stale one and only make the window "demand attention"); elsewhere Qt asks.
    if (!m_x11)
        m_x11 = std::make_unique<X11Activation>();
    if (!m_x11->activate(window))
        window->activateWindow();
#endif
}

void QtWindowRaiser::confirm()
{
    QWidget *window = m_window;
    if (!window)
        return;
    if (window->isVisible() && window->isActiveWindow() && !(window->windowState() & Qt::WindowMinimized))
        return; // in front and focused: nothing more to do
    // Refused (focus-stealing prevention, or a compositor that lets no program raise
    // itself): the taskbar entry asks for attention and the desktop says the line.
    QApplication::alert(window);
    notification().show(QGuiApplication::applicationDisplayName(), m_alarmLine, restoreLabel());
}

void QtWindowRaiser::withdraw()
{
    if (m_confirm)
        m_confirm->stop();
    if (m_notification)
        m_notification->withdraw();
}

DesktopNotification &QtWindowRaiser::notification()
{
    if (!m_notification)
        m_notification = std::make_unique<DesktopNotification>();
    if (!m_notification->onAction) {
        m_notification->onAction = [this] {
            if (onRestore)
                onRestore();
            // The person just clicked: a request with a current time is one the window
            // manager grants.
            if (m_window)
                activate(m_window);
        };
    }
    return *m_notification;
}

} // namespace lumiroka
