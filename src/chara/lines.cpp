#include "chara/lines.h"

#include <array>

namespace lumiroka {
namespace {

using LineTable = std::array<const char *, kCharacters>;

// Half-width katakana and full-width punctuation are intended; keep them as they are.
constexpr LineTable kStart = {"レディ･ゴー！", "今からスタートな！", "じゃあ、計るよ！"};
constexpr LineTable kResume = {"引き続いて計るよ！", "続きを計るな！", "続けて計るよ！"};
constexpr LineTable kAlarm = {"時間だよ！", "おーい、時間だぜ！", "ねーねー、時間だよっ！"};

struct Remark
{
    const char *running;
    const char *stopped;
};
// Half-width katakana mixed with full-width text is intended; keep every character.
constexpr std::array<std::array<Remark, 3>, kCharacters> kRemarks = {{
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

std::string pick(const LineTable &table, int charano)
{
    if (charano < 0 || charano >= static_cast<int>(table.size()))
        return {};
    return table[static_cast<std::size_t>(charano)];
}

} // namespace

std::string startLine(int charano)
{
    return pick(kStart, charano);
}
std::string resumeLine(int charano)
{
    return pick(kResume, charano);
}
std::string alarmLine(int charano)
{
    return pick(kAlarm, charano);
}
std::string remarkLine(int charano, int k, bool running)
{
    if (charano < 0 || charano >= static_cast<int>(kRemarks.size()) || k < 1 || k > 3)
        return {};
    const Remark &remark = kRemarks[static_cast<std::size_t>(charano)][static_cast<std::size_t>(k - 1)];
    return running ? remark.running : remark.stopped;
}

} // namespace lumiroka
