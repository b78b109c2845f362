#include "win32/optionsdialog.h"

#include <algorithm>

#include "forms/layout.h"
#include "forms/optionform.h"
#include "win32/text.h"

namespace lumiroka::win32 {

namespace {

constexpr wchar_t kDialogClass[] = L"LumirokaOption";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

enum ControlId : int
{
    kFrame1 = 300,
    kOption1 = 310, // + index
    kOk = 320,
    kVersion,
    kCheck1,
    kCheck2,
};

int boxState(int value)
{
    return value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
}

} // namespace

Win32OptionsDialog::Win32OptionsDialog(HINSTANCE instance) : m_instance(instance) {}

Win32OptionsDialog::~Win32OptionsDialog()
{
    destroy();
    if (m_font)
        DeleteObject(m_font);
}

void Win32OptionsDialog::setMainWindow(HWND main, HICON bigIcon, HICON smallIcon)
{
    m_main = main;
    registerWindowClass(m_instance, kDialogClass, windowProc, bigIcon, smallIcon,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

void Win32OptionsDialog::build(const OptionValues &values)
{
    // No owner: the dialog is a window of its own, as designed.
    m_window = CreateWindowExW(kExStyle, kDialogClass, widen(layout::kOptionCaption).c_str(), kStyle, CW_USEDEFAULT,
                               CW_USEDEFAULT, 0, 0, nullptr, nullptr, m_instance, this);
    m_scale.dpi = windowDpi(m_window);
    const Scale &s = m_scale;
    // In tab order: the character group, OK, the version button, the two boxes.
    m_frame = createControl(m_window, L"BUTTON", layout::Frame1, BS_GROUPBOX, kFrame1, s);
    for (std::size_t i = 0; i < m_option1.size(); ++i)
        m_option1[i] =
            createControl(m_window, L"BUTTON", layout::option1[i],
                          BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), kOption1 + static_cast<int>(i), s);
    m_ok = createControl(m_window, L"BUTTON", layout::optionOk, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, kOk, s);
    m_version = createControl(m_window, L"BUTTON", layout::optionVersion, BS_PUSHBUTTON | WS_TABSTOP, kVersion, s);
    // Three states, set by hand on each click as the forms say.
    m_checks[0] = createControl(m_window, L"BUTTON", layout::check1, BS_3STATE | WS_TABSTOP, kCheck1, s);
    m_checks[1] = createControl(m_window, L"BUTTON", layout::check2, BS_3STATE | WS_TABSTOP, kCheck2, s);
    layout();

    if (values.option >= 0 && values.option < static_cast<int>(m_option1.size()))
        SendMessageW(m_option1[static_cast<std::size_t>(values.option)], BM_SETCHECK, BST_CHECKED, 0);
    for (std::size_t i = 0; i < m_checks.size(); ++i)
        SendMessageW(m_checks[i], BM_SETCHECK, static_cast<WPARAM>(boxState(values.checks[i])), 0);
}

void Win32OptionsDialog::layout()
{
    const Scale &s = m_scale;
    const SIZE outer = outerSize(layout::kOptionWidth, layout::kOptionHeight, kStyle, kExStyle, s.dpi);
    SetWindowPos(m_window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_font)
        DeleteObject(m_font);
    m_font = createUiFont(s.dpi);

    placeControl(m_frame, s.rect(layout::Frame1.box));
    placeControl(m_ok, s.rect(layout::optionOk.box));
    // Beside its text a check box or option button draws its mark; a push button's raised
    // edges take about 4 pixels on each side.
    const int mark = GetSystemMetricsForDpi(SM_CXMENUCHECK, s.dpi) + s.px(90);
    auto fit = [&](HWND control, const layout::Control &designed, int besideText, int roomRight) {
        RECT r = s.rect(designed.box);
        const SIZE text = textExtent(m_window, m_font, widen(designed.caption).c_str());
        r.right = r.left + layout::fittedWidth(r.left, r.right - r.left, besideText + text.cx, s.px(roomRight));
        placeControl(control, r);
    };
    for (std::size_t i = 0; i < m_option1.size(); ++i)
        fit(m_option1[i], layout::option1[i], mark, layout::kOptionRoomRight);
    fit(m_checks[0], layout::check1, mark, layout::kCheckRoomRight);
    fit(m_checks[1], layout::check2, mark, layout::kCheckRoomRight);
    fit(m_version, layout::optionVersion, s.px(150), layout::kVersionRoomRight);

    for (HWND control : {m_frame, m_option1[0], m_option1[1], m_option1[2], m_ok, m_version, m_checks[0], m_checks[1]})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
}

bool Win32OptionsDialog::option(int index) const
{
    return SendMessageW(m_option1.at(static_cast<std::size_t>(index)), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int Win32OptionsDialog::check(OptionCheck box) const
{
    const LRESULT state = SendMessageW(m_checks[checkIndex(box)], BM_GETCHECK, 0, 0);
    return state == BST_CHECKED ? 1 : state == BST_INDETERMINATE ? 2 : 0;
}

void Win32OptionsDialog::setCheck(OptionCheck box, int value)
{
    SendMessageW(m_checks[checkIndex(box)], BM_SETCHECK, static_cast<WPARAM>(boxState(value)), 0);
}

void Win32OptionsDialog::showModal(const OptionValues &values)
{
    if (!m_window)
        build(values);
    RECT r;
    GetWindowRect(m_window, &r);
    const POINT centre = centredOn(m_main, {r.right - r.left, r.bottom - r.top});
    SetWindowPos(m_window, nullptr, centre.x, centre.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EnableWindow(m_main, FALSE);
    ShowWindow(m_window, SW_SHOW);
    const int focus = values.option >= 0 && values.option < 3 ? values.option : 0;
    SetFocus(m_option1[static_cast<std::size_t>(focus)]);

    // The modal loop: every message of the thread is dispatched, the main window's timers
    // included; only the keyboard handling is this dialog's.
    MSG message;
    while (m_window) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!IsDialogMessageW(m_window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    destroy();
}

void Win32OptionsDialog::close()
{
    destroy();
}

void Win32OptionsDialog::destroy()
{
    if (!m_window)
        return;
    // The main window is enabled first, so that Windows gives the activation back to it
    // rather than to another program.
    EnableWindow(m_main, TRUE);
    HWND window = m_window;
    m_window = nullptr;
    DestroyWindow(window);
    if (m_main && IsWindowVisible(m_main))
        SetActiveWindow(m_main);
}

void Win32OptionsDialog::messageBox(const std::string &title, const std::string &text)
{
    MessageBoxW(m_window, widen(text).c_str(), widen(title).c_str(), MB_OK);
}

LRESULT CALLBACK Win32OptionsDialog::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *self = static_cast<Win32OptionsDialog *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    // Messages of its creation and destruction need nothing of this object.
    auto *self = reinterpret_cast<Win32OptionsDialog *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || self->m_window != window)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT Win32OptionsDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            break;
        switch (LOWORD(wParam)) {
        case kOk:
            if (m_form)
                m_form->Command1_Click();
            return 0;
        case kVersion:
            if (m_form)
                m_form->Command2_Click();
            return 0;
        case kCheck1:
        case kCheck2: {
            const OptionCheck box = LOWORD(wParam) == kCheck1 ? OptionCheck::check1 : OptionCheck::check2;
            setCheck(box, clickedCheck(check(box)));
            return 0;
        }
        default:
            break;
        }
        break;
    case WM_DPICHANGED: {
        m_scale.dpi = HIWORD(wParam);
        layout();
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return 0;
    }
    case WM_CLOSE:
        // Closed without OK: whatever the user changed goes with the window.
        destroy();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace lumiroka::win32
