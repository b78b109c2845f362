// The fuzzer's corpus, replayed on every build (and under the sanitizers and Wine): each
// file is read and, when it is a picture, scaled as a high-density screen would; the
// seeds named shown-* must show, those named refused-* must be refused with a reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/gif.h"

namespace {

namespace fs = std::filesystem;

TEST(GifCorpus, EveryFileIsReadOrRefusedWithinTheBudget)
{
    int seeds = 0;
    for (const fs::directory_entry &entry : fs::directory_iterator(fs::path(LUMIROKA_GIF_CORPUS))) {
        const std::string name = entry.path().filename().string();
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string error;
        const lumiroka::gif::Image image = lumiroka::gif::decode(file.data(), file.size(), error);
        EXPECT_EQ(image.empty(), !error.empty()) << name << ": " << error;
        if (name.starts_with("shown-")) {
            EXPECT_FALSE(image.empty()) << name << ": " << error;
        } else if (name.starts_with("refused-")) {
            EXPECT_TRUE(image.empty()) << name;
        }
        seeds += name.starts_with("shown-") || name.starts_with("refused-");
        if (image.empty())
            continue;
        EXPECT_LE(image.width, lumiroka::gif::kMaxSide) << name;
        EXPECT_LE(image.height, lumiroka::gif::kMaxSide) << name;
        EXPECT_LE(image.frameLeft + image.frameWidth, image.width) << name;
        EXPECT_LE(image.frameTop + image.frameHeight, image.height) << name;
        EXPECT_EQ(image.indices.size(), static_cast<std::size_t>(image.frameWidth * image.frameHeight)) << name;
        const lumiroka::gif::Canvas canvas = lumiroka::gif::scaled(image, image.width * 2, image.height * 2);
        EXPECT_LE(canvas.left + canvas.width, image.width * 2) << name;
        EXPECT_EQ(canvas.pixels.size(), static_cast<std::size_t>(canvas.width * canvas.height)) << name;
    }
    EXPECT_GE(seeds, 20);
}

} // namespace
