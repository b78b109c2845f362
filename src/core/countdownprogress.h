#pragma once

#include <optional>

#include "core/timecounter.h"

namespace lumiroka {

// What the taskbar button (Windows) or the launcher entry (Linux) shows of the count.
enum class Progress
{
    None,      // no bar: a stopwatch, a reset timer
    Normal,    // a countdown running: the bar holds the share still to go
    Paused,    // a countdown stopped part-way: the share still to go, marked as paused
    Attention, // the alarm ringing: the whole bar, marked as urgent
};

// The countdown's progress: the share still to go, measured against the time the countdown
// started from, or the time a bar was moved to while it was in progress.
class CountdownProgress
{
public:
    struct Shown
    {
        Progress state = Progress::None;
        double fraction = 0; // 0..1, the share of the countdown still to go
        bool operator==(const Shown &) const = default;
    };

    // The count's state at the end of a handler: `counting`, whether the tick runs;
    // `ringing`, whether the alarm repeats. Returns what to show when it differs from what
    // was shown last (at first, nothing).
    std::optional<Shown> update(const TimeCounter &time, bool counting, bool ringing);
    // The person moved a bar; `time` holds the new value.
    void barMoved(const TimeCounter &time);
    // No countdown is in progress any more: RESET, or the alarm silenced (the digits then
    // show the overrun, which a later START counts down afresh).
    void end() { m_length = 0; }

private:
    int m_length = 0; // seconds; 0 while no countdown is measured
    Shown m_shown;
};

} // namespace lumiroka
