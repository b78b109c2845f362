#pragma once

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QDBusPendingCallWatcher;

namespace lumiroka {

// The notification service's signals, relayed as Qt signals (QDBusAbstractInterface
// subscribes to a D-Bus signal when a Qt signal of the same name is connected).
class NotificationSignals : public QDBusAbstractInterface
{
    Q_OBJECT

public:
    explicit NotificationSignals(const QDBusConnection &bus, QObject *parent = nullptr);

signals:
    // Desktop Notifications 1.2: the token the service got from the compositor for the
    // person's click, sent just before ActionInvoked.
    void ActivationToken(uint id, const QString &activationToken);
    void ActionInvoked(uint id, const QString &actionKey);
    void NotificationClosed(uint id, uint reason);
};

// One desktop notification of the freedesktop notification service
// (org.freedesktop.Notifications on the session bus). A new one replaces the one shown.
// The bus is first reached when a notification is shown, and every call is asynchronous:
// a slow or missing service never holds up the program. Without a service nothing shows.
class DesktopNotification : public QObject
{
    Q_OBJECT

public:
    // `bus` for tests; the program uses the session bus.
    explicit DesktopNotification(std::function<QDBusConnection()> bus = {}, QObject *parent = nullptr);
    ~DesktopNotification() override;

    // Shows a critical notification (it stays until withdrawn or dismissed) with one action;
    // clicking the notification itself does the same as the action.
    void show(const QString &summary, const QString &body, const QString &actionLabel);
    // Takes the notification away if it is shown (or about to be).
    void withdraw();
    // Shown, or asked for and not answered yet.
    bool isShown() const { return m_requested; }
    // The service's id for it; 0 while none is shown or the service has not answered yet.
    uint id() const { return m_id; }

    // The person chose the action (or clicked the notification). `activationToken`: what
    // the compositor lets the program be activated with for that click, where the service
    // passed one on (empty otherwise).
    std::function<void(const QString &activationToken)> onAction;

    static constexpr const char *kService = "org.freedesktop.Notifications";
    static constexpr const char *kPath = "/org/freedesktop/Notifications";
    static constexpr const char *kInterface = "org.freedesktop.Notifications";

private:
    QDBusConnection &bus();
    void notified(QDBusPendingCallWatcher *call);
    void actionInvoked(uint id, const QString &actionKey);
    void closed(uint id);
    void close(uint id);

    std::function<QDBusConnection()> m_busFactory;
    std::unique_ptr<QDBusConnection> m_bus;
    std::unique_ptr<NotificationSignals> m_signals;
    uint m_id = 0;            // the service's id of the notification shown
    QString m_token;          // the activation token that came for it
    bool m_requested = false; // shown or on its way
    quint64 m_generation = 0; // of the latest request: an answer to an earlier one is stale
};

} // namespace lumiroka
