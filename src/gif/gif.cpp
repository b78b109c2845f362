#include "gif/gif.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lumiroka::gif {

namespace {

constexpr int kMaxCodes = 4096; // 12-bit codes

// Reads the file front to back; a read past the end fails the reader.
class Reader
{
public:
    Reader(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at >= m_size; }
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
    // The data sub-blocks that follow an extension or a picture, up to their terminator or
    // the end of the file, whichever comes first: a file cut inside them keeps what it has.
    void subBlocks(std::vector<std::uint8_t> *into)
    {
        while (m_at < m_size) {
            const std::size_t length = m_data[m_at++];
            if (length == 0)
                return;
            const std::size_t present = std::min(length, m_size - m_at);
            if (into)
                into->insert(into->end(), m_data + m_at, m_data + m_at + present);
            m_at += present;
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

// For a picture that comes with no colour table: greys from black to white over the
// indices its code size allows (black and white for two).
Palette greys(int minCodeSize)
{
    const int entries = 1 << minCodeSize;
    Palette palette(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        const std::uint32_t level = static_cast<std::uint32_t>(i * 255 / (entries - 1));
        palette[static_cast<std::size_t>(i)] = 0xff000000u | level << 16 | level << 8 | level;
    }
    return palette;
}

// Expands the LZW stream into colour indices, one per pixel of the frame, in the order they
// are stored. Returns how many pixels it decoded: all of them, or fewer when the stream
// ends, holds its end code early, or holds a code the table cannot yet hold (the damage
// starts there; what came before is the picture as far as it goes).
std::size_t expand(const std::vector<std::uint8_t> &stream, int minCodeSize, std::vector<std::uint8_t> &indices)
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
                return out;
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
            return out;
        if (code > next || (code == next && previous < 0))
            return out;

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
        }
        // Checked after every code, the first after a clear code too, and at or past rather
        // than equal: with a code size of 1 the table starts at 4 = 1 << 2, and the width
        // must still grow.
        if (next >= 1 << codeSize && codeSize < 12)
            ++codeSize;
        previous = code;
    }
    return out;
}

// The frame row of each stored row of an interlaced frame: every 8th row from 0, then
// every 8th from 4, every 4th from 2 and every 2nd from 1.
std::vector<int> interlacedRows(int height)
{
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(height));
    struct Pass
    {
        int start, step;
    };
    for (const Pass pass : {Pass{0, 8}, Pass{4, 8}, Pass{2, 4}, Pass{1, 2}})
        for (int y = pass.start; y < height; y += pass.step)
            rows.push_back(y);
    return rows;
}

// Rows in stored order to rows from the top.
std::vector<std::uint8_t> deinterlaced(const std::vector<std::uint8_t> &stored, int width, int height)
{
    std::vector<std::uint8_t> rows(stored.size());
    const std::vector<int> order = interlacedRows(height);
    const auto rowBytes = static_cast<std::size_t>(width);
    for (std::size_t from = 0; from < order.size(); ++from)
        std::copy_n(stored.begin() + static_cast<std::ptrdiff_t>(from * rowBytes), rowBytes,
                    rows.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(order[from]) * rowBytes));
    return rows;
}

// The first `width` columns of the first `height` rows of a frame `stride` wide.
std::vector<std::uint8_t> cropped(const std::vector<std::uint8_t> &frame, int stride, int width, int height)
{
    std::vector<std::uint8_t> to;
    to.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto row = frame.begin() + static_cast<std::ptrdiff_t>(y) * stride;
        to.insert(to.end(), row, row + width);
    }
    return to;
}

Image failed(std::string &error, std::string why)
{
    error = std::move(why);
    return {};
}

