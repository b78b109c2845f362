#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "chara/animator.h"
#include "chara/poses.h"
#include "chara/randomsource.h"
#include "core/clock.h"
#include "core/countdownprogress.h"
#include "core/runcontrol.h"
#include "core/timecounter.h"
#include "forms/assetdirs.h"
#include "forms/frontend.h"
#include "forms/menuform.h"
#include "forms/optionform.h"
#include "settings/settings.h"

namespace lumiroka {

// The timer window's behaviour: every handler of its controls and timers, under the name
// of its control and event, and the shared state they work on. The front end calls the
// handlers when the events happen; the handlers decide, then update the window through
// `MainWindow`.
//
// Built in two steps: the front end makes its window, then this form, then routes each
// control's events to the handlers here, then calls Form_Load and runs its event loop.
class mainform
{
public:
    explicit mainform(FrontEnd frontEnd);
    mainform(const mainform &) = delete;
    mainform &operator=(const mainform &) = delete;

    // Start-up: the stored settings, the character, then the window is shown.
    void Form_Load();
    // Any change of the window state; moves a minimized window to the notification area.
    void Form_Resize();
    // The close box, END, the system menu: the program ends at once.
    void Form_Unload();
    // Mouse movement over the window, and the notification area's icon reporting its
    // button events with the event code as `x` (514 left, 517 right button released).
    void Form_MouseMove(int button, int shift, float x, float y);
    // Any key, or any mouse button, pressed in the window (its controls included), before
    // the control it goes to handles it.
    void Form_KeyDown();
    void Form_MouseDown();

    // Time counter
    void swtimer_Timer();
    void countup();
    void countdown();
    void showtime();
    void hourbar_Change();
    void minbar_Change();
    void secbar_Change();

    // Run control and alarm. `byKeyboard`: the press came from the keyboard (Space on the
    // focused button), not from the mouse.
    void ssbutton_Click(bool byKeyboard = false);
    void resetbutton_Click();
    void timeup();
    void soundtimer_Timer();

    // Character
    void setchara();
    void charatimer1_Timer();
    void charatalk();
    void picbox_Click(int index);

    // Buttons of the window itself
    void Command1_Click(); // OPTION
    void endbutton_Click();

    // Notification area: add the icon (and watch for the area going away), remove it, show
    // the time in its tooltip.
    void tuskicon1();
    void tuskicon2();
    void tuskicon3();
    // The notification area went away; a window hidden in it comes back.
    void trayLost();
    // While the icon is in: whether the notification area is still there.
    void traytimer_Timer();
    // Back from the notification area (or the taskbar), in normal state, on screen.
    void restoreFromTray();

    // Store -> shared settings; values that cannot be used take their defaults and the
    // user is told once while they stay the same.
    void applyStoredSettings();

    optionform &optionformObject() { return m_optionform; }
    menuform &menuformObject() { return m_menuform; }

    // Shared state.
    TimeCounter &time() { return m_time; }
    RunControl &run() { return m_run; }
    SettingsValues &settings() { return m_settings; }
    CharaAnimator &animator() { return m_animator; }
    const FrontEnd &frontEnd() const { return m_fe; }

    // The picture slots: 0 is on screen, 1..7 hold the current character's poses.
    const PictureRef &picbox(int index) const { return m_picbox.at(static_cast<std::size_t>(index)); }
    // Slot 0 shows the very picture another slot holds.
    void takeSlot(int index);
    // Slot 0 shows the alarm picture itself: the idle animation stands still.
    bool isFrozen() const { return m_picbox[slot::Visible] == m_picbox[slot::Alarm]; }
    bool isRunning() const { return m_fe.window.swtimer().isActive(); }
    // A window hidden in the notification area counts as minimized even where the window
    // system already reports the withdrawn window as restored.
    bool isMinimizedOrHidden() const { return m_fe.window.minimized() || !m_fe.window.shown(); }

    // The wait of a click on the running character: this many passes over the pending
    // events, each paced to `pause` after the previous one so that the reaction lasts
    // about a second on any machine without spinning. Tests set the pause to zero, or
    // watch the pacing through a sleeper of their own.
    static constexpr int kClickWaitPasses = 2001;
    using Sleeper = std::function<void(std::chrono::steady_clock::time_point until)>;
    void setClickWaitPause(std::chrono::microseconds pause) { m_clickPause = pause; }
    void setClickWaitSleeper(Sleeper sleepUntil) { m_sleepUntil = std::move(sleepUntil); }

    // When the alarm came in front while the person was using another program, keys that
    // reach the window are typing meant for that program until they pause this long: only
    // a key after such a pause (or a click) is an answer to the alarm.
    static constexpr std::chrono::milliseconds kTypingPause{1500};
    // Whether keys reaching the window are taken for typing meant elsewhere.
    bool typingGuarded() const { return m_typingGuard; }

private:
    void setTimedCaption();
    // Tells the window the taskbar progress when it changed. Run at the end of every
    // handler that can change it.
    void updateProgress();
    // A change handler stored `value` in `field`. Returns whether it was a move of the
    // person's, not showtime writing back the counted time; the tick's own write-back
    // leaves the progress to the end of the tick, so no half-updated time is ever shown.
    bool barMoved(std::int16_t &field, int value);
    void clickWait();

    FrontEnd m_fe;
    MainWindow &m_window;
    TimeCounter m_time;
    RunControl m_run;
    SettingsValues m_settings;
    CharaAnimator m_animator;
    std::array<PictureRef, slot::Count> m_picbox{};
    optionform m_optionform;
    menuform m_menuform;
    std::string m_lastSettingsWarning;
    std::chrono::microseconds m_clickPause{500};
    Sleeper m_sleepUntil;
    // The typing guard: on from an alarm that came while another program had the
    // keyboard, until a click or a key after a pause; the last key that reached the window
    // (or the alarm's coming, before any).
    bool m_typingGuard = false;
    std::chrono::nanoseconds m_lastKeyAt{};
    bool m_ending = false;
    CountdownProgress m_progress;
};

} // namespace lumiroka
