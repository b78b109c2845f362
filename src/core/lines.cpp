#include "core/lines.h"

#include <array>

namespace lumiroka {
namespace {

using LineTable = std::array<const char *, 3>;

// Half-width katakana and full-width punctuation are intended; keep them as they are.
constexpr LineTable kStart = {"レディ･ゴー！", "今からスタートな！", "じゃあ、計るよ！"};
constexpr LineTable kResume = {"引き続いて計るよ！", "続きを計るな！", "続けて計るよ！"};
constexpr LineTable kAlarm = {"時間だよ！", "おーい、時間だぜ！", "ねーねー、時間だよっ！"};

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

} // namespace lumiroka
