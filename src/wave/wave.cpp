#include "wave/wave.h"

#include <cstdint>

namespace lumiroka::wave {

namespace {

std::uint32_t le32(std::span<const unsigned char> b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

std::uint16_t le16(std::span<const unsigned char> b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

bool named(std::span<const unsigned char> b, std::size_t at, const char (&id)[5])
{
    for (std::size_t i = 0; i < 4; ++i)
        if (b[at + i] != static_cast<unsigned char>(id[i]))
            return false;
    return true;
}

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint32_t kMinRate = 8000;
constexpr std::uint32_t kMaxRate = 192000;

// The `fmt ` chunk's body: what the sound systems on both sides play without a converter
// of their own (libcanberra's reader takes 8- and 16-bit PCM only).
std::string formatProblem(std::span<const unsigned char> fmt)
{
    if (fmt.size() < 16)
        return "the format chunk is too short";
    const std::uint16_t tag = le16(fmt, 0);
    const std::uint16_t channels = le16(fmt, 2);
    const std::uint32_t rate = le32(fmt, 4);
    const std::uint32_t byteRate = le32(fmt, 8);
    const std::uint16_t blockAlign = le16(fmt, 12);
    const std::uint16_t bits = le16(fmt, 14);
    if (tag != kFormatPcm)
        return "the sound is compressed (format " + std::to_string(tag) + "); only PCM is played";
    if (bits != 8 && bits != 16)
        return std::to_string(bits) + "-bit samples are not played; only 8 and 16 bits";
    if (channels < 1 || channels > 2)
        return std::to_string(channels) + " channels are not played; only mono and stereo";
    if (rate < kMinRate || rate > kMaxRate)
        return "the sample rate " + std::to_string(rate) + " Hz is out of range";
    // Both are small here (rate <= 192000, blockAlign <= 4), so nothing overflows.
    if (blockAlign != channels * (bits / 8))
        return "the block size does not match the format";
    if (byteRate != rate * blockAlign)
        return "the byte rate does not match the format";
    return {};
}

} // namespace

std::string problem(std::span<const unsigned char> bytes)
{
    if (bytes.empty())
        return "the file is empty";
    if (bytes.size() < 12 || !named(bytes, 0, "RIFF") || !named(bytes, 8, "WAVE"))
        return "not a wave file";
    if (bytes.size() > kMaxFileBytes)
        return "the file is too large for a chime";
    // The RIFF size counts from byte 8. PlaySound reads as far as it claims, so it must not
    // claim more than is there; bytes after it are left alone.
    const std::size_t riffEnd = std::size_t{8} + le32(bytes, 4);
    if (riffEnd > bytes.size())
        return "the file is shorter than its header says";
    if (riffEnd < 12)
        return "the header's size is too small";

    bool haveFormat = false;
    std::size_t frameBytes = 0;
    std::size_t at = 12;
    while (riffEnd - at >= 8) {
        const std::size_t size = le32(bytes, at + 4);
        const std::size_t body = at + 8;
        // Compared as remaining bytes, so no sum can wrap on a 32-bit size_t.
        if (size > riffEnd - body) {
            if (named(bytes, at, "data"))
                return "the sound data is shorter than the header says";
            return "a chunk reaches past the end of the file";
        }
        const auto content = bytes.subspan(body, size);
        if (named(bytes, at, "fmt ")) {
            if (std::string why = formatProblem(content); !why.empty())
                return why;
            haveFormat = true;
            frameBytes = le16(content, 12);
        } else if (named(bytes, at, "data")) {
            if (!haveFormat)
                return "the sound data comes before its format";
            return size < frameBytes ? "the file holds no sound" : std::string{};
        }
        // Chunks are padded to an even length; a last odd chunk may leave its pad byte out.
        at = body + size;
        if (size % 2 != 0 && at < riffEnd)
            ++at;
    }
    return haveFormat ? "the file holds no sound" : "the file has no format chunk";
}

} // namespace lumiroka::wave
