#pragma once

#include <windows.h>

#include "forms/frontend.h"

struct ITaskbarList3;

namespace lumiroka::win32 {

// The count's progress drawn on the window's taskbar button (ITaskbarList3): green while a
// countdown runs, yellow when it is stopped part-way, red at full length while the alarm
// rings. The taskbar object and COM behind it come only with the first progress, that is
// when a countdown first starts, so start-up loads neither; the calls wait until the
// taskbar has announced the button. Every failure is ignored: where there is no taskbar
// (or no such object), the button simply shows nothing.
class TaskbarProgress
{
public:
    explicit TaskbarProgress(HWND window) : m_window(window) {}
    ~TaskbarProgress();
    TaskbarProgress(const TaskbarProgress &) = delete;
    TaskbarProgress &operator=(const TaskbarProgress &) = delete;

    void set(Progress state, double fraction);
    // The taskbar announced the window's button (again after the shell restarted, or after
    // the window came back from the notification area): what is current is drawn anew.
    void buttonCreated();

private:
    void draw();

    HWND m_window;
    ITaskbarList3 *m_taskbar = nullptr;
    bool m_tried = false;  // the object was asked for (it may not exist)
    bool m_button = false; // the taskbar announced the button
    bool m_comInitialized = false;
    Progress m_state = Progress::None;
    double m_fraction = 0;
};

} // namespace lumiroka::win32
