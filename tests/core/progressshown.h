#pragma once

// What the taskbar button shows, written the short way in the tables of the logic and forms
// tests, and printed readably when a row fails.

#include <ostream>

#include "core/countdownprogress.h"

namespace lumiroka {

inline void PrintTo(const CountdownProgress::Shown &shown, std::ostream *out)
{
    static const char *const names[] = {"None", "Normal", "Paused", "Attention"};
    *out << names[static_cast<int>(shown.state)] << ' ' << shown.fraction;
}

namespace testing::shown {
using Shown = CountdownProgress::Shown;
inline constexpr Shown none{Progress::None, 0};
inline constexpr Shown ringing{Progress::Attention, 1};
constexpr Shown normal(double fraction)
{
    return {Progress::Normal, fraction};
}
constexpr Shown paused(double fraction)
{
    return {Progress::Paused, fraction};
}
} // namespace testing::shown

} // namespace lumiroka
