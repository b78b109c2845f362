#pragma once

#include <string>

namespace lumiroka {

// The characters that have lines (and pictures): 0..kCharacters-1.
inline constexpr int kCharacters = 3;

// Everything the character says. Each returns the empty text for a character number
// without lines.

// When the timer starts, resumes or runs out.
std::string startLine(int charano);
std::string resumeLine(int charano);
std::string alarmLine(int charano);

// The idle remark number `k` (1..3) of the character, as said while the count runs or
// while it stands.
std::string remarkLine(int charano, int k, bool running);

} // namespace lumiroka
