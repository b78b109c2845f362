// The yardstick for the Windows program's start-up and memory: an empty window with the
// same 222 x 138 client area, frame and manifest-free defaults, built with the same
// compiler and flags, doing nothing but painting its background. Built with
// LUMIROKA_REFERENCE_TEXT defined, it also shows one push button with a Japanese caption
// in the system's GUI font: a second point of comparison, what the first text costs.
#include <windows.h>

namespace {
LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"LumirokaReference";
    RegisterClassW(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r{0, 0, 222, 138};
    AdjustWindowRect(&r, style, FALSE);
    HWND window = CreateWindowW(L"LumirokaReference", L"Reference", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
#ifdef LUMIROKA_REFERENCE_TEXT
    {
        HWND button = CreateWindowW(L"BUTTON", L"START\x30FBSTOP", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 120, 60, 90,
                                    20, window, nullptr, instance, nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    }
#endif
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
