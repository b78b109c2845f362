#include "core/countdownprogress.h"

namespace lumiroka {

std::optional<CountdownProgress::Shown> CountdownProgress::update(const TimeCounter &time, bool counting, bool ringing)
{
    Shown next;
    if (ringing) {
        next = {Progress::Attention, 1};
    } else if (time.countmode == 1 && (counting || m_length > 0)) {
        // A countdown started (or started again after a silenced alarm) is measured against
        // the time it started from; so is one that ran past 00:00:00 after the bars were
        // moved there, from 00:59:59.
        const int remaining = time.totalSeconds();
        if (remaining > m_length)
            m_length = remaining;
        next.state = counting ? Progress::Normal : Progress::Paused;
        next.fraction = m_length > 0 ? static_cast<double>(remaining) / m_length : 0;
    }
    if (next == m_shown)
        return std::nullopt;
    m_shown = next;
    return next;
}

void CountdownProgress::barMoved(const TimeCounter &time)
{
    // Moved during a countdown (running or stopped part-way), the bar sets the time the
    // rest of the countdown is measured against.
    if (m_length > 0 && time.countmode == 1)
        m_length = time.totalSeconds();
}

} // namespace lumiroka
