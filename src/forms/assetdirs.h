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
    // Whether a regular file exists at a path (UTF-8, the system's separators).
    using FileTest = bool (*)(const std::string &path);
    // The standard library's test (std::filesystem).
    static bool isRegularFile(const std::string &path);

    AssetDirs() = default;
    // Searches the given directories in order (tests point this at their own trees).
    explicit AssetDirs(std::vector<std::string> dirs) : AssetDirs(std::move(dirs), &isRegularFile) {}
    // The same with a test of the front end's own: a program that has its system's file
    // calls at hand need not carry std::filesystem and the locale machinery it brings.
    AssetDirs(std::vector<std::string> dirs, FileTest exists) : m_dirs(std::move(dirs)), m_exists(exists) {}
    static AssetDirs besideExecutable(const std::string &exeDir);

    const std::vector<std::string> &dirs() const { return m_dirs; }

    // The first existing regular file `relative` ("gif/piro0.gif") in the search
    // directories, with the system's separators, or the empty text.
    std::string find(const std::string &relative) const;
    // Where `relative` would lie in the first search directory, with the system's
    // separators: the place to name for a file found nowhere.
    std::string expected(const std::string &relative) const;

private:
    static std::string join(const std::string &dir, const std::string &relative);

    std::vector<std::string> m_dirs;
    FileTest m_exists = nullptr;
};

} // namespace lumiroka
