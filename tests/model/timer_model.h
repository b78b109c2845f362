#pragma once

// An executable description of the timer window, written from the design tables (only
// the wording of the characters' lines is the program's own): what each user action and each timer event does to the
// time, the direction, the two run flags, the tick, the alarm, the caption, the remark, the pose on screen and the
// number of sounds played. It knows nothing of widgets; the random driver renders what it expects to see and compares
// it with the real window.

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "chara/lines.h"

namespace lumiroka::model {

// ------------------------------------------------------------------ tables

inline constexpr int kHourMax = 99;
inline constexpr int kMinSecMax = 59;

// Pose slots the visible picture can show; kOwnPose is the picture it loaded for itself.
inline constexpr int kOwnPose = 0;
inline constexpr int kPoseStopped = 3;     // after STOP, and a click while stopped
inline constexpr int kPoseRunningRest = 4; // the end of a click while running
inline constexpr int kPoseStarted = 6;     // after START
inline constexpr int kPoseAlarm = 7;       // time-up, and during a click while running

enum class Remark
{
    None,
    Start,
    Resume,
    Alarm,
};

// What a character says for each remark. The model decides which remark shows; the
// wording is taken from the program, so it is written down in one place only.
inline std::string remarkText(int character, Remark remark)
{
    switch (remark) {
    case Remark::Start:
        return startLine(character);
    case Remark::Resume:
        return resumeLine(character);
    case Remark::Alarm:
        return alarmLine(character);
    case Remark::None:
        break;
    }
    return "";
}

// START with the tick off, by (time is 00:00:00, uppaused, downstarted).
enum class ModeAfter
{
    Up,   // countmode 0
    Down, // countmode 1
    Kept,
};
enum class FlagAfter
{
    Kept,
    Set,
};
struct StartRow
{
    bool zero;
    bool uppaused;
    bool downstarted;
    ModeAfter mode;
    Remark remark;
    FlagAfter downstartedAfter;
};
inline constexpr std::array<StartRow, 8> kStartTable{{
    {true, false, false, ModeAfter::Up, Remark::Start, FlagAfter::Kept},
    {true, false, true, ModeAfter::Up, Remark::Resume, FlagAfter::Kept},
    {true, true, false, ModeAfter::Up, Remark::Resume, FlagAfter::Kept},
    {true, true, true, ModeAfter::Up, Remark::Resume, FlagAfter::Kept},
    {false, false, false, ModeAfter::Down, Remark::Start, FlagAfter::Set},
    {false, false, true, ModeAfter::Down, Remark::Resume, FlagAfter::Kept},
    {false, true, false, ModeAfter::Kept, Remark::Resume, FlagAfter::Kept},
    {false, true, true, ModeAfter::Kept, Remark::Resume, FlagAfter::Kept},
}};

inline const StartRow &startRow(bool zero, bool uppaused, bool downstarted)
{
    for (const StartRow &row : kStartTable)
        if (row.zero == zero && row.uppaused == uppaused && row.downstarted == downstarted)
            return row;
    throw std::logic_error("START table has no row");
}

// ------------------------------------------------------------------ state

struct Clock3
{
    int h = 0;
    int m = 0;
    int s = 0;
    bool operator==(const Clock3 &) const = default;
    bool isZero() const { return h == 0 && m == 0 && s == 0; }
};

enum class Field
{
    Hour,
    Minute,
    Second,
};

inline int fieldMax(Field f)
{
    return f == Field::Hour ? kHourMax : kMinSecMax;
}

struct State
{
    Clock3 time;
    int countmode = 0; // 0 up, 1 down
    bool uppaused = false;
    bool downstarted = false;
    bool ticking = false;              // the one-second tick
    bool repeating = false;            // the alarm repetition
    std::optional<Clock3> captionTime; // empty: the plain product name
    Remark remark = Remark::None;
    int pose = kOwnPose;
    int plays = 0;
};

// Things worth knowing that the random driver reached them.
struct Milestones
{
    long alarms = 0;              // countdowns that ran out
    long limitStops = 0;          // count-ups that stopped themselves at the hour limit
    long zeroWraps = 0;           // countdowns already at 00:00:00 that went on at 00:59:59
    long repeatsWhileStopped = 0; // alarm repeats with the tick off
    long startsWhileRinging = 0;  // START with the alarm repeating
    long resetsWhileRinging = 0;  // RESET (stopped) with the alarm repeating
    long alarmsWhileRinging = 0;  // a countdown ran out while the alarm still repeated
    long runningClicks = 0;
    long repeatsDuringClicks = 0; // alarm repeats the click's wait delivered in real time

