#include "win32/picturebox.h"

#include <windowsx.h>

#include <algorithm>

#include "win32/controls.h"
#include "win32/picture.h"

namespace lumiroka::win32 {

namespace {
constexpr wchar_t kClass[] = L"LumirokaPicture";
} // namespace

PictureBox::~PictureBox()
{
    if (m_canvasDc)
        DeleteDC(m_canvasDc);
    if (m_canvas)
        DeleteObject(m_canvas);
}

void PictureBox::registerClass(HINSTANCE instance)
{
    registerWindowClass(instance, kClass, windowProc, nullptr, nullptr, nullptr);
}

HWND PictureBox::create(HWND parent, int id, const wchar_t *accessibleName)
{
    m_window = CreateWindowExW(0, kClass, accessibleName, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
    return m_window;
}

void PictureBox::setPicture(const PictureRef &picture)
{
    if (picture == m_picture)
        return;
    m_picture = picture;
    InvalidateRect(m_window, nullptr, FALSE);
}

void PictureBox::paint()
{
    PAINTSTRUCT paintStruct;
    HDC dc = BeginPaint(m_window, &paintStruct);
    RECT client;
    GetClientRect(m_window, &client);
    if (!m_canvasDc || m_canvasSize.cx != client.right || m_canvasSize.cy != client.bottom) {
        if (m_canvasDc)
            DeleteDC(m_canvasDc);
        if (m_canvas)
            DeleteObject(m_canvas);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(info.bmiHeader), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_canvasDc = CreateCompatibleDC(dc);
        m_canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void **>(&m_canvasBits), nullptr, 0);
        SelectObject(m_canvasDc, m_canvas);
        m_canvasSize = {client.right, client.bottom};
    }
    if (m_canvasBits) {
        GdiFlush(); // the last frame's drawing is done before its pixels are written
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        std::fill_n(m_canvasBits, static_cast<std::size_t>(client.right) * static_cast<std::size_t>(client.bottom),
                    0xff000000u | GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face));
        if (const auto *picture = dynamic_cast<const Win32Picture *>(m_picture.get()))
            picture->draw({m_canvasBits, client.right, client.bottom}, 0, 0, m_dpi);
    }
    if (GetFocus() == m_window && !(SendMessageW(GetParent(m_window), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
        DrawFocusRect(m_canvasDc, &client);
    BitBlt(dc, 0, 0, client.right, client.bottom, m_canvasDc, 0, 0, SRCCOPY);
    EndPaint(m_window, &paintStruct);
}

void PictureBox::click()
{
    if (onClick)
        onClick();
}

LRESULT CALLBACK PictureBox::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *self = static_cast<PictureBox *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto *self = reinterpret_cast<PictureBox *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT PictureBox::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT
    case WM_LBUTTONDOWN:
        m_pressed = true;
        SetCapture(m_window);
        return 0;
    case WM_LBUTTONUP: {
        const bool pressed = m_pressed;
        m_pressed = false;
        ReleaseCapture();
        RECT client;
        GetClientRect(m_window, &client);
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (pressed && PtInRect(&client, at))
            click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        m_pressed = false;
        return 0;
    case WM_KEYDOWN:
        // With the focus on the character, Space is a click, as on a button.
        if (wParam == VK_SPACE && !(lParam & (1 << 30)))
            click();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(m_window, nullptr, FALSE);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace lumiroka::win32
