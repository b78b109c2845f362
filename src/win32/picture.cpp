#include "win32/picture.h"

#include <algorithm>
#include <memory>

#include "win32/files.h"

namespace lumiroka::win32 {

namespace {

// `source` (premultiplied) over `target` (opaque).
std::uint32_t over(std::uint32_t source, std::uint32_t target)
{
    const std::uint32_t alpha = source >> 24;
    if (alpha == 255)
        return source;
    if (alpha == 0)
        return target;
    std::uint32_t blended = 0xff000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t below = (target >> shift) & 0xff;
        const std::uint32_t channel = ((source >> shift) & 0xff) + (below * (255 - alpha) + 127) / 255;
        blended |= std::min<std::uint32_t>(channel, 255) << shift;
    }
    return blended;
}

} // namespace

void Win32Picture::draw(const Surface &onto, int x, int y, UINT dpi) const
{
    if (m_image.empty())
        return;
    // Only the frame's rectangle is drawn (and, scaled, kept): the screen around it is
    // transparent, and may be far larger than the frame.
    const bool native = dpi == USER_DEFAULT_SCREEN_DPI;
    if (!native && m_scaledDpi != dpi) {
        m_scaled = gif::scaled(m_image, MulDiv(m_image.width, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI),
                               MulDiv(m_image.height, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI));
        m_scaledDpi = dpi;
    }
    const int left = native ? m_image.frameLeft : m_scaled.left;
    const int top = native ? m_image.frameTop : m_scaled.top;
    const int width = native ? m_image.frameWidth : m_scaled.width;
    const int height = native ? m_image.frameHeight : m_scaled.height;
    x += left;
    y += top;
    for (int row = std::max(0, -y); row < height && y + row < onto.height; ++row) {
        std::uint32_t *line = onto.pixels + static_cast<std::ptrdiff_t>(y + row) * onto.width;
        for (int column = std::max(0, -x); column < width && x + column < onto.width; ++column) {
            const std::uint32_t pixel =
                native ? m_image.pixel(left + column, top + row)
                       : m_scaled.pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                                         static_cast<std::size_t>(column)];
            line[x + column] = over(pixel, line[x + column]);
        }
    }
}

PictureRef loadPicture(const std::string &path, std::string &error)
{
    const auto none = [] { return std::make_shared<const Win32Picture>(); };
    if (path.empty())
        return none();
    std::vector<char> contents;
    if (std::string why; !readHead(path, gif::kFileReadBytes, contents, why)) {
        error = gif::unreadable(why);
        return none();
    }
    gif::Image image = gif::decodeFile(reinterpret_cast<const std::uint8_t *>(contents.data()), contents.size(), error);
    if (image.empty())
        return none();
    return std::make_shared<const Win32Picture>(std::move(image));
}

} // namespace lumiroka::win32