std::string tooLarge(const char *what, int width, int height)
{
    return "too large (its " + std::string(what) + " is " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels; at most " + std::to_string(kMaxSide) + " on a side)";
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
    in.byte(); // background colour: the screen around the frame is left transparent
    in.byte(); // pixel aspect ratio
    if (!in.ok())
        return failed(error, "damaged: the file ends inside its header");
    if (width > kMaxSide || height > kMaxSide)
        return failed(error, tooLarge("screen", width, height));
    Palette global;
    if (screenFlags & 0x80)
        global = readPalette(in, 2 << (screenFlags & 7));

    int transparent = -1;
    while (in.ok() && !in.atEnd()) {
        const std::uint8_t block = in.byte();
        if (block == 0) // a stray block terminator
            continue;
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
            return failed(error, "damaged: an unknown block before the picture");

        const int left = in.word();
        const int top = in.word();
        const int frameWidth = in.word();
        const int frameHeight = in.word();
        const std::uint8_t frameFlags = in.byte();
        if (!in.ok())
            break;
        if (frameWidth > kMaxSide || frameHeight > kMaxSide)
            return failed(error, tooLarge("frame", frameWidth, frameHeight));
        if (frameWidth == 0 || frameHeight == 0)
            return failed(error, "damaged: the picture is empty (0 pixels on a side)");
        // A screen of no size is the frame's own.
        if (width == 0)
            width = left + frameWidth;
        if (height == 0)
            height = top + frameHeight;
        if (width > kMaxSide || height > kMaxSide)
            return failed(error, tooLarge("screen", width, height));
        if (left >= width || top >= height)
            return failed(error, "damaged: the picture lies outside its screen");

        const Palette local = (frameFlags & 0x80) ? readPalette(in, 2 << (frameFlags & 7)) : Palette{};
        const int minCodeSize = in.byte();
        if (!in.ok())
            break;
        if (minCodeSize < 1 || minCodeSize > 8)
            return failed(error, "damaged: its code size " + std::to_string(minCodeSize) + " is not 1 to 8");
        const Palette &palette = !local.empty() ? local : !global.empty() ? global : greys(minCodeSize);
        std::vector<std::uint8_t> stream;
        in.subBlocks(&stream);

        std::vector<std::uint8_t> stored(static_cast<std::size_t>(frameWidth) * static_cast<std::size_t>(frameHeight));
        const std::size_t count = expand(stream, minCodeSize, stored);
        if (count == 0)
            return failed(error, "damaged: the picture's data is missing or corrupt");
        std::vector<std::uint8_t> decoded;
        if (count < stored.size()) {
            decoded.assign(stored.size(), 0);
            std::fill_n(decoded.begin(), count, std::uint8_t{1});
        }
        if (frameFlags & 0x40) {
            stored = deinterlaced(stored, frameWidth, frameHeight);
            if (!decoded.empty())
                decoded = deinterlaced(decoded, frameWidth, frameHeight);
        }

        // A frame reaching past the screen is cut at its edge.
        const int shownWidth = std::min(frameWidth, width - left);
        const int shownHeight = std::min(frameHeight, height - top);
        Image image{width, height, left, top, shownWidth, shownHeight, {}, {}, {}};
        if (shownWidth == frameWidth && shownHeight == frameHeight) {
            image.indices = std::move(stored);
            image.decoded = std::move(decoded);
        } else {
            image.indices = cropped(stored, frameWidth, shownWidth, shownHeight);
            if (!decoded.empty())
                image.decoded = cropped(decoded, frameWidth, shownWidth, shownHeight);
        }
        // An index past the colour table shows nothing, as the transparent colour does.
        image.colours.assign(256, 0);
        std::copy(palette.begin(), palette.end(), image.colours.begin());
        if (transparent >= 0)
            image.colours[static_cast<std::size_t>(transparent)] = 0;
        return image;
    }
    return failed(error, "damaged: the file ends before its picture");
}

Image decodeFile(const std::uint8_t *data, std::size_t size, std::string &error)
{
    if (size > kMaxFileBytes)
        return failed(error, "larger than a picture can be");
    return decode(data, size, error);
}

std::string unreadable(const std::string &systemReason)
{
    return "cannot be read (" + systemReason + ")";
}

Canvas scaled(const Image &from, int width, int height)
{
    Canvas to;
    if (from.empty() || width <= 0 || height <= 0)
        return to;
    // Target pixels whose four source pixels all lie outside the frame are transparent:
    // only the frame, grown by one source pixel for the blend at its edges, is computed.
    auto span = [](int start, int length, int sourceSize, int targetSize, int &low, int &count) {
        const long long from = std::max(0, start - 1);
        const long long to = std::min(sourceSize, start + length + 1);
        low = static_cast<int>(from * targetSize / sourceSize);
        const int high =
            static_cast<int>(std::min<long long>(targetSize, (to * targetSize + sourceSize - 1) / sourceSize));
        count = high - low;
    };
    span(from.frameLeft, from.frameWidth, from.width, width, to.left, to.width);
    span(from.frameTop, from.frameHeight, from.height, height, to.top, to.height);
    to.pixels.resize(static_cast<std::size_t>(to.width) * static_cast<std::size_t>(to.height));
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
    for (int row = 0; row < to.height; ++row) {
        int y0, y1;
        float wy;
        sample(to.top + row, height, from.height, y0, y1, wy);
        for (int column = 0; column < to.width; ++column) {
            int x0, x1;
            float wx;
            sample(to.left + column, width, from.width, x0, x1, wx);
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
            to.pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(to.width) +
                      static_cast<std::size_t>(column)] = pixel;
        }
    }
    return to;
}

} // namespace lumiroka::gif
