#pragma once

#include <string>
#include <vector>

namespace lumiroka {

// Where the program's data files (the pictures, the chime) are found: beside the
// executable first, which is how a build tree and a portable folder work, then in the
// installed data directory `<exe dir>/../share/lumiroka`. Paths are UTF-8.
class AssetDirs
{
public:
    AssetDirs() = default;
    // Searches the given directories in order (tests point this at their own trees).
    explicit AssetDirs(std::vector<std::string> dirs) : m_dirs(std::move(dirs)) {}
    static AssetDirs besideExecutable(const std::string &exeDir);

    const std::vector<std::string> &dirs() const { return m_dirs; }

    // The first existing regular file `relative` ("gif/piro0.gif") in the search
    // directories, with the system's separators, or the empty text.
    std::string find(const std::string &relative) const;

private:
    std::vector<std::string> m_dirs;
};

} // namespace lumiroka
