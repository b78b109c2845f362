// libFuzzer target for the GIF reader (tests/gif/fuzz.sh builds and runs it): any input is
// read, and a picture it makes is scaled as for a 150 % screen. A crash, a sanitizer report,
// an allocation over fuzz.sh's limit or a broken promise below stops the run.
#include <cstddef>
#include <cstdint>
#include <string>

#include "gif/gif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > lumiroka::gif::kMaxFileBytes) // the front ends read no more than this
        return 0;
    std::string error;
    const lumiroka::gif::Image image = lumiroka::gif::decode(data, size, error);
    if (image.empty() != !error.empty())
        __builtin_trap();
    if (image.empty())
        return 0;
    if (image.width > lumiroka::gif::kMaxSide || image.height > lumiroka::gif::kMaxSide ||
        image.frameLeft + image.frameWidth > image.width || image.frameTop + image.frameHeight > image.height)
        __builtin_trap();
    const lumiroka::gif::Canvas canvas = lumiroka::gif::scaled(image, image.width * 3 / 2, image.height * 3 / 2);
    volatile std::uint32_t sink = 0;
    for (const std::uint32_t pixel : canvas.pixels)
        sink = sink ^ pixel;
    return 0;
}
