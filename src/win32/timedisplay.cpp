#include "win32/timedisplay.h"

#include <algorithm>

#include "forms/layout.h"
#include "win32/text.h"

namespace lumiroka::win32 {

namespace {

enum ControlId : int
{
    kHourbox = 120,
    kMinbox,
    kSecbox,
    kLabel1,
    kLabel2,
    kTimerbox,
};

const std::array<const layout::Control *, 3> kBoxes = {&layout::hourbox, &layout::minbox, &layout::secbox};
const std::array<const layout::Control *, 2> kColons = {&layout::Label1, &layout::Label2};

} // namespace

WNDPROC TimeDisplay::s_staticProc = nullptr;

TimeDisplay::~TimeDisplay()
{
    if (m_font)
        DeleteObject(m_font);
}

void TimeDisplay::create(HWND parent, const Scale &scale)
{
    m_parent = parent;
    // The digits and colons are the panel's children and let it show through, so the
    // colons' boxes, which overlap the digits' a little as designed, never cover a digit.
    m_panel = createControl(parent, L"STATIC", layout::timerbox, WS_BORDER, kTimerbox, scale);
    s_staticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TimeDisplay::panelProc)));
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        m_boxes[i] = createControl(m_panel, L"STATIC", *kBoxes[i], SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX,
                                   kHourbox + static_cast<int>(i), scale);
    for (std::size_t i = 0; i < m_colons.size(); ++i)
        m_colons[i] = createControl(m_panel, L"STATIC", *kColons[i], SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX,
                                    kLabel1 + static_cast<int>(i), scale);
}

void TimeDisplay::place(const Scale &scale)
{
    if (m_font)
        DeleteObject(m_font);
    m_font = createFont({widen(layout::kDigitFace).c_str(), L"MS PGothic", L"Yu Gothic", L"Meiryo"},
                        layout::kDigitPoints, FW_BOLD, SHIFTJIS_CHARSET, scale.dpi);

    // The labels size themselves to their text, centred on their designed place, so "00"
    // never clips in whichever face stands in for the designed one.
    placeControl(m_panel, scale.rect(layout::timerbox.box));
    auto placeText = [&](HWND label, const layout::Control &control, const wchar_t *widest) {
        RECT r = scale.rect(control.box);
        const SIZE text = textExtent(m_parent, m_font, widest);
        const LONG grow = std::max<LONG>(0, text.cx - (r.right - r.left));
        r.left -= grow / 2;
        r.right += grow - grow / 2;
        r.bottom = std::max(r.bottom, r.top + text.cy);
        MapWindowPoints(m_parent, m_panel, reinterpret_cast<POINT *>(&r), 2);
        placeControl(label, r);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
    };
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        placeText(m_boxes[i], *kBoxes[i], L"00");
    for (std::size_t i = 0; i < m_colons.size(); ++i)
        placeText(m_colons[i], *kColons[i], L"\xFF1A");
}

void TimeDisplay::setField(TimeField field, const std::string &text)
{
    HWND box = m_boxes[static_cast<std::size_t>(field)];
    // Every tick sets all three fields; only a changed one is drawn again.
    const std::wstring wide = widen(text);
    wchar_t shown[8] = {};
    GetWindowTextW(box, shown, 8);
    if (wide == shown)
        return;
    // The text is stored without the label's own immediate repaint, which would draw the
    // new digits over the old ones: a see-through label cannot wipe them. The panel
    // repaints under it first, and the label is drawn once.
    DefWindowProcW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    RECT r;
    GetWindowRect(box, &r);
    MapWindowPoints(nullptr, m_panel, reinterpret_cast<POINT *>(&r), 2);
    RedrawWindow(m_panel, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LRESULT CALLBACK TimeDisplay::panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CTLCOLORSTATIC) {
        // The digits: black, drawn straight onto the panel's white.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
    }
    return CallWindowProcW(s_staticProc, window, message, wParam, lParam);
}

} // namespace lumiroka::win32
