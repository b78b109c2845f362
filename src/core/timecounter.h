#pragma once

#include <cstdint>
#include <string>

namespace lumiroka {

// Renders a time field (0..99) with two digits and a leading zero ("07", "59", "99").
std::string twoDigits(int value);

// "HH:MM:SS" with plain colons, as shown in the caption and the tray tooltip.
std::string clockText(int hours, int minutes, int seconds);

// "Lumiroka - HH:MM:SS".
std::string timedTitle(int hours, int minutes, int seconds);

// The time value and its one-second step up or down.
//
// The fields are 16-bit because the same values travel through the settings-free
// shared state of the windows; the ranges (0..99, 0..59, 0..59) hold between any two
// operations, so the scroll bars can always take them.
class TimeCounter
{
public:
    static constexpr int kMaxHours = 99;
    static constexpr int kMaxMinSec = 59;

    std::int16_t hourcount = 0;
    std::int16_t mincount = 0;
    std::int16_t seccount = 0;
    std::int16_t countmode = 0; // 0 counts up, 1 counts down

    bool isZero() const { return hourcount == 0 && mincount == 0 && seccount == 0; }
    // The time in seconds.
    int totalSeconds() const { return hourcount * 3600 + mincount * 60 + seccount; }

    // One second up. Returns true when the count passed 99:59:59: the caller must
    // switch the tick off. The hour then stays at 99 (minutes and seconds read 00), so
    // the display keeps showing that the count ran to its limit.
    bool countup();

    // One second down. Returns true on the step from 00:00:01 to 00:00:00, the time-up:
    // the direction has then turned to counting up, so the running tick measures the
    // overrun. A count that was already at 00:00:00 (all bars moved to zero while counting
    // down) continues at 00:59:59 without a time-up.
    bool countdown();

    void clear();
    std::string clockText() const { return lumiroka::clockText(hourcount, mincount, seccount); }
};

} // namespace lumiroka
