#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "chara/animator.h"
#include "chara/poses.h"
#include "forms/fakes.h"

using lumiroka::AnimationStep;
using lumiroka::CharaAnimator;
using lumiroka::testing::ScriptedRandom;

namespace {

const double kJustBelowOne = std::nextafter(1.0, 0.0);

int drawOnce(double r, int ways)
{
    ScriptedRandom random{r};
    const int n = CharaAnimator::draw(random, ways);
    EXPECT_EQ(random.draws, 1);
    return n;
}

struct Expected
{
    std::optional<int> slot, interval;
    int phaseAfter;
};

// What one animation tick should do, from the pose value alone.
Expected expectedPose(int phase, bool frozen, bool running, int n)
{
    if (frozen)
        return {std::nullopt, std::nullopt, phase};
    if (phase == 1)
        return {running ? 4 : 1, 500, 0};
    if (n <= 5)
        return {running ? 5 : 2, 200, 1};
    if (n == 6)
        return {running ? 6 : 3, 500, 1};
    return {std::nullopt, std::nullopt, 1};
}

} // namespace

TEST(CharaDraw, BoundariesOfTheTwentyAndThreeWayDraws)
{
    struct Row
    {
        double r;
        int ways, n;
    };
    const Row table[] = {{0.0, 20, 1},
                         {std::nextafter(0.05, 0.0), 20, 1},
                         {0.05, 20, 2},
                         {std::nextafter(0.25, 0.0), 20, 5},
                         {0.25, 20, 6},
                         {std::nextafter(0.3, 0.0), 20, 6},
                         {0.3, 20, 7},
                         {0.95, 20, 20},
                         {kJustBelowOne, 20, 20},
                         {0.0, 3, 1},
                         {0.33, 3, 1},
                         {0.34, 3, 2},
                         {0.66, 3, 2},
                         {0.67, 3, 3},
                         {kJustBelowOne, 3, 3}};
    for (const Row &row : table)
        EXPECT_EQ(drawOnce(row.r, row.ways), row.n) << "r=" << row.r << " ways=" << row.ways;
}

TEST(CharaDraw, FineGridSplitsEvenly)
{
    constexpr int kGrid = 60000;
    for (int ways : {3, 20}) {
        std::vector<int> hits(ways + 1, 0);
        for (int i = 0; i < kGrid; ++i) {
            const double r = (i + 0.5) / kGrid; // never on a boundary
            const int n = drawOnce(r, ways);
            ASSERT_EQ(n, (2 * i + 1) * ways / (2 * kGrid) + 1) << "r=" << r;
            ++hits[n];
        }
        for (int n = 1; n <= ways; ++n)
            EXPECT_EQ(hits[n], kGrid / ways) << ways << "-way draw, outcome " << n;
    }
}

TEST(CharaAnimator, RestingPhaseStartsShortLongOrNoMoveFiveOneFourteen)
{
    constexpr int kGrid = 20000;
    for (bool running : {false, true}) {
        int shortMoves = 0, longMoves = 0, stays = 0;
        for (int i = 0; i < kGrid; ++i) {
            CharaAnimator a;
            ScriptedRandom random{(i + 0.5) / kGrid, 0.5};
            const AnimationStep step = a.tick(false, running, random);
            EXPECT_EQ(a.charaphase, 1);
            if (step.showSlot == (running ? 5 : 2) && step.intervalMs == 200)
                ++shortMoves;
            else if (step.showSlot == (running ? 6 : 3) && step.intervalMs == 500)
                ++longMoves;
            else if (!step.showSlot && !step.intervalMs)
                ++stays;
        }
        EXPECT_EQ(shortMoves, kGrid * 5 / 20) << "running " << running;
        EXPECT_EQ(longMoves, kGrid / 20) << "running " << running;
        EXPECT_EQ(stays, kGrid * 14 / 20) << "running " << running;
    }
}

// Every combination of phase, frozen and running over pose values at and around each
// boundary and remark values on both sides of the one-in-twenty line. The pose value is
// drawn first (only when not frozen), the remark value second; the two are chosen so
// that swapping them changes the outcome.
TEST(CharaAnimator, TickOverAllStatesAndBoundaryDraws)
{
    const double poseValues[] = {
        0.0, 0.1, std::nextafter(0.25, 0.0), 0.25, 0.27, std::nextafter(0.3, 0.0), 0.3, 0.6, kJustBelowOne};
    const int poseDraws[] = {1, 3, 5, 6, 6, 6, 7, 13, 20};
    const double remarkValues[] = {0.0, std::nextafter(0.05, 0.0), 0.05, 0.5, kJustBelowOne};
    int cases = 0;
    for (int phase : {0, 1}) {
        for (bool frozen : {false, true}) {
            for (bool running : {false, true}) {
                for (std::size_t p = 0; p < std::size(poseValues); ++p) {
                    for (double remark : remarkValues) {
                        CharaAnimator a;
                        a.charaphase = static_cast<std::int16_t>(phase);
                        ScriptedRandom random;
                        if (!frozen)
                            random.push(poseValues[p]);
                        random.push(remark);
                        const AnimationStep step = a.tick(frozen, running, random);
                        const Expected want = expectedPose(phase, frozen, running, poseDraws[p]);
                        SCOPED_TRACE(::testing::Message()
                                     << "phase " << phase << " frozen " << frozen << " running " << running
                                     << " pose r " << poseValues[p] << " remark r " << remark);
                        EXPECT_EQ(step.showSlot, want.slot);
                        EXPECT_EQ(step.intervalMs, want.interval);
                        EXPECT_EQ(a.charaphase, want.phaseAfter);
                        EXPECT_EQ(step.talk, remark < 0.05);
                        EXPECT_EQ(random.left(), 0u);
                        EXPECT_EQ(random.draws, frozen ? 1 : 2);
                        ++cases;
                    }
                }
            }
        }
    }
    EXPECT_EQ(cases, 2 * 2 * 2 * 9 * 5);
}

