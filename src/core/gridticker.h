#pragma once

#include <chrono>
#include <functional>

#include "core/clock.h"
#include "core/tickschedule.h"

namespace lumiroka {

// The toolkit's one-shot wake-up that a GridTicker runs on: a single pending wake-up at
// a time, replaced by the next request. The ticker's owner calls GridTicker::wake() when
// it goes off.
class TickWaker
{
public:
    virtual ~TickWaker() = default;
    virtual void wakeAfter(std::chrono::milliseconds wait) = 0;
    virtual void cancel() = 0;
};

// The delivery loop of a drift-free tick: wakes up at each point of the grid that start()
// lays down, hands every tick that has fallen due to the handler (all of them after a
// suspend, each its own call), then sleeps until the next point. The handler may stop or
// restart the ticker; a restart lays a new grid and the old one delivers no more.
class GridTicker
{
public:
    GridTicker(const Clock &clock, TickWaker &waker, std::function<void()> onTick,
               std::chrono::milliseconds period = std::chrono::seconds(1));
    GridTicker(const GridTicker &) = delete;
    GridTicker &operator=(const GridTicker &) = delete;

    bool active() const { return m_active; }
    // A new grid from now; the first tick follows one period later.
    void start();
    void stop();
    // Takes effect from now: a running ticker starts a new grid.
    void setPeriod(std::chrono::milliseconds period);

    // The waker went off. A wake-up that was already on its way when the ticker stopped
    // delivers nothing.
    void wake();

private:
    void arm();

    const Clock &m_clock;
    TickWaker &m_waker;
    std::function<void()> m_onTick;
    TickSchedule m_schedule;
    bool m_active = false;
    bool m_armed = false;
};

} // namespace lumiroka
