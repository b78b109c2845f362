#pragma once

#include <windows.h>

#include <initializer_list>

#include "forms/layout.h"

namespace lumiroka::win32 {

// The designed layout is in twips; on screen it is pixels at the window's own density.
struct Scale
{
    UINT dpi = USER_DEFAULT_SCREEN_DPI;

    int px(int twips) const { return MulDiv(twips, static_cast<int>(dpi), 1440); }
    RECT rect(const layout::Box &box) const
    {
        return {px(box.left), px(box.top), px(box.left + box.width), px(box.top + box.height)};
    }
};

// The density of the monitor a window is on (per-monitor aware, as the manifest says).
UINT windowDpi(HWND window);

// Registers a window class of this program with the arrow cursor.
void registerWindowClass(HINSTANCE instance, const wchar_t *name, WNDPROC proc, HICON bigIcon, HICON smallIcon,
                         HBRUSH background);

// A control of a window, placed at its designed box, with its caption (UTF-8) as text.
HWND createControl(HWND parent, const wchar_t *windowClass, const layout::Control &control, DWORD style, int id,
                   const Scale &scale);
void placeControl(HWND control, const RECT &rect);

// The first installed face of `faces`, in `points` at `dpi`; the last face is taken
// without asking when none is found.
HFONT createFont(std::initializer_list<const wchar_t *> faces, double points, int weight, BYTE charset, UINT dpi);
// The system's Japanese interface face at 9 points.
HFONT createUiFont(UINT dpi);

// Width and height of a text in a font.
SIZE textExtent(HWND window, HFONT font, const wchar_t *text);

// Centres a window of this size on the work area of the monitor that holds `window`.
POINT centredOn(HWND window, SIZE size);

// Client size of a designed window (twips) to its outer size for the style.
SIZE outerSize(int widthTwips, int heightTwips, DWORD style, DWORD exStyle, UINT dpi);

} // namespace lumiroka::win32
