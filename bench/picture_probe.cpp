// Loads pictures the way the two front ends do and exits, for bench/pictures.sh to measure
// from outside (peak memory with /usr/bin/time, time to the last picture loaded).
//
//   bench_picture_probe qt FILE...        the Qt front end's loader (offscreen)
//   bench_picture_probe qtreader FILE...  Qt's own QImageReader, as the Qt front end used to read
//   bench_picture_probe win32 FILE...     the Windows front end's path: read, decode, scale to 200 %
//   bench_picture_probe bombs FOLDER      writes the oversized files the script loads
//
// Prints one line: RESULT loaded=N refused=N load_us=N

#include <QApplication>
#include <QElapsedTimer>
#include <QImageReader>
#include <QPixmap>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "gif/gif.h"
#include "gif/gifwriter.h"
#include "qt/picturebox.h"

namespace {

void writeBombs(const std::string &folder)
{
    using lumiroka::gif::testing::Picture;
    const auto write = [&](const std::string &name, const Picture &p) {
        const auto bytes = lumiroka::gif::testing::encode(p);
        std::ofstream(folder + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    Picture p;
    p.gif87a = true;
    p.width = p.height = 1;
    p.palette = {0, 0xffffff};
    p.indices = {1};
    for (const int side : {4096, 5792, 1024}) { // two bombs, and the largest screen still shown
        p.screenWidth = p.screenHeight = side;
        write("screen-" + std::to_string(side) + ".gif", p);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s qt|qtreader|win32 FILE... | bombs FOLDER\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "bombs") {
        writeBombs(argv[2]);
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int loaded = 0, refused = 0;
    std::vector<std::shared_ptr<const void>> kept; // eight slots hold their pictures
    std::vector<lumiroka::gif::Canvas> scaled;
    QElapsedTimer timer;
    timer.start();
    for (int i = 2; i < argc; ++i) {
        if (mode == "qt") {
            QString error;
            auto picture = lumiroka::loadPicture(QString::fromLocal8Bit(argv[i]), &error);
            (picture->pixmap.isNull() ? refused : loaded)++;
            kept.push_back(picture);
        } else if (mode == "qtreader") {
            QImageReader reader(QString::fromLocal8Bit(argv[i]));
            const QSize declared = reader.size();
            QImage image;
            if (!declared.isValid() || (declared.width() <= 4096 && declared.height() <= 4096))
                image = reader.read();
            auto pixmap = std::make_shared<const QPixmap>(
                QPixmap::fromImage(std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied)));
            (pixmap->isNull() ? refused : loaded)++;
            kept.push_back(pixmap);
        } else if (mode == "win32") {
            std::ifstream in(argv[i], std::ios::binary);
            const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                                 std::istreambuf_iterator<char>());
            std::string error;
            auto image =
                std::make_shared<const lumiroka::gif::Image>(lumiroka::gif::decode(file.data(), file.size(), error));
            (image->empty() ? refused : loaded)++;
            if (!image->empty())
                scaled.push_back(lumiroka::gif::scaled(*image, image->width * 2, image->height * 2));
            kept.push_back(image);
        } else {
            std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
            return 2;
        }
    }
    std::printf("RESULT loaded=%d refused=%d load_us=%lld\n", loaded, refused,
                static_cast<long long>(timer.nsecsElapsed() / 1000));
    return 0;
}
