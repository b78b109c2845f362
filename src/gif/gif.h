#pragma once

// The pose pictures' own format, read by both front ends: on Windows the system's imaging
// libraries would bring COM and a dozen libraries into a program that only ever reads 21
// small, single-picture GIFs, and on Linux one reader keeps one rule for what a picture may
// cost. Standard C++ only, so it is tested and fuzzed on any machine.
//
// People put GIFs of their own making under the pose names, so the reader is lenient where
// the picture is there (a frame reaching past its screen, data without its terminator, stray
// zero bytes between blocks, no colour table, data cut short) and strict about size: a
// picture over the pixel budget is refused before anything of its size is allocated.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumiroka::gif {

// The pixel budget, for the logical screen and the frame alike. A pose is about 113 x 121
// at 96 dpi; a few times that on each side still fits, while a 35-byte file can no longer
// ask for a 4096 x 4096 canvas (64 MB, four times that when scaled to 200 %).
constexpr int kMaxSide = 1024;
// A pose is a few kilobytes; a file far beyond that is not one, and is not read.
constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;
// How much of a picture file a front end reads: one byte past the cap tells a file that is
// over it, without reading the rest.
constexpr std::size_t kFileReadBytes = kMaxFileBytes + 1;

// A picture as it is stored: one colour index per pixel of the frame, which may cover only
// part of the picture (the rest is transparent). About a quarter of the memory of 32-bit
// pixels, for the eight poses kept at all times. Colours are 0xAARRGGBB with the colour
// premultiplied by its alpha (in memory: blue, green, red, alpha, as a 32-bit DIB and
// QImage::Format_ARGB32_Premultiplied hold them); a GIF colour is opaque or, the
// transparent one, all zero.
struct Image
{
    int width = 0; // the logical screen
    int height = 0;
    int frameLeft = 0; // the frame, inside the screen
    int frameTop = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    std::vector<std::uint8_t> indices;  // frame rows from the top
    std::vector<std::uint32_t> colours; // 256 entries
    // Empty when the whole frame was decoded; otherwise one flag per frame pixel, 0 where
    // the data ended before it (shown transparent).
    std::vector<std::uint8_t> decoded;

    bool empty() const { return indices.empty(); }
    std::uint32_t pixel(int x, int y) const
    {
        x -= frameLeft;
        y -= frameTop;
        if (x < 0 || y < 0 || x >= frameWidth || y >= frameHeight)
            return 0;
        const std::size_t at =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(frameWidth) + static_cast<std::size_t>(x);
        if (!decoded.empty() && !decoded[at])
            return 0;
        return colours[indices[at]];
    }
};

// The first picture of a GIF file, on its logical screen (parts outside the frame are
// transparent). On failure an empty image, and `error` says why in a few words meant for
// the person who put the file there.
Image decode(const std::uint8_t *data, std::size_t size, std::string &error);

// A picture file as a front end read it: its first kFileReadBytes at most. A file over the
// size cap is refused; otherwise the same as decode().
Image decodeFile(const std::uint8_t *data, std::size_t size, std::string &error);
// Why a picture file could not be opened or read, from the system's own reason.
std::string unreadable(const std::string &systemReason);

// Part of the picture resized to `width` x `height` pixels for the whole screen: the
// rectangle around the frame, at (left, top) of that size, rows from the top. Everything
// outside it is transparent, so a small frame on a large screen costs only its own size.
struct Canvas
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Bilinear filtering, for screens of a higher density; premultiplied, the character's edges
// blend into the transparency without dark fringes.
Canvas scaled(const Image &from, int width, int height);

} // namespace lumiroka::gif
