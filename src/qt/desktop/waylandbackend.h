#pragma once

// What the plugin `lumiroka_wayland` offers (standard C++ only: the plugin has no Qt).

#include <functional>
#include <string>

namespace lumiroka {

// The compositor's xdg_activation_v1 on the program's own Wayland connection, as the
// plugin `lumiroka_wayland` speaks it (libwayland-client is loaded with the plugin, so a
// program on X11 never pays for it).
class WaylandActivationBackend
{
public:
    virtual ~WaylandActivationBackend() = default;
    // Asks for a token for `surface` (a wl_surface); `done` gets it from the event loop.
    // With no input serial to show, compositors grant a token that marks the window as
    // demanding attention rather than focusing it.
    virtual void requestToken(void *surface, const std::string &appId, std::function<void(std::string)> done) = 0;
    // Asks for `surface` to be activated with `token`.
    virtual void activate(void *surface, const std::string &token) = 0;
};

// Entry point of the plugin: the backend on `display` (a wl_display), or null when the
// compositor does not offer xdg_activation_v1.
using CreateWaylandActivation = WaylandActivationBackend *(*)(void *display);
inline constexpr const char *kCreateWaylandActivationSymbol = "lumiroka_create_wayland_activation";

} // namespace lumiroka
