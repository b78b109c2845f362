#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "chara/lines.h"
#include "core/runcontrol.h"
#include "model/timer_model.h"

using lumiroka::RunControl;
using lumiroka::StartRemark;
using lumiroka::TimeCounter;

namespace {

TimeCounter timeOf(int h, int m, int s, int countmode = 0)
{
    TimeCounter t;
    t.hourcount = static_cast<std::int16_t>(h);
    t.mincount = static_cast<std::int16_t>(m);
    t.seccount = static_cast<std::int16_t>(s);
    t.countmode = static_cast<std::int16_t>(countmode);
    return t;
}

const std::vector<TimeCounter> kNonZeroTimes = {timeOf(0, 0, 1), timeOf(0, 5, 0), timeOf(1, 0, 0), timeOf(99, 59, 59)};

} // namespace

// The START table is written once, with the model of the timer window that the random
// test drives; here every row is checked against the run control itself.
TEST(RunControl, StartFollowsTheDecisionTable)
{
    using namespace lumiroka::model;
    for (const StartRow &row : kStartTable) {
        const std::vector<TimeCounter> times = row.zero ? std::vector{timeOf(0, 0, 0)} : kNonZeroTimes;
        for (const TimeCounter &before : times) {
            for (int modeBefore : {0, 1}) {
                TimeCounter t = before;
                t.countmode = static_cast<std::int16_t>(modeBefore);
                RunControl rc{row.uppaused, row.downstarted};
                const StartRemark remark = rc.start(t);
                SCOPED_TRACE(::testing::Message() << "time " << before.clockText() << " uppaused " << row.uppaused
                                                  << " downstarted " << row.downstarted << " countmode " << modeBefore);
                const int modeAfter = row.mode == ModeAfter::Up ? 0 : row.mode == ModeAfter::Down ? 1 : modeBefore;
                EXPECT_EQ(t.countmode, modeAfter);
                EXPECT_EQ(remark, row.remark == Remark::Resume ? StartRemark::Resume : StartRemark::Start);
                EXPECT_EQ(rc.downstarted, row.downstarted || row.downstartedAfter == FlagAfter::Set);
                EXPECT_EQ(rc.uppaused, row.uppaused);
                EXPECT_EQ(t.clockText(), before.clockText());
            }
        }
    }
}

TEST(RunControl, StopFollowsTheDecisionTable)
{
    struct Row
    {
        bool alarm;
        int modeBefore, modeAfter;
        bool uppausedAfter;
    };
    const Row table[] = {{true, 0, 1, false}, {false, 0, 0, true}, {false, 1, 1, false}};
    for (const Row &row : table) {
        for (TimeCounter before : {timeOf(0, 0, 0), timeOf(0, 0, 7), timeOf(12, 34, 56)}) {
            for (bool uppaused : {false, true}) {
                for (bool downstarted : {false, true}) {
                    before.countmode = static_cast<std::int16_t>(row.modeBefore);
                    TimeCounter t = before;
                    RunControl rc{uppaused, downstarted};
                    rc.stop(t, row.alarm);
                    SCOPED_TRACE(::testing::Message()
                                 << "alarm " << row.alarm << " countmode " << row.modeBefore << " time "
                                 << before.clockText() << " flags " << uppaused << downstarted);
                    EXPECT_EQ(t.countmode, row.modeAfter);
                    EXPECT_EQ(rc.uppaused, row.uppausedAfter);
                    EXPECT_EQ(rc.downstarted, downstarted);
                    EXPECT_EQ(t.clockText(), before.clockText());
                }
            }
        }
    }
}

TEST(RunControl, ResetClearsFlagsAndTimeButKeepsTheDirection)
{
    for (int mode : {0, 1}) {
        for (bool uppaused : {false, true}) {
            for (bool downstarted : {false, true}) {
                TimeCounter t = timeOf(3, 2, 1, mode);
                RunControl rc{uppaused, downstarted};
                rc.reset(t);
                EXPECT_FALSE(rc.uppaused);
                EXPECT_FALSE(rc.downstarted);
                EXPECT_TRUE(t.isZero());
                EXPECT_EQ(t.countmode, mode);
            }
        }
    }
}

// Which line is which matters more than its wording: a character says three different
// lines, and no two characters say the same one.
TEST(Lines, EachCharacterHasThreeLinesOfItsOwn)
{
    std::set<std::string> seen;
    for (int charano = 0; charano < 3; ++charano) {
        for (const std::string &line :
             {lumiroka::startLine(charano), lumiroka::resumeLine(charano), lumiroka::alarmLine(charano)}) {
            EXPECT_FALSE(line.empty()) << charano;
            EXPECT_TRUE(seen.insert(line).second) << line << " said twice";
        }
    }
}

TEST(Lines, OtherCharactersSayNothing)
{
    for (int charano : {-1, 3, 32767, -32768, INT_MAX, INT_MIN}) {
        EXPECT_EQ(lumiroka::startLine(charano), "") << charano;
        EXPECT_EQ(lumiroka::resumeLine(charano), "") << charano;
        EXPECT_EQ(lumiroka::alarmLine(charano), "") << charano;
        EXPECT_EQ(lumiroka::remarkLine(charano, 1, true), "") << charano;
    }
    // Nor does a remark number outside 1..3, on either side.
    for (int k : {0, 4, -1, INT_MAX})
        for (bool running : {false, true})
            EXPECT_EQ(lumiroka::remarkLine(0, k, running), "") << k;
}
