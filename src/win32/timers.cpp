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

GridTimer::GridTimer(UINT_PTR id, const Clock &clock)
    : WindowTimer(id), m_ticker(clock, *this, [this] {
          if (onTick)
              onTick();
      })
{
}

void GridTimer::fire()
{
    // SetTimer repeats; each wake-up is armed for exactly the next grid point instead.
    disarm();
    m_ticker.wake();
}

} // namespace lumiroka::win32
