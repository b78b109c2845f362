#include <windows.h>

#include "chara/randomsource.h"
#include "core/product.h"
#include "forms/assetdirs.h"
#include "forms/mainform.h"
#include "win32/files.h"
#include "win32/mainwindow.h"
#include "win32/registrystore.h"
#include "win32/sound.h"
#include "win32/text.h"
#include "win32/timers.h"
#include "win32/tray.h"

namespace {

// The folder of the running program, however long its path.
std::string executableDir()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L"\\/") == std::wstring::npos ? 0 : path.find_last_of(L"\\/"));
    return lumiroka::win32::narrow(path);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    using namespace lumiroka;
    const AssetDirs assets({executableDir()}, &win32::isRegularFile);
    win32::Win32AlarmSound sound(assets.find("justtime.wav"));
    win32::RegistryStore store(std::string("Software\\") + kProductName + "\\" + kProductName);
    UnseededRandomSource random;
    win32::TickCountClock clock;

    win32::Win32MainWindow window(instance, clock);
    win32::Win32TrayIcon tray(window.handle(), window.smallIcon());
    mainform form({window, window.optionsDialog(), tray, sound, store, random, clock, assets});
    window.connectForm(form, tray);
    form.Form_Load();
    return window.run();
}
