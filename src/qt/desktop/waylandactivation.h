#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

#include "qt/desktop/waylandbackend.h"

class QTimer;
class QWindow;

namespace lumiroka {

// Asks a Wayland compositor to bring a window of ours to the person. Qt 6.4 has no call
// for it: QApplication::alert does nothing on Wayland and QWindow::requestActivate asks
// only while the program has the keyboard already. Does nothing on other platforms.
class WaylandActivation
{
public:
    explicit WaylandActivation(QStringList pluginDirs);
    ~WaylandActivation();
    WaylandActivation(const WaylandActivation &) = delete;
    WaylandActivation &operator=(const WaylandActivation &) = delete;

    // The program runs as a native Wayland client.
    static bool native();

    // With `token` (handed over from what the person did elsewhere, such as the action of
    // a desktop notification) the compositor activates the window where it trusts the
    // token. Without one, a token for our own surface: as no input of the person's comes
    // with it, compositors mark the window as demanding attention (GNOME, KWin) or urgent
    // (sway), or bring it in front where they allow that; the keyboard stays where it is.
    // A window being shown is activated once the compositor has mapped it. False where
    // nothing can be asked (not Wayland, no plugin, no xdg_activation_v1).
    bool activate(QWindow *window, const QString &token = {});
    // The window is about to be shown (mapped anew): an activation waits for the map.
    static void aboutToShow(QWindow *window);

    static constexpr int kMapWaitMs = 2000;

private:
    WaylandActivationBackend *backend();
    void whenMapped();
    void send(QWindow *window, const QString &token);

    QStringList m_pluginDirs;
    std::unique_ptr<WaylandActivationBackend> m_backend;
    bool m_tried = false;
    // A window waiting to be mapped, and the token it is to be activated with.
    QPointer<QWindow> m_waiting;
    QString m_waitingToken;
    std::unique_ptr<QTimer> m_mapWait;
    int m_mapPolls = 0;
    static constexpr int kMapPollMs = 40;
    // Bumped at each activation: a token that arrives for an earlier one is dropped.
    quint64 m_generation = 0;
};

} // namespace lumiroka
