#include "chara/animator.h"

#include <array>

#include "chara/poses.h"

namespace lumiroka {

int CharaAnimator::draw(RandomSource &random, int ways)
{
    const int n = static_cast<int>(ways * random.next()) + 1;
    return n > ways ? ways : n; // a source that strays to 1.0 must not leave the range
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
    if (charano < 0 || charano > 2)
        return {};
    struct Line
    {
        const char *running;
        const char *stopped;
    };
    // Half-width katakana mixed with full-width text is intended; keep every character.
    static constexpr std::array<std::array<Line, 3>, 3> table = {{
        {{{"ﾀｲﾏｰが0になったら、ｱﾗｰﾑで知らせるね！", "ﾀｲﾏｰが0になったら、ｱﾗｰﾑで知らせるね！"},
          {"僕のほかにズウやﾀｳﾞﾘｯｸ君もいるよ！", "僕のほかにズウやﾀｳﾞﾘｯｸ君もいるよ！"},
          {"最長99時間59分59秒まで計れるよ！", "最長99時間59分59秒まで計れるよ！"}}},
        {{{"ｵﾚに任せときな、ﾊﾞｯﾁﾘ計ってやるよ！", "ｵﾚに任せときな、ﾊﾞｯﾁﾘ計ってやるよ！"},
          {"ﾗｯﾌﾟﾀｲﾑでも計ってんのかー？", "ﾗｯﾌﾟﾀｲﾑでも計るのかー？"},
          {"ｱﾗｰﾑはｽﾄｯﾌﾟﾎﾞﾀﾝで止まるぜ！", "ｱﾗｰﾑはｽﾄｯﾌﾟﾎﾞﾀﾝで止まるぜ！"}}},
        {{{"ねぇ、何を計ってるの？", "ねぇ、何を計るの？"},
          {"途中で止めても、引き続いて計れるよ！", "途中で止めても、引き続いて計れるよ！"},
          {"時間になると最前面に表示されるよ！", "時間になると最前面に表示されるよ！"}}},
    }};
    const int k = draw(random, 3);
    const Line &line = table[static_cast<std::size_t>(charano)][static_cast<std::size_t>(k - 1)];
    return running ? line.running : line.stopped;
}

} // namespace lumiroka
