#include "qt/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <chrono>
#include <thread>
#include <vector>

#include "qt/desktop/x11.h"

namespace lumiroka {

namespace {

// _NET_FRAME_EXTENTS (left, right, top, bottom) of `window`, when the window manager set it.
bool readExtents(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t extents, QMargins &margins)
{
    const std::vector<std::uint32_t> v = x11::cardinals(connection, window, extents, XCB_ATOM_CARDINAL);
    if (v.size() != 4)
        return false;
    margins = QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
    return true;
}

} // namespace

void requestFrameExtents(QWidget *window)
{
    xcb_connection_t *connection = x11::connection();
    if (!connection)
        return;
    // The window manager answers by setting _NET_FRAME_EXTENTS on the window.
    x11::sendToRoot(connection, static_cast<xcb_window_t>(window->winId()), x11::atoms()->requestFrame, {});
}

QMargins expectedFrameMargins(QWidget *window)
{
    xcb_connection_t *connection = x11::connection();
    if (!connection)
        return {};
    const xcb_atom_t extents = x11::atoms()->frameExtents;
    const auto id = static_cast<xcb_window_t>(window->winId());
    QMargins margins;
    if (readExtents(connection, id, extents, margins))
        return margins;
    requestFrameExtents(window);
    // A window manager that knows the request answers within a round trip or two; one
    // that does not never will, so the wait is short.
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(40);
    while (steady_clock::now() < deadline) {
        if (readExtents(connection, id, extents, margins))
            return margins;
        std::this_thread::sleep_for(milliseconds(1));
    }
    return {};
}

void centreOnScreen(QWidget *window, const QScreen *screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QMargins frame = expectedFrameMargins(window);
    const QSize framed = window->size().grownBy(frame);
    const QPoint frameAt = screen->availableGeometry().center() - QPoint(framed.width() / 2, framed.height() / 2);
    // The client area's place: a window manager that knows its frame puts the frame around it.
    window->setGeometry(QRect(frameAt + QPoint(frame.left(), frame.top()), window->size()));
}

} // namespace lumiroka
