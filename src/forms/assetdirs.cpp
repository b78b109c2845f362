#include "forms/assetdirs.h"

#include <filesystem>

namespace lumiroka {

// Only the separator's constant comes from <filesystem> here; the file system calls are
// in assetfiles.cpp, linked only by programs that use them.
std::string AssetDirs::join(const std::string &dir, const std::string &relative)
{
    constexpr char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    std::string path = dir;
    if (!path.empty() && path.back() != separator && path.back() != '/')
        path += separator;
    path += relative;
    for (char &c : path)
        if (c == '/')
            c = separator;
    return path;
}

std::string AssetDirs::find(const std::string &relative) const
{
    for (const std::string &dir : m_dirs) {
        std::string candidate = join(dir, relative);
        if (m_exists && m_exists(candidate))
            return candidate;
    }
    return {};
}

std::string AssetDirs::expected(const std::string &relative) const
{
    return join(m_dirs.empty() ? std::string() : m_dirs.front(), relative);
}

} // namespace lumiroka
