#pragma once

#include <chrono>

namespace lumiroka {

// A clock that only moves forward and, where the system allows, keeps counting while
// the machine sleeps, so a countdown that ends during suspend is noticed on wake.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
};

} // namespace lumiroka
