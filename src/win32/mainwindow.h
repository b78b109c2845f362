#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "forms/frontend.h"
#include "win32/controls.h"
#include "win32/optionsdialog.h"
#include "win32/picturebox.h"
#include "win32/taskbarprogress.h"
#include "win32/timedisplay.h"
#include "win32/timers.h"

namespace lumiroka {
class Clock;
class mainform;
} // namespace lumiroka

namespace lumiroka::win32 {

class Win32TrayIcon;

// The timer window: real BUTTON, SCROLLBAR and STATIC controls at their designed places,
// scaled to the monitor's density, the four timers, and the routing of every message to
// its handler on the form. It decides nothing itself.
class Win32MainWindow : public MainWindow
{
public:
    // Timer ids of this window.
    enum : UINT_PTR
    {
        kSwtimerId = 1,
        kCharatimer1Id,
        kSoundtimerId,
        kTraytimerId,
        kNoActivateId,
    };

    Win32MainWindow(HINSTANCE instance, const Clock &clock);
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow &) = delete;
    Win32MainWindow &operator=(const Win32MainWindow &) = delete;

    HWND handle() const { return m_window; }
    // The program's icon at the small size: the title bar's, and the one the tray shows.
    HICON smallIcon() const { return m_smallIcon; }
    Win32OptionsDialog &optionsDialog() { return m_dialog; }

    // Routes the controls' and timers' events to the form; once, before Form_Load.
    void connectForm(mainform &form, Win32TrayIcon &tray);
    // The message loop; returns the exit code.
    int run();

    // MainWindow
    IntervalTimer &swtimer() override { return m_swtimer; }
    IntervalTimer &charatimer1() override { return m_charatimer1; }
    IntervalTimer &soundtimer() override { return m_soundtimer; }
    IntervalTimer &traytimer() override { return m_traytimer; }
    void setCaption(const std::string &text) override;
    void setProgress(Progress state, double fraction) override;
    int bar(TimeField field) const override;
    void setBar(TimeField field, int value) override;
    void setBox(TimeField field, const std::string &text) override;
    void setMessbox(const std::string &text) override;
    void showPicture(const PictureRef &picture) override;
    PictureRef loadPicture(const std::string &path, std::string &error) override;
    bool minimized() const override;
    void setMinimized(bool minimized) override;
    bool shown() const override;
    void setShown(bool shown) override;
    bool active() const override;
    void showWithoutFocus() override;
    void raiseToFront(const std::string &alarmLine) override;
    void withdrawAttention() override;
    void popupMenu() override;
    void processEvents() override;
    void endProgram() override;
    void warn(const std::string &text) override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void layout();
    void scroll(HWND bar, int code);
    // The wheel over a scroll bar: one step of its field per notch, through the bar.
    bool wheel(int delta, POINT screenPoint);
    void barChanged(TimeField field);
    void command(int id);
    void showWarning();
    // Notes whether the input the loops take from the queue comes from the keyboard or
    // the mouse: a button's click reports the last of them.
    void noteInput(const MSG &message);

    static constexpr UINT kShowWarning = WM_APP + 1;
    // How long a window brought back by the alarm stays unactivatable.
    static constexpr UINT kNoActivateMs = 1500;

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    mainform *m_form = nullptr;
    Win32TrayIcon *m_tray = nullptr;
    Scale m_scale;
    UINT m_taskbarCreated = 0;
    UINT m_taskbarButtonCreated = 0;
    std::unique_ptr<TaskbarProgress> m_taskbar;
    int m_wheelDelta = 0; // a part notch of a fine-grained wheel, kept for the next
    HWND m_wheelBar = nullptr;

    GridTimer m_swtimer;
    WindowTimer m_charatimer1{kCharatimer1Id};
    WindowTimer m_soundtimer{kSoundtimerId};
    WindowTimer m_traytimer{kTraytimerId};
    std::vector<WindowTimer *> m_timers;
    Win32OptionsDialog m_dialog;

    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    HFONT m_uiFont = nullptr;
    HBRUSH m_white = nullptr;
    HMENU m_menu = nullptr;

    TimeDisplay m_timeDisplay;
    std::array<HWND, 3> m_bars{};
    std::array<HWND, 4> m_buttons{}; // ssbutton, resetbutton, Command1, endbutton
    PictureBox m_picbox;
    HWND m_messbox = nullptr;
    HWND m_focus = nullptr; // the control that had the focus when the window was left

    std::deque<std::wstring> m_warnings;
    bool m_everShown = false;
    bool m_flashing = false;
    bool m_keyboardInput = false; // the last input message was a key
};

} // namespace lumiroka::win32
