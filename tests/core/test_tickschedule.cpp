#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>

#include "core/tickschedule.h"

using lumiroka::TickSchedule;
using namespace std::chrono_literals;
using Ns = std::chrono::nanoseconds;

namespace {

// An arbitrary point on a monotonic clock, far from zero (a machine up for weeks).
constexpr Ns kBoot = 1'987'654'321'123'456'789ns;

} // namespace

TEST(TickSchedule, NothingIsDueBeforeTheFirstPeriod)
{
    TickSchedule s;
    s.start(kBoot);
    EXPECT_EQ(s.untilNext(kBoot), 1s);
    EXPECT_EQ(s.takeDue(kBoot), 0);
    EXPECT_EQ(s.takeDue(kBoot + 999'999'999ns), 0);
    EXPECT_EQ(s.untilNext(kBoot + 999'999'999ns), 1ns);
    EXPECT_EQ(s.untilNext(kBoot + 1s), 0ns);
    EXPECT_EQ(s.takeDue(kBoot + 1s), 1);
    EXPECT_EQ(s.takeDue(kBoot + 1s), 0) << "a tick must not be counted twice";
    EXPECT_EQ(s.untilNext(kBoot + 1s), 1s);
}

TEST(TickSchedule, ALateTickDoesNotShiftTheNextOne)
{
    TickSchedule s;
    s.start(kBoot);
    EXPECT_EQ(s.takeDue(kBoot + 1900ms), 1);
    EXPECT_EQ(s.untilNext(kBoot + 1900ms), 100ms);
    EXPECT_EQ(s.nextDue(), kBoot + 2s);
    EXPECT_EQ(s.takeDue(kBoot + 2s), 1);
    EXPECT_EQ(s.nextDue(), kBoot + 3s);
}

TEST(TickSchedule, ALongStallReportsEveryMissedTick)
{
    TickSchedule s;
    s.start(kBoot);
    // An overdue tick is due now: a negative wait would become a very long one for a
    // timer that takes an unsigned count of milliseconds, and the count would freeze.
    EXPECT_EQ(s.untilNext(kBoot + 1h), 0ns);
    EXPECT_EQ(s.untilNext(kBoot + 1500ms), 0ns);
    EXPECT_EQ(s.takeDue(kBoot + 1h), 3600);
    EXPECT_EQ(s.takeDue(kBoot + 1h), 0);
    EXPECT_EQ(s.untilNext(kBoot + 1h + 300ms), 700ms);
    EXPECT_EQ(s.takeDue(kBoot + 1h + 2500ms), 2);
    EXPECT_EQ(s.nextDue(), kBoot + 1h + 3s);
}

TEST(TickSchedule, RestartRebasesTheGrid)
{
    TickSchedule s;
    s.start(kBoot);
    EXPECT_EQ(s.takeDue(kBoot + 5500ms), 5);
    s.start(kBoot + 5500ms);
    EXPECT_EQ(s.nextDue(), kBoot + 6500ms);
    EXPECT_EQ(s.untilNext(kBoot + 5500ms), 1s);
    EXPECT_EQ(s.takeDue(kBoot + 6s), 0) << "the old grid's tick at 6 s must be gone";
    EXPECT_EQ(s.takeDue(kBoot + 6500ms), 1);
    EXPECT_EQ(s.nextDue(), kBoot + 7500ms);
}

struct WakeupCase
{
    Ns period;
    std::uint32_t seed;
};

class TickScheduleWakeups : public ::testing::TestWithParam<WakeupCase>
{
};

// A timer that wakes early, a little late, very late, and now and then after a suspend.
// At every wake-up the ticks taken so far must be exactly the periods elapsed since the
// start, so neither lateness nor rounding accumulates.
TEST_P(TickScheduleWakeups, CumulativeCountEqualsElapsedPeriods)
{
    const auto [period, seed] = GetParam();
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> kind(0, 99);
    auto upTo = [&](Ns limit) { return Ns(std::uniform_int_distribution<std::int64_t>(0, limit.count())(rng)); };

    TickSchedule s(period);
    const Ns origin = kBoot + upTo(1s);
    s.start(origin);
    Ns now = origin;
    std::int64_t total = 0;
    for (int i = 0; i < 20000; ++i) {
        const Ns wait = s.untilNext(now);
        ASSERT_GT(wait, 0ns);
        ASSERT_LE(wait, period);
        const int k = kind(rng);
        if (k < 10)
            now += wait - upTo(std::min(wait - 1ns, Ns(2ms))); // fires early
        else if (k < 80)
            now += wait + upTo(period / 10);
        else if (k < 98)
            now += wait + upTo(period * 3);
        else
            now += wait + upTo(period * 5000); // suspended
        const std::int64_t due = s.takeDue(now);
        ASSERT_GE(due, 0);
        total += due;
        const std::int64_t elapsed = (now - origin) / period;
        ASSERT_EQ(total, elapsed) << "wake-up " << i << " at " << (now - origin).count() << " ns";
        ASSERT_EQ(s.nextDue(), origin + period * (total + 1));
        ASSERT_EQ(s.takeDue(now), 0) << "wake-up " << i << " counted again";
    }
}

INSTANTIATE_TEST_SUITE_P(Periods, TickScheduleWakeups,
                         ::testing::Values(WakeupCase{1s, 1}, WakeupCase{1s, 2}, WakeupCase{1s, 3},
                                           WakeupCase{250ms, 4}, WakeupCase{Ns(333'333'333), 5}, WakeupCase{Ns(7), 6}));
