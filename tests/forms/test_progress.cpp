// The count's progress on the taskbar button as the handlers report it: each handler tells
// the counting, the alarm, a person's move of a bar (not the tick's write-back), RESET and
// the silencing. The rule itself is the logic tests' table (test_countdownprogress.cpp).

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

#include "core/progressshown.h"
#include "forms/fakes.h"

using namespace lumiroka;
using namespace lumiroka::testing;
using namespace lumiroka::testing::shown;

namespace {

using Call = FakeWindow::ProgressCall;

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
    {"BarMovedWhileCountingDownStartsANewLength",
     [](Harness &h) {
         h.setBars(0, 0, 4);
         start(h);
         tick(h);
         moveSeconds(h, 2);
         tick(h);
     },
     {normal(1), normal(0.75), normal(1), normal(0.5)}},
    {"HourBarMovedWhileCountingDownStartsANewLength",
     [](Harness &h) {
         h.setBars(0, 0, 4);
         start(h);
         tick(h);
         h.window.setBar(TimeField::Hour, 1);
     },
     {normal(1), normal(0.75), normal(1)}},
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
    {"ResetClearsAPausedCountdownAtOnce",
     [](Harness &h) {
         h.setBars(0, 0, 4);
         start(h);
         tick(h);
         start(h);
         h.form->resetbutton_Click();
     },
     {normal(1), normal(0.75), paused(0.75), none}},
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
