#include <gtest/gtest.h>

#include <string>

#include "core/timecounter.h"

using lumiroka::TimeCounter;

namespace {

constexpr int kAllValues = 100 * 3600; // 00:00:00 .. 99:59:59

// Independent model: the time as total seconds.
struct Hms
{
    int h, m, s;
    bool operator==(const Hms &) const = default;
};

Hms fromTotal(int total)
{
    return {total / 3600, total / 60 % 60, total % 60};
}
Hms fieldsOf(const TimeCounter &t)
{
    return {t.hourcount, t.mincount, t.seccount};
}

TimeCounter counterAt(int total, int countmode)
{
    TimeCounter t;
    const Hms v = fromTotal(total);
    t.hourcount = static_cast<std::int16_t>(v.h);
    t.mincount = static_cast<std::int16_t>(v.m);
    t.seccount = static_cast<std::int16_t>(v.s);
    t.countmode = static_cast<std::int16_t>(countmode);
    return t;
}

std::string show(const Hms &v)
{
    return lumiroka::clockText(v.h, v.m, v.s);
}

// Stops a sweep after a handful of mismatches instead of flooding the log.
struct Mismatches
{
    int count = 0;
    bool tooMany() { return ++count > 10; }
};

} // namespace

TEST(TimeCounter, CountupMatchesTotalSecondsOverEveryValue)
{
    Mismatches bad;
    for (int total = 0; total < kAllValues; ++total) {
        TimeCounter t = counterAt(total, 0);
        const bool stop = t.countup();
        const bool last = total == kAllValues - 1;
        const Hms want = last ? Hms{99, 0, 0} : fromTotal(total + 1);
        if (fieldsOf(t) != want || stop != last || t.countmode != 0) {
            ADD_FAILURE() << show(fromTotal(total)) << " countup gave " << show(fieldsOf(t)) << " stop=" << stop
                          << " countmode=" << t.countmode << ", expected " << show(want) << " stop=" << last;
            if (bad.tooMany())
                return;
        }
    }
}

TEST(TimeCounter, CountdownMatchesTotalSecondsOverEveryValue)
{
    Mismatches bad;
    for (int total = 2; total < kAllValues; ++total) {
        TimeCounter t = counterAt(total, 1);
        const bool zero = t.countdown();
        if (fieldsOf(t) != fromTotal(total - 1) || zero || t.countmode != 1) {
            ADD_FAILURE() << show(fromTotal(total)) << " countdown gave " << show(fieldsOf(t)) << " zero=" << zero
                          << " countmode=" << t.countmode;
            if (bad.tooMany())
                return;
        }
    }
}

TEST(TimeCounter, LastSecondOfCountdownReachesZeroAndTurnsUp)
{
    TimeCounter t = counterAt(1, 1);
    EXPECT_TRUE(t.countdown());
    EXPECT_EQ(show(fieldsOf(t)), "00:00:00");
    EXPECT_EQ(t.countmode, 0);

    // The running tick now measures the overrun upwards.
    EXPECT_FALSE(t.countup());
    EXPECT_EQ(show(fieldsOf(t)), "00:00:01");
}

TEST(TimeCounter, CountdownFromZeroWrapsToAnHourWithoutAlarm)
{
    TimeCounter t = counterAt(0, 1);
    EXPECT_FALSE(t.countdown());
    EXPECT_EQ(show(fieldsOf(t)), "00:59:59");
    EXPECT_EQ(t.countmode, 1);
}

TEST(TimeText, ClockTextOverEveryValue)
{
    Mismatches bad;
    for (int total = 0; total < kAllValues; ++total) {
        const Hms v = fromTotal(total);
        std::string want = "00:00:00";
        const int parts[] = {v.h, v.m, v.s};
        for (int i = 0; i < 3; ++i) {
            want[3 * i] = char('0' + parts[i] / 10);
            want[3 * i + 1] = char('0' + parts[i] % 10);
        }
        if (lumiroka::clockText(v.h, v.m, v.s) != want || counterAt(total, 0).clockText() != want) {
            ADD_FAILURE() << "clock text of " << want << " was " << lumiroka::clockText(v.h, v.m, v.s);
            if (bad.tooMany())
                return;
        }
    }
}
