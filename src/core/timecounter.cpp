#include "core/timecounter.h"

#include "core/product.h"

namespace lumiroka {

std::string twoDigits(int value)
{
    std::string digits = std::to_string(value);
    if (digits.size() < 2)
        digits.insert(0, 1, '0');
    return digits;
}

std::string clockText(int hours, int minutes, int seconds)
{
    return twoDigits(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds);
}

std::string timedTitle(int hours, int minutes, int seconds)
{
    return std::string(kProductName) + " - " + clockText(hours, minutes, seconds);
}

bool TimeCounter::countup()
{
    ++seccount;
    if (seccount != 60)
        return false;
    seccount = 0;
    ++mincount;
    if (mincount != 60)
        return false;
    mincount = 0;
    ++hourcount;
    if (hourcount != kMaxHours + 1)
        return false;
    hourcount = kMaxHours;
    return true;
}

bool TimeCounter::countdown()
{
    --seccount;
    if (seccount == 0 && mincount == 0 && hourcount == 0) {
        countmode = 0;
        return true;
    }
    if (seccount == -1) {
        seccount = kMaxMinSec;
        --mincount;
    }
    if (mincount == -1) {
        mincount = kMaxMinSec;
        --hourcount;
    }
    if (hourcount == -1)
        hourcount = 0;
    return false;
}

void TimeCounter::clear()
{
    hourcount = 0;
    mincount = 0;
    seccount = 0;
}

} // namespace lumiroka
