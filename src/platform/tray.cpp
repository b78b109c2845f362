#include "platform/tray.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QTimer>

namespace lumiroka {

namespace {
constexpr int kHostCheckMs = 2000;

// Qt's embedded (XEmbed) tray icon is a widget of this name; it acts on the press.
bool isEmbeddedIcon(QObject *object)
{
    return object->isWidgetType() && object->objectName() == QLatin1String("QSystemTrayIconSys");
}
} // namespace

QtTrayIcon::QtTrayIcon() : m_hostCheck(std::make_unique<QTimer>())
{
    m_hostCheck->setInterval(kHostCheckMs);
    connect(m_hostCheck.get(), &QTimer::timeout, this, &QtTrayIcon::checkHost);
}

QtTrayIcon::~QtTrayIcon()
{
    watchClicks(false);
}

bool QtTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::add(const QIcon &icon, const QString &toolTip)
{
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>();
        // From a StatusNotifier host: Activate (usually the left button) and ContextMenu
        // (a right click on a host that does not draw the menu itself). An embedded icon's
        // own signals come from presses, which eventFilter() keeps from it.
        connect(m_icon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
            if ((why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::Context) && onClicked)
                onClicked(QCursor::pos());
        });
        if (m_menu)
            m_icon->setContextMenu(m_menu);
    }
    m_icon->setIcon(icon);
    m_icon->setToolTip(toolTip);
    watchClicks(true);
    m_icon->show();
    m_hostCheck->start();
}

void QtTrayIcon::remove()
{
    m_hostCheck->stop();
    watchClicks(false);
    if (m_icon)
        m_icon->hide();
}

void QtTrayIcon::setToolTip(const QString &toolTip)
{
    if (m_icon)
        m_icon->setToolTip(toolTip);
}

void QtTrayIcon::setMenu(QMenu *menu)
{
    m_menu = menu;
    if (m_icon)
        m_icon->setContextMenu(menu);
}

void QtTrayIcon::watchClicks(bool on)
{
    if (on == m_watching || !QCoreApplication::instance())
        return;
    // Only while the icon is shown: the filter sees every event of the program.
    if (on)
        QCoreApplication::instance()->installEventFilter(this);
    else
        QCoreApplication::instance()->removeEventFilter(this);
    m_watching = on;
}

bool QtTrayIcon::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return false;
    if (!isEmbeddedIcon(watched))
        return false;
    // The press and the double click do nothing by themselves; the release of the left
    // or right button over the icon opens the menu (so a double click opens it through
    // the release that follows).
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const bool over = static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint());
    if (type == QEvent::MouseButtonRelease && over &&
        (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton) && onClicked)
        onClicked(mouse->globalPosition().toPoint());
    return true;
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
