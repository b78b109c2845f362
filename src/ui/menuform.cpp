#include "ui/menuform.h"

#include <QMenu>

#include "platform/tray.h"
#include "ui/mainform.h"

namespace lumiroka {

menuform::menuform(mainform *owner)
    : QWidget(nullptr), m_main(owner), m_mfile(new QMenu(QStringLiteral("FILE"))), m_hostMenu(new QMenu),
      m_icon(QStringLiteral(":/icons/lumiroka-16.png"))
{
    setObjectName(QStringLiteral("menuform"));
    m_mfile->setObjectName(QStringLiteral("mfile"));
    m_smenu1 = m_mfile->addAction(QStringLiteral("元のｻｲｽﾞに戻す(&R)"));
    m_smenu1->setObjectName(QStringLiteral("smenu1"));
    m_mfile->addSeparator()->setObjectName(QStringLiteral("sep"));
    m_smenu2 = m_mfile->addAction(QStringLiteral("閉じる(&C)"));
    m_smenu2->setObjectName(QStringLiteral("smenu2"));
    connect(m_smenu1, &QAction::triggered, this, &menuform::smenu1_Click);
    connect(m_smenu2, &QAction::triggered, this, &menuform::smenu2_Click);

    // Shared actions: whichever menu the person uses, the same handlers run. A host that
    // draws menus itself gets its own menu object, since Qt turns the menu it hands to a
    // host into a D-Bus menu.
    m_hostMenu->setObjectName(QStringLiteral("hostmenu"));
    m_hostMenu->addAction(m_smenu1);
    m_hostMenu->addSeparator();
    m_hostMenu->addAction(m_smenu2);
    if (TrayIcon *tray = m_main->services().tray)
        tray->setMenu(m_hostMenu);
}

menuform::~menuform()
{
    if (TrayIcon *tray = m_main->services().tray)
        tray->setMenu(nullptr);
    delete m_hostMenu;
    delete m_mfile;
}

void menuform::popup(const QPoint &pos) { m_mfile->popup(pos); }

void menuform::smenu1_Click() { m_main->restoreFromTray(); }

void menuform::smenu2_Click()
{
    m_main->tuskicon2();
    m_main->Form_Unload();
}

} // namespace lumiroka
