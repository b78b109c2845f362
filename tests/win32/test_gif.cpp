// The Windows program's GIF reader, against pictures written by a small encoder of the
// test's own: every colour depth, transparency, interlacing, local colour tables, pictures
// placed on a larger screen, and LZW streams that fill the code table with and without
// clear codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "win32/gif.h"

namespace {

using lumiroka::gif::decode;
using lumiroka::gif::Image;
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

Bytes lzw(const std::vector<std::uint8_t> &indices, int minCodeSize, bool clearWhenFull)
{
    const int clear = 1 << minCodeSize;
    BitWriter out;
    std::map<std::pair<int, int>, int> table;
    int size = minCodeSize + 1;
    int next = clear + 2;
    // The reader widens its codes one code later than the table grows here.
    auto emit = [&](int code, int tableSize) {
        while (size < 12 && tableSize - 1 >= (1 << size))
            ++size;
        out.put(code, size);
    };
    emit(clear, next);
    int run = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const int k = indices[i];
        if (auto found = table.find({run, k}); found != table.end()) {
            run = found->second;
            continue;
        }
        emit(run, next);
        if (next < 4096) {
            table[{run, k}] = next++;
        } else if (clearWhenFull) {
            emit(clear, next);
            table.clear();
            size = minCodeSize + 1;
            next = clear + 2;
        }
        run = k;
    }
    emit(run, next);
    emit(clear + 1, next + 1);
    out.flush();
    return out.bytes;
}

void word(Bytes &to, int value)
{
    to.push_back(static_cast<std::uint8_t>(value));
    to.push_back(static_cast<std::uint8_t>(value >> 8));
}

Bytes encode(const Picture &p)
{
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
    word(gif, p.screenWidth);
    word(gif, p.screenHeight);
    const std::uint8_t table = static_cast<std::uint8_t>(0x80 | (p.depth - 1));
    gif.insert(gif.end(), {p.local ? std::uint8_t{0} : table, 0, 0});
    auto colours = [&] {
        for (std::uint32_t c : p.palette)
            gif.insert(gif.end(), {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)});
    };
    if (!p.local)
        colours();
    gif.insert(gif.end(), {0x21, 0xfe, 3, 'h', 'i', '!', 0}); // a comment, to be skipped
    if (p.transparent >= 0)
        gif.insert(gif.end(), {0x21, 0xf9, 4, 1, 0, 0, std::uint8_t(p.transparent), 0});
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
    const int minCodeSize = std::max(2, p.depth);
    gif.push_back(static_cast<std::uint8_t>(minCodeSize));
    const Bytes data = lzw(stored, minCodeSize, p.clearWhenFull);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - at);
        gif.push_back(static_cast<std::uint8_t>(length));
        gif.insert(gif.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    gif.insert(gif.end(), {0, 0x3b});
    return gif;
}

// What the picture should look like: opaque palette colours, nothing where the transparent
// colour is or where the screen lies outside the picture.
std::vector<std::uint32_t> expected(const Picture &p)
{
    const int width = std::max(p.screenWidth, p.left + p.width);
    const int height = std::max(p.screenHeight, p.top + p.height);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (const int index = p.indices[static_cast<std::size_t>(y * p.width + x)]; index != p.transparent)
                pixels[static_cast<std::size_t>((p.top + y) * width + p.left + x)] =
                    0xff000000u | p.palette[static_cast<std::size_t>(index)];
    return pixels;
}

std::vector<std::uint32_t> pixelsOf(const Image &image)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            pixels.push_back(image.pixel(x, y));
    return pixels;
}

Picture randomPicture(std::mt19937 &random)
{
    auto upTo = [&](int n) { return std::uniform_int_distribution<int>(0, n)(random); };
    Picture p;
    p.depth = 1 + upTo(7);
    p.width = 1 + upTo(upTo(1) ? 8 : 70);
    p.height = 1 + upTo(upTo(1) ? 8 : 70);
    p.left = upTo(3) == 0 ? upTo(5) : 0;
    p.top = upTo(3) == 0 ? upTo(5) : 0;
    p.screenWidth = upTo(3) == 0 ? upTo(80) : p.left + p.width;
    p.screenHeight = upTo(3) == 0 ? upTo(80) : p.top + p.height;
    p.local = upTo(1);
    p.interlaced = upTo(1);
    p.clearWhenFull = upTo(1);
    const int colours = 1 << p.depth;
    p.transparent = upTo(1) ? upTo(colours - 1) : -1;
    for (int i = 0; i < colours; ++i)
        p.palette.push_back(static_cast<std::uint32_t>(random()) & 0xffffff);
    // Noise fills the code table; runs make long strings and codes that refer to themselves.
    const bool runs = upTo(1);
    for (int i = 0; i < p.width * p.height; ++i)
        p.indices.push_back(static_cast<std::uint8_t>(runs && i > 0 && upTo(7) ? p.indices.back() : upTo(colours - 1)));
    return p;
}

