// xdg_activation_v1 on the program's Wayland connection, as a plugin: libwayland-client
// loads only when the program runs on Wayland. The protocol code is generated at build
// time from wayland-protocols' xdg-activation-v1.xml.

#include <wayland-client.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "qt/desktop/waylandbackend.h"
#include "xdg-activation-v1-client-protocol.h"

namespace lumiroka {
namespace {

class XdgActivation final : public WaylandActivationBackend
{
public:
    XdgActivation(wl_display *display, xdg_activation_v1 *activation) : m_display(display), m_activation(activation) {}
    ~XdgActivation() override { xdg_activation_v1_destroy(m_activation); }

    void requestToken(void *surface, const std::string &appId, std::function<void(std::string)> done) override
    {
        auto *pending = new Pending{std::move(done), xdg_activation_v1_get_activation_token(m_activation)};
        static const xdg_activation_token_v1_listener listener = {&XdgActivation::tokenDone};
        xdg_activation_token_v1_add_listener(pending->token, &listener, pending);
        xdg_activation_token_v1_set_surface(pending->token, static_cast<wl_surface *>(surface));
        if (!appId.empty())
            xdg_activation_token_v1_set_app_id(pending->token, appId.c_str());
        xdg_activation_token_v1_commit(pending->token);
        wl_display_flush(m_display);
    }

    void activate(void *surface, const std::string &token) override
    {
        xdg_activation_v1_activate(m_activation, token.c_str(), static_cast<wl_surface *>(surface));
        wl_display_flush(m_display);
    }

private:
    struct Pending
    {
        std::function<void(std::string)> done;
        xdg_activation_token_v1 *token;
    };

    static void tokenDone(void *data, xdg_activation_token_v1 *token, const char *value)
    {
        std::unique_ptr<Pending> pending(static_cast<Pending *>(data));
        const std::string text = value ? value : "";
        xdg_activation_token_v1_destroy(token);
        if (pending->done)
            pending->done(text);
    }

    wl_display *m_display;
    xdg_activation_v1 *m_activation;
};

struct Globals
{
    xdg_activation_v1 *activation = nullptr;
};

void global(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *globals = static_cast<Globals *>(data);
    if (!globals->activation && std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
        globals->activation =
            static_cast<xdg_activation_v1 *>(wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}

void globalRemove(void *, wl_registry *, uint32_t) {}

} // namespace
} // namespace lumiroka

extern "C" __attribute__((visibility("default"))) lumiroka::WaylandActivationBackend *
lumiroka_create_wayland_activation(void *display)
{
    using namespace lumiroka;
    auto *wl = static_cast<wl_display *>(display);
    if (!wl)
        return nullptr;
    // The registry on a queue of our own: the round trip dispatches nothing of Qt's, whose
    // own thread reads the same connection.
    wl_event_queue *queue = wl_display_create_queue(wl);
    auto *wrapper = static_cast<wl_display *>(wl_proxy_create_wrapper(wl));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(wrapper), queue);
    wl_registry *registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    Globals globals;
    static const wl_registry_listener listener = {&global, &globalRemove};
    wl_registry_add_listener(registry, &listener, &globals);
    wl_display_roundtrip_queue(wl, queue);
    wl_registry_destroy(registry);
    WaylandActivationBackend *backend = nullptr;
    if (globals.activation) {
        // Its events (the tokens) from now on with Qt's, on the program's main thread.
        wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(globals.activation), nullptr);
        backend = new XdgActivation(wl, globals.activation);
    }
    wl_event_queue_destroy(queue);
    return backend;
}
