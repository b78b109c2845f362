#pragma once

#include <QIcon>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

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

    // A mouse button was released over the icon: the owner shows its menu at `pos`.
    std::function<void(const QPoint &pos)> onClicked;
    // The notification area went away while the icon was in it.
    std::function<void()> onLost;
};

// QSystemTrayIcon-backed icon. Qt reports neither the release of the button nor the loss
// of the tray host, so the icon reacts to Qt's activation (which Qt sends on the press)
// and checks for the host every few seconds while the icon is shown.
class QtTrayIcon : public TrayIcon
{
public:
    QtTrayIcon();
    ~QtTrayIcon() override;

    bool isAvailable() const override;
    void add(const QIcon &icon, const QString &toolTip) override;
    void remove() override;
    void setToolTip(const QString &toolTip) override;

private:
    void checkHost();

    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<QTimer> m_hostCheck;
};

} // namespace lumiroka
