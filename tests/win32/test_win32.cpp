// The Win32 pieces that the forms' tests cannot reach, under Wine: the registry store,
// picture decoding and drawing, file names outside the ANSI code page, and the grid tick.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "gif/gifwriter.h"
#include "settings/settings.h"
#include "win32/files.h"
#include "win32/picture.h"
#include "win32/registrystore.h"
#include "win32/text.h"

namespace lumiroka::win32 {
namespace {

namespace fs = std::filesystem;

// A registry key of this test's own, removed afterwards.
class RegistryStoreTest : public ::testing::Test
{
protected:
    const std::string base = "Software\\LumirokaTest" + std::to_string(GetCurrentProcessId());
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, widen(base).c_str()); }

    void setRaw(const std::string &key, const wchar_t *name, DWORD type, const void *data, DWORD size)
    {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(handle, name, 0, type, static_cast<const BYTE *>(data), size);
        RegCloseKey(handle);
    }
};

TEST_F(RegistryStoreTest, WritesApplyAtOnceAndLastAsStringValues)
{
    RegistryStore store(base);
    EXPECT_EQ(store.read("setting", "charano", "0"), "0"); // nothing stored yet
    store.write("setting", "charano", "2");
    store.write("setting", "note", "ピロ、ズウ");
    EXPECT_EQ(store.read("setting", "charano", "0"), "2"); // before sync, too
    EXPECT_EQ(store.sync(), "");
    RegistryStore later(base);
    EXPECT_EQ(later.read("setting", "charano", "0"), "2");
    EXPECT_EQ(later.read("setting", "note", ""), "ピロ、ズウ");
    EXPECT_EQ(later.location(), "HKEY_CURRENT_USER\\" + base);

    wchar_t text[8] = {};
    DWORD size = sizeof(text);
    DWORD type = 0;
    RegGetValueW(HKEY_CURRENT_USER, widen(base + "\\setting").c_str(), L"charano", RRF_RT_ANY, &type, text, &size);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(text, L"2");
}

TEST_F(RegistryStoreTest, ValuesOfOtherTypesAreShownAndRefused)
{
    const DWORD number = 1;
    setRaw(base + "\\setting", L"check1value", REG_DWORD, &number, sizeof(number));
    const BYTE blob[] = {1, 2};
    setRaw(base + "\\setting", L"check2value", REG_BINARY, blob, sizeof(blob));
    RegistryStore store(base);
    const LoadedSettings loaded = readSettings(store);
    ASSERT_EQ(loaded.problems.size(), 2u);
    EXPECT_EQ(loaded.problems[0].text, "1 (a number)");
    EXPECT_EQ(loaded.problems[1].text, "(a value of registry type 3)");
    EXPECT_EQ(loaded.values.check1value, kCheck1Key.fallback);
    EXPECT_EQ(loaded.values.check2value, kCheck2Key.fallback);
}

TEST_F(RegistryStoreTest, AFailedSyncSaysWhyAndKeepsTheChoicesForThisRun)
{
    // Windows refuses a lasting key under a volatile one: the store's key cannot be made.
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, widen(base).c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(handle);
    RegistryStore store(base + "\\Lumiroka");
    store.write("setting", "charano", "1");
    const std::string error = store.sync();
    EXPECT_NE(error.find("the registry key could not be created ("), std::string::npos) << error;
    EXPECT_EQ(store.read("setting", "charano", "0"), "1");
    EXPECT_EQ(RegistryStore(base + "\\Lumiroka").read("setting", "charano", "0"), "0");
}

// A temporary folder whose name Shift-JIS and the Western code pages cannot write.
class FilesTest : public ::testing::Test
{
protected:
    fs::path dir = fs::temp_directory_path() / fs::path(u8"lumiroka ピロ Ωμέγα ✓");
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    std::string utf8(const fs::path &path) const
    {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    }
    std::string copyAsset(const char *relative)
    {
        const fs::path to = dir / fs::path(relative).filename();
        fs::copy_file(fs::path(LUMIROKA_TEST_ASSETS) / relative, to, fs::copy_options::overwrite_existing);
        return utf8(to);
    }
};

TEST_F(FilesTest, AreFoundAndReadWhateverTheFolderIsCalled)
{
    const std::string chime = copyAsset("justtime.wav");
    EXPECT_TRUE(isRegularFile(chime));
    EXPECT_FALSE(isRegularFile(utf8(dir)));
    EXPECT_FALSE(isRegularFile(utf8(dir / "missing.wav")));
    std::vector<char> contents;
    ASSERT_TRUE(readFile(chime, 1 << 24, contents));
    EXPECT_EQ(contents.size(), fs::file_size(dir / "justtime.wav"));
    EXPECT_EQ(std::string(contents.data(), 4), "RIFF");
    EXPECT_FALSE(readFile(chime, 100, contents)); // larger than allowed
    EXPECT_TRUE(contents.empty());
}

