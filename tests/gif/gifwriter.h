#pragma once

// A small GIF encoder of the tests' own, for pictures the reader must show as written and
// for the damaged and oversized files a person might put in the gif folder.

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace lumiroka::gif::testing {

using Bytes = std::vector<std::uint8_t>;

struct Picture
{
    int screenWidth = 0, screenHeight = 0;
    int left = 0, top = 0, width = 0, height = 0;
    int depth = 1; // colour table of 2^depth entries
    bool local = false;
    bool interlaced = false;
    bool clearWhenFull = true;
    int transparent = -1;
    std::vector<std::uint32_t> palette; // 0xRRGGBB
    std::vector<std::uint8_t> indices;  // row by row, top to bottom

    // How the file is written.
    bool gif87a = false;     // the older signature, no extensions
    int minCodeSize = 0;     // 0: max(2, depth)
    bool noPalette = false;  // no colour table at all
    bool endMarker = true;   // the data's terminator and the trailer
    bool strayZeros = false; // zero bytes between the blocks before the picture
};

class BitWriter
{
public:
    void put(int code, int size)
    {
        m_bits |= static_cast<std::uint32_t>(code) << m_count;
        for (m_count += size; m_count >= 8; m_count -= 8, m_bits >>= 8)
            bytes.push_back(static_cast<std::uint8_t>(m_bits));
    }
    void flush()
    {
        if (m_count > 0)
            bytes.push_back(static_cast<std::uint8_t>(m_bits));
    }
    Bytes bytes;

private:
    std::uint32_t m_bits = 0;
    int m_count = 0;
};

inline Bytes lzw(const std::vector<std::uint8_t> &indices, int minCodeSize, bool clearWhenFull)
{
    const int clear = 1 << minCodeSize;
    BitWriter out;
    std::map<std::pair<int, int>, int> table;
    int size = minCodeSize + 1;
    int next = clear + 2;
    // The reader widens its codes one code later than the table grows here.
    auto emitCode = [&](int code, int tableSize) {
        while (size < 12 && tableSize - 1 >= (1 << size))
            ++size;
        out.put(code, size);
    };
    emitCode(clear, next);
    int run = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const int k = indices[i];
        if (auto found = table.find({run, k}); found != table.end()) {
            run = found->second;
            continue;
        }
        emitCode(run, next);
        if (next < 4096) {
            table[{run, k}] = next++;
        } else if (clearWhenFull) {
            emitCode(clear, next);
            table.clear();
            size = minCodeSize + 1;
            next = clear + 2;
        }
        run = k;
    }
    emitCode(run, next);
    emitCode(clear + 1, next + 1);
    out.flush();
    return out.bytes;
}

inline void word(Bytes &to, int value)
{
    to.push_back(static_cast<std::uint8_t>(value));
    to.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline Bytes encode(const Picture &p)
{
    Bytes gif = {'G', 'I', 'F', '8', p.gif87a ? std::uint8_t{'7'} : std::uint8_t{'9'}, 'a'};
    word(gif, p.screenWidth);
    word(gif, p.screenHeight);
    const std::uint8_t table = p.noPalette ? 0 : static_cast<std::uint8_t>(0x80 | (p.depth - 1));
    gif.insert(gif.end(), {p.local ? std::uint8_t{0} : table, 0, 0});
    auto colours = [&] {
        if (!p.noPalette)
            for (std::uint32_t c : p.palette)
                gif.insert(gif.end(), {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)});
    };
    if (!p.local)
        colours();
    if (!p.gif87a) {
        gif.insert(gif.end(), {0x21, 0xfe, 3, 'h', 'i', '!', 0}); // a comment, to be skipped
        if (p.strayZeros)
            gif.insert(gif.end(), {0, 0});
        if (p.transparent >= 0)
            gif.insert(gif.end(), {0x21, 0xf9, 4, 1, 0, 0, std::uint8_t(p.transparent), 0});
    }
    if (p.strayZeros)
        gif.push_back(0);
    gif.push_back(0x2c);
    word(gif, p.left);
    word(gif, p.top);
    word(gif, p.width);
    word(gif, p.height);
    gif.push_back(static_cast<std::uint8_t>((p.local ? table : 0) | (p.interlaced ? 0x40 : 0)));
    if (p.local)
        colours();
    // Interlaced pictures store their rows in four passes.
    std::vector<std::uint8_t> stored;
    for (const auto &[start, step] : p.interlaced ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}}
                                                  : std::vector<std::pair<int, int>>{{0, 1}})
        for (int y = start; y < p.height; y += step)
            stored.insert(stored.end(), p.indices.begin() + y * p.width, p.indices.begin() + (y + 1) * p.width);
    const int minCodeSize = p.minCodeSize ? p.minCodeSize : std::max(2, p.depth);
    gif.push_back(static_cast<std::uint8_t>(minCodeSize));
    const Bytes data = lzw(stored, minCodeSize, p.clearWhenFull);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - at);
        gif.push_back(static_cast<std::uint8_t>(length));
        gif.insert(gif.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    if (p.endMarker)
        gif.insert(gif.end(), {0, 0x3b});
    return gif;
}

