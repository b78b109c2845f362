#include "qt/ticktimer.h"

namespace lumiroka {

TickTimer::TickTimer(const Clock &clock, QObject *parent)
    : QObject(parent), m_ticker(clock, *this, [this] { emit timeout(); })
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_ticker.wake(); });
}

void TickTimer::wakeAfter(std::chrono::milliseconds wait)
{
    m_timer.start(static_cast<int>(wait.count()));
}

} // namespace lumiroka
