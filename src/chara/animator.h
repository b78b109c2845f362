#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "chara/randomsource.h"

namespace lumiroka {

// What one tick of the animation timer asks the window to do.
struct AnimationStep
{
    std::optional<int> showSlot;   // slot 0 takes this slot
    std::optional<int> intervalMs; // new interval of the animation timer
    bool talk = false;             // say a random remark now
};

// The character's idle animation: alternates between a phase that may start a move and
// a phase that returns to the rest pose, and now and then asks for a remark.
class CharaAnimator
{
public:
    static constexpr int kShortMoveMs = 200;
    static constexpr int kRestMs = 500;

    std::int16_t charaphase = 0; // 0: the next tick may start a move; 1: it returns to rest

    // `frozen`: slot 0 shows the alarm picture itself; the pose then stands still but a
    // remark may still come. `running`: whether the one-second tick is on.
    AnimationStep tick(bool frozen, bool running, RandomSource &random);

    // A random remark of the character for the current state; empty (and no draw) for a
    // character number without lines.
    static std::string charatalk(int charano, bool running, RandomSource &random);

    // Twenty-way draw 1..20 and three-way draw 1..3 from one uniform value.
    static int draw(RandomSource &random, int ways);
};

} // namespace lumiroka
