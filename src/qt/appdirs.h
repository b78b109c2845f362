#pragma once

#include <QStringList>

#include <string>

namespace lumiroka {

// The directory of the running executable, UTF-8 (as the forms take paths).
std::string executableDir();

// Where the program's plugins are: beside the executable, then `<exe dir>/../lib/lumiroka`.
QStringList pluginDirs();

} // namespace lumiroka
