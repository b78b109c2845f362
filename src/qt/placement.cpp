#include "qt/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#if defined(LUMIROKA_HAVE_XCB)
#include <xcb/xcb.h>
#endif

namespace lumiroka {

#if defined(LUMIROKA_HAVE_XCB)
namespace {

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return result;
}

// _NET_FRAME_EXTENTS (left, right, top, bottom) of `window`, when the window manager set it.
bool readExtents(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t extents, QMargins &margins)
{
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    const bool found = reply && reply->type == XCB_ATOM_CARDINAL && reply->format == 32 && reply->value_len == 4;
    if (found) {
        const auto *v = static_cast<const std::uint32_t *>(xcb_get_property_value(reply));
        margins =
            QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
    }
    std::free(reply);
    return found;
}

} // namespace
#endif

#if defined(LUMIROKA_HAVE_XCB)
namespace {

struct FrameAtoms
{
    xcb_connection_t *connection = nullptr;
    xcb_atom_t request = XCB_ATOM_NONE;
    xcb_atom_t extents = XCB_ATOM_NONE;
};

FrameAtoms frameAtoms()
{
    FrameAtoms atoms;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return atoms;
    static const xcb_atom_t request = atom(x11->connection(), "_NET_REQUEST_FRAME_EXTENTS");
    static const xcb_atom_t extents = atom(x11->connection(), "_NET_FRAME_EXTENTS");
    if (request != XCB_ATOM_NONE && extents != XCB_ATOM_NONE)
        atoms = {x11->connection(), request, extents};
    return atoms;
}

} // namespace
#endif

void requestFrameExtents(QWidget *window)
{
#if defined(LUMIROKA_HAVE_XCB)
    const FrameAtoms atoms = frameAtoms();
    if (!atoms.connection)
        return;
    // The window manager answers by setting _NET_FRAME_EXTENTS on the window.
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(atoms.connection)).data;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window->winId());
    message.type = atoms.request;
    xcb_send_event(atoms.connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(atoms.connection);
#else
    (void)window;
#endif
}

QMargins expectedFrameMargins(QWidget *window)
{
#if defined(LUMIROKA_HAVE_XCB)
    const FrameAtoms atoms = frameAtoms();
    if (!atoms.connection)
        return {};
    const auto id = static_cast<xcb_window_t>(window->winId());
    QMargins margins;
    if (readExtents(atoms.connection, id, atoms.extents, margins))
        return margins;
    requestFrameExtents(window);
    // A window manager that knows the request answers within a round trip or two; one
    // that does not never will, so the wait is short.
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(40);
    while (steady_clock::now() < deadline) {
        if (readExtents(atoms.connection, id, atoms.extents, margins))
            return margins;
        std::this_thread::sleep_for(milliseconds(1));
    }
#else
    (void)window;
#endif
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
