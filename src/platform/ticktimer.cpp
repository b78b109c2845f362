#include "platform/ticktimer.h"

#include <chrono>

namespace lumiroka {

TickTimer::TickTimer(const Clock &clock, QObject *parent) : QObject(parent), m_clock(clock)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TickTimer::fire);
}

void TickTimer::start()
{
    m_active = true;
    m_schedule.start(m_clock.now());
    arm();
}

void TickTimer::setInterval(int ms)
{
    m_schedule = TickSchedule(std::chrono::milliseconds(ms));
    if (m_active)
        start(); // a new grid from now
}

void TickTimer::stop()
{
    m_active = false;
    m_timer.stop();
}

void TickTimer::arm()
{
    using namespace std::chrono;
    const nanoseconds wait = m_schedule.untilNext(m_clock.now());
    // Round up: waking a fraction of a millisecond early would only cost a second wake-up.
    m_timer.start(static_cast<int>(ceil<milliseconds>(wait).count()));
}

void TickTimer::fire()
{
    const std::int64_t due = m_schedule.takeDue(m_clock.now());
    for (std::int64_t i = 0; i < due && m_active; ++i)
        emit timeout();
    if (m_active && !m_timer.isActive())
        arm();
}

} // namespace lumiroka
