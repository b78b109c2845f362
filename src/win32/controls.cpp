#include "win32/controls.h"

#include "win32/text.h"

namespace lumiroka::win32 {

namespace {

int CALLBACK foundFace(const LOGFONTW *, const TEXTMETRICW *, DWORD, LPARAM found)
{
    *reinterpret_cast<bool *>(found) = true;
    return 0;
}

bool installed(const wchar_t *face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, foundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

} // namespace

UINT windowDpi(HWND window)
{
    const UINT dpi = GetDpiForWindow(window);
    return dpi ? dpi : USER_DEFAULT_SCREEN_DPI;
}

void registerWindowClass(HINSTANCE instance, const wchar_t *name, WNDPROC proc, HICON bigIcon, HICON smallIcon,
                         HBRUSH background)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hIcon = bigIcon;
    windowClass.hIconSm = smallIcon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

HWND createControl(HWND parent, const wchar_t *windowClass, const layout::Control &control, DWORD style, int id,
                   const Scale &scale)
{
    const RECT r = scale.rect(control.box);
    return CreateWindowExW(0, windowClass, widen(control.caption).c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
}

void placeControl(HWND control, const RECT &rect)
{
    SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT createFont(std::initializer_list<const wchar_t *> faces, double points, int weight, BYTE charset, UINT dpi)
{
    const wchar_t *face = *(faces.end() - 1);
    for (const wchar_t *candidate : faces)
        if (installed(candidate)) {
            face = candidate;
            break;
        }
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(points * dpi / 72.0 + 0.5);
    font.lfWeight = weight;
    font.lfCharSet = charset;
    font.lfQuality = CLEARTYPE_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

HFONT createUiFont(UINT dpi)
{
    // The interface face of Japanese Windows since 10, its predecessors, and the face
    // every Japanese set-up has.
    return createFont({L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}, 9, FW_NORMAL, SHIFTJIS_CHARSET, dpi);
}

SIZE textExtent(HWND window, HFONT font, const wchar_t *text)
{
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size;
}

POINT centredOn(HWND window, SIZE size)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT &work = monitor.rcWork;
    return {work.left + (work.right - work.left - size.cx) / 2, work.top + (work.bottom - work.top - size.cy) / 2};
}

SIZE outerSize(int widthTwips, int heightTwips, DWORD style, DWORD exStyle, UINT dpi)
{
    const Scale scale{dpi};
    RECT r{0, 0, scale.px(widthTwips), scale.px(heightTwips)};
    AdjustWindowRectExForDpi(&r, style, FALSE, exStyle, dpi);
    return {r.right - r.left, r.bottom - r.top};
}

} // namespace lumiroka::win32
