#pragma once

#include <QPoint>

#include <memory>

class QAction;
class QMenu;

namespace lumiroka {

class menuform;

// The notification area's menu (restore, close); it belongs to no visible window.
class QtTrayMenu
{
public:
    QtTrayMenu();
    ~QtTrayMenu();

    void connectForm(menuform &form);

    QMenu *mfile() const { return m_mfile.get(); }
    // The same two items for a tray host that draws the menu itself: Qt turns the menu it
    // hands to a host into a D-Bus menu, so the host gets a menu object of its own.
    QMenu *hostMenu() const { return m_hostMenu.get(); }
    QAction *smenu1() const { return m_smenu1; }
    QAction *smenu2() const { return m_smenu2; }

    // Opens the menu with its top-left corner at `pos`; returns at once.
    void popup(const QPoint &pos);

private:
    std::unique_ptr<QMenu> m_mfile;
    std::unique_ptr<QMenu> m_hostMenu;
    QAction *m_smenu1;
    QAction *m_smenu2;
};

} // namespace lumiroka
