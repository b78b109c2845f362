#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "core/gridticker.h"

namespace lumiroka {
namespace {

using namespace std::chrono_literals;

class HandClock : public Clock
{
public:
    std::chrono::nanoseconds t{0};
    std::chrono::nanoseconds now() const override { return t; }
};

// Records what the ticker asks of the toolkit's one-shot timer.
class RecordingWaker : public TickWaker
{
public:
    std::vector<std::chrono::milliseconds> waits;
    bool pending = false;
    void wakeAfter(std::chrono::milliseconds wait) override
    {
        waits.push_back(wait);
        pending = true;
    }
    void cancel() override { pending = false; }
};

struct Rig
{
    HandClock clock;
    RecordingWaker waker;
    int ticks = 0;
    std::function<void()> extra;
    GridTicker ticker{clock, waker, [this] {
                          ++ticks;
                          if (extra)
                              extra();
                      }};
    // The one-shot timer goes off: nothing is pending any more until the ticker asks.
    void wake()
    {
        waker.pending = false;
        ticker.wake();
    }
};

TEST(GridTicker, WakesOnTheGridAndDeliversEveryTickThatFellDue)
{
    Rig r;
    r.clock.t = 5s;
    // Idle until started: a stray wake-up delivers nothing and asks for no other.
    EXPECT_FALSE(r.ticker.active());
    r.wake();
    EXPECT_EQ(r.ticks, 0);
    EXPECT_TRUE(r.waker.waits.empty());
    r.ticker.start();
    EXPECT_TRUE(r.ticker.active());
    EXPECT_EQ(r.waker.waits.back(), 1000ms);
    r.clock.t = 5s + 999ms; // an early wake-up delivers nothing and sleeps out the rest
    r.wake();
    EXPECT_EQ(r.ticks, 0);
    EXPECT_EQ(r.waker.waits.back(), 1ms);
    r.clock.t = 6s + 300ms; // late by 300 ms: the next point stays at 7 s
    r.wake();
    EXPECT_EQ(r.ticks, 1);
    EXPECT_EQ(r.waker.waits.back(), 700ms);
    r.clock.t = 1h; // a machine that slept: every second goes through the handler
    r.wake();
    EXPECT_EQ(r.ticks, 3600 - 5);
    EXPECT_TRUE(r.waker.pending);
}

TEST(GridTicker, AHandlerThatStopsOrRestartsEndsTheRound)
{
    Rig r;
    r.ticker.start();
    r.extra = [&] {
        if (r.ticks == 2)
            r.ticker.stop();
    };
    r.clock.t = 10s;
    r.wake();
    EXPECT_EQ(r.ticks, 2);
    EXPECT_FALSE(r.ticker.active());
    EXPECT_FALSE(r.waker.pending);
    r.wake(); // a wake-up already on its way when it stopped
    EXPECT_EQ(r.ticks, 2);

    r.extra = [&] {
        if (r.ticks == 3)
            r.ticker.start(); // a new grid from now: the old one's overdue ticks are dropped
    };
    r.ticker.start();
    r.clock.t = 20s;
    r.wake();
    EXPECT_EQ(r.ticks, 3);
    EXPECT_EQ(r.waker.waits.back(), 1000ms);
}

TEST(GridTicker, ANewPeriodOnARunningTickerLaysANewGridFromNow)
{
    Rig r;
    r.ticker.start();
    r.clock.t = 700ms;
    r.ticker.setPeriod(200ms);
    EXPECT_EQ(r.waker.waits.back(), 200ms);
    r.clock.t = 1000ms; // 300 ms into the new grid: one tick, next point at 1100 ms
    r.wake();
    EXPECT_EQ(r.ticks, 1);
    EXPECT_EQ(r.waker.waits.back(), 100ms);
}

TEST(GridTicker, AHandlerThatOverrunsTheNextPointWakesAtOnce)
{
    // A handler may run long (a nested wait); the next point is then already due and the
    // wait must be zero, not a wrapped-around negative.
    Rig r;
    r.ticker.start();
    r.extra = [&] { r.clock.t += 2500ms; };
    r.clock.t = 1s;
    r.wake();
    EXPECT_EQ(r.ticks, 1);
    EXPECT_EQ(r.waker.waits.back(), 0ms);
    r.extra = nullptr;
    r.wake(); // 3.5 s: the points at 2 s and 3 s
    EXPECT_EQ(r.ticks, 3);
}

} // namespace
} // namespace lumiroka