    Milestones &operator+=(const Milestones &o)
    {
        alarms += o.alarms;
        limitStops += o.limitStops;
        zeroWraps += o.zeroWraps;
        repeatsWhileStopped += o.repeatsWhileStopped;
        startsWhileRinging += o.startsWhileRinging;
        resetsWhileRinging += o.resetsWhileRinging;
        alarmsWhileRinging += o.alarmsWhileRinging;
        runningClicks += o.runningClicks;
        repeatsDuringClicks += o.repeatsDuringClicks;
        return *this;
    }
};

class TimerModel
{
public:
    explicit TimerModel(int character) : m_character(character) {}

    const State &state() const { return m_state; }
    const Milestones &milestones() const { return m_milestones; }
    int character() const { return m_character; }

    // The user moves a scroll bar to `value` (within the field's range).
    void moveBar(Field field, int value)
    {
        switch (field) {
        case Field::Hour:
            m_state.time.h = value;
            break;
        case Field::Minute:
            m_state.time.m = value;
            break;
        case Field::Second:
            m_state.time.s = value;
            break;
        }
    }

    // One tick of the running count; nothing happens with the tick off.
    void tick()
    {
        if (!m_state.ticking)
            return;
        if (m_state.countmode == 0)
            stepUp();
        else
            stepDown();
        m_state.captionTime = m_state.time;
    }

    // One tick of the alarm repetition; nothing happens while it is off.
    void repeatAlarm()
    {
        if (!m_state.repeating)
            return;
        ++m_state.plays;
        if (!m_state.ticking)
            ++m_milestones.repeatsWhileStopped;
    }

    void startStop()
    {
        if (m_state.ticking)
            stop();
        else
            start();
    }

    void reset()
    {
        if (m_state.ticking)
            return;
        if (m_state.repeating)
            ++m_milestones.resetsWhileRinging;
        m_state.remark = Remark::None;
        m_state.uppaused = false;
        m_state.downstarted = false;
        m_state.time = {};
        m_state.captionTime.reset();
    }

    // A click on the character. While running, the wait in between serves events; the
    // caller passes how many alarm repeats were delivered during it.
    void clickCharacter(int repeatsDuringWait = 0)
    {
        if (!clickBegin())
            return;
        for (int i = 0; i < repeatsDuringWait; ++i) {
            repeatAlarm();
            ++m_milestones.repeatsDuringClicks;
        }
        clickEnd();
    }

    // The same click in two halves, for a driver that delivers any events inside the
    // wait: returns whether the click waits (the timer runs); a waiting click ends with
    // clickEnd() once the events of its wait have been applied.
    bool clickBegin()
    {
        if (!m_state.ticking) {
            m_state.pose = kPoseStopped;
            return false;
        }
        ++m_milestones.runningClicks;
        m_state.pose = kPoseAlarm;
        return true;
    }
    void clickEnd() { m_state.pose = kPoseRunningRest; }

private:
    void stepUp()
    {
        Clock3 &t = m_state.time;
        if (++t.s <= kMinSecMax)
            return;
        t.s = 0;
        if (++t.m <= kMinSecMax)
            return;
        t.m = 0;
        if (++t.h <= kHourMax)
            return;
        // Past 99:59:59 the hour stays at its maximum and the tick switches itself off.
        t.h = kHourMax;
        m_state.ticking = false;
        ++m_milestones.limitStops;
    }

    void stepDown()
    {
        Clock3 &t = m_state.time;
        if (t.isZero()) {
            t = {0, kMinSecMax, kMinSecMax};
            ++m_milestones.zeroWraps;
            return;
        }
        if (--t.s < 0) {
            t.s = kMinSecMax;
            if (--t.m < 0) {
                t.m = kMinSecMax;
                --t.h;
            }
        }
        if (t.isZero())
            alarm();
    }

    void alarm()
    {
        if (m_state.repeating)
            ++m_milestones.alarmsWhileRinging;
        ++m_state.plays;
        m_state.repeating = true;
        m_state.remark = Remark::Alarm;
        m_state.pose = kPoseAlarm;
        m_state.countmode = 0;
        ++m_milestones.alarms;
    }

    void stop()
    {
        m_state.ticking = false;
        if (m_state.repeating) {
            m_state.repeating = false;
            m_state.countmode = 1;
        }
        m_state.uppaused = m_state.countmode == 0;
        m_state.pose = kPoseStopped;
        m_state.remark = Remark::None;
    }

    void start()
    {
        if (m_state.repeating)
            ++m_milestones.startsWhileRinging;
        const StartRow &row = startRow(m_state.time.isZero(), m_state.uppaused, m_state.downstarted);
        if (row.mode == ModeAfter::Up)
            m_state.countmode = 0;
        else if (row.mode == ModeAfter::Down)
            m_state.countmode = 1;
        if (row.downstartedAfter == FlagAfter::Set)
            m_state.downstarted = true;
        m_state.remark = row.remark;
        m_state.ticking = true;
        m_state.pose = kPoseStarted;
    }

    int m_character;
    State m_state;
    Milestones m_milestones;
};

} // namespace lumiroka::model
