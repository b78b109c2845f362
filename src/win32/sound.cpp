#include "win32/sound.h"

#include <windows.h>

#include <mmsystem.h>

#include "win32/files.h"
#include "win32/systemlibrary.h"
#include "win32/text.h"

namespace lumiroka::win32 {

namespace {
BOOL playSound(LPCWSTR sound, DWORD flags)
{
    static const auto function = systemFunction<decltype(&PlaySoundW)>(L"winmm.dll", "PlaySoundW");
    return function && function(sound, nullptr, flags);
}
} // namespace

Win32AlarmSound::~Win32AlarmSound()
{
    // The sound may still be playing from the buffer that goes now.
    if (!m_wave.empty())
        playSound(nullptr, 0);
}

void Win32AlarmSound::prepare()
{
    if (m_read)
        return;
    m_read = true;
    if (m_path.empty())
        return;
    // A chime is a few hundred kilobytes at most; a huge file is not one.
    constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;
    readFile(m_path, kMaxBytes, m_wave);
}

void Win32AlarmSound::play()
{
    prepare();
    if (m_wave.empty()) {
        MessageBeep(MB_OK);
        return;
    }
    // Asynchronous: returns at once, and a new call cuts off a sound still playing.
    playSound(reinterpret_cast<LPCWSTR>(m_wave.data()), SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

} // namespace lumiroka::win32
