#include "win32/tray.h"

#include <shellapi.h>

#include "win32/systemlibrary.h"
#include "win32/text.h"

namespace lumiroka::win32 {

namespace {
// Tooltips are cut to the classic field of 64 characters, the NUL included.
constexpr std::size_t kTipChars = 63;

BOOL notifyIcon(DWORD message, NOTIFYICONDATAW *record)
{
    static const auto function = systemFunction<decltype(&Shell_NotifyIconW)>(L"shell32.dll", "Shell_NotifyIconW");
    return function && function(message, record);
}
} // namespace

Win32TrayIcon::Win32TrayIcon(HWND window, HICON icon) : m_window(window), m_icon(icon) {}

Win32TrayIcon::~Win32TrayIcon()
{
    remove();
}

bool Win32TrayIcon::notify(DWORD message)
{
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof(record);
    record.hWnd = m_window;
    record.uID = kId;
    // The tooltip's update every second leaves the icon alone: handed the icon again,
    // Wine's tray replaces its copy of it, and a docked icon then stays blank and no
    // longer reports clicks.
    record.uFlags = message == NIM_MODIFY ? NIF_TIP : NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kTrayNotifyMessage;
    record.hIcon = m_icon;
    lstrcpynW(record.szTip, m_tip.substr(0, kTipChars).c_str(), static_cast<int>(kTipChars + 1));
    return notifyIcon(message, &record);
}

bool Win32TrayIcon::isAvailable() const
{
    return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

void Win32TrayIcon::add(const std::string &toolTip)
{
    m_tip = widen(toolTip);
    m_shown = true;
    notify(NIM_ADD);
}

void Win32TrayIcon::remove()
{
    if (!m_shown)
        return;
    m_shown = false;
    notify(NIM_DELETE);
}

void Win32TrayIcon::setToolTip(const std::string &toolTip)
{
    m_tip = widen(toolTip);
    if (m_shown)
        notify(NIM_MODIFY);
}

void Win32TrayIcon::taskbarCreated()
{
    if (m_shown)
        notify(NIM_ADD);
}

} // namespace lumiroka::win32
