#pragma once

#include <chrono>
#include <cstdint>

namespace lumiroka {

// Places the ticks of a running count on a fixed grid: the Nth tick is due N periods
// after the start, however late the earlier ones were handled, so lateness never
// accumulates into drift. After a long stall (a suspended machine) every missed tick
// is reported so that each second still goes through the ordinary tick logic.
class TickSchedule
{
public:
    using Duration = std::chrono::nanoseconds;

    explicit TickSchedule(Duration period = std::chrono::seconds(1)) : m_period(period) {}

    void start(Duration now);

    // When the next tick is due, on the same time line as `now`.
    Duration nextDue() const { return m_origin + m_period * (m_done + 1); }

    // How long to wait from `now` until the next tick (zero when it is already due).
    Duration untilNext(Duration now) const;

    // Number of ticks that have fallen due by `now` and were not yet taken; they count
    // as taken from here on.
    std::int64_t takeDue(Duration now);

private:
    Duration m_period;
    Duration m_origin{0};
    std::int64_t m_done = 0;
};

} // namespace lumiroka
