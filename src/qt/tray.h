#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

#include "forms/frontend.h"

class QMenu;
class QSystemTrayIcon;

namespace lumiroka {

// QSystemTrayIcon-backed icon. Qt does not report the release of a button over an
// embedded (XEmbed) icon: the icon watches the embedded icon's mouse events itself.
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

    // A button event over the icon, as the code the main form decodes (kTrayLeftButtonUp,
    // kTrayRightButtonUp).
    std::function<void(int message)> onNotify;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchClicks(bool on);

    QString m_iconFile;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    QPointer<QMenu> m_menu;
    bool m_watching = false;
};

} // namespace lumiroka
