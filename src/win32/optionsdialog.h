#pragma once

#include <windows.h>

#include <array>

#include "forms/frontend.h"
#include "win32/controls.h"

namespace lumiroka {
class optionform;
} // namespace lumiroka

namespace lumiroka::win32 {

// The options dialog: a window of its own, built at each showing and destroyed when it
// closes. Modal: the main window is disabled meanwhile,
// while its timers go on through this dialog's message loop.
class Win32OptionsDialog : public OptionsDialog
{
public:
    explicit Win32OptionsDialog(HINSTANCE instance);
    ~Win32OptionsDialog() override;
    Win32OptionsDialog(const Win32OptionsDialog &) = delete;
    Win32OptionsDialog &operator=(const Win32OptionsDialog &) = delete;

    void setMainWindow(HWND main, HICON bigIcon, HICON smallIcon);
    void connectForm(optionform &form) { m_form = &form; }
    HWND handle() const { return m_window; }

    void showModal(const OptionValues &values) override;
    bool isShown() const override { return m_window != nullptr; }
    void close() override;
    bool option(int index) const override;
    int check(OptionCheck box) const override;
    void messageBox(const std::string &title, const std::string &text) override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void build(const OptionValues &values);
    void layout();
    void destroy();
    void setCheck(OptionCheck box, int value);

    HINSTANCE m_instance;
    HWND m_main = nullptr;
    HWND m_window = nullptr;
    optionform *m_form = nullptr;
    Scale m_scale;
    HFONT m_font = nullptr;

    HWND m_frame = nullptr;
    std::array<HWND, 3> m_option1{};
    std::array<HWND, 2> m_checks{};
    HWND m_ok = nullptr;
    HWND m_version = nullptr;
};

} // namespace lumiroka::win32
