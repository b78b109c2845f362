#include "win32/gif.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lumiroka::gif {

namespace {

constexpr int kMaxCodes = 4096; // 12-bit codes

// Reads the file front to back; every read past the end fails the reader.
class Reader
{
public:
    Reader(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    bool ok() const { return m_ok; }
    std::uint8_t byte()
    {
        if (m_at >= m_size) {
            m_ok = false;
            return 0;
        }
        return m_data[m_at++];
    }
    int word()
    {
        const int low = byte();
        return low | byte() << 8;
    }
    const std::uint8_t *bytes(std::size_t count)
    {
        if (m_size - m_at < count) {
            m_ok = false;
            m_at = m_size;
            return nullptr;
        }
        const std::uint8_t *at = m_data + m_at;
        m_at += count;
        return at;
    }
    // The data sub-blocks that follow an extension or a picture, up to their terminator.
    void subBlocks(std::vector<std::uint8_t> *into)
    {
        while (m_ok) {
            const std::uint8_t length = byte();
            if (length == 0)
                return;
            const std::uint8_t *block = bytes(length);
            if (block && into)
                into->insert(into->end(), block, block + length);
        }
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
    bool m_ok = true;
};

using Palette = std::vector<std::uint32_t>;

Palette readPalette(Reader &in, int entries)
{
    Palette palette(static_cast<std::size_t>(entries));
    for (std::uint32_t &colour : palette) {
        const std::uint32_t red = in.byte();
        const std::uint32_t green = in.byte();
        const std::uint32_t blue = in.byte();
        colour = 0xff000000u | red << 16 | green << 8 | blue;
    }
    return palette;
}

// Expands the LZW stream into colour indices, one per pixel of the picture, in the order
// they are stored. Fails on a code the table cannot yet hold and on a stream that ends
// before every pixel has its index.
bool expand(const std::vector<std::uint8_t> &stream, int minCodeSize, std::vector<std::uint8_t> &indices)
{
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    std::array<std::uint16_t, kMaxCodes> prefix{};
    std::array<std::uint8_t, kMaxCodes> suffix{};
    std::array<std::uint8_t, kMaxCodes> first{}; // the first index each code expands to
    std::array<std::uint8_t, kMaxCodes + 1> expansion{};
    for (int code = 0; code < clear; ++code) {
        suffix[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(code);
        first[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(code);
    }

    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    std::uint32_t bits = 0;
    int bitCount = 0;
    std::size_t out = 0;
    for (std::size_t at = 0; out < indices.size();) {
        while (bitCount < codeSize) {
            if (at == stream.size())
                return false;
            bits |= static_cast<std::uint32_t>(stream[at++]) << bitCount;
            bitCount += 8;
        }
        const int code = static_cast<int>(bits & ((1u << codeSize) - 1));
        bits >>= codeSize;
        bitCount -= codeSize;

        if (code == clear) {
            codeSize = minCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end)
            return false;
        if (code > next || (code == next && previous < 0))
            return false;

        // A code one past the table ("KwKwK") is the previous string and its own first index.
        const bool known = code < next;
        int walk = known ? code : previous;
        std::size_t length = 0;
        if (!known)
            expansion[length++] = first[static_cast<std::size_t>(previous)];
        while (walk >= clear) {
            expansion[length++] = suffix[static_cast<std::size_t>(walk)];
            walk = prefix[static_cast<std::size_t>(walk)];
        }
        expansion[length++] = static_cast<std::uint8_t>(walk);
        const std::uint8_t head = static_cast<std::uint8_t>(walk);
        for (std::size_t i = length; i > 0 && out < indices.size(); --i)
            indices[out++] = expansion[i - 1];

        if (previous >= 0 && next < kMaxCodes) {
            prefix[static_cast<std::size_t>(next)] = static_cast<std::uint16_t>(previous);
            suffix[static_cast<std::size_t>(next)] = head;
            first[static_cast<std::size_t>(next)] = first[static_cast<std::size_t>(previous)];
            ++next;
            if (next == 1 << codeSize && codeSize < 12)
                ++codeSize;
        }
        previous = code;
    }
    return true;
}

// The picture row of each stored row of an interlaced picture: every 8th row from 0, then
// every 8th from 4, every 4th from 2 and every 2nd from 1.
std::vector<int> interlacedRows(int height)
{
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(height));
    constexpr int starts[] = {0, 4, 2, 1};
    constexpr int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < height; y += steps[pass])
            rows.push_back(y);
    return rows;
}

Image failed(std::string &error, std::string why)
{
    error = std::move(why);
    return {};
}

} // namespace

Image decode(const std::uint8_t *data, std::size_t size, std::string &error)
{
    error.clear();
    Reader in(data, size);
    const std::uint8_t *signature = in.bytes(6);
    if (!signature || (std::memcmp(signature, "GIF87a", 6) != 0 && std::memcmp(signature, "GIF89a", 6) != 0))
        return failed(error, "not a picture (no GIF signature)");
    int width = in.word();
    int height = in.word();
    const std::uint8_t screenFlags = in.byte();
    in.byte(); // background colour: the screen around the picture is left transparent
    in.byte(); // pixel aspect ratio
    Palette global;
    if (screenFlags & 0x80)
        global = readPalette(in, 2 << (screenFlags & 7));

    int transparent = -1;
    while (in.ok()) {
        const std::uint8_t block = in.byte();
        if (block == 0x21) { // extension
            const std::uint8_t label = in.byte();
            std::vector<std::uint8_t> body;
            in.subBlocks(&body);
            if (label == 0xf9 && body.size() >= 4) // graphic control: the transparent colour
                transparent = (body[0] & 1) ? body[3] : -1;
            continue;
        }
        if (block == 0x3b)
            return failed(error, "damaged: the file holds no picture");
        if (block != 0x2c)
            break;

        const int left = in.word();
        const int top = in.word();
        const int frameWidth = in.word();
        const int frameHeight = in.word();
        const std::uint8_t frameFlags = in.byte();
        const Palette local = (frameFlags & 0x80) ? readPalette(in, 2 << (frameFlags & 7)) : Palette{};
        const Palette &palette = local.empty() ? global : local;
        const int minCodeSize = in.byte();
        std::vector<std::uint8_t> stream;
        in.subBlocks(&stream);
        if (!in.ok())
            break;

        // A screen smaller than the picture on it (or none) grows to hold it.
        width = std::max(width, left + frameWidth);
        height = std::max(height, top + frameHeight);
        if (width > kMaxSide || height > kMaxSide)
            return failed(error, "image too large (" + std::to_string(width) + " x " + std::to_string(height) + ")");
        if (frameWidth == 0 || frameHeight == 0 || palette.empty() || minCodeSize < 1 || minCodeSize > 8)
            return failed(error, "damaged: the picture's description is not valid");

        std::vector<std::uint8_t> stored(static_cast<std::size_t>(frameWidth) * static_cast<std::size_t>(frameHeight));
        if (!expand(stream, minCodeSize, stored))
            return failed(error, "damaged: the picture's data is incomplete or corrupt");

        Image image{width, height, left, top, frameWidth, frameHeight, {}, {}};
        // An index past the colour table shows nothing, as the transparent colour does.
        image.colours.assign(256, 0);
        std::copy(palette.begin(), palette.end(), image.colours.begin());
        if (transparent >= 0)
            image.colours[static_cast<std::size_t>(transparent)] = 0;
        if (!(frameFlags & 0x40)) {
            image.indices = std::move(stored);
            return image;
        }
        image.indices.resize(stored.size());
        const std::vector<int> rows = interlacedRows(frameHeight);
        const auto rowBytes = static_cast<std::size_t>(frameWidth);
        for (std::size_t from = 0; from < rows.size(); ++from)
            std::copy_n(stored.begin() + static_cast<std::ptrdiff_t>(from * rowBytes), rowBytes,
                        image.indices.begin() +
                            static_cast<std::ptrdiff_t>(static_cast<std::size_t>(rows[from]) * rowBytes));
        return image;
    }
    return failed(error, "damaged: the file ends early or holds an unknown block");
}

std::vector<std::uint32_t> scaled(const Image &from, int width, int height)
{
    std::vector<std::uint32_t> to;
    if (from.empty() || width <= 0 || height <= 0)
        return to;
    to.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    // Each target pixel's centre mapped back onto the source, between four source pixels.
    auto sample = [](int target, int targetSize, int sourceSize, int &low, int &high, float &weight) {
        const float at =
            (static_cast<float>(target) + 0.5f) * static_cast<float>(sourceSize) / static_cast<float>(targetSize) -
            0.5f;
        const float clamped = std::clamp(at, 0.0f, static_cast<float>(sourceSize - 1));
        low = static_cast<int>(clamped);
        high = std::min(low + 1, sourceSize - 1);
        weight = clamped - static_cast<float>(low);
    };
    for (int y = 0; y < height; ++y) {
        int y0, y1;
        float wy;
        sample(y, height, from.height, y0, y1, wy);
        for (int x = 0; x < width; ++x) {
            int x0, x1;
            float wx;
            sample(x, width, from.width, x0, x1, wx);
            const std::uint32_t corners[4] = {from.pixel(x0, y0), from.pixel(x1, y0), from.pixel(x0, y1),
                                              from.pixel(x1, y1)};
            const float weights[4] = {(1 - wx) * (1 - wy), wx * (1 - wy), (1 - wx) * wy, wx * wy};
            std::uint32_t pixel = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                float sum = 0;
                for (int i = 0; i < 4; ++i)
                    sum += weights[i] * static_cast<float>((corners[i] >> shift) & 0xff);
                pixel |= static_cast<std::uint32_t>(std::min(255.0f, sum + 0.5f)) << shift;
            }
            to[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = pixel;
        }
    }
    return to;
}

} // namespace lumiroka::gif
