#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

#include "forms/frontend.h"

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace lumiroka {

// QSystemTrayIcon-backed icon. Qt reports neither the release of a button over an
// embedded (XEmbed) icon nor the loss of the tray host: the icon watches the embedded
// icon's mouse events itself, and checks for the host every few seconds while it is shown.
// A StatusNotifier host decides itself when a click counts and tells through D-Bus.
class QtTrayIcon : public QObject, public TrayIcon
{
    Q_OBJECT

public:
    // `iconFile`: a PNG, read when the icon is first shown.
    explicit QtTrayIcon(QString iconFile);
    ~QtTrayIcon() override;

    bool isAvailable() const override;
    void add(const std::string &toolTip) override;
    void remove() override;
    void setToolTip(const std::string &toolTip) override;

    // The menu a tray host that draws menus itself shows on a right click (a
    // StatusNotifier host: KDE, Xfce, GNOME's AppIndicator extension). Null for none.
    void setMenu(QMenu *menu);

    // A button event over the icon, as the mouse message the main window decodes
    // (514: left button released, 517: right button released).
    std::function<void(int message)> onNotify;
    // The notification area went away while the icon was in it.
    std::function<void()> onLost;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void checkHost();
    void watchClicks(bool on);

    QString m_iconFile;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<QTimer> m_hostCheck;
    QPointer<QMenu> m_menu;
    bool m_watching = false;
};

} // namespace lumiroka
