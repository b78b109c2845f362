#include "forms/mainform.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "chara/lines.h"
#include "core/product.h"
#include "forms/layout.h"

namespace lumiroka {

mainform::mainform(FrontEnd frontEnd)
    : m_fe(std::move(frontEnd)), m_window(m_fe.window), m_optionform(*this, m_fe.dialog), m_menuform(*this)
{
    m_window.swtimer().setInterval(layout::kSwtimerMs);
    m_window.soundtimer().setInterval(layout::kSoundtimerMs);
    m_window.traytimer().setInterval(layout::kTraytimerMs);
    // The animation runs from the window's creation and is never switched off.
    m_window.charatimer1().setInterval(layout::kCharatimer1Ms);
    m_window.charatimer1().start();
}

// ---------------------------------------------------------------- start-up and window

void mainform::Form_Load()
{
    m_optionform.loadsetting();
    setchara();
    m_window.setShown(true);
}

void mainform::applyStoredSettings()
{
    const LoadedSettings loaded = lumiroka::readSettings(m_fe.store);
    m_settings = loaded.values;
    if (loaded.problems.empty()) {
        m_lastSettingsWarning.clear();
        return;
    }
    // Said once, not at every opening of the dialog, while the same values stay bad.
    const std::string message = describeProblems(loaded.problems, m_fe.store);
    if (message != m_lastSettingsWarning) {
        m_lastSettingsWarning = message;
        m_window.warn(message);
    }
}

void mainform::Command1_Click()
{
    m_optionform.loadsetting();
    m_optionform.show();
}

void mainform::endbutton_Click()
{
    Form_Unload();
}

void mainform::Form_Unload()
{
    // A click's wait in progress stops waiting; nothing is written.
    m_ending = true;
    m_window.endProgram();
}

void mainform::Form_Resize()
{
    if (m_settings.check2value != 1 || !m_window.minimized() || !m_window.shown())
        return;
    // Without a notification area the window would vanish with no way back; it then
    // stays minimized in the taskbar. Asked each time, since a tray can appear later.
    if (!m_fe.tray.isAvailable())
        return;
    tuskicon1();
    m_window.setShown(false);
}

void mainform::Form_MouseMove(int, int, float x, float)
{
    // The icon's button releases; the presses, double clicks, hovering and ordinary
    // movement over the client area (x 0..221) do nothing.
    if (x == kTrayLeftButtonUp || x == kTrayRightButtonUp)
        m_window.popupMenu();
}

void mainform::Form_KeyDown()
{
    if (!m_typingGuard)
        return;
    // Typing runs at a key every few tenths of a second, a pause in a sentence seldom
    // reaches a second; a key after a longer quiet spell is the person's own answer. The
    // quiet spell counts from the alarm's coming, so keys of a window the compositor
    // focused at once never answer it while the person types on.
    const std::chrono::nanoseconds now = m_fe.clock.now();
    if (now - m_lastKeyAt >= kTypingPause)
        m_typingGuard = false;
    else
        m_lastKeyAt = now;
}

void mainform::Form_MouseDown()
{
    m_typingGuard = false; // a click is meant
}

void mainform::restoreFromTray()
{
    tuskicon2();
    m_window.setMinimized(false);
    m_window.setShown(true);
}

void mainform::trayLost()
{
    if (!m_window.shown())
        restoreFromTray();
}

void mainform::traytimer_Timer()
{
    // The window comes back from the lost icon's place, which ends the watch (tuskicon2).
    if (!m_fe.tray.isAvailable())
        trayLost();
}

// ---------------------------------------------------------------- notification area

void mainform::tuskicon1()
{
    m_fe.tray.add(kProductName);
    m_window.traytimer().start();
}

void mainform::tuskicon2()
{
    m_window.traytimer().stop();
    m_fe.tray.remove();
}

void mainform::tuskicon3()
{
    m_fe.tray.setToolTip(timedTitle(m_time.hourcount, m_time.mincount, m_time.seccount));
}

// ---------------------------------------------------------------- time counter

void mainform::setTimedCaption()
{
    m_window.setCaption(timedTitle(m_time.hourcount, m_time.mincount, m_time.seccount));
}

void mainform::swtimer_Timer()
{
    if (m_time.countmode == 0)
        countup();
    else if (m_time.countmode == 1)
        countdown();
    setTimedCaption();
    if (isMinimizedOrHidden() && m_settings.check2value == 1)
        tuskicon3();
    updateProgress();
}

void mainform::countup()
{
    if (m_time.countup())
        m_window.swtimer().stop(); // the count stops by itself at its limit
    showtime();
}

void mainform::countdown()
{
    if (m_time.countdown())
        timeup();
    showtime();
}

void mainform::showtime()
{
    m_window.setBar(TimeField::Hour, m_time.hourcount);
    m_window.setBar(TimeField::Minute, m_time.mincount);
    m_window.setBar(TimeField::Second, m_time.seccount);
    m_window.setBox(TimeField::Hour, twoDigits(m_time.hourcount));
    m_window.setBox(TimeField::Minute, twoDigits(m_time.mincount));
    m_window.setBox(TimeField::Second, twoDigits(m_time.seccount));
}

bool mainform::barMoved(std::int16_t &field, int value)
{
    // showtime writes back what the count already holds; only a different value is the
    // person's move.
    const bool moved = field != value;
    field = static_cast<std::int16_t>(value);
    if (moved)
        m_progress.barMoved(m_time);
    return moved;
}

void mainform::hourbar_Change()
{
    const int value = m_window.bar(TimeField::Hour);
    const bool moved = barMoved(m_time.hourcount, value);
    m_window.setBox(TimeField::Hour, twoDigits(value));
    if (moved)
        updateProgress();
}

void mainform::minbar_Change()
{
    const int value = m_window.bar(TimeField::Minute);
    const bool moved = barMoved(m_time.mincount, value);
    m_window.setBox(TimeField::Minute, twoDigits(value));
    if (moved)
        updateProgress();
}

void mainform::secbar_Change()
{
    const int value = m_window.bar(TimeField::Second);
    const bool moved = barMoved(m_time.seccount, value);
    m_window.setBox(TimeField::Second, twoDigits(value));
    if (moved)
        updateProgress();
}

// ---------------------------------------------------------------- run control and alarm

void mainform::ssbutton_Click(bool byKeyboard)
{
    // Someone typing in another program when the alarm came up would otherwise press the
    // button with their next Space: the alarm stopped before it was seen, the text lost.
    // Where a window manager hands the keyboard to the window anyway, their typing does
    // nothing here until they stop and mean it (Form_KeyDown); the mouse always works.
    if (byKeyboard && m_typingGuard)
        return;
    if (!byKeyboard)
        m_typingGuard = false;
    if (m_window.swtimer().isActive()) {
        m_window.swtimer().stop();
        const bool sounding = m_window.soundtimer().isActive();
        if (sounding) {
            m_window.soundtimer().stop(); // the sound already playing runs to its end
            m_window.withdrawAttention();
        }
        m_run.stop(m_time, sounding);
        if (sounding)
            m_progress.end(); // silenced: the digits show the overrun, not a countdown
        takeSlot(slot::StoppedLong);
        m_window.setMessbox({});
        updateProgress();
        return;
    }
    if (m_settings.check1value == 1)
        m_window.setMinimized(true);
    const StartRemark remark = m_run.start(m_time);
    m_window.swtimer().start();
    takeSlot(slot::RunningLong);
    m_window.setMessbox(remark == StartRemark::Resume ? resumeLine(m_settings.charano) : startLine(m_settings.charano));
    if (m_time.countmode == 1)
        m_fe.sound.prepare();
    updateProgress();
}

void mainform::resetbutton_Click()
{
    if (m_window.swtimer().isActive())
        return;
    m_window.setMessbox({});
    m_run.reset(m_time);
    m_progress.end();
    m_window.setCaption(kProductName);
    showtime();
    updateProgress();
}

void mainform::timeup()
{
    // A timer event, not the person's request: the window comes in front, the keyboard
    // stays where they have it. A window that had the keyboard before works as usual.
    m_typingGuard = !m_window.active();
    if (isMinimizedOrHidden()) {
        if (m_settings.check2value == 1)
            tuskicon2();
        m_window.showWithoutFocus();
    }
    m_fe.sound.play();
    m_window.soundtimer().start();
    const std::string line = alarmLine(m_settings.charano);
    m_window.setMessbox(line);
    takeSlot(slot::Alarm);
    m_window.raiseToFront(line);
    m_lastKeyAt = m_fe.clock.now();
}

void mainform::updateProgress()
{
    if (const auto shown = m_progress.update(m_time, isRunning(), m_window.soundtimer().isActive()))
        m_window.setProgress(shown->state, shown->fraction);
}

void mainform::soundtimer_Timer()
{
    m_fe.sound.play();
}

// ---------------------------------------------------------------- character

void mainform::takeSlot(int index)
{
    m_picbox[slot::Visible] = m_picbox.at(static_cast<std::size_t>(index));
    m_window.showPicture(m_picbox[slot::Visible]);
}

void mainform::setchara()
{
    const auto files = poseFiles(m_settings.charano);
    std::vector<std::string> failures;
    for (std::size_t i = 0; i < files.size(); ++i) {
        // Each slot gets a load of its own, so slots 0 and 1 hold equal but distinct pictures.
        std::string error;
        std::string failure;
        if (files[i].empty()) {
            m_picbox[i] = m_window.loadPicture({}, error);
        } else if (const std::string path = m_fe.assets.find("gif/" + files[i]); path.empty()) {
            failure = m_fe.assets.expected("gif/" + files[i]) + ": not found";
            m_picbox[i] = m_window.loadPicture({}, error);
        } else {
            m_picbox[i] = m_window.loadPicture(path, error);
            if (!error.empty())
                failure = path + ": " + error;
        }
        if (!failure.empty() && std::find(failures.begin(), failures.end(), failure) == failures.end())
            failures.push_back(failure);
        if (i == slot::Visible)
            m_window.showPicture(m_picbox[i]); // the visible character changes first
    }
    m_window.setMessbox({});
    if (failures.empty())
        return;
    std::string message = "Some pictures of the character could not be loaded and are left blank:\n";
    for (const std::string &failure : failures)
        message += "\n" + failure;
    message += "\n\nLooked in:";
    for (const std::string &dir : m_fe.assets.dirs())
        message += "\n" + dir;
    message += "\n\nThe timer works as usual.";
    m_window.warn(message);
}

void mainform::charatimer1_Timer()
{
    const AnimationStep step = m_animator.tick(isFrozen(), isRunning(), m_fe.random);
    if (step.showSlot)
        takeSlot(*step.showSlot);
    if (step.intervalMs)
        m_window.charatimer1().setInterval(*step.intervalMs);
    if (step.talk)
        charatalk();
}

void mainform::charatalk()
{
    m_window.setMessbox(CharaAnimator::charatalk(m_settings.charano, isRunning(), m_fe.random));
}

void mainform::picbox_Click(int)
{
    if (!isRunning()) {
        takeSlot(slot::StoppedLong);
        return;
    }
    takeSlot(slot::Alarm);
    clickWait();
    takeSlot(slot::RunningRest); // whatever happened during the wait
}

void mainform::clickWait()
{
    // Counted passes that keep every timer and button served; nested handlers, a second
    // click among them, run inside it.
    const auto begin = std::chrono::steady_clock::now();
    for (int pass = 0; pass < kClickWaitPasses; ++pass) {
        m_window.processEvents();
        if (m_ending)
            return;
        if (m_clickPause.count() <= 0)
            continue;
        // On a grid from the start: a pass that ran late takes nothing from the next.
        const auto until = begin + m_clickPause * (pass + 1);
        if (m_sleepUntil)
            m_sleepUntil(until);
        else
            std::this_thread::sleep_until(until);
    }
}

} // namespace lumiroka
