#include "core/tickschedule.h"

namespace lumiroka {

void TickSchedule::start(Duration now)
{
    m_origin = now;
    m_done = 0;
}

TickSchedule::Duration TickSchedule::untilNext(Duration now) const
{
    const Duration due = nextDue();
    return due > now ? due - now : Duration::zero();
}

std::int64_t TickSchedule::takeDue(Duration now)
{
    const std::int64_t elapsed = (now - m_origin) / m_period;
    const std::int64_t due = elapsed - m_done;
    if (due <= 0)
        return 0;
    m_done = elapsed;
    return due;
}

} // namespace lumiroka
