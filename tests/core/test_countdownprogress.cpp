// The countdown's progress: which state and share each step of a count leaves on the
// taskbar button, and that only changes are reported.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

#include "core/countdownprogress.h"
#include "core/progressshown.h"

using lumiroka::CountdownProgress;
using lumiroka::TimeCounter;
using namespace lumiroka::testing::shown;

namespace {

// One step of a count: the time and direction it leaves, how it got there, and what the
// button shows after it (nothing: unchanged).
enum Event
{
    Update, // the end of a handler: START, STOP, a tick
    Move,   // the person moved a bar to `seconds`, then the handler's update
    End,    // RESET or the alarm silenced, then the handler's update
};
struct Step
{
    Event event;
    int seconds;
    int countmode; // 0 up, 1 down
    bool counting;
    bool ringing;
    std::optional<Shown> shown;
};
struct Row
{
    const char *name;
    std::vector<Step> steps;
};
void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

constexpr bool kRuns = true, kStands = false, kRings = true, kQuiet = false;
constexpr int kUp = 0, kDown = 1;

const Row kRows[] = {
    {"CountdownShowsTheShareStillToGo",
     {{Update, 4, kDown, kRuns, kQuiet, normal(1)},
      {Update, 3, kDown, kRuns, kQuiet, normal(0.75)},
      {Update, 2, kDown, kRuns, kQuiet, normal(0.5)}}},
    {"NothingNewIsNotReported",
     {{Update, 4, kDown, kRuns, kQuiet, normal(1)}, {Update, 4, kDown, kRuns, kQuiet, std::nullopt}}},
    {"StoppedPartWayIsPausedAndResumesWithItsLength",
     {{Update, 4, kDown, kRuns, kQuiet, normal(1)},
      {Update, 3, kDown, kRuns, kQuiet, normal(0.75)},
      {Update, 3, kDown, kStands, kQuiet, paused(0.75)},
      {Update, 3, kDown, kRuns, kQuiet, normal(0.75)},
      {Update, 2, kDown, kRuns, kQuiet, normal(0.5)}}},
    {"BarMovedWhileCountingDownStartsANewLength",
     {{Update, 4, kDown, kRuns, kQuiet, normal(1)},
      {Update, 3, kDown, kRuns, kQuiet, normal(0.75)},
      {Move, 2, kDown, kRuns, kQuiet, normal(1)},
      {Update, 1, kDown, kRuns, kQuiet, normal(0.5)}}},
    {"BarMovedWhileStoppedPartWayStartsANewLength",
     {{Update, 4, kDown, kRuns, kQuiet, normal(1)},
      {Update, 3, kDown, kStands, kQuiet, paused(0.75)},
      {Move, 2, kDown, kStands, kQuiet, paused(1)},
      {Update, 2, kDown, kRuns, kQuiet, normal(1)},
      {Update, 1, kDown, kRuns, kQuiet, normal(0.5)}}},
    {"BarMovedUpwardsIsTheNewLengthToo",
     {{Update, 4, kDown, kRuns, kQuiet, normal(1)},
      {Update, 3, kDown, kRuns, kQuiet, normal(0.75)},
      {Move, 8, kDown, kRuns, kQuiet, normal(1)},
      {Update, 6, kDown, kRuns, kQuiet, normal(0.75)}}},
    {"BarsMovedToZeroRunOnFromAFullHour",
     {{Update, 4, kDown, kRuns, kQuiet, normal(1)},
      {Move, 0, kDown, kRuns, kQuiet, normal(0)},
      {Update, 3599, kDown, kRuns, kQuiet, normal(1)},
      {Update, 3598, kDown, kRuns, kQuiet, normal(3598.0 / 3599)}}},
    {"AlarmAsksForAttentionOnceWhileItRings",
     {{Update, 1, kDown, kRuns, kQuiet, normal(1)},
      {Update, 0, kUp, kRuns, kRings, ringing},
      {Update, 1, kUp, kRuns, kRings, std::nullopt}}},
    {"SilencedAlarmLeavesNoProgressAndTheOverrunCountsDownAfresh",
     {{Update, 2, kDown, kRuns, kQuiet, normal(1)},
      {Update, 2, kUp, kRuns, kRings, ringing},
      {End, 2, kDown, kStands, kQuiet, none},
      {Update, 2, kDown, kRuns, kQuiet, normal(1)},
      {Update, 1, kDown, kRuns, kQuiet, normal(0.5)}}},
    {"StopwatchShowsNothing",
     {{Update, 0, kUp, kRuns, kQuiet, std::nullopt},
      {Update, 3, kUp, kStands, kQuiet, std::nullopt},
      {Move, 300, kUp, kStands, kQuiet, std::nullopt},
      {Update, 301, kUp, kRuns, kQuiet, std::nullopt}}},
    {"BarMovedBeforeAnyCountdownSetsNoLength",
     {{Move, 4, kDown, kStands, kQuiet, std::nullopt}, {Update, 4, kDown, kRuns, kQuiet, normal(1)}}},
    {"ResetClearsAPausedCountdown",
     {{Update, 4, kDown, kRuns, kQuiet, normal(1)},
      {Update, 3, kDown, kStands, kQuiet, paused(0.75)},
      {End, 0, kDown, kStands, kQuiet, none},
      {Move, 3, kDown, kStands, kQuiet, std::nullopt},
      {Update, 3, kDown, kRuns, kQuiet, normal(1)}}},
    {"HoursCountInTheShare",
     {{Update, 7200, kDown, kRuns, kQuiet, normal(1)}, {Update, 5400, kDown, kRuns, kQuiet, normal(0.75)}}},
    {"StoppedAtOneSecondToGoIsStillPaused",
     {{Update, 4, kDown, kRuns, kQuiet, normal(1)},
      {Update, 3, kDown, kStands, kQuiet, paused(0.75)},
      {Move, 1, kDown, kStands, kQuiet, paused(1)},
      {Update, 1, kDown, kStands, kQuiet, std::nullopt}}},
    {"CountdownFromNothingRunsOnFromAFullHour",
     {{Update, 0, kDown, kRuns, kQuiet, normal(0)}, {Update, 3599, kDown, kRuns, kQuiet, normal(1)}}},
};

TimeCounter at(int seconds, int countmode)
{
    TimeCounter time;
    time.hourcount = static_cast<std::int16_t>(seconds / 3600);
    time.mincount = static_cast<std::int16_t>(seconds / 60 % 60);
    time.seccount = static_cast<std::int16_t>(seconds % 60);
    time.countmode = static_cast<std::int16_t>(countmode);
    return time;
}

class CountdownProgressTable : public ::testing::TestWithParam<Row>
{
};

TEST_P(CountdownProgressTable, FollowsTheCount)
{
    CountdownProgress progress;
    int index = 0;
    for (const Step &step : GetParam().steps) {
        const TimeCounter time = at(step.seconds, step.countmode);
        if (step.event == Move)
            progress.barMoved(time);
        else if (step.event == End)
            progress.end();
        EXPECT_EQ(progress.update(time, step.counting, step.ringing), step.shown) << "step " << index;
        ++index;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CountdownProgressTable, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &info) { return info.param.name; });

} // namespace
