#pragma once

#include "core/clock.h"

namespace lumiroka {

// The system clock that keeps counting through suspend (CLOCK_BOOTTIME on Linux; the
// steady clock elsewhere, which on Windows already counts across sleep).
class BootTimeClock : public Clock
{
public:
    std::chrono::nanoseconds now() const override;
};

} // namespace lumiroka
