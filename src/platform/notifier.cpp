#include "platform/notifier.h"

#include <QMessageBox>

namespace lumiroka {

void QtNotifier::warn(const QString &title, const QString &text)
{
    // Modeless, so the timers and the main window keep working while it is open.
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

} // namespace lumiroka
