#include "platform/tray.h"

#include <QCursor>
#include <QSystemTrayIcon>
#include <QTimer>

namespace lumiroka {

namespace {
constexpr int kHostCheckMs = 2000;
}

QtTrayIcon::QtTrayIcon() : m_hostCheck(std::make_unique<QTimer>())
{
    m_hostCheck->setInterval(kHostCheckMs);
    QObject::connect(m_hostCheck.get(), &QTimer::timeout, [this] { checkHost(); });
}

QtTrayIcon::~QtTrayIcon() = default;

bool QtTrayIcon::isAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void QtTrayIcon::add(const QIcon &icon, const QString &toolTip)
{
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>();
        QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason why) {
            if ((why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::Context) && onClicked)
                onClicked(QCursor::pos());
        });
    }
    m_icon->setIcon(icon);
    m_icon->setToolTip(toolTip);
    m_icon->show();
    m_hostCheck->start();
}

void QtTrayIcon::remove()
{
    m_hostCheck->stop();
    if (m_icon)
        m_icon->hide();
}

void QtTrayIcon::setToolTip(const QString &toolTip)
{
    if (m_icon)
        m_icon->setToolTip(toolTip);
}

void QtTrayIcon::checkHost()
{
    if (!m_icon || !m_icon->isVisible() || QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_hostCheck->stop();
    if (onLost)
        onLost();
}

} // namespace lumiroka
