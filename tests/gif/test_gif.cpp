// The GIF reader, against pictures written by the tests' own encoder: every colour depth,
// transparency, interlacing, local colour tables, frames placed on a larger screen or
// reaching past it, LZW streams that fill the code table with and without clear codes; the
// damaged files it still shows, the ones it refuses, and the pixel budget.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "gif/gif.h"
#include "gifwriter.h"

namespace {

using lumiroka::gif::Canvas;
using lumiroka::gif::decode;
using lumiroka::gif::Image;
using lumiroka::gif::kMaxSide;
using namespace lumiroka::gif::testing;

std::vector<std::uint32_t> pixelsOf(const Image &image)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            pixels.push_back(image.pixel(x, y));
    return pixels;
}

Image decoded(const Bytes &file, std::string &error)
{
    return decode(file.data(), file.size(), error);
}

Picture twoColours(int width, int height)
{
    Picture p;
    p.width = p.screenWidth = width;
    p.height = p.screenHeight = height;
    p.palette = {0x102030, 0xf0e0d0};
    for (int i = 0; i < width * height; ++i)
        p.indices.push_back(static_cast<std::uint8_t>((i / 3 + i / width) % 2));
    return p;
}

TEST(Gif, ThousandsOfPicturesReadBackAsWritten)
{
    std::mt19937 random(20261209);
    int filledTables = 0, pastTheScreen = 0;
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
        pastTheScreen += p.left + p.width > p.screenWidth || p.top + p.height > p.screenHeight;
        std::string error;
        const Image image = decoded(encode(p), error);
        ASSERT_EQ(error, "") << "picture " << n;
        ASSERT_EQ(image.width, p.screenWidth) << "picture " << n;
        ASSERT_EQ(image.height, p.screenHeight) << "picture " << n;
        ASSERT_EQ(pixelsOf(image), expected(p)) << "picture " << n << " depth " << p.depth
                                                << (p.interlaced ? " interlaced" : "") << (p.local ? " local" : "");
    }
    EXPECT_EQ(filledTables, 30);
    EXPECT_GT(pastTheScreen, 300);
}

// What a person's own GIF may lack or carry too much of, while its picture is all there.
TEST(Gif, DamagedButReadablePicturesShowAsWritten)
{
    std::mt19937 random(22);
    struct Case
    {
        const char *name;
        void (*damage)(Picture &);
    } cases[] = {
        {"GIF87a", [](Picture &p) { p.gif87a = true; }},
        {"no end marker", [](Picture &p) { p.endMarker = false; }},
        {"stray zero bytes between blocks", [](Picture &p) { p.strayZeros = true; }},
        {"no colour table", [](Picture &p) { p.noPalette = true; }},
        {"frame past the screen", [](Picture &p) { p.screenWidth = p.left + p.width / 2 + 1; }},
        {"screen of no size", [](Picture &p) { p.screenWidth = p.screenHeight = 0; }},
        {"code size 1",
         [](Picture &p) {
             p.depth = 1;
             p.minCodeSize = 1;
             p.palette.resize(2);
             for (auto &index : p.indices)
                 index &= 1;
             if (p.transparent > 1)
                 p.transparent = -1;
         }},
    };
    for (const Case &c : cases)
        for (int n = 0; n < 50; ++n) {
            Picture p = randomPicture(random);
            c.damage(p);
            std::string error;
            const Image image = decoded(encode(p), error);
            ASSERT_EQ(error, "") << c.name << ", picture " << n;
            ASSERT_EQ(pixelsOf(image), expected(p)) << c.name << ", picture " << n;
            // What is kept of the frame (and drawn) ends at the screen's edge.
            ASSERT_LE(image.frameLeft + image.frameWidth, image.width) << c.name << ", picture " << n;
            ASSERT_LE(image.frameTop + image.frameHeight, image.height) << c.name << ", picture " << n;
        }
}

