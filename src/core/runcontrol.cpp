#include "core/runcontrol.h"

namespace lumiroka {

StartRemark RunControl::start(TimeCounter &time)
{
    if (time.isZero())
        time.countmode = 0;
    else if (!uppaused)
        time.countmode = 1;
    // otherwise a stopped count-up continues upwards from whatever the bars now show

    if (uppaused || downstarted)
        return StartRemark::Resume;
    if (time.countmode == 1)
        downstarted = true;
    return StartRemark::Start;
}

void RunControl::stop(TimeCounter &time, bool alarmSounding)
{
    // After silencing, the digits show how long the alarm rang; a later START counts
    // that time down again rather than continuing upwards.
    if (alarmSounding)
        time.countmode = 1;
    uppaused = time.countmode == 0;
}

void RunControl::reset(TimeCounter &time)
{
    uppaused = false;
    downstarted = false;
    time.clear();
}

} // namespace lumiroka
