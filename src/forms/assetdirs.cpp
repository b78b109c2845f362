#include "forms/assetdirs.h"

#include <filesystem>

namespace lumiroka {

// Only the separator's constant comes from <filesystem> here; the file system calls are
// in assetfiles.cpp, linked only by programs that use them.
std::string AssetDirs::find(const std::string &relative) const
{
    constexpr char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    std::string tail = relative;
    for (char &c : tail)
        if (c == '/')
            c = separator;
    for (const std::string &dir : m_dirs) {
        std::string candidate = dir;
        if (!candidate.empty() && candidate.back() != separator && candidate.back() != '/')
            candidate += separator;
        candidate += tail;
        if (m_exists && m_exists(candidate))
            return candidate;
    }
    return {};
}

} // namespace lumiroka
