#include "win32/mainwindow.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>

#include "core/product.h"
#include "core/timecounter.h"
#include "forms/layout.h"
#include "forms/mainform.h"
#include "win32/picture.h"
#include "win32/picturebox.h"
#include "win32/resource.h"
#include "win32/text.h"
#include "win32/tray.h"

namespace lumiroka::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Lumiroka";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// Lets the dialog manager's keyboard handling (Tab, Space) work in this ordinary window.
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

enum ControlId : int
{
    kSsbutton = 100,
    kResetbutton,
    kCommand1,
    kEndbutton,
    kHourbar = 110,
    kMinbar,
    kSecbar,
    kMessbox = 126, // 120 to 125: the time display's
    kPicbox = 140,
    kMenuRestore = 200,
    kMenuClose,
};

std::size_t at(TimeField field)
{
    return static_cast<std::size_t>(field);
}

const std::array<const layout::Control *, 3> kBars = {&layout::hourbar, &layout::minbar, &layout::secbar};
const std::array<const layout::Control *, 4> kButtons = {&layout::ssbutton, &layout::resetbutton, &layout::Command1,
                                                         &layout::endbutton};

HICON loadIcon(HINSTANCE instance, int metric, UINT dpi)
{
    const int size = GetSystemMetricsForDpi(metric, dpi);
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_LUMIROKA), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

} // namespace

