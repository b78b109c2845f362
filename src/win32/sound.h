#pragma once

#include <string>
#include <vector>

#include "forms/frontend.h"

namespace lumiroka::win32 {

// The chime played from memory (PlaySoundW with SND_MEMORY): read once with the wide file
// functions, so a folder name outside the ANSI code page cannot make it fail silently, and
// checked before it is ever played. Each play starts it afresh. Without a file that plays
// (missing, empty, damaged, not a wave file) the system's default sound rings instead.
class Win32AlarmSound : public AlarmSound
{
public:
    explicit Win32AlarmSound(std::string path) : m_path(std::move(path)) {}
    ~Win32AlarmSound() override;

    void prepare() override;
    void play() override;

private:
    std::string m_path;
    std::vector<char> m_wave; // a checked wave file, or empty for the default sound
    bool m_read = false;
};

} // namespace lumiroka::win32
