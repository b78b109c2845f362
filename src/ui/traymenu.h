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
    QAction *smenu1() const { return m_smenu1; }
    QAction *smenu2() const { return m_smenu2; }

    // Opens the menu with its top-left corner at `pos`; returns at once.
    void popup(const QPoint &pos);

private:
    std::unique_ptr<QMenu> m_mfile;
    QAction *m_smenu1;
    QAction *m_smenu2;
};

} // namespace lumiroka