TEST(Gif, ThousandsOfPicturesReadBackAsWritten)
{
    std::mt19937 random(20261209);
    int filledTables = 0;
    for (int n = 0; n < 3000; ++n) {
        Picture p = randomPicture(random);
        if (n % 100 == 0) { // large noisy pictures that fill the 4096-code table several times
            p = {};
            p.depth = 8;
            p.width = p.screenWidth = 160;
            p.height = p.screenHeight = 120;
            p.clearWhenFull = n % 200 == 0;
            for (int i = 0; i < 256; ++i)
                p.palette.push_back(static_cast<std::uint32_t>(random()) & 0xffffff);
            for (int i = 0; i < p.width * p.height; ++i)
                p.indices.push_back(static_cast<std::uint8_t>(random()));
            ++filledTables;
        }
        const Bytes file = encode(p);
        std::string error;
        const Image image = decode(file.data(), file.size(), error);
        ASSERT_EQ(error, "") << "picture " << n;
        ASSERT_EQ(image.width, std::max(p.screenWidth, p.left + p.width)) << "picture " << n;
        ASSERT_EQ(image.height, std::max(p.screenHeight, p.top + p.height)) << "picture " << n;
        ASSERT_EQ(pixelsOf(image), expected(p)) << "picture " << n << " depth " << p.depth
                                                << (p.interlaced ? " interlaced" : "") << (p.local ? " local" : "");
    }
    EXPECT_EQ(filledTables, 30);
}

TEST(Gif, DamagedAndForeignFilesAreRefusedWithAReason)
{
    std::mt19937 random(7);
    const Bytes good = encode(randomPicture(random));
    ASSERT_GT(good.size(), 20u);
    std::string error;
    // Cut anywhere before its last block, the file is refused, never read beyond its end.
    for (std::size_t length = 0; length + 2 < good.size(); ++length) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_TRUE(decode(cut.data(), cut.size(), error).empty()) << "cut at " << length;
        EXPECT_NE(error, "") << "cut at " << length;
    }

    const std::string text = "not a picture at all";
    EXPECT_TRUE(decode(reinterpret_cast<const std::uint8_t *>(text.data()), text.size(), error).empty());
    EXPECT_EQ(error, "not a picture (no GIF signature)");

    Picture huge;
    huge.width = 5000;
    huge.height = 1;
    huge.palette = {0, 0xffffff};
    huge.indices.assign(5000, 1);
    const Bytes large = encode(huge);
    EXPECT_TRUE(decode(large.data(), large.size(), error).empty());
    EXPECT_EQ(error, "image too large (5000 x 1)");

    // A code the table cannot hold yet: the first code after the clear code reads 7 (3
    // bits of 0xff) where only 0..5 exist.
    Picture tiny;
    tiny.width = tiny.height = 2;
    tiny.palette = {0, 0xffffff};
    tiny.indices = {0, 1, 1, 0};
    Bytes corrupt = encode(tiny);
    const std::size_t descriptor = std::find(corrupt.begin(), corrupt.end(), 0x2c) - corrupt.begin();
    corrupt[descriptor + 12] = 0xff; // after 9 bytes of description, the code size and the block length
    EXPECT_TRUE(decode(corrupt.data(), corrupt.size(), error).empty());
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
}

TEST(Gif, ScalingKeepsColoursTransparencyAndPremultipliedEdges)
{
    const std::uint32_t red = 0xffff0000u;
    // Left half opaque red, right half transparent.
    Image half{2, 2, 0, 0, 2, 2, {0, 1, 0, 1}, std::vector<std::uint32_t>(256, 0)};
    half.colours[0] = red;
    const std::vector<std::uint32_t> big = lumiroka::gif::scaled(half, 6, 6);
    ASSERT_EQ(big.size(), 36u);
    EXPECT_EQ(big[0], red); // deep inside the red
    EXPECT_EQ(big[5], 0u);  // deep inside the transparency
    for (const std::uint32_t pixel : big) {
        const std::uint32_t alpha = pixel >> 24;
        EXPECT_LE((pixel >> 16) & 0xff, alpha) << std::hex << pixel; // never brighter than it is opaque
        EXPECT_EQ(pixel & 0xffff, 0u) << std::hex << pixel;          // no colour but red appears
    }
    EXPECT_GT(big[2] >> 24, 0u);   // the edge blends...
    EXPECT_LT(big[2] >> 24, 255u); // ...between the two
    EXPECT_TRUE(lumiroka::gif::scaled(half, 0, 5).empty());
}

} // namespace
