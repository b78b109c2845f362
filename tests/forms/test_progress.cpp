// The count's progress on the taskbar button: which state and share each run of START・STOP,
// RESET, the tick, the alarm and the bars leaves there, and that the window is told only of
// changes.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

#include "forms/fakes.h"

using namespace lumiroka;
using namespace lumiroka::testing;

namespace lumiroka::testing {
// How a failing row prints what the window got.
void PrintTo(const FakeWindow::ProgressCall &call, std::ostream *out)
{
    static const char *const names[] = {"None", "Normal", "Paused", "Attention"};
    *out << names[static_cast<int>(call.state)] << ' ' << call.fraction;
}
} // namespace lumiroka::testing

namespace {

using Call = FakeWindow::ProgressCall;

constexpr Call none{Progress::None, 0};
constexpr Call normal(double fraction)
{
    return {Progress::Normal, fraction};
}
constexpr Call paused(double fraction)
{
    return {Progress::Paused, fraction};
}
constexpr Call ringing{Progress::Attention, 1};

struct ProgressRow
{
    const char *name;
    std::function<void(Harness &)> steps;
    std::vector<Call> calls; // every call the window got, in order
};

void PrintTo(const ProgressRow &row, std::ostream *out)
{
    *out << row.name;
}

void start(Harness &h)
{
    h.form->ssbutton_Click();
}
void tick(Harness &h, int times = 1)
{
    for (int i = 0; i < times; ++i)
        h.form->swtimer_Timer();
}
void moveSeconds(Harness &h, int value)
{
    h.window.setBar(TimeField::Second, value);
}

const ProgressRow kRows[] = {
    {"CountdownShowsTheShareStillToGo",
     [](Harness &h) {
         h.setBars(0, 0, 4);
         start(h);
         tick(h, 2);
     },
     {normal(1), normal(0.75), normal(0.5)}},
    {"StoppedPartWayIsPaused",
     [](Harness &h) {
         h.setBars(0, 0, 4);
         start(h);
         tick(h);
         start(h);
     },
     {normal(1), normal(0.75), paused(0.75)}},
    {"ResumedCountdownKeepsItsLength",
     [](Harness &h) {
         h.setBars(0, 0, 4);
         start(h);
         tick(h);
         start(h);
         start(h);
         tick(h);
     },
     {normal(1), normal(0.75), paused(0.75), normal(0.75), normal(0.5)}},
    {"BarMovedWhileCountingDownStartsANewLength",
     [](Harness &h) {
         h.setBars(0, 0, 4);
         start(h);
         tick(h);
         moveSeconds(h, 2);
         tick(h);
     },
     {normal(1), normal(0.75), normal(1), normal(0.5)}},
    {"BarMovedWhileStoppedPartWayStartsANewLength",
     [](Harness &h) {
         h.setBars(0, 0, 4);
         start(h);
         tick(h);
         start(h);
         moveSeconds(h, 2);
         start(h);
         tick(h);
     },
     {normal(1), normal(0.75), paused(0.75), paused(1), normal(1), normal(0.5)}},
    {"BarsMovedToZeroRunOnFromAFullHour",
     [](Harness &h) {
         h.setBars(0, 0, 4);
         start(h);
         moveSeconds(h, 0);
         tick(h); // 00:59:59, no alarm
     },
     {normal(1), normal(0), normal(1)}},
    {"AlarmAsksForAttentionOnceWhileItRings",
     [](Harness &h) {
         h.setBars(0, 0, 2);
         start(h);
         tick(h, 5);
     },
     {normal(1), normal(0.5), ringing}},
    {"SilencedAlarmLeavesNoProgressAndTheOverrunCountsDownAfresh",
     [](Harness &h) {
         h.setBars(0, 0, 2);
         start(h);
         tick(h, 4); // rang two seconds ago: 00:00:02
         start(h);
         start(h);
         tick(h);
     },
     {normal(1), normal(0.5), ringing, none, normal(1), normal(0.5)}},
    {"StopwatchShowsNothing",
     [](Harness &h) {
         start(h);
         tick(h, 3);
         start(h);
         h.setBars(0, 5, 0);
         start(h);
         tick(h);
     },
     {}},
    {"ResetClearsAPausedCountdown",
     [](Harness &h) {
         h.setBars(0, 0, 4);
         start(h);
         tick(h);
         start(h);
         h.form->resetbutton_Click();
         h.setBars(0, 0, 3);
         start(h);
     },
     {normal(1), normal(0.75), paused(0.75), none, normal(1)}},
};

class TaskbarProgress : public ::testing::TestWithParam<ProgressRow>
{
};

TEST_P(TaskbarProgress, FollowsTheRunControl)
{
    Harness h; // loaded: start-up itself sets no progress
    GetParam().steps(h);
    EXPECT_EQ(h.window.progress, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(Table, TaskbarProgress, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<ProgressRow> &info) { return info.param.name; });

} // namespace
