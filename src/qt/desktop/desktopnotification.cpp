#include "qt/desktop/desktopnotification.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QVariantMap>

#include <utility>

namespace lumiroka {

namespace {
constexpr uchar kUrgencyCritical = 2;
constexpr int kNeverExpires = 0;
const char *const kGenerationProperty = "lumirokaGeneration";
} // namespace

NotificationSignals::NotificationSignals(const QDBusConnection &bus, QObject *parent)
    : QDBusAbstractInterface(QString::fromLatin1(DesktopNotification::kService),
                             QString::fromLatin1(DesktopNotification::kPath), DesktopNotification::kInterface, bus,
                             parent)
{
}

DesktopNotification::DesktopNotification(std::function<QDBusConnection()> bus, QObject *parent)
    : QObject(parent), m_busFactory(std::move(bus))
{
}

DesktopNotification::~DesktopNotification() = default;

QDBusConnection &DesktopNotification::bus()
{
    if (!m_bus) {
        m_bus = std::make_unique<QDBusConnection>(m_busFactory ? m_busFactory() : QDBusConnection::sessionBus());
        m_signals = std::make_unique<NotificationSignals>(*m_bus);
        connect(m_signals.get(), &NotificationSignals::ActivationToken, this, [this](uint id, const QString &token) {
            if (id != 0 && id == m_id)
                m_token = token;
        });
        connect(m_signals.get(), &NotificationSignals::ActionInvoked, this, &DesktopNotification::actionInvoked);
        connect(m_signals.get(), &NotificationSignals::NotificationClosed, this, [this](uint id, uint) { closed(id); });
    }
    return *m_bus;
}

void DesktopNotification::show(const QString &summary, const QString &body, const QString &actionLabel)
{
    QDBusConnection &connection = bus();
    if (!connection.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(kUrgencyCritical));
    hints.insert(QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName());
    // "default" is what a click on the notification itself invokes.
    const QStringList actions{QStringLiteral("default"), actionLabel, QStringLiteral("restore"), actionLabel};
    call << QGuiApplication::applicationDisplayName() << m_id << QGuiApplication::desktopFileName() << summary << body
         << actions << hints << kNeverExpires;
    m_requested = true;
    m_token.clear();
    auto *watcher = new QDBusPendingCallWatcher(connection.asyncCall(call), this);
    watcher->setProperty(kGenerationProperty, ++m_generation);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &DesktopNotification::notified);
}

void DesktopNotification::notified(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        // No notification service on this desktop: the window's request for attention
        // is all there is.
        qInfo("lumiroka: no desktop notification shown: %s", qPrintable(reply.error().message()));
        return;
    }
    const bool current = call->property(kGenerationProperty).toULongLong() == m_generation;
    if (!current || !m_requested) {
        close(reply.value()); // withdrawn or replaced while the service was answering
        return;
    }
    m_id = reply.value();
}

void DesktopNotification::withdraw()
{
    if (!m_requested)
        return;
    m_requested = false;
    if (m_id != 0)
        close(m_id);
    m_id = 0;
}

void DesktopNotification::close(uint id)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("CloseNotification"));
    call << id;
    bus().send(call);
}

void DesktopNotification::actionInvoked(uint id, const QString &)
{
    if (id == 0 || id != m_id)
        return;
    m_id = 0;
    m_requested = false;
    const QString token = std::exchange(m_token, QString());
    if (onAction)
        onAction(token);
}

void DesktopNotification::closed(uint id)
{
    if (id == 0 || id != m_id)
        return;
    m_id = 0;
    m_requested = false;
}

} // namespace lumiroka
