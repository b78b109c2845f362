#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "chara/lines.h"
#include "core/runcontrol.h"

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

struct StartRow
{
    bool zero, uppaused, downstarted;
    int modeAfter;
    StartRemark remark;
    bool downstartedAfter;
};

// uppaused is only ever set by a STOP of a count-up, so the rows with it set start from
// countmode 0; the others may find either direction left over.
const StartRow kStartTable[] = {
    {true, false, false, 0, StartRemark::Start, false},  {true, false, true, 0, StartRemark::Resume, true},
    {true, true, false, 0, StartRemark::Resume, false},  {true, true, true, 0, StartRemark::Resume, true},
    {false, false, false, 1, StartRemark::Start, true},  {false, false, true, 1, StartRemark::Resume, true},
    {false, true, false, 0, StartRemark::Resume, false}, {false, true, true, 0, StartRemark::Resume, true}};

} // namespace

TEST(RunControl, StartFollowsTheDecisionTable)
{
    for (const StartRow &row : kStartTable) {
        const std::vector<TimeCounter> times = row.zero ? std::vector{timeOf(0, 0, 0)} : kNonZeroTimes;
        const std::vector<int> modesBefore = row.uppaused ? std::vector{0} : std::vector{0, 1};
        for (const TimeCounter &before : times) {
            for (int modeBefore : modesBefore) {
                TimeCounter t = before;
                t.countmode = static_cast<std::int16_t>(modeBefore);
                RunControl rc{row.uppaused, row.downstarted};
                const StartRemark remark = rc.start(t);
                SCOPED_TRACE(::testing::Message() << "time " << before.clockText() << " uppaused " << row.uppaused
                                                  << " downstarted " << row.downstarted << " countmode " << modeBefore);
                EXPECT_EQ(t.countmode, row.modeAfter);
                EXPECT_EQ(remark, row.remark);
                EXPECT_EQ(rc.downstarted, row.downstartedAfter);
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

// The run control together with the tick, as the main window drives them.
class Session : public ::testing::Test
{
protected:
    TimeCounter time;
    RunControl rc;
    int alarms = 0;
    bool alarmSounding = false;

    StartRemark start() { return rc.start(time); }
    void stop()
    {
        rc.stop(time, alarmSounding);
        alarmSounding = false;
    }
    void tick(int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            if (time.countmode == 0)
                time.countup();
            else
                time.countdown([&] {
                    ++alarms;
                    alarmSounding = true;
                });
        }
    }
    void set(int h, int m, int s)
    {
        time.hourcount = static_cast<std::int16_t>(h);
        time.mincount = static_cast<std::int16_t>(m);
        time.seccount = static_cast<std::int16_t>(s);
    }
};

TEST_F(Session, StopwatchStopsAndResumesUpwards)
{
    EXPECT_EQ(start(), StartRemark::Start);
    tick(3);
    stop();
    EXPECT_EQ(time.clockText(), "00:00:03");
    EXPECT_EQ(start(), StartRemark::Resume);
    tick(2);
    EXPECT_EQ(time.clockText(), "00:00:05");
}

TEST_F(Session, StoppedStopwatchWithATimeSetStillCountsUp)
{
    start();
    tick(3);
    stop();
    set(0, 5, 0);
    EXPECT_EQ(start(), StartRemark::Resume);
    EXPECT_EQ(time.countmode, 0);
    tick(1);
    EXPECT_EQ(time.clockText(), "00:05:01");
}

TEST_F(Session, CountdownStopsAndResumesDownwards)
{
    set(0, 0, 5);
    EXPECT_EQ(start(), StartRemark::Start);
    tick(2);
    stop();
    EXPECT_EQ(start(), StartRemark::Resume);
    EXPECT_EQ(time.countmode, 1);
    tick(1);
    EXPECT_EQ(time.clockText(), "00:00:02");
    EXPECT_EQ(alarms, 0);
}

TEST_F(Session, ResetMakesTheNextStartAFreshOne)
{
    set(0, 0, 5);
    start();
    tick(2);
    stop();
    rc.reset(time);
    set(0, 1, 0);
    EXPECT_EQ(start(), StartRemark::Start);
    EXPECT_EQ(time.countmode, 1);
}

TEST_F(Session, StopDuringTheAlarmCountsTheOverrunBackDown)
{
    set(0, 0, 2);
    start();
    tick(2);
    EXPECT_EQ(alarms, 1);
    EXPECT_EQ(time.countmode, 0);
    tick(4);
    EXPECT_EQ(time.clockText(), "00:00:04");
    stop();
    EXPECT_EQ(time.countmode, 1);
    EXPECT_FALSE(rc.uppaused);
    EXPECT_EQ(start(), StartRemark::Resume);
    EXPECT_EQ(time.countmode, 1);
    tick(4);
    EXPECT_EQ(time.clockText(), "00:00:00");
    EXPECT_EQ(alarms, 2);
}

TEST(Lines, EachCharacterHasItsThreeLines)
{
    struct Row
    {
        int charano;
        const char *start, *resume, *alarm;
    };
    const Row table[] = {{0, "レディ･ゴー！", "引き続いて計るよ！", "時間だよ！"},
                         {1, "今からスタートな！", "続きを計るな！", "おーい、時間だぜ！"},
                         {2, "じゃあ、計るよ！", "続けて計るよ！", "ねーねー、時間だよっ！"}};
    for (const Row &row : table) {
        EXPECT_EQ(lumiroka::startLine(row.charano), row.start) << row.charano;
        EXPECT_EQ(lumiroka::resumeLine(row.charano), row.resume) << row.charano;
        EXPECT_EQ(lumiroka::alarmLine(row.charano), row.alarm) << row.charano;
    }
}

TEST(Lines, PunctuationIsTheExactCharacter)
{
    // レ デ ィ U+FF65 (half-width middle dot) ゴ ー U+FF01 (full-width exclamation mark)
    EXPECT_EQ(lumiroka::startLine(0),
              "\xE3\x83\xAC\xE3\x83\x87\xE3\x82\xA3\xEF\xBD\xA5\xE3\x82\xB4\xE3\x83\xBC\xEF\xBC\x81");
    const std::string comma = "\xE3\x80\x81"; // U+3001
    EXPECT_EQ(lumiroka::startLine(2).substr(9, 3), comma);
    EXPECT_EQ(lumiroka::alarmLine(1).substr(9, 3), comma);
    EXPECT_EQ(lumiroka::alarmLine(2).substr(12, 3), comma);
    for (int c = 0; c < 3; ++c) {
        for (const std::string &line : {lumiroka::startLine(c), lumiroka::resumeLine(c), lumiroka::alarmLine(c)}) {
            ASSERT_GE(line.size(), 3u) << c;
            EXPECT_EQ(line.substr(line.size() - 3), "\xEF\xBC\x81") << line;
        }
    }
}

TEST(Lines, OtherCharactersSayNothing)
{
    for (int charano : {-1, 3, 32767, -32768, INT_MAX, INT_MIN}) {
        EXPECT_EQ(lumiroka::startLine(charano), "") << charano;
        EXPECT_EQ(lumiroka::resumeLine(charano), "") << charano;
        EXPECT_EQ(lumiroka::alarmLine(charano), "") << charano;
    }
}
