#include "win32/sound.h"

#include <windows.h>

#include <mmsystem.h>

#include <span>

#include "wave/wave.h"
#include "win32/files.h"
#include "win32/systemlibrary.h"

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
    std::vector<char> bytes;
    if (m_path.empty() || !readFile(m_path, wave::kMaxFileBytes, bytes))
        return;
    // PlaySound trusts the sizes in a file in memory: a data chunk that claims more than
    // the buffer holds is read past its end on the sound thread, which faults there and
    // leaves the heap locked for this one. Only a file that plays whole is kept.
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    if (wave::problem(std::span(data, bytes.size())).empty())
        m_wave = std::move(bytes);
}

void Win32AlarmSound::play()
{
    prepare();
    if (m_wave.empty()) {
        // The system's default sound, from the person's sound scheme, as the system plays
        // it for a sound it cannot find. MessageBeep would do the same on Windows, but
        // Wine turns it into the X bell, which the sound server never hears.
        if (!playSound(L"SystemDefault", SND_ALIAS | SND_ASYNC))
            MessageBeep(MB_OK);
        return;
    }
    // Asynchronous: returns at once, and a new call cuts off a sound still playing.
    playSound(reinterpret_cast<LPCWSTR>(m_wave.data()), SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

} // namespace lumiroka::win32
