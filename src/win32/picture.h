#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "forms/frontend.h"
#include "gif/gif.h"

namespace lumiroka::win32 {

// 32-bit pixels (0xAARRGGBB, rows from the top) that a picture is drawn onto, such as the
// bits of a top-down DIB section.
struct Surface
{
    std::uint32_t *pixels;
    int width;
    int height;
};

// A pose as read from its file, drawn with its transparency. An empty picture draws
// nothing.
class Win32Picture : public Picture
{
public:
    Win32Picture() = default;
    explicit Win32Picture(gif::Image image) : m_image(std::move(image)) {}

    bool empty() const { return m_image.empty(); }
    int width() const { return m_image.width; }
    int height() const { return m_image.height; }

    // Draws from (x, y) over what the surface holds, its pixels counted at 96 dots per inch
    // and scaled to `dpi`.
    void draw(const Surface &onto, int x, int y, UINT dpi) const;

private:
    gif::Image m_image;
    // The picture's frame smoothed to the last screen density it was drawn at, other than 96 dpi.
    mutable gif::Canvas m_scaled;
    mutable UINT m_scaledDpi = 0;
};

// Reads a GIF file. An empty path gives an empty picture; on failure an empty picture
// and the reason in `error`.
PictureRef loadPicture(const std::string &path, std::string &error);

} // namespace lumiroka::win32
