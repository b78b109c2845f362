#pragma once

// What a front end (the Qt widgets, the Win32 windows, a test's fake) provides to the
// forms. The forms hold every decision; a front end draws, reports events by calling the
// forms' handlers, and carries out these calls. Texts are UTF-8.

#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "core/countdownprogress.h"
#include "forms/assetdirs.h"

namespace lumiroka {

class Clock;
class RandomSource;
class SettingsStore;

// A loaded picture. Front ends subclass it; the forms only pass it around, and two
// picture boxes show "the same picture" exactly when they hold the same object.
class Picture
{
public:
    virtual ~Picture() = default;
};
using PictureRef = std::shared_ptr<const Picture>;

// An interval timer of the main window. Whether it is enabled is the one record of what
// it drives: the count runs exactly while `swtimer` is active, the alarm repeats exactly
// while `soundtimer` is, the tray host is watched exactly while `traytimer` is. While active it calls its handler every
// interval, also inside modal waits, menus and the click's wait.
class IntervalTimer
{
public:
    virtual ~IntervalTimer() = default;
    virtual bool isActive() const = 0;
    // Enables the timer; the first tick follows one interval later. Starting an active
    // timer starts its interval afresh.
    virtual void start() = 0;
    virtual void stop() = 0;
    // Takes effect from now: the next tick follows `ms` after this call.
    virtual void setInterval(int ms) = 0;
};

enum class TimeField
{
    Hour,
    Minute,
    Second,
};

// The main window as the forms see it.
class MainWindow
{
public:
    virtual ~MainWindow() = default;

    virtual IntervalTimer &swtimer() = 0;
    virtual IntervalTimer &charatimer1() = 0;
    virtual IntervalTimer &soundtimer() = 0;
    virtual IntervalTimer &traytimer() = 0;

    virtual void setCaption(const std::string &text) = 0;
    // The count's progress on the taskbar button; `fraction` (0..1) is the share of the
    // countdown still to go. Called only when state or fraction changed, never at start-up
    // (the button starts without progress), so a front end may set itself up on the first
    // call.
    virtual void setProgress(Progress state, double fraction) = 0;

    // The scroll bars. Setting a different value runs the bar's change handler before
    // the call returns, as a change by the user does.
    virtual int bar(TimeField field) const = 0;
    virtual void setBar(TimeField field, int value) = 0;

    // The digit labels and the character's speech line.
    virtual void setBox(TimeField field, const std::string &text) = 0;
    virtual void setMessbox(const std::string &text) = 0;

    // The character on screen (picture box 0).
    virtual void showPicture(const PictureRef &picture) = 0;
    // Loads a picture file into a new object of its own. An empty path gives an empty
    // picture. On failure returns an empty picture and sets `error` to the reason.
    virtual PictureRef loadPicture(const std::string &path, std::string &error) = 0;

    // Minimized in the taskbar (or hidden while minimized). Changing it runs Form_Resize
    // before the call returns.
    virtual bool minimized() const = 0;
    virtual void setMinimized(bool minimized) = 0;
    // On screen and in the taskbar, or hidden.
    virtual bool shown() const = 0;
    virtual void setShown(bool shown) = 0;

    // Whether the window has the keyboard (it is the active window).
    virtual bool active() const = 0;
    // Back in normal state and on screen (from the taskbar or from hidden) for an event the
    // person did not ask for: the keyboard stays with the program they are using. Changing
    // the state runs Form_Resize before the call returns, as setMinimized does.
    virtual void showWithoutFocus() = 0;
    // In front of the other windows without taking the keyboard, and kept there until the
    // alarm is silenced (withdrawAttention) or the person activates another window; never
    // left always on top. Where the desktop cannot show it in front without focus, the
    // window asks for attention its own way, saying `alarmLine`.
    virtual void raiseToFront(const std::string &alarmLine) = 0;
    // The alarm was silenced: withdraw whatever raiseToFront left in front or asking for
    // attention.
    virtual void withdrawAttention() = 0;

    // The notification area's menu (restore, close) at the mouse pointer. A chosen item
    // runs its menuform handler.
    virtual void popupMenu() = 0;

    // One pass over the pending events: every event already queued is handled, nested in
    // the caller; returns without waiting for more.
    virtual void processEvents() = 0;
    // Ends the program at once: nothing is written, no further window gets an event.
    virtual void endProgram() = 0;
    // Tells the user about a problem that was worked around; does not wait for them.
    virtual void warn(const std::string &text) = 0;
};

enum class OptionCheck
{
    check1, // minimize while timing
    check2, // to the notification area when minimized
};

// The place of a box in OptionValues::checks, and in a front end's own array of the boxes.
inline std::size_t checkIndex(OptionCheck box)
{
    return box == OptionCheck::check1 ? 0 : 1;
}

// What the options dialog's controls hold: the selected character button (-1: none)
// and the two boxes, each 0 clear, 1 ticked, 2 shaded.
struct OptionValues
{
    int option = -1;
    std::array<int, 2> checks{};
    bool operator==(const OptionValues &) const = default;
};

// A click on a check box ticks a clear box and clears a ticked one; a shaded box, which
// only a stored 2 makes, becomes ticked. A click never shades.
inline int clickedCheck(int value)
{
    return value == 1 ? 0 : 1;
}

// The options dialog. It exists only while it is shown: closing it destroys what the user
// changed, and the forms keep what its controls hold meanwhile.
class OptionsDialog
{
public:
    virtual ~OptionsDialog() = default;

    // Builds the dialog with its controls set to `values`, shows it modally, centred, with
    // no owner, and returns once it is closed and gone; the main window's timers keep
    // running meanwhile.
    virtual void showModal(const OptionValues &values) = 0;
    virtual bool isShown() const = 0;
    // Gone at once, controls and all, before the call returns; showModal then returns too.
    virtual void close() = 0;

    // What the controls of the shown dialog hold. The character buttons option1(0..2) are
    // one exclusive group.
    virtual bool option(int index) const = 0;
    virtual int check(OptionCheck box) const = 0;

    // A modal message box with an OK button and no icon.
    virtual void messageBox(const std::string &title, const std::string &text) = 0;
};

// The icon's button events, as the code the main form's Form_MouseMove takes for `x`: the
// release of the left and of the right button over the icon.
inline constexpr int kTrayLeftButtonUp = 514;
inline constexpr int kTrayRightButtonUp = 517;

// The icon in the desktop's notification area. The forms keep the pairing of add and
// remove, and watch for the notification area going away; removing an absent icon is
// harmless.
class TrayIcon
{
public:
    virtual ~TrayIcon() = default;
    // Whether the desktop has a notification area right now; asked every couple of seconds
    // while the icon is in it.
    virtual bool isAvailable() const = 0;
    virtual void add(const std::string &toolTip) = 0;
    virtual void remove() = 0;
    virtual void setToolTip(const std::string &toolTip) = 0;
};

// The alarm sound, played in the background. Each play starts it from the beginning;
// nothing is reported back.
class AlarmSound
{
public:
    virtual ~AlarmSound() = default;
    // A countdown started: get ready, so the first play at zero is immediate.
    virtual void prepare() {}
    virtual void play() = 0;
};

// Everything the forms reach the desktop through, provided by the front end.
struct FrontEnd
{
    MainWindow &window;
    OptionsDialog &dialog;
    TrayIcon &tray;
    AlarmSound &sound;
    SettingsStore &store;
    RandomSource &random;
    const Clock &clock;
    AssetDirs assets;
};

} // namespace lumiroka
