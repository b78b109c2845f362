#include "qt/desktop/boottimeclock.h"

#if defined(__linux__)
#include <time.h>
#endif

namespace lumiroka {

std::chrono::nanoseconds BootTimeClock::now() const
{
#if defined(__linux__)
    timespec ts{};
    if (clock_gettime(CLOCK_BOOTTIME, &ts) == 0)
        return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
#endif
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace lumiroka
