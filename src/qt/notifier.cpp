#include "qt/notifier.h"

#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace lumiroka {

void showWarning(QWidget *parent, const QString &title, const QString &text)
{
    QTimer::singleShot(0, [parent = QPointer<QWidget>(parent), title, text] {
        // Modeless, so the timers and the main window keep working while it is open; a
        // child of the main window, so the window manager keeps it above that window.
        auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
        box->raise();
        box->activateWindow();
    });
}

} // namespace lumiroka
