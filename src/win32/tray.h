#pragma once

#include <windows.h>

#include <string>

#include "forms/frontend.h"

namespace lumiroka::win32 {

// The icon in the notification area (Shell_NotifyIconW). Its mouse events come to the main
// window as WM_MOUSEMOVE with the event code in lParam, which the main form decodes.
// One icon handle serves the process: a docked icon whose handle is replaced at a modify
// is left dead by some tray hosts.
// The message the icon's events come to the main window with: the event (kTrayLeftButtonUp,
// kTrayRightButtonUp) in lParam. Apart from WM_MOUSEMOVE, so that a pointer
// moving over the window can never pass for one.
inline constexpr UINT kTrayNotifyMessage = WM_APP + 2;

class Win32TrayIcon : public TrayIcon
{
public:
    static constexpr UINT kId = 1;

    Win32TrayIcon(HWND window, HICON icon);
    ~Win32TrayIcon() override;

    // The taskbar was created anew (Explorer restarted): the icon has to be added again.
    void taskbarCreated();

    bool isAvailable() const override;
    void add(const std::string &toolTip) override;
    void remove() override;
    void setToolTip(const std::string &toolTip) override;

private:
    bool notify(DWORD message);

    HWND m_window;
    HICON m_icon;
    std::wstring m_tip;
    bool m_shown = false;
};

} // namespace lumiroka::win32