// A green 32-bit canvas to draw a picture on and read pixels back.
struct Canvas
{
    static constexpr int kSide = 200;
    static constexpr std::uint32_t kGreen = 0xff00ff00;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kSide * kSide, kGreen);
    Surface surface() { return {pixels.data(), kSide, kSide}; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * kSide + x)]; }
};

TEST_F(FilesTest, APoseIsDrawnWithItsTransparencyAtEveryDensity)
{
    std::string error;
    const PictureRef loaded = loadPicture(copyAsset("gif/piro0.gif"), error);
    EXPECT_EQ(error, "");
    const auto *picture = dynamic_cast<const Win32Picture *>(loaded.get());
    ASSERT_TRUE(picture && !picture->empty());
    EXPECT_EQ(picture->width(), 113);
    EXPECT_EQ(picture->height(), 121);
    for (const UINT dpi : {96u, 144u}) {
        Canvas canvas;
        picture->draw(canvas.surface(), 0, 0, dpi);
        EXPECT_EQ(canvas.at(1, 1), Canvas::kGreen) << "the corner lets the background through at " << dpi;
        const int middle = MulDiv(56, static_cast<int>(dpi), 96);
        EXPECT_NE(canvas.at(middle, middle), Canvas::kGreen) << "the character is drawn at " << dpi;
        const int beyond = MulDiv(picture->width(), static_cast<int>(dpi), 96) + 2;
        EXPECT_EQ(canvas.at(beyond, middle), Canvas::kGreen) << "drawn at its scaled size only";
    }
}

// A small frame on a larger screen: only the frame is drawn, at its place, at every density;
// a 35-byte file with a 4096-pixel screen is refused.
TEST_F(FilesTest, AFrameIsDrawnAtItsPlaceOnItsScreenAndAScreenBombIsRefused)
{
    const gif::testing::Bytes bytes = gif::testing::encode(gif::testing::smallFrameOnLargerScreen());
    std::ofstream(dir / "framed.gif", std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::string error;
    const PictureRef loaded = loadPicture(utf8(dir / "framed.gif"), error);
    const auto *picture = dynamic_cast<const Win32Picture *>(loaded.get());
    ASSERT_TRUE(picture && !picture->empty()) << error;
    EXPECT_EQ(picture->width(), 40);
    for (const UINT dpi : {96u, 192u}) {
        Canvas canvas;
        picture->draw(canvas.surface(), 5, 5, dpi);
        const int scale = static_cast<int>(dpi) / 96;
        // Blue inside the frame (clear of its blended edge), green beyond a pixel around it.
        const int left = 5 + 10 * scale, top = 5 + 20 * scale, right = 5 + 16 * scale, bottom = 5 + 24 * scale;
        for (int y = 0; y < Canvas::kSide; ++y)
            for (int x = 0; x < Canvas::kSide; ++x) {
                const bool inside = x > left && x < right - 1 && y > top && y < bottom - 1;
                const bool beyond = x < left - 1 || x > right + 1 || y < top - 1 || y > bottom + 1;
                if (inside) {
                    EXPECT_EQ(canvas.at(x, y), 0xff0000ffu) << x << ", " << y << " at " << dpi;
                } else if (beyond) {
                    EXPECT_EQ(canvas.at(x, y), Canvas::kGreen) << x << ", " << y << " at " << dpi;
                }
            }
    }

    gif::testing::Picture p;
    p.gif87a = true;
    p.screenWidth = p.screenHeight = 4096;
    p.width = p.height = 1;
    p.palette = {0, 0xffffff};
    p.indices = {1};
    const gif::testing::Bytes bomb = gif::testing::encode(p);
    ASSERT_EQ(bomb.size(), 35u);
    std::ofstream(dir / "bomb.gif", std::ios::binary)
        .write(reinterpret_cast<const char *>(bomb.data()), static_cast<std::streamsize>(bomb.size()));
    EXPECT_TRUE(dynamic_cast<const Win32Picture &>(*loadPicture(utf8(dir / "bomb.gif"), error)).empty());
    EXPECT_EQ(error, "too large (its screen is 4096 x 4096 pixels; at most 1024 on a side)");
}

TEST_F(FilesTest, AFileThatIsNoPictureGivesAnEmptyOneAndAReason)
{
    std::ofstream(dir / "text.gif") << "not a picture at all";
    struct Case
    {
        std::string path;
        const char *reason;
    } cases[] = {{utf8(dir / "text.gif"), "not a picture"}, {utf8(dir / "missing.gif"), "cannot be read"}};
    for (const Case &c : cases) {
        std::string error;
        const auto *picture = dynamic_cast<const Win32Picture *>(loadPicture(c.path, error).get());
        ASSERT_TRUE(picture);
        EXPECT_TRUE(picture->empty()) << c.path;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.path << ": \"" << error << "\"";
    }
    std::string error;
    EXPECT_TRUE(dynamic_cast<const Win32Picture &>(*loadPicture("", error)).empty());
    EXPECT_EQ(error, "");
}

} // namespace
} // namespace lumiroka::win32
