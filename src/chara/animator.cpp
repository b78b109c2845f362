#include "chara/animator.h"

#include "chara/lines.h"
#include "chara/poses.h"

namespace lumiroka {

int CharaAnimator::draw(RandomSource &random, int ways)
{
    // A source's values stay below 1, so the draw stays within 1..ways.
    return static_cast<int>(ways * random.next()) + 1;
}

AnimationStep CharaAnimator::tick(bool frozen, bool running, RandomSource &random)
{
    AnimationStep step;
    if (!frozen) {
        const int n = draw(random, 20);
        if (charaphase == 0) {
            if (n <= 5) {
                step.showSlot = running ? slot::RunningShort : slot::StoppedShort;
                step.intervalMs = kShortMoveMs;
            } else if (n == 6) {
                step.showSlot = running ? slot::RunningLong : slot::StoppedLong;
                step.intervalMs = kRestMs;
            }
            charaphase = 1;
        } else {
            step.showSlot = running ? slot::RunningRest : slot::StoppedRest;
            step.intervalMs = kRestMs;
            charaphase = 0;
        }
    }
    step.talk = draw(random, 20) == 1;
    return step;
}

std::string CharaAnimator::charatalk(int charano, bool running, RandomSource &random)
{
    if (charano < 0 || charano >= kCharacters)
        return {}; // no lines: no draw either
    return remarkLine(charano, draw(random, 3), running);
}

} // namespace lumiroka
