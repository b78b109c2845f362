#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "forms/frontend.h"
#include "win32/controls.h"

namespace lumiroka::win32 {

// The time display: a white, bordered panel holding the hours, minutes and seconds and the
// colons between them, in the large digit face. A control of its own, as the picture box
// is: the window creates it, places it at each density and hands it the fields' text.
class TimeDisplay
{
public:
    TimeDisplay() = default;
    ~TimeDisplay();
    TimeDisplay(const TimeDisplay &) = delete;
    TimeDisplay &operator=(const TimeDisplay &) = delete;

    // The panel and its labels as children of `parent`, placed later by place().
    void create(HWND parent, const Scale &scale);
    // The panel at its designed box, and the digit face at the scale's density.
    void place(const Scale &scale);
    void setField(TimeField field, const std::string &text);

private:
    static LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static WNDPROC s_staticProc;

    HWND m_parent = nullptr;
    HWND m_panel = nullptr;
    HFONT m_font = nullptr;
    std::array<HWND, 3> m_boxes{};
    std::array<HWND, 2> m_colons{};
};

} // namespace lumiroka::win32
