// Writes the seed corpus of the GIF reader's fuzz target (tests/gif/corpus), from the tests'
// own encoder: a few small pictures of every kind the reader shows (shown-*) and the kinds
// it refuses (refused-*). The corpus test replays them on every build.
//   gif_make_corpus tests/gif/corpus
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "gifwriter.h"

using namespace lumiroka::gif::testing;

namespace {

void write(const std::string &folder, const std::string &name, const Bytes &bytes)
{
    std::ofstream(folder + "/" + name + ".gif", std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Picture small(std::mt19937 &random, int depth, int width, int height)
{
    Picture p;
    p.depth = depth;
    p.width = p.screenWidth = width;
    p.height = p.screenHeight = height;
    for (int i = 0; i < 1 << depth; ++i)
        p.palette.push_back(static_cast<std::uint32_t>(random()) & 0xffffff);
    for (int i = 0; i < width * height; ++i)
        p.indices.push_back(static_cast<std::uint8_t>(i % 5 < 2 ? random() % (1u << depth) : i % (1 << depth)));
    return p;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::mt19937 random(22);
    for (int depth = 1; depth <= 8; depth *= 2)
        write(folder, "shown-depth" + std::to_string(depth), encode(small(random, depth, 12, 9)));
    Picture p = small(random, 3, 16, 11);
    p.interlaced = true;
    write(folder, "shown-interlaced", encode(p));
    p = small(random, 2, 7, 5);
    p.local = true;
    p.transparent = 1;
    write(folder, "shown-local-transparent", encode(p));
    p = small(random, 2, 7, 5);
    p.screenWidth = 12;
    p.screenHeight = 9;
    p.left = 3;
    p.top = 2;
    write(folder, "shown-offset", encode(p));
    p.screenWidth = 8;
    write(folder, "shown-frame-past-screen", encode(p));
    p.screenWidth = p.screenHeight = 0;
    write(folder, "shown-screen-of-no-size", encode(p));
    p = small(random, 2, 6, 6);
    p.gif87a = true;
    write(folder, "shown-gif87a", encode(p));
    p.gif87a = false;
    p.endMarker = false;
    write(folder, "shown-no-end-marker", encode(p));
    p.endMarker = true;
    p.strayZeros = true;
    write(folder, "shown-stray-zeros", encode(p));
    p.strayZeros = false;
    p.noPalette = true;
    write(folder, "shown-no-colour-table", encode(p));
    p = small(random, 1, 9, 9);
    p.minCodeSize = 1;
    write(folder, "shown-code-size-1", encode(p));
    const Bytes whole = encode(small(random, 4, 20, 20));
    write(folder, "shown-truncated",
          Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)));
    p = small(random, 8, 64, 64); // fills the code table
    for (auto &index : p.indices)
        index = static_cast<std::uint8_t>(random());
    p.clearWhenFull = false;
    write(folder, "shown-full-table", encode(p));

    for (const int side : {4096, 5792}) {
        Picture bomb = small(random, 1, 1, 1);
        bomb.gif87a = true;
        bomb.screenWidth = bomb.screenHeight = side;
        write(folder, "refused-screen-" + std::to_string(side), encode(bomb));
    }
    p = small(random, 1, 1025, 1);
    p.screenWidth = 1;
    write(folder, "refused-frame-1025", encode(p));
    const Bytes tiny = encode(small(random, 1, 2, 2));
    write(folder, "refused-header-cut", Bytes(tiny.begin(), tiny.begin() + 10));
    Bytes changed = tiny;
    changed[changed.size() - 3] = 0xff; // the data's last byte...
    changed[38] = 0xff;                 // ...and its first: a code the table cannot hold
    write(folder, "refused-corrupt-code", changed);
    changed = tiny;
    changed[36] = 0; // the code size
    write(folder, "refused-code-size-0", changed);
    write(folder, "refused-no-picture", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3b});
    write(folder, "refused-not-a-gif", Bytes{'P', 'N', 'G', 0, 1, 2});
    return 0;
}
