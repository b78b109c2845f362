#pragma once

#include <windows.h>

#include <string>

#include "forms/frontend.h"

namespace lumiroka::win32 {

// GDI+ for the program's lifetime: it decodes the pose pictures.
class GdiplusSession
{
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession &) = delete;
    GdiplusSession &operator=(const GdiplusSession &) = delete;

private:
    ULONG_PTR m_token = 0;
};

// A decoded picture: a 32-bit premultiplied ARGB bitmap, drawn with its transparency.
// An empty picture draws nothing.
class Win32Picture : public Picture
{
public:
    Win32Picture() = default;
    Win32Picture(HBITMAP bitmap, int width, int height) : m_bitmap(bitmap), m_width(width), m_height(height) {}
    ~Win32Picture() override;
    Win32Picture(const Win32Picture &) = delete;
    Win32Picture &operator=(const Win32Picture &) = delete;

    bool empty() const { return !m_bitmap; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // Draws from (x, y), its pixels counted at 96 dots per inch and scaled to `dpi`.
    void draw(HDC dc, int x, int y, UINT dpi) const;

private:
    HBITMAP scaledFor(UINT dpi) const;

    HBITMAP m_bitmap = nullptr;
    int m_width = 0;
    int m_height = 0;
    // The same picture smoothed to the last screen density it was drawn at.
    mutable HBITMAP m_scaled = nullptr;
    mutable UINT m_scaledDpi = 0;
};

// Decodes an image file (the poses are GIFs). An empty path gives an empty picture; on
// failure an empty picture and the reason in `error`.
PictureRef loadPicture(const std::string &path, std::string &error);

} // namespace lumiroka::win32
