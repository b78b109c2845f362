#include "win32/timers.h"

#include <algorithm>

namespace lumiroka::win32 {

std::chrono::nanoseconds TickCountClock::now() const
{
    return std::chrono::milliseconds(GetTickCount64());
}

void WindowTimer::arm(unsigned ms)
{
    // SetTimer on a live id replaces its countdown: the next tick is `ms` from now.
    SetTimer(m_window, m_id, std::max<unsigned>(ms, USER_TIMER_MINIMUM), nullptr);
    m_armed = true;
}

void WindowTimer::disarm()
{
    if (m_armed)
        KillTimer(m_window, m_id);
    m_armed = false;
}

void WindowTimer::start()
{
    m_active = true;
    arm(static_cast<unsigned>(m_interval));
}

void WindowTimer::stop()
{
    m_active = false;
    disarm();
}

void WindowTimer::setInterval(int ms)
{
    m_interval = ms;
    if (m_active)
        arm(static_cast<unsigned>(ms));
}

void WindowTimer::fire()
{
    // A WM_TIMER already queued when the timer was stopped is not a tick.
    if (m_active && onTick)
        onTick();
}

void GridTimer::start()
{
    m_active = true;
    m_schedule.start(m_clock.now());
    armForNext();
}

void GridTimer::setInterval(int ms)
{
    m_interval = ms;
    if (!m_active)
        m_schedule = TickSchedule(std::chrono::milliseconds(ms));
}

void GridTimer::armForNext()
{
    using namespace std::chrono;
    // Rounded up: a wake-up a little early would only find nothing due and cost a second one.
    arm(static_cast<unsigned>(ceil<milliseconds>(m_schedule.untilNext(m_clock.now())).count()));
}

void GridTimer::fire()
{
    if (!m_active)
        return;
    // SetTimer repeats; each wake-up is armed for exactly the next grid point instead.
    disarm();
    // After a suspend every missed second goes through the ordinary tick, so the alarm of a
    // countdown that ran out meanwhile still rings. A handler may stop or restart the timer.
    const std::int64_t due = m_schedule.takeDue(m_clock.now());
    for (std::int64_t i = 0; i < due && m_active && !armed(); ++i)
        if (onTick)
            onTick();
    if (m_active && !armed())
        armForNext();
}

} // namespace lumiroka::win32
