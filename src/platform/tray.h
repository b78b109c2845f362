#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace lumiroka {

// The icon in the desktop's notification area. Only one icon exists; adding it twice
// or removing an absent icon is harmless.
class TrayIcon
{
public:
    virtual ~TrayIcon() = default;

    // Whether the desktop has a notification area right now.
    virtual bool isAvailable() const = 0;
    virtual void add(const QIcon &icon, const QString &toolTip) = 0;
    virtual void remove() = 0;
    virtual void setToolTip(const QString &toolTip) = 0;
    // The menu a tray host that draws menus itself shows on a right click (a
    // StatusNotifier host: KDE, Xfce, GNOME's AppIndicator extension). Null for none.
    virtual void setMenu(QMenu *menu) = 0;

    // A mouse button was released over the icon: the owner shows its menu at `pos`.
    std::function<void(const QPoint &pos)> onClicked;
    // The notification area went away while the icon was in it.
    std::function<void()> onLost;
};

// QSystemTrayIcon-backed icon. Qt reports neither the release of a button over an
// embedded (XEmbed) icon nor the loss of the tray host: the icon watches the embedded
// icon's mouse events itself, and checks for the host every few seconds while it is shown.
// A StatusNotifier host decides itself when a click counts and tells through D-Bus.
class QtTrayIcon : public QObject, public TrayIcon
{
    Q_OBJECT

public:
    QtTrayIcon();
    ~QtTrayIcon() override;

    bool isAvailable() const override;
    void add(const QIcon &icon, const QString &toolTip) override;
    void remove() override;
    void setToolTip(const QString &toolTip) override;
    void setMenu(QMenu *menu) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void checkHost();
    void watchClicks(bool on);

    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<QTimer> m_hostCheck;
    QPointer<QMenu> m_menu;
    bool m_watching = false;
};

} // namespace lumiroka