TEST(Gif, AnIndexPastTheColourTableIsTransparent)
{
    Picture p = twoColours(4, 1);
    // A table of two colours; the data's code size, 2, allows indices up to 3.
    p.indices = {0, 1, 2, 3};
    std::string error;
    const Image image = decoded(encode(p), error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(pixelsOf(image), (std::vector<std::uint32_t>{0xff102030u, 0xfff0e0d0u, 0, 0}));
}

TEST(Gif, DataCutShortShowsWhatWasDecodedAndTheRestTransparent)
{
    Picture p = twoColours(40, 30);
    for (const bool interlaced : {false, true}) {
        p.interlaced = interlaced;
        const Bytes whole = encode(p);
        const std::vector<std::uint32_t> full = expected(p);
        std::size_t shownBefore = 0;
        // The data (after 13 + 6 + 7 + 10 + 1 bytes of header, table, comment, descriptor
        // and code size) cut ever later: more and more of the picture, and nothing else.
        for (std::size_t length = 39; length + 4 < whole.size(); length += 3) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            std::string error;
            const Image image = decoded(cut, error);
            ASSERT_EQ(error, "") << "cut at " << length;
            const std::vector<std::uint32_t> pixels = pixelsOf(image);
            std::size_t shown = 0;
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                ASSERT_TRUE(pixels[i] == 0 || pixels[i] == full[i]) << "cut at " << length << ", pixel " << i;
                shown += pixels[i] != 0;
            }
            EXPECT_GE(shown, shownBefore) << "cut at " << length;
            EXPECT_LT(shown, full.size()) << "cut at " << length;
            shownBefore = shown;
        }
        EXPECT_GT(shownBefore, full.size() / 2);
        if (interlaced) { // the first pass alone already spans the picture: row 8 is shown, row 1 not yet
            const Bytes cut(whole.begin(), whole.begin() + 60);
            std::string error;
            const Image image = decoded(cut, error);
            EXPECT_NE(image.pixel(0, 8), 0u);
            EXPECT_EQ(image.pixel(0, 1), 0u);
        }
    }
}

