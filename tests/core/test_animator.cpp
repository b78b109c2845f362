#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "chara/animator.h"
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
                    }
                }
            }
        }
    }
}

// The three-way draw picks the remark: each character has three of its own, different
// from every other character's, in both states. Which text goes with the running state
// is shown over the forms.
TEST(CharaTalk, TheDrawPicksOneOfThreeRemarksOfTheCharacter)
{
    std::set<std::string> stopped, running;
    for (int charano = 0; charano < 3; ++charano) {
        for (double r : {0.0, 0.5, kJustBelowOne}) {
            for (bool isRunning : {false, true}) {
                ScriptedRandom random{r};
                const std::string remark = CharaAnimator::charatalk(charano, isRunning, random);
                EXPECT_EQ(random.draws, 1);
                EXPECT_FALSE(remark.empty()) << "charano " << charano << " r " << r;
                EXPECT_TRUE((isRunning ? running : stopped).insert(remark).second) << remark << " said twice";
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
