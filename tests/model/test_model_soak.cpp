// Soak of the running count through the handlers: one hundred hours of ticks up from
// 00:00:00 to the hour limit, and the same span down to the alarm.

#include <gtest/gtest.h>

#include "timer_model.h"
#include "window_probe.h"

using namespace lumiroka::model;

namespace {

constexpr long kHundredHours = 100L * 3600; // ticks from 00:00:00 past 99:59:59

std::string clockOf(long seconds)
{
    return twoDigitText(static_cast<int>(seconds / 3600)) + ":" + twoDigitText(static_cast<int>(seconds / 60 % 60)) +
           ":" + twoDigitText(static_cast<int>(seconds % 60));
}

std::string shown(Window &w)
{
    return w.window().shownTime();
}

std::string barsOf(Window &w)
{
    const auto &bars = w.window().bars;
    return twoDigitText(bars[0]) + ":" + twoDigitText(bars[1]) + ":" + twoDigitText(bars[2]);
}

} // namespace

TEST(Soak, CountUpStopsItselfAtTheHourLimit)
{
    Window w(0);
    w.startStop();
    ASSERT_TRUE(w.window().sw.active);
    ASSERT_EQ(w.form().time().countmode, 0);

    for (long tick = 1; tick <= kHundredHours; ++tick) {
        ASSERT_TRUE(w.window().sw.active)
            << "the count stopped by itself after " << tick - 1 << " ticks at " << shown(w) << ", before the limit";
        w.form().swtimer_Timer();
        if (tick == kHundredHours)
            break;
        ASSERT_EQ(w.window().boxes[2], twoDigitText(static_cast<int>(tick % 60))) << "after " << tick << " ticks";
        if (tick % 3600 == 0 || tick == kHundredHours - 1) {
            const std::string want = clockOf(tick);
            ASSERT_EQ(shown(w), want) << "after " << tick << " ticks";
            ASSERT_EQ(barsOf(w), want) << "after " << tick << " ticks";
            ASSERT_EQ(w.window().caption, "Lumiroka - " + want) << "after " << tick << " ticks";
        }
    }
    // The tick after 99:59:59 stops the count and leaves the hour at its maximum.
    EXPECT_FALSE(w.window().sw.active);
    EXPECT_EQ(shown(w), "99:00:00");
    EXPECT_EQ(barsOf(w), "99:00:00");
    EXPECT_EQ(w.window().caption, "Lumiroka - 99:00:00");
    EXPECT_EQ(w.harness().sound.plays, 0);
    EXPECT_FALSE(w.window().sound.active);
    EXPECT_EQ(w.observe().remark, remarkText(0, Remark::Start));
    EXPECT_EQ(w.visiblePose(), kPoseStarted);
}

TEST(Soak, CountdownFromTheLimitRingsOnTheLastTick)
{
    Window w(2);
    w.moveBar(Field::Hour, kHourMax);
    w.moveBar(Field::Minute, kMinSecMax);
    w.moveBar(Field::Second, kMinSecMax);
    w.startStop();
    ASSERT_EQ(w.form().time().countmode, 1);
    const long start = kHundredHours - 1; // 99:59:59 in seconds

    for (long tick = 1; tick < start; ++tick) {
        ASSERT_TRUE(w.window().sw.active) << "the countdown stopped after " << tick - 1 << " ticks";
        w.form().swtimer_Timer();
        ASSERT_EQ(w.harness().sound.plays, 0) << "the alarm sounded after " << tick << " ticks at " << shown(w);
        if (tick % 3600 == 0) {
            const std::string want = clockOf(start - tick);
            ASSERT_EQ(shown(w), want) << "after " << tick << " ticks";
            ASSERT_EQ(barsOf(w), want) << "after " << tick << " ticks";
            ASSERT_EQ(w.window().caption, "Lumiroka - " + want) << "after " << tick << " ticks";
        }
    }
    EXPECT_EQ(shown(w), "00:00:01");
    EXPECT_FALSE(w.window().sound.active);

    w.form().swtimer_Timer(); // the last step down rings
    EXPECT_EQ(shown(w), "00:00:00");
    EXPECT_EQ(w.window().caption, "Lumiroka - 00:00:00");
    EXPECT_EQ(w.harness().sound.plays, 1);
    EXPECT_TRUE(w.window().sound.active);
    EXPECT_TRUE(w.window().sw.active);
    EXPECT_EQ(w.observe().remark, remarkText(2, Remark::Alarm));
    EXPECT_EQ(w.visiblePose(), kPoseAlarm);

    w.form().swtimer_Timer(); // and the overrun is counted upwards
    EXPECT_EQ(shown(w), "00:00:01");
    EXPECT_EQ(w.harness().sound.plays, 1);
}
