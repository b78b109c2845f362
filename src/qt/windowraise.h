#pragma once

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QTimer;
class QWidget;

namespace lumiroka {

class DesktopNotification;
class X11Activation;

// Brings the alarm to the person: the window in front of all others and focused, without
// leaving it always on top.
class WindowRaiser
{
public:
    virtual ~WindowRaiser() = default;
    // Where the desktop refuses to bring the window to the front, the window asks for
    // attention and a desktop notification shows `alarmLine` with an action that calls
    // onRestore.
    virtual void raiseToFront(QWidget *window, const QString &alarmLine) = 0;
    // The alarm was silenced: the notification, if one is shown, is taken away.
    virtual void withdraw() = 0;

    // Brings the window back the way the tray menu's restore item does; set by its owner.
    std::function<void()> onRestore;
};

class QtWindowRaiser : public WindowRaiser
{
public:
    // The notification is made when first needed; tests hand in one on a bus of their own.
    QtWindowRaiser();
    explicit QtWindowRaiser(std::unique_ptr<DesktopNotification> notification);
    ~QtWindowRaiser() override;

    void raiseToFront(QWidget *window, const QString &alarmLine) override;
    void withdraw() override;

    // How long the window system has to put the window in front and focus it before the
    // raise counts as refused.
    static constexpr int kConfirmMs = 1500;
    // The caption of the notification's action: the tray menu's restore item.
    static QString restoreLabel();

private:
    void activate(QWidget *window);
    void confirm();
    DesktopNotification &notification();

    QPointer<QWidget> m_window;
    QString m_alarmLine;
    std::unique_ptr<QTimer> m_confirm;
    std::unique_ptr<X11Activation> m_x11;
    std::unique_ptr<DesktopNotification> m_notification;
};

} // namespace lumiroka
