#include "forms/assetdirs.h"

#include <filesystem>
#include <system_error>

namespace lumiroka {

namespace {

namespace fs = std::filesystem;

// UTF-8 text to a path and back; on Windows the path is wide, so no character is lost to
// the ANSI code page.
fs::path toPath(const std::string &utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string toUtf8(const fs::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

AssetDirs AssetDirs::besideExecutable(const std::string &exeDir)
{
    const fs::path dir = toPath(exeDir);
    return AssetDirs({exeDir, toUtf8((dir / ".." / "share" / "lumiroka").lexically_normal())});
}

std::string AssetDirs::find(const std::string &relative) const
{
    const fs::path tail = toPath(relative).make_preferred();
    for (const std::string &dir : m_dirs) {
        const fs::path candidate = toPath(dir) / tail;
        std::error_code error;
        if (fs::is_regular_file(candidate, error))
            return toUtf8(candidate);
    }
    return {};
}

} // namespace lumiroka
