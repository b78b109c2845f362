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

bool AssetDirs::isRegularFile(const std::string &path)
{
    std::error_code error;
    return fs::is_regular_file(toPath(path), error);
}

AssetDirs AssetDirs::besideExecutable(const std::string &exeDir)
{
    const fs::path dir = toPath(exeDir);
    return AssetDirs({exeDir, toUtf8((dir / ".." / "share" / "lumiroka").lexically_normal())});
}

} // namespace lumiroka
