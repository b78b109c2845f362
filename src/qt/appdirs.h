#pragma once

#include <string>

namespace lumiroka {

// The directory of the running executable, UTF-8 (as the forms take paths).
std::string executableDir();

} // namespace lumiroka
