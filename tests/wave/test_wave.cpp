// The chime file's check: the committed chime and the shapes of wave file people make are
// played; every damaged kind is refused for the reason that applies, before any sound system
// would trust its sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "wave/wave.h"

namespace {

using lumiroka::wave::kMaxFileBytes;
using lumiroka::wave::problem;
using Bytes = std::vector<unsigned char>;

void put32(Bytes &b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void put16(Bytes &b, std::uint16_t v)
{
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}
void chunk(Bytes &b, const std::string &id, const Bytes &body, bool pad = true)
{
    b.insert(b.end(), id.begin(), id.end());
    put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && body.size() % 2)
        b.push_back(0);
}
void chunkClaiming(Bytes &b, const std::string &id, std::uint32_t claim, const Bytes &body)
{
    b.insert(b.end(), id.begin(), id.end());
    put32(b, claim);
    b.insert(b.end(), body.begin(), body.end());
}

struct Format
{
    std::uint16_t tag = 1, channels = 1;
    std::uint32_t rate = 48000;
    std::uint16_t bits = 16;
    int blockAlign = -1, byteRate = -1; // -1: the consistent value
    Bytes body() const
    {
        const auto align = static_cast<std::uint16_t>(blockAlign >= 0 ? blockAlign : channels * (bits / 8));
        Bytes b;
        put16(b, tag);
        put16(b, channels);
        put32(b, rate);
        put32(b, byteRate >= 0 ? static_cast<std::uint32_t>(byteRate) : rate * align);
        put16(b, align);
        put16(b, bits);
        return b;
    }
};

Bytes samples(std::size_t n)
{
    Bytes b;
    for (std::size_t i = 0; i < n; ++i)
        b.push_back(static_cast<unsigned char>(i * 37));
    return b;
}

// RIFF around the chunks, its size counted from byte 8 unless `claim` says otherwise.
Bytes riff(const Bytes &chunks, std::int64_t claim = -1)
{
    Bytes b{'R', 'I', 'F', 'F'};
    put32(b, static_cast<std::uint32_t>(claim >= 0 ? claim : static_cast<std::int64_t>(chunks.size() + 4)));
    b.insert(b.end(), {'W', 'A', 'V', 'E'});
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

Bytes simple(const Format &f = {}, std::size_t dataBytes = 4800)
{
    Bytes c;
    chunk(c, "fmt ", f.body());
    chunk(c, "data", samples(dataBytes));
    return riff(c);
}

Bytes readChime()
{
    std::ifstream in(LUMIROKA_TEST_ASSETS "/justtime.wav", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string why(const Bytes &b)
{
    return problem(b);
}

TEST(Wave, PlaysTheChimeAndTheShapesPeopleMake)
{
    const Bytes chime = readChime();
    ASSERT_GT(chime.size(), 1000u);
    EXPECT_EQ(why(chime), "");

    Format stereo8;
    stereo8.channels = 2;
    stereo8.bits = 8;
    stereo8.rate = 22050;
    Format extended; // an 18-byte fmt chunk with cbSize, as some writers make it
    Bytes c;
    Bytes ext = extended.body();
    put16(ext, 0);
    chunk(c, "fmt ", ext);
    chunk(c, "data", samples(100));
    const Bytes extendedFormat = riff(c);

    c.clear(); // an odd-sized chunk before the data: its pad byte must be stepped over
    chunk(c, "fmt ", Format{}.body());
    chunk(c, "LIST", samples(7));
    chunk(c, "data", samples(100));
    const Bytes oddChunk = riff(c);

    c.clear(); // odd data at the end, its pad byte left out
    Format mono8;
    mono8.bits = 8;
    chunk(c, "fmt ", mono8.body());
    chunk(c, "data", samples(101), false);
    const Bytes unpaddedEnd = riff(c);

    Bytes trailing = simple(); // bytes after the RIFF are not read
    trailing.insert(trailing.end(), 5, 0xee);

    Format edges;
    edges.rate = 192000;
    edges.channels = 2;
    for (const Bytes &b : {simple(stereo8), extendedFormat, oddChunk, unpaddedEnd, trailing, simple(edges),
                           simple(Format{1, 1, 8000, 16}, 2)})
        EXPECT_EQ(why(b), "");
}

TEST(Wave, RefusesEveryCutOfTheChime)
{
    const Bytes chime = readChime();
    for (std::size_t n = 0; n < chime.size(); ++n)
        ASSERT_NE(problem(std::span(chime.data(), n)), "") << "cut at " << n;
}

TEST(Wave, RefusesDamagedFilesForTheirReason)
{
    std::mt19937 random(27);
    Bytes noise(1024);
    for (auto &x : noise)
        x = static_cast<unsigned char>(random());
    Bytes ogg{'O', 'g', 'g', 'S', 0, 2};
    ogg.resize(200, 0);

    const std::size_t oneSecond = 96000;
    Bytes c;
    chunk(c, "fmt ", Format{}.body());
    chunkClaiming(c, "data", 0x80000000u, samples(oneSecond));
    const Bytes hugeClaim = riff(c, 36 + std::int64_t{0x80000000});
    const Bytes hugeDataOnly = riff(c); // the RIFF size honest, the data chunk not
    c.clear();
    chunk(c, "fmt ", Format{}.body());
    chunkClaiming(c, "data", 0xffffffffu, samples(oneSecond));
    const Bytes allOnes = riff(c, 0xfffffff0u);
    const Bytes allOnesData = riff(c);
    c.clear();
    chunk(c, "fmt ", Format{}.body());
    chunkClaiming(c, "data", 102, samples(100));
    const Bytes dataTwoShort = riff(c);

    Bytes riffTwoLong = simple();
    riffTwoLong[4] += 2;

    c.clear();
    chunk(c, "data", samples(100));
    chunk(c, "fmt ", Format{}.body());
    const Bytes formatAfterData = riff(c);

    c.clear(); // an odd chunk whose writer forgot the pad: the next chunk's name is off by one
    chunk(c, "fmt ", Format{}.body());
    chunk(c, "LIST", samples(7), false);
    chunk(c, "data", samples(100));
    const Bytes missingPad = riff(c);

    c.clear();
    chunk(c, "fmt ", Bytes(14, 1));
    chunk(c, "data", samples(100));
    const Bytes shortFormat = riff(c);

    c.clear();
    chunk(c, "LIST", samples(10));
    const Bytes noChunks = riff(c);
    c.clear();
    chunk(c, "fmt ", Format{}.body());
    const Bytes noData = riff(c);

    c.clear(); // a RIFF that ends inside its data chunk, the rest of the data after it
    chunk(c, "fmt ", Format{}.body());
    chunk(c, "data", samples(100));
    const Bytes riffEndsInData = riff(c, 4 + 24 + 8 + 50);
    Bytes riffZero = simple();
    std::fill(riffZero.begin() + 4, riffZero.begin() + 8, 0);

    c.clear(); // an odd last chunk without its pad, and a data chunk outside the RIFF
    chunk(c, "fmt ", Format{}.body());
    chunk(c, "LIST", samples(7), false);
    Bytes dataOutside = riff(c);
    dataOutside.push_back(0);
    chunk(dataOutside, "data", samples(100));

    Format f;
    auto with = [](Format base, auto change) {
        change(base);
        return simple(base);
    };
    Format stereo;
    stereo.channels = 2;
    const Bytes lessThanAFrame = simple(stereo, 2);
    const Bytes tooLarge = simple(f, kMaxFileBytes);

    const struct
    {
        const char *name;
        Bytes bytes;
        const char *reason;
    } rows[] = {
        {"empty", {}, "empty"},
        {"random bytes", noise, "not a wave"},
        {"Ogg renamed", ogg, "not a wave"},
        {"RIFF but not WAVE",
         [] {
             Bytes b = simple();
             b[8] = 'A';
             return b;
         }(),
         "not a wave"},
        {"big-endian RIFX, its sizes read the other way",
         [] {
             Bytes b = simple();
             b[3] = 'X';
             return b;
         }(),
         "not a wave"},
        {"the header alone", riff({}), "no format"},
        {"seven stray bytes after the format, too few for a chunk",
         [] {
             Bytes c;
             chunk(c, "fmt ", Format{}.body());
             c.insert(c.end(), {'d', 'a', 't', 'a', 0xff, 0xff, 0xff});
             return riff(c);
         }(),
         "holds no sound"},
        {"an empty format chunk last",
         [] {
             Bytes c;
             chunk(c, "fmt ", {});
             return riff(c);
         }(),
         "too short"},
        {"RIFF size two bytes long", riffTwoLong, "shorter than its header"},
        {"2 GiB data claim", hugeClaim, "shorter than its header"},
        {"2 GiB data claim, RIFF honest", hugeDataOnly, "sound data is shorter"},
        {"4 GiB claims", allOnes, "shorter than its header"},
        {"4 GiB data claim, RIFF honest", allOnesData, "sound data is shorter"},
        {"data two bytes short", dataTwoShort, "sound data is shorter"},
        {"RIFF ends inside the data", riffEndsInData, "sound data is shorter"},
        {"RIFF size zero", riffZero, "too small"},
        {"data after the RIFF", dataOutside, "no sound"},
        {"format after data", formatAfterData, "before its format"},
        {"odd chunk without its pad", missingPad, "past the end"},
        {"short format chunk", shortFormat, "too short"},
        {"no format chunk", noChunks, "no format"},
        {"no data chunk", noData, "no sound"},
        {"empty data", simple(f, 0), "no sound"},
        {"less than a frame", lessThanAFrame, "no sound"},
        {"float",
         with(f,
              [](Format &x) {
                  x.tag = 3;
                  x.bits = 32;
              }),
         "compressed"},
        {"ADPCM",
         with(f,
              [](Format &x) {
                  x.tag = 2;
                  x.bits = 4;
              }),
         "compressed"},
        {"extensible", with(f, [](Format &x) { x.tag = 0xfffe; }), "compressed"},
        {"24 bits", with(f, [](Format &x) { x.bits = 24; }), "24-bit"},
        {"32 bits", with(f, [](Format &x) { x.bits = 32; }), "32-bit"},
        {"272 bits, read from both bytes", with(f, [](Format &x) { x.bits = 272; }), "272-bit"},
        {"no channels", with(f, [](Format &x) { x.channels = 0; }), "0 channels"},
        {"three channels", with(f, [](Format &x) { x.channels = 3; }), "3 channels"},
        {"rate too low", with(f, [](Format &x) { x.rate = 7999; }), "sample rate"},
        {"rate too high", with(f, [](Format &x) { x.rate = 192001; }), "sample rate"},
        {"block size", with(f, [](Format &x) { x.blockAlign = 4; }), "block size"},
        {"byte rate", with(f, [](Format &x) { x.byteRate = 48000; }), "byte rate"},
        {"over the cap", tooLarge, "too large"},
    };
    for (const auto &row : rows)
        EXPECT_NE(why(row.bytes).find(row.reason), std::string::npos) << row.name << ": \"" << why(row.bytes) << "\"";
}

} // namespace