TEST(Gif, FilesWithoutAPictureAreRefusedWithAReason)
{
    const Bytes good = encode(twoColours(9, 7));
    std::string error;
    // Cut anywhere before the picture's first data, the file is refused, never read beyond its end.
    const std::size_t descriptor = std::find(good.begin() + 13, good.end(), 0x2c) - good.begin();
    for (std::size_t length = 0; length <= descriptor + 11; ++length) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_TRUE(decoded(cut, error).empty()) << "cut at " << length;
        EXPECT_NE(error, "") << "cut at " << length;
    }

    // The signature alone: read to its last byte, then the header is missing.
    const std::string signature = "GIF89a";
    EXPECT_TRUE(decode(reinterpret_cast<const std::uint8_t *>(signature.data()), signature.size(), error).empty());
    EXPECT_EQ(error, "damaged: the file ends inside its header");

    const std::string text = "not a picture at all";
    EXPECT_TRUE(decode(reinterpret_cast<const std::uint8_t *>(text.data()), text.size(), error).empty());
    EXPECT_EQ(error, "not a picture (no GIF signature)");

    Picture tiny = twoColours(2, 2);
    struct Case
    {
        const char *name;
        std::size_t at; // from the image descriptor
        std::uint8_t value;
        const char *error;
    } cases[] = {
        // The first code after the clear code reads 7 (3 bits of 0xff) where only 0..5 exist.
        {"a code the table cannot hold", 12, 0xff, "damaged: the picture's data is missing or corrupt"},
        {"code size 0", 10, 0, "damaged: its code size 0 is not 1 to 8"},
        {"code size 9", 10, 9, "damaged: its code size 9 is not 1 to 8"},
        {"no width", 5, 0, "damaged: the picture is empty (0 pixels on a side)"},
        {"left of the frame past the screen", 1, 2, "damaged: the picture lies outside its screen"},
        {"top of the frame past the screen", 3, 2, "damaged: the picture lies outside its screen"},
        {"an unknown block", 0, 0x2d, "damaged: an unknown block before the picture"},
        {"the trailer first", 0, 0x3b, "damaged: the file holds no picture"},
    };
    for (const Case &c : cases) {
        Bytes file = encode(tiny);
        const std::size_t at = std::find(file.begin() + 13, file.end(), 0x2c) - file.begin();
        file[at + c.at] = c.value;
        EXPECT_TRUE(decoded(file, error).empty()) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

// A 35-byte file may describe a screen of 4096 x 4096 pixels around a single one: refused
// from its header, before the reader allocates anything of that size.
TEST(Gif, PicturesOverThePixelBudgetAreRefused)
{
    struct Case
    {
        int screenWidth, screenHeight, width, height;
        const char *error;
    } cases[] = {
        {4096, 4096, 1, 1, "too large (its screen is 4096 x 4096 pixels; at most 1024 on a side)"},
        {5792, 5792, 1, 1, "too large (its screen is 5792 x 5792 pixels; at most 1024 on a side)"},
        {kMaxSide + 1, 1, 1, 1, "too large (its screen is 1025 x 1 pixels; at most 1024 on a side)"},
        {1, kMaxSide + 1, 1, 1, "too large (its screen is 1 x 1025 pixels; at most 1024 on a side)"},
        {10, 10, kMaxSide + 1, 1, "too large (its frame is 1025 x 1 pixels; at most 1024 on a side)"},
        {0, 0, 1, kMaxSide + 1, "too large (its frame is 1 x 1025 pixels; at most 1024 on a side)"},
    };
    for (const Case &c : cases) {
        Picture p;
        p.gif87a = true;
        p.screenWidth = c.screenWidth;
        p.screenHeight = c.screenHeight;
        p.width = c.width;
        p.height = c.height;
        p.palette = {0, 0xffffff};
        p.indices.assign(static_cast<std::size_t>(c.width * c.height), 1);
        const Bytes file = encode(p);
        std::string error;
        EXPECT_TRUE(decoded(file, error).empty()) << c.error;
        EXPECT_EQ(error, c.error);
        if (c.width == 1 && c.height == 1) {
            EXPECT_LE(file.size(), 35u);
        }
    }
    // A screen of no size takes the frame's place on it, within the same budget.
    Picture placed = twoColours(kMaxSide, 1);
    placed.screenWidth = placed.screenHeight = 0;
    placed.left = 1;
    std::string error;
    EXPECT_TRUE(decoded(encode(placed), error).empty());
    EXPECT_EQ(error, "too large (its screen is 1025 x 1 pixels; at most 1024 on a side)");
    // At the budget, a picture is shown, on either side.
    placed.left = 0;
    EXPECT_EQ(decoded(encode(placed), error).width, kMaxSide) << error;
    Picture tall = twoColours(1, kMaxSide);
    tall.screenWidth = tall.screenHeight = 0;
    EXPECT_EQ(decoded(encode(tall), error).height, kMaxSide) << error;
    tall.top = 1;
    EXPECT_TRUE(decoded(encode(tall), error).empty());
    EXPECT_EQ(error, "too large (its screen is 1 x 1025 pixels; at most 1024 on a side)");
}

TEST(Gif, FilesOverTheSizeCapAreRefusedUnreadAndTheSystemsReasonIsPassedOn)
{
    // A valid picture padded with trailing bytes to the cap shows; one byte more is refused
    // without being decoded.
    Bytes file = encode(twoColours(3, 2));
    file.resize(lumiroka::gif::kMaxFileBytes, 0);
    std::string error;
    EXPECT_EQ(lumiroka::gif::decodeFile(file.data(), file.size(), error).width, 3) << error;
    EXPECT_EQ(error, "");
    file.push_back(0);
    EXPECT_EQ(file.size(), lumiroka::gif::kFileReadBytes);
    EXPECT_TRUE(lumiroka::gif::decodeFile(file.data(), file.size(), error).empty());
    EXPECT_EQ(error, "larger than a picture can be");
    EXPECT_EQ(lumiroka::gif::unreadable("Access is denied."), "cannot be read (Access is denied.)");
}

TEST(Gif, ScalingKeepsColoursTransparencyAndPremultipliedEdges)
{
    const std::uint32_t red = 0xffff0000u;
    // Left half opaque red, right half transparent.
    Image half{2, 2, 0, 0, 2, 2, {0, 1, 0, 1}, std::vector<std::uint32_t>(256, 0), {}};
    half.colours[0] = red;
    const Canvas big = lumiroka::gif::scaled(half, 6, 6);
    ASSERT_EQ(big.pixels.size(), 36u);
    EXPECT_EQ(big.pixels[0], red); // deep inside the red
    EXPECT_EQ(big.pixels[5], 0u);  // deep inside the transparency
    for (const std::uint32_t pixel : big.pixels) {
        const std::uint32_t alpha = pixel >> 24;
        EXPECT_LE((pixel >> 16) & 0xff, alpha) << std::hex << pixel; // never brighter than it is opaque
        EXPECT_EQ(pixel & 0xffff, 0u) << std::hex << pixel;          // no colour but red appears
    }
    EXPECT_GT(big.pixels[2] >> 24, 0u);   // the edge blends...
    EXPECT_LT(big.pixels[2] >> 24, 255u); // ...between the two
    EXPECT_TRUE(lumiroka::gif::scaled(half, 0, 5).pixels.empty());

    // Each target pixel weighs its four nearest source pixels by nearness: doubled, the
    // pixels a quarter of the way from a corner take 9/16 of it, 3/16 of each neighbour and
    // 1/16 of the far corner (rounded to the nearest level).
    Image corners{2, 2, 0, 0, 2, 2, {0, 1, 2, 3}, std::vector<std::uint32_t>(256, 0), {}};
    corners.colours[0] = 0xff808080u; // grey
    corners.colours[1] = 0xffff0000u; // red
    corners.colours[2] = 0xff00ff00u; // green
    corners.colours[3] = 0xff0000ffu; // blue
    const Canvas doubled = lumiroka::gif::scaled(corners, 4, 4);
    ASSERT_EQ(doubled.pixels.size(), 16u);
    EXPECT_EQ(doubled.pixels[1 * 4 + 1], 0xff787858u) << std::hex << doubled.pixels[5];
    EXPECT_EQ(doubled.pixels[1 * 4 + 2], 0xffa72848u) << std::hex << doubled.pixels[6];
    EXPECT_EQ(doubled.pixels[2 * 4 + 1], 0xff28a748u) << std::hex << doubled.pixels[9];
    EXPECT_EQ(doubled.pixels[2 * 4 + 2], 0xff383897u) << std::hex << doubled.pixels[10];
    EXPECT_EQ(doubled.pixels[0], 0xff808080u); // the corners themselves, clamped at the edge
    EXPECT_EQ(doubled.pixels[15], 0xff0000ffu);
    // The smallest target is one pixel; nothing, or an empty picture, gives nothing.
    EXPECT_EQ(lumiroka::gif::scaled(corners, 1, 1).pixels.size(), 1u);
    EXPECT_TRUE(lumiroka::gif::scaled(corners, 4, 0).pixels.empty());
    EXPECT_TRUE(lumiroka::gif::scaled(Image{}, 4, 4).pixels.empty());
}

// A small frame on a large screen is scaled as if the transparent screen around it were
// stored, but only the frame's neighbourhood is computed and kept.
TEST(Gif, ScalingASmallFrameCostsTheFrameNotTheScreen)
{
    std::mt19937 random(5);
    for (int n = 0; n < 40; ++n) {
        Picture p = randomPicture(random);
        p.transparent = -1;
        p.screenWidth = p.left + p.width + static_cast<int>(random() % 40);
        p.screenHeight = p.top + p.height + static_cast<int>(random() % 40);
        std::string error;
        const Image framed = decoded(encode(p), error);
        ASSERT_EQ(error, "");
        // The same picture, its frame the whole screen, the surroundings stored transparent.
        Image whole = framed;
        whole.frameLeft = whole.frameTop = 0;
        whole.frameWidth = whole.width;
        whole.frameHeight = whole.height;
        whole.indices.assign(static_cast<std::size_t>(whole.width * whole.height), 0);
        whole.colours.push_back(0); // index 256 stands for "transparent"
        std::vector<std::uint16_t> wide(whole.indices.size(), 256);
        for (int y = 0; y < framed.frameHeight; ++y)
            for (int x = 0; x < framed.frameWidth; ++x)
                wide[static_cast<std::size_t>((p.top + y) * whole.width + p.left + x)] =
                    framed.indices[static_cast<std::size_t>(y * framed.frameWidth + x)];
        // Image holds 8-bit indices: give the surroundings an index no picture pixel uses.
        std::vector<bool> used(256);
        for (const std::uint8_t index : framed.indices)
            used[index] = true;
        const auto unused = std::find(used.begin(), used.end(), false);
        if (unused == used.end())
            continue;
        const auto free = static_cast<std::uint8_t>(unused - used.begin());
        whole.colours.resize(256);
        whole.colours[free] = 0;
        for (std::size_t i = 0; i < wide.size(); ++i)
            whole.indices[i] = wide[i] == 256 ? free : static_cast<std::uint8_t>(wide[i]);

        for (const int percent : {125, 150, 200, 300}) {
            const int width = whole.width * percent / 100, height = whole.height * percent / 100;
            const Canvas reference = lumiroka::gif::scaled(whole, width, height);
            const Canvas canvas = lumiroka::gif::scaled(framed, width, height);
            ASSERT_EQ(reference.width, width);
            EXPECT_LE(canvas.width, (p.width + 2) * percent / 100 + 2) << "picture " << n;
            EXPECT_LE(canvas.height, (p.height + 2) * percent / 100 + 2) << "picture " << n;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const bool inside = x >= canvas.left && y >= canvas.top && x < canvas.left + canvas.width &&
                                        y < canvas.top + canvas.height;
                    const std::uint32_t got =
                        inside
                            ? canvas.pixels[static_cast<std::size_t>((y - canvas.top) * canvas.width + x - canvas.left)]
                            : 0;
                    ASSERT_EQ(got, reference.pixels[static_cast<std::size_t>(y * width + x)])
                        << "picture " << n << " at " << percent << " %, (" << x << ", " << y << ")";
                }
        }
    }
}

} // namespace
