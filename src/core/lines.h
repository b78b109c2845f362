#pragma once

#include <string>

namespace lumiroka {

// What the character says when the timer starts, resumes or runs out. Each returns
// the empty text for a character number without lines.
std::string startLine(int charano);
std::string resumeLine(int charano);
std::string alarmLine(int charano);

} // namespace lumiroka
