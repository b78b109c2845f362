#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "forms/frontend.h"

namespace lumiroka::win32 {

// The character's picture box: a control of its own that draws one picture from its
// top-left corner at the monitor's density, shows the keyboard focus, and reports a
// click (the left button pressed and released over it, or Space while it has the focus).
class PictureBox
{
public:
    PictureBox() = default;
    ~PictureBox();
    PictureBox(const PictureBox &) = delete;
    PictureBox &operator=(const PictureBox &) = delete;

    // The window class; once per process, before create().
    static void registerClass(HINSTANCE instance);
    // The control as a child of `parent`, placed later by the parent's layout.
    HWND create(HWND parent, int id, const wchar_t *accessibleName);
    HWND handle() const { return m_window; }

    void setDpi(UINT dpi) { m_dpi = dpi; }
    void setPicture(const PictureRef &picture);

    std::function<void()> onClick;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    void click();

    HWND m_window = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    PictureRef m_picture;
    // Drawn off screen first, so a change of pose never flickers; the canvas is kept, as
    // the character changes a few times a second.
    HDC m_canvasDc = nullptr;
    HBITMAP m_canvas = nullptr;
    std::uint32_t *m_canvasBits = nullptr;
    SIZE m_canvasSize{};
    bool m_pressed = false;
};

} // namespace lumiroka::win32