Win32MainWindow::Win32MainWindow(HINSTANCE instance, const Clock &clock)
    : m_instance(instance), m_swtimer(kSwtimerId, clock), m_dialog(instance)
{
    const UINT systemDpi = GetDpiForSystem();
    m_bigIcon = loadIcon(instance, SM_CXICON, systemDpi);
    m_smallIcon = loadIcon(instance, SM_CXSMICON, systemDpi);

    registerWindowClass(instance, kWindowClass, windowProc, m_bigIcon, m_smallIcon,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    PictureBox::registerClass(instance);

    m_white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    // Sent when the window's taskbar button exists; only then may its progress be drawn.
    m_taskbarButtonCreated = RegisterWindowMessageW(L"TaskbarButtonCreated");

    m_window = CreateWindowExW(kExStyle, kWindowClass, widen(kProductName).c_str(), kStyle, CW_USEDEFAULT,
                               CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
    m_scale.dpi = windowDpi(m_window);
    m_taskbar = std::make_unique<TaskbarProgress>(m_window); // nothing is loaded yet
    // The shell's announcement also reaches a program run as administrator.
    ChangeWindowMessageFilterEx(m_window, m_taskbarButtonCreated, MSGFLT_ALLOW, nullptr);
    for (WindowTimer *timer : {static_cast<WindowTimer *>(&m_swtimer), &m_charatimer1, &m_soundtimer, &m_traytimer}) {
        timer->attach(m_window);
        m_timers.push_back(timer);
    }
    createControls();
    layout();
    m_dialog.setMainWindow(m_window, m_bigIcon, m_smallIcon);

    m_menu = CreatePopupMenu();
    AppendMenuW(m_menu, MF_STRING, kMenuRestore, widen(layout::kRestoreItem).c_str());
    AppendMenuW(m_menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(m_menu, MF_STRING, kMenuClose, widen(layout::kCloseItem).c_str());
}

Win32MainWindow::~Win32MainWindow()
{
    if (m_menu)
        DestroyMenu(m_menu);
    if (m_window)
        DestroyWindow(m_window);
    if (m_uiFont)
        DeleteObject(m_uiFont);
    for (HICON icon : {m_bigIcon, m_smallIcon})
        if (icon)
            DestroyIcon(icon);
}

void Win32MainWindow::createControls()
{
    const Scale &s = m_scale;
    // Created in focus order, which is the order Tab follows; labels are no tab stops.
    m_buttons[0] = createControl(m_window, L"BUTTON", layout::ssbutton, BS_PUSHBUTTON | WS_TABSTOP, kSsbutton, s);
    m_buttons[1] = createControl(m_window, L"BUTTON", layout::resetbutton, BS_PUSHBUTTON | WS_TABSTOP, kResetbutton, s);
    const std::array<int, 3> maxima = {TimeCounter::kMaxHours, TimeCounter::kMaxMinSec, TimeCounter::kMaxMinSec};
    // Named for screen readers by their text, which a scroll bar does not show.
    const std::array<const wchar_t *, 3> barNames = {L"hours", L"minutes", L"seconds"};
    for (std::size_t i = 0; i < m_bars.size(); ++i) {
        m_bars[i] =
            createControl(m_window, L"SCROLLBAR", *kBars[i], SBS_HORZ | WS_TABSTOP, kHourbar + static_cast<int>(i), s);
        SetWindowTextW(m_bars[i], barNames[i]);
        SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, maxima[i], 0, 0, 0};
        SetScrollInfo(m_bars[i], SB_CTL, &info, FALSE);
    }
    m_picbox.create(m_window, kPicbox, L"character");
    m_picbox.setDpi(s.dpi);
    m_buttons[2] = createControl(m_window, L"BUTTON", layout::Command1, BS_PUSHBUTTON | WS_TABSTOP, kCommand1, s);
    m_buttons[3] = createControl(m_window, L"BUTTON", layout::endbutton, BS_PUSHBUTTON | WS_TABSTOP, kEndbutton, s);

    m_messbox = createControl(m_window, L"STATIC", layout::messbox,
                              SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS | WS_BORDER, kMessbox, s);
    m_timeDisplay.create(m_window, s);
}

void Win32MainWindow::layout()
{
    const Scale &s = m_scale;
    const SIZE outer = outerSize(layout::kMainWidth, layout::kMainHeight, kStyle, kExStyle, s.dpi);
    SetWindowPos(m_window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    if (m_uiFont)
        DeleteObject(m_uiFont);
    m_uiFont = createUiFont(s.dpi);

    m_timeDisplay.place(s);

    for (std::size_t i = 0; i < m_bars.size(); ++i)
        placeControl(m_bars[i], s.rect(kBars[i]->box));
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        placeControl(m_buttons[i], s.rect(kButtons[i]->box));
        SendMessageW(m_buttons[i], WM_SETFONT, reinterpret_cast<WPARAM>(m_uiFont), TRUE);
    }
    m_picbox.setDpi(s.dpi);
    placeControl(m_picbox.handle(), s.rect(layout::picbox0.box));
    placeControl(m_messbox, s.rect(layout::messbox.box));
    SendMessageW(m_messbox, WM_SETFONT, reinterpret_cast<WPARAM>(m_uiFont), TRUE);
    InvalidateRect(m_window, nullptr, TRUE);
}

void Win32MainWindow::connectForm(mainform &form, Win32TrayIcon &tray)
{
    m_form = &form;
    m_tray = &tray;
    m_swtimer.onTick = [&form] { form.swtimer_Timer(); };
    m_charatimer1.onTick = [&form] { form.charatimer1_Timer(); };
    m_soundtimer.onTick = [&form] { form.soundtimer_Timer(); };
    m_traytimer.onTick = [&form] { form.traytimer_Timer(); };
    m_picbox.onClick = [&form] { form.picbox_Click(0); };
    m_dialog.connectForm(form.optionformObject());
}

// ---------------------------------------------------------------- controls

void Win32MainWindow::setCaption(const std::string &text)
{
    SetWindowTextW(m_window, widen(text).c_str());
}

void Win32MainWindow::setProgress(Progress state, double fraction)
{
    m_taskbar->set(state, fraction);
}

int Win32MainWindow::bar(TimeField field) const
{
    return GetScrollPos(m_bars[at(field)], SB_CTL);
}

void Win32MainWindow::setBar(TimeField field, int value)
{
    if (GetScrollPos(m_bars[at(field)], SB_CTL) == value)
        return;
    SetScrollPos(m_bars[at(field)], SB_CTL, value, TRUE);
    barChanged(field);
}

void Win32MainWindow::barChanged(TimeField field)
{
    if (!m_form)
        return;
    switch (field) {
    case TimeField::Hour:
        m_form->hourbar_Change();
        break;
    case TimeField::Minute:
        m_form->minbar_Change();
        break;
    case TimeField::Second:
        m_form->secbar_Change();
        break;
    }
}

void Win32MainWindow::scroll(HWND bar, int code)
{
    const auto found = std::find(m_bars.begin(), m_bars.end(), bar);
    if (found == m_bars.end())
        return;
    const auto field = static_cast<TimeField>(found - m_bars.begin());
    SCROLLINFO info{sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(bar, SB_CTL, &info);
    int value = info.nPos;
    switch (code) {
    case SB_LINELEFT:
    case SB_PAGELEFT: // small and large step are both 1
        --value;
        break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
        ++value;
        break;
    case SB_LEFT:
        value = info.nMin;
        break;
    case SB_RIGHT:
        value = info.nMax;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        value = info.nTrackPos;
        break;
    default:
        return;
    }
    setBar(field, std::clamp(value, info.nMin, info.nMax));
}

bool Win32MainWindow::wheel(int delta, POINT screenPoint)
{
    // A scroll bar control does nothing with the wheel itself; the message comes here
    // (from the focused control or straight), and the bar under the pointer takes it.
    const auto over = std::find_if(m_bars.begin(), m_bars.end(), [&](HWND bar) {
        RECT rect{};
        return IsWindowVisible(bar) && GetWindowRect(bar, &rect) && PtInRect(&rect, screenPoint);
    });
    if (over == m_bars.end())
        return false;
    if (*over != m_wheelBar) {
        m_wheelBar = *over;
        m_wheelDelta = 0;
    }
    // Away from the person raises the value, as on the Linux build.
    m_wheelDelta += delta;
    const int notches = m_wheelDelta / WHEEL_DELTA;
    m_wheelDelta -= notches * WHEEL_DELTA;
    if (notches == 0)
        return true;
    const auto field = static_cast<TimeField>(over - m_bars.begin());
    SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(*over, SB_CTL, &info);
    setBar(field, std::clamp(info.nPos + notches, info.nMin, info.nMax));
    return true;
}

void Win32MainWindow::setBox(TimeField field, const std::string &text)
{
    m_timeDisplay.setField(field, text);
}

void Win32MainWindow::setMessbox(const std::string &text)
{
    SetWindowTextW(m_messbox, widen(text).c_str());
}

void Win32MainWindow::showPicture(const PictureRef &picture)
{
    m_picbox.setPicture(picture);
}

PictureRef Win32MainWindow::loadPicture(const std::string &path, std::string &error)
{
    return win32::loadPicture(path, error);
}

// ---------------------------------------------------------------- window state

bool Win32MainWindow::minimized() const
{
    return IsIconic(m_window);
}

void Win32MainWindow::setMinimized(bool minimized)
{
    if (minimized == static_cast<bool>(IsIconic(m_window)))
        return;
    // WM_SIZE, and with it Form_Resize, comes before ShowWindow returns. Restoring also
    // shows a hidden window; every caller shows it next anyway.
    ShowWindow(m_window, minimized ? SW_MINIMIZE : SW_RESTORE);
}

bool Win32MainWindow::shown() const
{
    return IsWindowVisible(m_window);
}

void Win32MainWindow::setShown(bool shown)
{
    if (!shown) {
        ShowWindow(m_window, SW_HIDE);
        return;
    }
    if (IsWindowVisible(m_window))
        return;
    if (!m_everShown) {
        m_everShown = true;
        RECT r;
        GetWindowRect(m_window, &r);
        const POINT at = centredOn(m_window, {r.right - r.left, r.bottom - r.top});
        SetWindowPos(m_window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(m_window, SW_SHOWNORMAL);
        SetFocus(m_buttons[0]);
        for (std::size_t i = 0; i < m_warnings.size(); ++i)
            PostMessageW(m_window, kShowWarning, 0, 0);
        return;
    }
    ShowWindow(m_window, SW_SHOW);
}

bool Win32MainWindow::active() const
{
    return GetForegroundWindow() == m_window;
}

void Win32MainWindow::showWithoutFocus()
{
    // Not activatable while it comes back: under Wine an X11 window manager decides on its
    // own whether a window mapped again takes the focus (openbox does), and this is the
    // one hint it takes from a Windows program. Mouse clicks work meanwhile; the window is
    // activatable again once it is on screen.
    SetWindowLongPtrW(m_window, GWL_EXSTYLE, GetWindowLongPtrW(m_window, GWL_EXSTYLE) | WS_EX_NOACTIVATE);
    // Restores a minimized window too (WM_SIZE, and with it Form_Resize, before this
    // returns), and leaves the keyboard with the program in the foreground.
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    SetTimer(m_window, kNoActivateId, kNoActivateMs, nullptr);
}

void Win32MainWindow::raiseToFront(const std::string &)
{
    // In front of every window and back among the ordinary ones, so that windows the user
    // activates later can cover it again; never activated: the keyboard stays with the
    // program the person is typing in.
    SetWindowPos(m_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    SetWindowPos(m_window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    if (GetForegroundWindow() == m_window)
        return;
    // The taskbar button asks for attention until the alarm is silenced or the window is
    // activated.
    FLASHWINFO flash{sizeof(flash), m_window, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
    m_flashing = true;
}

void Win32MainWindow::withdrawAttention()
{
    if (!m_flashing)
        return;
    m_flashing = false;
    FLASHWINFO flash{sizeof(flash), m_window, FLASHW_STOP, 0, 0};
    FlashWindowEx(&flash);
}

void Win32MainWindow::popupMenu()
{
    POINT at;
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(m_window);
    // Timers keep ticking in the menu's own loop.
    const UINT chosen = TrackPopupMenuEx(m_menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
                                         at.y, m_window, nullptr);
    PostMessageW(m_window, WM_NULL, 0, 0);
    if (!m_form)
        return;
    if (chosen == kMenuRestore)
        m_form->menuformObject().smenu1_Click();
    else if (chosen == kMenuClose)
        m_form->menuformObject().smenu2_Click();
}

// ---------------------------------------------------------------- events

void Win32MainWindow::noteInput(const MSG &message)
{
    const bool ours = message.hwnd == m_window || IsChild(m_window, message.hwnd);
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
        m_keyboardInput = true;
        if (ours && m_form && (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN))
            m_form->Form_KeyDown();
    } else if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST && message.message != WM_MOUSEMOVE) {
        m_keyboardInput = false;
        if (ours && m_form &&
            (message.message == WM_LBUTTONDOWN || message.message == WM_RBUTTONDOWN ||
             message.message == WM_MBUTTONDOWN))
            m_form->Form_MouseDown();
    }
}

void Win32MainWindow::processEvents()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        noteInput(message);
        if (!IsDialogMessageW(m_window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

int Win32MainWindow::run()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        noteInput(message);
        if (!IsDialogMessageW(m_window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

void Win32MainWindow::endProgram()
{
    // At once and from wherever it is called (a menu, a dialog, a click's wait): no
    // window gets another message, nothing is written.
    ExitProcess(0);
}

void Win32MainWindow::warn(const std::string &text)
{
    // Also for a log or a console that started the program.
    if (HANDLE err = GetStdHandle(STD_ERROR_HANDLE); err && err != INVALID_HANDLE_VALUE) {
        const std::string line = std::string(kProductName) + ": " + text + "\n";
        DWORD written = 0;
        WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    // Shown from the message loop, so this call returns at once. The box has no owner, so
    // no window is disabled while it is open; its own loop keeps the timers running. At
    // start-up it waits until the window is on screen, so that it cannot hold up the
    // window's first showing.
    m_warnings.push_back(widen(text));
    if (m_everShown)
        PostMessageW(m_window, kShowWarning, 0, 0);
}

void Win32MainWindow::showWarning()
{
    if (m_warnings.empty())
        return;
    const std::wstring text = std::move(m_warnings.front());
    m_warnings.pop_front();
    // On top, so that it is not lost behind the main window that the start-up shows next.
    MessageBoxW(nullptr, text.c_str(), widen(kProductName).c_str(),
                MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
}

void Win32MainWindow::command(int id)
{
    if (!m_form)
        return;
    switch (id) {
    case kSsbutton:
        // Space on the focused button clicks it at the key's release.
        m_form->ssbutton_Click(m_keyboardInput);
        break;
    case kResetbutton:
        m_form->resetbutton_Click();
        break;
    case kCommand1:
        m_form->Command1_Click();
        break;
    case kEndbutton:
        m_form->endbutton_Click();
        break;
    default:
        break;
    }
}

LRESULT CALLBACK Win32MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *self = static_cast<Win32MainWindow *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto *self = reinterpret_cast<Win32MainWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kNoActivateId) {
            KillTimer(m_window, kNoActivateId);
            SetWindowLongPtrW(m_window, GWL_EXSTYLE,
                              GetWindowLongPtrW(m_window, GWL_EXSTYLE) & ~LONG_PTR(WS_EX_NOACTIVATE));
            return 0;
        }
        for (WindowTimer *timer : m_timers)
            if (timer->id() == wParam) {
                timer->fire();
                return 0;
            }
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            command(LOWORD(wParam));
        return 0;
    case WM_HSCROLL:
        scroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        if (wheel(GET_WHEEL_DELTA_WPARAM(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
            return 0;
        break;
    case kTrayNotifyMessage:
        // The icon's event reaches the handler as the code in x.
        if (m_form)
            m_form->Form_MouseMove(0, 0, static_cast<float>(LOWORD(lParam)), 0);
        return 0;
    case WM_SIZE:
        if ((wParam == SIZE_MINIMIZED || wParam == SIZE_RESTORED) && m_form)
            m_form->Form_Resize();
        return 0;
    case WM_ACTIVATE:
        // Like a dialog, the window gives the focus back to the control that had it.
        if (LOWORD(wParam) == WA_INACTIVE) {
            m_focus = GetFocus();
        } else {
            if (m_flashing)
                withdrawAttention();
            SetFocus(m_focus && IsChild(m_window, m_focus) ? m_focus : m_buttons[0]);
        }
        return 0;
    case WM_CTLCOLORSTATIC: {
        // The panels and the digits on them: black on white.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(m_white);
    }
    case WM_DPICHANGED: {
        m_scale.dpi = HIWORD(wParam);
        layout();
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        if (m_form)
            m_form->Form_Unload();
        return 0;
    case kShowWarning:
        showWarning();
        return 0;
    default:
        if (message == m_taskbarButtonCreated && m_taskbarButtonCreated && m_taskbar) {
            m_taskbar->buttonCreated();
            return 0;
        }
        if (message == m_taskbarCreated && m_taskbarCreated && m_tray) {
            m_tray->taskbarCreated();
            return 0;
        }
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace lumiroka::win32
