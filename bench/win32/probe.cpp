// Measures a Windows program from the outside, the same way for any program:
//   probe.exe startup PROGRAM.exe   ms from CreateProcess until its window is on screen and
//                                    the program waits for input (its first paint done);
//                                    the program is left running two more seconds, for
//                                    its memory to be read (Wine reports none of it here)
//   probe.exe idle PROGRAM.exe S    CPU time it takes over S seconds once started, with
//                                    START・STOP pressed if it has one (the count running),
//                                    as per cent of one core
// Prints one line of numbers; the program is ended afterwards.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

double nowMs()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Found
{
    DWORD process;
    HWND window;
};

BOOL CALLBACK findVisible(HWND window, LPARAM data)
{
    auto *found = reinterpret_cast<Found *>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == found->process && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND waitForWindow(const PROCESS_INFORMATION &started)
{
    Found found{started.dwProcessId, nullptr};
    for (int i = 0; i < 30000 && !found.window; ++i) {
        EnumWindows(findVisible, reinterpret_cast<LPARAM>(&found));
        if (!found.window)
            Sleep(1);
    }
    return found.window;
}

double cpuMs(HANDLE process)
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(process, &created, &ended, &kernel, &user);
    auto ms = [](const FILETIME &t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 3)
        return 2;
    STARTUPINFOW info{};
    info.cb = sizeof(info);
    PROCESS_INFORMATION started{};
    const double begin = nowMs();
    if (!CreateProcessW(argv[2], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &info, &started))
        return 3;
    HWND window = waitForWindow(started);
    WaitForInputIdle(started.hProcess, 30000);
    const double shown = nowMs() - begin;
    int code = 0;
    if (!window) {
        code = 4;
    } else if (std::wcscmp(argv[1], L"startup") == 0) {
        std::printf("%.1f\n", shown);
        std::fflush(stdout);
        Sleep(2000);
    } else {
        const int seconds = argc > 3 ? _wtoi(argv[3]) : 20;
        if (HWND start = FindWindowExW(window, nullptr, L"BUTTON", L"START\x30FBSTOP"))
            SendMessageW(start, BM_CLICK, 0, 0);
        Sleep(2000); // past the start-up
        const double before = cpuMs(started.hProcess);
        const double from = nowMs();
        Sleep(static_cast<DWORD>(seconds) * 1000);
        const double used = cpuMs(started.hProcess) - before;
        std::printf("%.3f\n", 100.0 * used / (nowMs() - from));
    }
    TerminateProcess(started.hProcess, 0);
    WaitForSingleObject(started.hProcess, 5000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return code;
}
