#include "qt/tray.h"

#include <QCoreApplication>
#include <QIcon>
#include <QImageReader>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

namespace lumiroka {

namespace {

// Qt's embedded (XEmbed) tray icon is a widget of this name; it acts on the press.
bool isEmbeddedIcon(QObject *object)
{
    return object->isWidgetType() && object->objectName() == QLatin1String("QSystemTrayIconSys");
}
} // namespace

QtTrayIcon::QtTrayIcon(QString iconFile) : m_iconFile(std::move(iconFile)) {}

QtTrayIcon::~QtTrayIcon()
{
    watchClicks(false);
}

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
        // From a StatusNotifier host: Activate (usually the left button) and ContextMenu
        // (a right click on a host that does not draw the menu itself). An embedded icon's
        // own signals come from presses, which eventFilter() keeps from it.
        connect(m_icon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
            if (!onNotify)
                return;
            if (why == QSystemTrayIcon::Trigger)
                onNotify(kTrayLeftButtonUp);
            else if (why == QSystemTrayIcon::Context)
                onNotify(kTrayRightButtonUp);
        });
        if (m_menu)
            m_icon->setContextMenu(m_menu);
    }
    m_icon->setToolTip(QString::fromStdString(toolTip));
    watchClicks(true);
    m_icon->show();
}

void QtTrayIcon::remove()
{
    watchClicks(false);
    if (m_icon)
        m_icon->hide();
}

void QtTrayIcon::setToolTip(const std::string &toolTip)
{
    if (m_icon)
        m_icon->setToolTip(QString::fromStdString(toolTip));
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
    if (type == QEvent::MouseButtonRelease && over && onNotify) {
        if (mouse->button() == Qt::LeftButton)
            onNotify(kTrayLeftButtonUp);
        else if (mouse->button() == Qt::RightButton)
            onNotify(kTrayRightButtonUp);
    }
    return true;
}

} // namespace lumiroka
