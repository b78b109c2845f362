#pragma once

#include <QDBusConnection>

#include <functional>
#include <memory>

#include "forms/frontend.h"

namespace lumiroka {

// The count's progress on the desktop's launcher entry (the dock or panel icon of the
// installed desktop file): the com.canonical.Unity.LauncherEntry `Update` signal on the
// session bus, which KDE Plasma's task manager and GNOME's dock extensions draw. Nothing
// is sent, and the bus is not reached, until the first progress; a desktop that does not
// listen simply ignores the signal.
class LauncherEntry
{
public:
    // `bus` for tests; the program uses the session bus.
    explicit LauncherEntry(std::function<QDBusConnection()> bus = {});
    ~LauncherEntry();
    LauncherEntry(const LauncherEntry &) = delete;
    LauncherEntry &operator=(const LauncherEntry &) = delete;

    // Paused shows the share still to go as Normal does (the entry has no paused look);
    // Attention shows the whole bar and marks the entry urgent.
    void setProgress(Progress state, double fraction);

    static constexpr const char *kAppUri = "application://org.lumiroka.Lumiroka.desktop";
    static constexpr const char *kPath = "/org/lumiroka/Lumiroka/LauncherEntry";
    static constexpr const char *kInterface = "com.canonical.Unity.LauncherEntry";

private:
    std::function<QDBusConnection()> m_busFactory;
    std::unique_ptr<QDBusConnection> m_bus;
};

} // namespace lumiroka
