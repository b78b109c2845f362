#pragma once

#include <windows.h>

namespace lumiroka::win32 {

// A function of a system library, loaded when it is first needed rather than at start-up:
// the notification area and the chime bring large libraries that a timer which never goes
// to the tray or never rings does not need. Only the system folder is searched, so a file
// of the same name beside a portable copy of the program is never loaded. Null when the
// library or the function is missing.
template <typename Function> Function systemFunction(const wchar_t *library, const char *name)
{
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace lumiroka::win32
