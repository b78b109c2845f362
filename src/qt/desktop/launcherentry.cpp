#include "qt/desktop/launcherentry.h"

#include <QDBusMessage>
#include <QVariantMap>

namespace lumiroka {

LauncherEntry::LauncherEntry(std::function<QDBusConnection()> bus) : m_busFactory(std::move(bus)) {}

LauncherEntry::~LauncherEntry() = default;

void LauncherEntry::setProgress(Progress state, double fraction)
{
    if (!m_bus)
        m_bus = std::make_unique<QDBusConnection>(m_busFactory ? m_busFactory() : QDBusConnection::sessionBus());
    if (!m_bus->isConnected())
        return; // no session bus: no launcher to tell
    const QVariantMap properties{
        {QStringLiteral("progress"), state == Progress::None ? 0.0 : fraction},
        {QStringLiteral("progress-visible"), state != Progress::None},
        {QStringLiteral("urgent"), state == Progress::Attention},
    };
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                                                     QStringLiteral("Update"));
    signal << QString::fromLatin1(kAppUri) << properties;
    m_bus->send(signal); // queued: the signal never waits for anyone
}

} // namespace lumiroka
