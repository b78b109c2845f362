// Sends the main window the notification the shell sends when a button is released over
// the program's icon (its tray message with the event code in lParam), for the end-to-end tests
// where Wine's docked icon does not pass the click on.
//   lumiroka_tray_notify.exe CODE     (514 left button up, 517 right button up)
#include <windows.h>

#include <cwchar>

#include "win32/tray.h"

int wmain(int argc, wchar_t **argv)
{
    HWND window = FindWindowW(L"Lumiroka", nullptr);
    if (argc != 2 || !window)
        return 1;
    // Allowed to take the foreground, as the shell is, so the menu can take it.
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    AllowSetForegroundWindow(process);
    return PostMessageW(window, lumiroka::win32::kTrayNotifyMessage, 1, std::wcstol(argv[1], nullptr, 10)) ? 0 : 1;
}
