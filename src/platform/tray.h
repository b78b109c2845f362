#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "forms/frontend.h"

class QSystemTrayIcon;
class QTimer;

namespace lumiroka {

// QSystemTrayIcon-backed icon. Qt reports neither the release of the button nor the loss
// of the tray host, so the icon reacts to Qt's activation (which Qt sends on the press)
// and checks for the host every few seconds while the icon is shown.
class QtTrayIcon : public TrayIcon
{
public:
    // `iconFile`: a PNG, read when the icon is first shown.
    explicit QtTrayIcon(QString iconFile);
    ~QtTrayIcon() override;

    bool isAvailable() const override;
    void add(const std::string &toolTip) override;
    void remove() override;
    void setToolTip(const std::string &toolTip) override;

    // A button event over the icon, as the mouse message the main window decodes
    // (514: left button released, 517: right button released).
    std::function<void(int message)> onNotify;
    // The notification area went away while the icon was in it.
    std::function<void()> onLost;

private:
    void checkHost();

    QString m_iconFile;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<QTimer> m_hostCheck;
};

} // namespace lumiroka
