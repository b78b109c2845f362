#include "core/gridticker.h"

#include <utility>

namespace lumiroka {

GridTicker::GridTicker(const Clock &clock, TickWaker &waker, std::function<void()> onTick,
                       std::chrono::milliseconds period)
    : m_clock(clock), m_waker(waker), m_onTick(std::move(onTick)), m_schedule(period)
{
}

void GridTicker::start()
{
    m_active = true;
    m_schedule.start(m_clock.now());
    arm();
}

void GridTicker::stop()
{
    m_active = false;
    if (m_armed)
        m_waker.cancel();
    m_armed = false;
}

void GridTicker::setPeriod(std::chrono::milliseconds period)
{
    m_schedule = TickSchedule(period);
    if (m_active)
        start();
}

void GridTicker::arm()
{
    using namespace std::chrono;
    // Rounded up: waking a fraction of a millisecond early would only find nothing due
    // and cost a second wake-up.
    m_waker.wakeAfter(ceil<milliseconds>(m_schedule.untilNext(m_clock.now())));
    m_armed = true;
}

void GridTicker::wake()
{
    m_armed = false;
    if (!m_active)
        return;
    // After a suspend every missed second goes through the ordinary tick, so the alarm of
    // a countdown that ran out meanwhile still rings. A handler that stops or restarts the
    // ticker ends this round: a restart has armed its own grid.
    const std::int64_t due = m_schedule.takeDue(m_clock.now());
    for (std::int64_t i = 0; i < due && m_active && !m_armed; ++i)
        m_onTick();
    if (m_active && !m_armed)
        arm();
}

} // namespace lumiroka
