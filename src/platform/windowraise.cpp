#include "platform/windowraise.h"

#include <QWidget>
#include <QWindow>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace lumiroka {

void QtWindowRaiser::raiseToFront(QWidget *window)
{
#ifdef Q_OS_WIN
    // Windows refuses plain activation from a background process; the topmost round
    // trip puts the window in front and leaves it an ordinary window again.
    const HWND handle = reinterpret_cast<HWND>(window->winId());
    SetWindowPos(handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    SetWindowPos(handle, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
#else
    // Toggle the hint on the QWindow: QWidget::setWindowFlag would recreate the native
    // window. Switching "above" on and off asks the window manager to lift the window
    // into the top layer and put it back at the top of the normal one.
    if (QWindow *handle = window->windowHandle()) {
        handle->setFlag(Qt::WindowStaysOnTopHint, true);
        window->raise();
        handle->setFlag(Qt::WindowStaysOnTopHint, false);
    }
    window->raise();
#endif
    window->activateWindow();
}

} // namespace lumiroka
