#include "chara/poses.h"

namespace lumiroka {

std::string charaStem(int charano)
{
    switch (charano) {
    case 0:
        return "piro";
    case 1:
        return "zu";
    case 2:
        return "tavrick";
    default:
        return {};
    }
}

std::array<std::string, slot::Count> poseFiles(int charano)
{
    std::array<std::string, slot::Count> files;
    const std::string stem = charaStem(charano);
    if (stem.empty())
        return files;
    // Slot 0 and slot 1 both start from the stopped rest pose, each loaded on its own.
    static constexpr std::array<const char *, slot::Count> poses = {"0", "0", "0a", "0b", "1", "1a", "1b", "2"};
    for (std::size_t i = 0; i < files.size(); ++i)
        files[i] = stem + poses[i] + ".gif";
    return files;
}

} // namespace lumiroka
