#include "qt/traymenu.h"

#include <QMenu>

#include "forms/layout.h"
#include "forms/menuform.h"

namespace lumiroka {

QtTrayMenu::QtTrayMenu() : m_mfile(std::make_unique<QMenu>(QString::fromUtf8(layout::kMenuRoot)))
{
    m_mfile->setObjectName(QStringLiteral("mfile"));
    m_smenu1 = m_mfile->addAction(QString::fromUtf8(layout::kRestoreItem));
    m_smenu1->setObjectName(QStringLiteral("smenu1"));
    m_mfile->addSeparator()->setObjectName(QStringLiteral("sep"));
    m_smenu2 = m_mfile->addAction(QString::fromUtf8(layout::kCloseItem));
    m_smenu2->setObjectName(QStringLiteral("smenu2"));

    // Shared actions: whichever menu the person uses, the same handlers run.
    m_hostMenu = std::make_unique<QMenu>();
    m_hostMenu->setObjectName(QStringLiteral("hostmenu"));
    m_hostMenu->addAction(m_smenu1);
    m_hostMenu->addSeparator();
    m_hostMenu->addAction(m_smenu2);
}

QtTrayMenu::~QtTrayMenu() = default;

void QtTrayMenu::connectForm(menuform &form)
{
    QObject::connect(m_smenu1, &QAction::triggered, m_mfile.get(), [&form] { form.smenu1_Click(); });
    QObject::connect(m_smenu2, &QAction::triggered, m_mfile.get(), [&form] { form.smenu2_Click(); });
}

void QtTrayMenu::popup(const QPoint &pos)
{
    m_mfile->popup(pos);
}

} // namespace lumiroka
