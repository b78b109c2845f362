#include "platform/tray.h"

#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

namespace lumiroka {

namespace {
constexpr int kHostCheckMs = 2000;
constexpr int kLeftButtonUp = 514;
constexpr int kRightButtonUp = 517;
} // namespace

QtTrayIcon::QtTrayIcon(QString iconFile) : m_iconFile(std::move(iconFile)), m_hostCheck(std::make_unique<QTimer>())
{
    m_hostCheck->setInterval(kHostCheckMs);
    QObject::connect(m_hostCheck.get(), &QTimer::timeout, [this] { checkHost(); });
}

QtTrayIcon::~QtTrayIcon() = default;

bool QtTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::add(const std::string &toolTip)
{
    if (!m_icon) {
        // Read as PNG outright: an icon made from a file name asks every image plugin
        // installed whether it knows the format, which loads them all.
        QImageReader reader(m_iconFile, "png");
        reader.setAutoDetectImageFormat(false);
        m_icon = std::make_unique<QSystemTrayIcon>(QIcon(QPixmap::fromImage(reader.read())));
        QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason why) {
            if (!onNotify)
                return;
            if (why == QSystemTrayIcon::Trigger)
                onNotify(kLeftButtonUp);
            else if (why == QSystemTrayIcon::Context)
                onNotify(kRightButtonUp);
        });
    }
    m_icon->setToolTip(QString::fromStdString(toolTip));
    m_icon->show();
    m_hostCheck->start();
}

void QtTrayIcon::remove()
{
    m_hostCheck->stop();
    if (m_icon)
        m_icon->hide();
}

void QtTrayIcon::setToolTip(const std::string &toolTip)
{
    if (m_icon)
        m_icon->setToolTip(QString::fromStdString(toolTip));
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