// What the picture should look like on its screen (a screen of no size is the frame's,
// a frame reaching past the screen is cut at its edge): opaque palette colours, nothing
// where the transparent colour is or outside the frame. Without a colour table, greys
// from black to white.
inline std::vector<std::uint32_t> expected(const Picture &p)
{
    const int width = p.screenWidth ? p.screenWidth : p.left + p.width;
    const int height = p.screenHeight ? p.screenHeight : p.top + p.height;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), 0);
    const int levels = (1 << (p.minCodeSize ? p.minCodeSize : std::max(2, p.depth))) - 1;
    const int transparent = p.gif87a ? -1 : p.transparent; // no extensions in GIF87a
    for (int y = 0; y < p.height && p.top + y < height; ++y)
        for (int x = 0; x < p.width && p.left + x < width; ++x)
            if (const int index = p.indices[static_cast<std::size_t>(y * p.width + x)]; index != transparent) {
                const std::uint32_t grey = static_cast<std::uint32_t>(index * 255 / levels) * 0x010101u;
                pixels[static_cast<std::size_t>((p.top + y) * width + p.left + x)] =
                    0xff000000u | (p.noPalette ? grey : p.palette[static_cast<std::size_t>(index)]);
            }
    return pixels;
}

// A picture of random size, depth, placement and content; noise fills the code table, runs
// make long strings and codes that refer to themselves.
inline Picture randomPicture(std::mt19937 &random)
{
    auto upTo = [&](int n) { return std::uniform_int_distribution<int>(0, n)(random); };
    Picture p;
    p.depth = 1 + upTo(7);
    p.width = 1 + upTo(upTo(1) ? 8 : 70);
    p.height = 1 + upTo(upTo(1) ? 8 : 70);
    p.left = upTo(3) == 0 ? upTo(5) : 0;
    p.top = upTo(3) == 0 ? upTo(5) : 0;
    // Sometimes a screen larger than the frame, sometimes one the frame reaches past.
    p.screenWidth = upTo(3) == 0 ? p.left + 1 + upTo(80) : p.left + p.width;
    p.screenHeight = upTo(3) == 0 ? p.top + 1 + upTo(80) : p.top + p.height;
    p.local = upTo(1);
    p.interlaced = upTo(1);
    p.clearWhenFull = upTo(1);
    const int colours = 1 << p.depth;
    p.transparent = upTo(1) ? upTo(colours - 1) : -1;
    for (int i = 0; i < colours; ++i)
        p.palette.push_back(static_cast<std::uint32_t>(random()) & 0xffffff);
    const bool runs = upTo(1);
    for (int i = 0; i < p.width * p.height; ++i)
        p.indices.push_back(static_cast<std::uint8_t>(runs && i > 0 && upTo(7) ? p.indices.back() : upTo(colours - 1)));
    return p;
}

// A blue 6 x 4 frame at (10, 20) on a 40 x 30 screen: where a front end draws a frame.
inline Picture smallFrameOnLargerScreen()
{
    Picture p;
    p.screenWidth = 40;
    p.screenHeight = 30;
    p.left = 10;
    p.top = 20;
    p.width = 6;
    p.height = 4;
    p.palette = {0xff0000, 0x0000ff};
    p.indices.assign(24, 1);
    return p;
}

} // namespace lumiroka::gif::testing
