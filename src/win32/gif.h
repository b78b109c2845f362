#pragma once

// The pose pictures' own format, read without the system's imaging libraries: on Windows
// those bring COM and a dozen libraries into a program that only ever reads 21 small,
// single-picture GIFs of its own. Standard C++ only, so it is tested on any machine.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumiroka::gif {

// A picture as it is stored: one colour index per pixel of the frame, which may cover
// only part of the picture (the rest is transparent). About a quarter of the memory of
// 32-bit pixels, for the eight poses kept at all times. Colours are 0xAARRGGBB with the
// colour premultiplied by its alpha (in memory: blue, green, red, alpha, as a 32-bit DIB
// holds them); a GIF colour is opaque or, the transparent one, all zero.
struct Image
{
    int width = 0;
    int height = 0;
    int frameLeft = 0;
    int frameTop = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    std::vector<std::uint8_t> indices;  // frame rows from the top
    std::vector<std::uint32_t> colours; // 256 entries

    bool empty() const { return indices.empty(); }
    std::uint32_t pixel(int x, int y) const
    {
        x -= frameLeft;
        y -= frameTop;
        if (x < 0 || y < 0 || x >= frameWidth || y >= frameHeight)
            return 0;
        return colours[indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(frameWidth) +
                               static_cast<std::size_t>(x)]];
    }
};

// Pictures larger than this on either side are refused: the poses are about 113 x 121, so
// anything far larger is a broken or hostile file.
constexpr int kMaxSide = 4096;

// The first picture of a GIF file, on its logical screen (parts outside the picture are
// transparent). On failure an empty image, and `error` says why.
Image decode(const std::uint8_t *data, std::size_t size, std::string &error);

// The picture resized to `width` x `height` pixels (rows from the top) with bilinear
// filtering, for screens of a higher density; premultiplied, the character's edges blend
// into the transparency without dark fringes.
std::vector<std::uint32_t> scaled(const Image &from, int width, int height);

} // namespace lumiroka::gif
