#include "qt/desktop/x11.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

namespace lumiroka::x11 {

xcb_connection_t *connection()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

xcb_window_t rootWindow(xcb_connection_t *connection)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem ? screens.data->root : xcb_window_t(XCB_NONE);
}

std::vector<std::uint32_t> cardinals(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                     xcb_atom_t type)
{
    std::vector<std::uint32_t> values;
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, property, type, 0, 64);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (reply && reply->type == type && reply->format == 32) {
        const auto *data = static_cast<const std::uint32_t *>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

} // namespace lumiroka::x11
