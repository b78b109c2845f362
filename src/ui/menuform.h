#pragma once

#include <QIcon>
#include <QWidget>

class QAction;
class QMenu;

namespace lumiroka {

class mainform;

// A window that is never shown: it owns the notification-area menu and the icon shown there.
class menuform : public QWidget
{
    Q_OBJECT

public:
    explicit menuform(mainform *owner);
    ~menuform() override;

    QMenu *mfile() const { return m_mfile; }
    QAction *smenu1() const { return m_smenu1; }
    QAction *smenu2() const { return m_smenu2; }
    // The same two items for a tray host that draws the menu itself.
    QMenu *hostMenu() const { return m_hostMenu; }
    const QIcon &trayIcon() const { return m_icon; }

    // Opens the menu with its top-left corner at `pos`; returns at once.
    void popup(const QPoint &pos);

    void smenu1_Click(); // restore the window
    void smenu2_Click(); // end the program

private:
    mainform *m_main;
    QMenu *m_mfile;
    QMenu *m_hostMenu;
    QAction *m_smenu1;
    QAction *m_smenu2;
    QIcon m_icon;
};

} // namespace lumiroka
