#include "win32/picture.h"

// GDI+'s headers use min and max unqualified.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <cstring>
#include <memory>

#include "win32/text.h"

namespace lumiroka::win32 {

namespace gp = Gdiplus::DllExports;

namespace {

// The poses are about 113 x 121; anything far larger is a broken or hostile file.
constexpr UINT kMaxSide = 4096;

// A top-down 32-bit DIB section; its pixels in `bits`.
HBITMAP createBitmap(int width, int height, void **bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Why a file gave no picture. GDI+ says little (Wine answers "generic error" to all), so
// whether the file can be read at all is asked of the system first.
std::string unreadable(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "cannot be read (" + systemMessage(GetLastError()) + ")";
    CloseHandle(file);
    return {};
}

struct BitmapDeleter
{
    void operator()(Gdiplus::GpBitmap *bitmap) const { gp::GdipDisposeImage(bitmap); }
};
using GdiplusBitmap = std::unique_ptr<Gdiplus::GpBitmap, BitmapDeleter>;

} // namespace

GdiplusSession::GdiplusSession()
{
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
}

GdiplusSession::~GdiplusSession()
{
    Gdiplus::GdiplusShutdown(m_token);
}

Win32Picture::~Win32Picture()
{
    if (m_scaled)
        DeleteObject(m_scaled);
    if (m_bitmap)
        DeleteObject(m_bitmap);
}

HBITMAP Win32Picture::scaledFor(UINT dpi) const
{
    if (dpi == USER_DEFAULT_SCREEN_DPI)
        return m_bitmap;
    if (m_scaled && m_scaledDpi == dpi)
        return m_scaled;
    if (m_scaled)
        DeleteObject(m_scaled);
    m_scaled = nullptr;
    m_scaledDpi = dpi;

    const int width = MulDiv(m_width, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    const int height = MulDiv(m_height, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    void *to = nullptr;
    HBITMAP scaled = createBitmap(width, height, &to);
    DIBSECTION from{};
    if (!scaled || !GetObjectW(m_bitmap, sizeof(from), &from)) {
        if (scaled)
            DeleteObject(scaled);
        return m_bitmap; // drawn stretched instead
    }
    // GDI+ works on the two DIB sections' own pixels, both premultiplied.
    Gdiplus::GpBitmap *source = nullptr;
    Gdiplus::GpBitmap *target = nullptr;
    Gdiplus::GpGraphics *graphics = nullptr;
    gp::GdipCreateBitmapFromScan0(m_width, m_height, m_width * 4, PixelFormat32bppPARGB,
                                  static_cast<BYTE *>(from.dsBm.bmBits), &source);
    gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB, static_cast<BYTE *>(to), &target);
    if (source && target && gp::GdipGetImageGraphicsContext(target, &graphics) == Gdiplus::Ok) {
        gp::GdipSetCompositingMode(graphics, Gdiplus::CompositingModeSourceCopy);
        gp::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQualityBicubic);
        gp::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
        gp::GdipDrawImageRectI(graphics, source, 0, 0, width, height);
        gp::GdipDeleteGraphics(graphics);
        m_scaled = scaled;
    } else {
        DeleteObject(scaled);
    }
    if (source)
        gp::GdipDisposeImage(source);
    if (target)
        gp::GdipDisposeImage(target);
    return m_scaled ? m_scaled : m_bitmap;
}

void Win32Picture::draw(HDC dc, int x, int y, UINT dpi) const
{
    if (!m_bitmap)
        return;
    HBITMAP bitmap = scaledFor(dpi);
    BITMAP size{};
    GetObjectW(bitmap, sizeof(size), &size);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, MulDiv(m_width, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI),
               MulDiv(m_height, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI), memory, 0, 0, size.bmWidth,
               size.bmHeight, blend);
    SelectObject(memory, old);
    DeleteDC(memory);
}

PictureRef loadPicture(const std::string &path, std::string &error)
{
    if (path.empty())
        return std::make_shared<const Win32Picture>();
    const std::wstring file = widen(path);
    if (error = unreadable(file); !error.empty())
        return std::make_shared<const Win32Picture>();
    Gdiplus::GpBitmap *raw = nullptr;
    const Gdiplus::Status status = gp::GdipCreateBitmapFromFile(file.c_str(), &raw);
    GdiplusBitmap image(raw);
    if (status != Gdiplus::Ok || !image) {
        error = "not a picture, or damaged (GDI+ status " + std::to_string(static_cast<int>(status)) + ")";
        return std::make_shared<const Win32Picture>();
    }
    UINT width = 0;
    UINT height = 0;
    gp::GdipGetImageWidth(image.get(), &width);
    gp::GdipGetImageHeight(image.get(), &height);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
        error = "image too large (" + std::to_string(width) + " x " + std::to_string(height) + ")";
        return std::make_shared<const Win32Picture>();
    }
    // Decoded to premultiplied ARGB here, once: drawn as a GIF's own indexed bitmap, the
    // transparent colour would come out opaque under some GDI implementations (Wine's), and
    // premultiplied pixels are what AlphaBlend copies without converting at each frame.
    const Gdiplus::GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData data{};
    if (gp::GdipBitmapLockBits(image.get(), &all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) !=
        Gdiplus::Ok) {
        error = "could not be converted to a drawable picture";
        return std::make_shared<const Win32Picture>();
    }
    void *bits = nullptr;
    HBITMAP bitmap = createBitmap(static_cast<int>(width), static_cast<int>(height), &bits);
    if (bitmap) {
        for (UINT row = 0; row < height; ++row)
            std::memcpy(static_cast<BYTE *>(bits) + row * width * 4,
                        static_cast<const BYTE *>(data.Scan0) + static_cast<std::ptrdiff_t>(row) * data.Stride,
                        width * 4);
    }
    gp::GdipBitmapUnlockBits(image.get(), &data);
    if (!bitmap) {
        error = "out of memory for the picture";
        return std::make_shared<const Win32Picture>();
    }
    return std::make_shared<const Win32Picture>(bitmap, static_cast<int>(width), static_cast<int>(height));
}

} // namespace lumiroka::win32
