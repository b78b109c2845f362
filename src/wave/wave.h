#pragma once

// The chime's own format, checked before a sound system is handed the file. Windows'
// PlaySound(SND_MEMORY) trusts the sizes in the file's header: a data chunk that claims more
// bytes than the buffer holds is read past its end on the sound thread. The Linux sound path
// decodes the file itself, and refuses less than it plays. So both front ends ask here first,
// and a file that would not play whole gets the desktop's default sound instead.
// Standard C++ only, so it is tested on any machine.

#include <cstddef>
#include <span>
#include <string>

namespace lumiroka::wave {

// A chime is a few hundred kilobytes: two seconds of 48 kHz 16-bit stereo are 384 KB, and
// every play is cut off by the next a second later. 8 MiB still holds 45 s of CD-quality
// stereo, so no real chime is refused, while the bytes read and kept for the whole run stay
// bounded whatever file is put there.
inline constexpr std::size_t kMaxFileBytes = 8 * 1024 * 1024;

// Empty when `bytes` are a RIFF/WAVE file that both platforms play: PCM with 8 or 16 bits
// per sample, one or two channels, a sample rate between 8 and 192 kHz, a `fmt ` chunk before
// a non-empty `data` chunk, and every size in the file within the bytes present. Otherwise a
// short reason in English, meant for the person who put the file there.
std::string problem(std::span<const unsigned char> bytes);

} // namespace lumiroka::wave
