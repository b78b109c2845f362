#pragma once

#include "core/timecounter.h"

namespace lumiroka {

// Which line the character says at START.
enum class StartRemark
{
    Start,
    Resume,
};

// The decisions of START・STOP and RESET.
//
// Whether the tick and the alarm repetition run is not kept here: the timers that
// carry them are the one source of that fact, and their owner passes their state in
// and switches them as these functions tell.
class RunControl
{
public:
    bool uppaused = false;    // the last STOP stopped a count-up, so START resumes it
    bool downstarted = false; // a countdown was started since the last RESET

    // START with the tick off: sets the direction and the flags and says which line to
    // show. The caller minimizes first (when asked to) and switches the tick on.
    StartRemark start(TimeCounter &time);

    // STOP with the tick on. `alarmSounding` is whether the alarm repetition ran; the
    // caller switches both timers off.
    void stop(TimeCounter &time, bool alarmSounding);

    // RESET of a stopped timer: clears the flags and the time. The caller ignores RESET
    // while the tick runs.
    void reset(TimeCounter &time);
};

} // namespace lumiroka