TEST(CharaAnimator, PhasesAlternateOverManyTicks)
{
    CharaAnimator a;
    for (int i = 0; i < 1000; ++i) {
        ScriptedRandom random{0.1, 0.9};
        const AnimationStep step = a.tick(false, true, random);
        EXPECT_EQ(step.showSlot, i % 2 == 0 ? 5 : 4) << i;
        EXPECT_EQ(a.charaphase, i % 2 == 0 ? 1 : 0) << i;
    }
}

TEST(CharaTalk, EveryRemarkInBothStates)
{
    struct Row
    {
        int charano, k;
        const char *running, *stopped;
    };
    const Row table[] = {{0, 1, "ﾀｲﾏｰが0になったら、ｱﾗｰﾑで知らせるね！", "ﾀｲﾏｰが0になったら、ｱﾗｰﾑで知らせるね！"},
                         {0, 2, "僕のほかにズウやﾀｳﾞﾘｯｸ君もいるよ！", "僕のほかにズウやﾀｳﾞﾘｯｸ君もいるよ！"},
                         {0, 3, "最長99時間59分59秒まで計れるよ！", "最長99時間59分59秒まで計れるよ！"},
                         {1, 1, "ｵﾚに任せときな、ﾊﾞｯﾁﾘ計ってやるよ！", "ｵﾚに任せときな、ﾊﾞｯﾁﾘ計ってやるよ！"},
                         {1, 2, "ﾗｯﾌﾟﾀｲﾑでも計ってんのかー？", "ﾗｯﾌﾟﾀｲﾑでも計るのかー？"},
                         {1, 3, "ｱﾗｰﾑはｽﾄｯﾌﾟﾎﾞﾀﾝで止まるぜ！", "ｱﾗｰﾑはｽﾄｯﾌﾟﾎﾞﾀﾝで止まるぜ！"},
                         {2, 1, "ねぇ、何を計ってるの？", "ねぇ、何を計るの？"},
                         {2, 2, "途中で止めても、引き続いて計れるよ！", "途中で止めても、引き続いて計れるよ！"},
                         {2, 3, "時間になると最前面に表示されるよ！", "時間になると最前面に表示されるよ！"}};
    const std::vector<std::vector<double>> valuesFor = {
        {}, {0.0, 0.1, 0.33}, {0.34, 0.5, 0.66}, {0.67, 0.9, kJustBelowOne}};
    for (const Row &row : table) {
        for (bool running : {false, true}) {
            for (double r : valuesFor[row.k]) {
                ScriptedRandom random{r};
                EXPECT_EQ(CharaAnimator::charatalk(row.charano, running, random), running ? row.running : row.stopped)
                    << "charano " << row.charano << " running " << running << " r " << r;
                EXPECT_EQ(random.draws, 1);
            }
        }
    }
}

TEST(CharaTalk, OtherCharactersSayNothingAndDrawNothing)
{
    for (int charano : {-1, 3, 100, 32767, -32768, INT_MAX, INT_MIN}) {
        for (bool running : {false, true}) {
            ScriptedRandom random; // empty: any draw fails the test
            EXPECT_EQ(CharaAnimator::charatalk(charano, running, random), "") << charano;
            EXPECT_EQ(random.draws, 0) << charano;
        }
    }
}

TEST(Poses, SlotNumbersOfTheWindow)
{
    namespace slot = lumiroka::slot;
    const int slots[] = {slot::Visible,     slot::StoppedRest, slot::StoppedShort,
                         slot::StoppedLong, slot::RunningRest, slot::RunningShort,
                         slot::RunningLong, slot::Alarm,       slot::Count};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(slots[i], i);
}

TEST(Poses, FilesInSlotOrderForEachCharacter)
{
    const char *poses[] = {"0", "0", "0a", "0b", "1", "1a", "1b", "2"};
    const char *stems[] = {"piro", "zu", "tavrick"};
    for (int charano = 0; charano < 3; ++charano) {
        EXPECT_EQ(lumiroka::charaStem(charano), stems[charano]);
        const auto files = lumiroka::poseFiles(charano);
        for (int s = 0; s < lumiroka::slot::Count; ++s)
            EXPECT_EQ(files[s], std::string(stems[charano]) + poses[s] + ".gif") << charano << " slot " << s;
    }
    EXPECT_EQ(lumiroka::poseFiles(1)[lumiroka::slot::RunningLong], "zu1b.gif");
    for (int charano : {-1, 3, 32767, INT_MIN}) {
        EXPECT_EQ(lumiroka::charaStem(charano), "") << charano;
        for (const std::string &file : lumiroka::poseFiles(charano))
            EXPECT_EQ(file, "") << charano;
    }
}
