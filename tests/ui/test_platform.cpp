// The Qt side of the desktop services, on real files: the chime, the settings file, the
// pictures, including damaged and unwritable files.

#include <QFile>
#include <QPainter>
#include <QSettings>
#include <QtTest>

#include <cstring>
#include <random>

#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "chara/poses.h"
#include "gif/gifwriter.h"
#include "harness.h"
#include "qt/picturebox.h"
#include "qt/qtsettingsstore.h"
#include "qt/sound.h"
#include "qt/tray.h"
#include "settings/settings.h"
#include "wave/wave.h"

using namespace lumiroka;
using namespace lumiroka::testing;

namespace {
// Stands in for Qt's embedded tray icon widget, which acts on the press.
struct EmbeddedIcon : QWidget
{
    int presses = 0;
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};
} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT

private:
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // A picture as the picture box shows it: its frame on its transparent screen.
    static QImage shown(const QtPicture &picture, QSize screen)
    {
        QImage image(screen, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(picture.offset, picture.pixmap);
        return image;
    }

private slots:
    void chimeIsFoundAndCheckedAtEachCountdown();
    void withoutTheSoundLibraryTheBellRings();
    void aSoundServerThatNeverAnswersStopsNothing();
    void realStoreKeepsDecimalTextInItsIniFile();
    void damagedSettingsFilesGiveDefaults_data();
    void damagedSettingsFilesGiveDefaults();
    void unwritableStoreKeepsTheEarlierFile();
    void fullDiskKeepsTheEarlierFile();
    void picturesLoadAsDistinctObjectsWithTheFilesPixels();
    void generatedPicturesLoadAsQtsReaderSeesThem();
    void aPictureBoxDrawsTheFrameAtItsPlace();
    void truncatedOrHugePicturesAreRefused();
    void embeddedTrayIconOpensTheMenuOnTheRelease();
};

// A chime as the generator writes it: 16-bit mono PCM, `tone` picks the samples.
static QByteArray waveFile(int tone)
{
    QByteArray samples;
    for (int i = 0; i < 4800; ++i) {
        const qint16 value = static_cast<qint16>((i * tone % 200 - 100) * 100);
        samples.append(static_cast<char>(value & 0xff)).append(static_cast<char>((value >> 8) & 0xff));
    }
    auto u32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char *>(&v), 2); };
    return "RIFF" + u32(36 + samples.size()) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(48000) + u32(96000) +
           u16(2) + u16(16) + "data" + u32(samples.size()) + samples;
}

void TestPlatform::chimeIsFoundAndCheckedAtEachCountdown()
{
    // The decision about the file, made before anything reaches the sound library (none
    // is loaded here, so no sound server on the machine is touched).
    QTemporaryDir dir;
    const QString path = dir.filePath("justtime.wav");
    CanberraAlarmSound sound(
        AssetDirs({dir.path().toStdString()}), [] {}, "liblumiroka-no-such.so.0");

    // Each decision is made on the sound thread: read once it has done what it was asked.
    const auto prepared = [&sound] {
        sound.prepare();
        return sound.waitIdle(10000);
    };
    QVERIFY(prepared()); // no file yet
    QVERIFY(!sound.chimeProblem().empty());
    QVERIFY(sound.source() != CanberraAlarmSound::Source::Chime);

    writeFile(path, waveFile(3)); // put in place while the program runs
    QVERIFY(prepared());
    QCOMPARE(QString::fromStdString(sound.chimeProblem()), QString());
    const std::string first = sound.chimeId();
    QVERIFY(!first.empty());

    // Replaced by another chime of the same size: cached under a new name, never the old sound.
    writeFile(path, waveFile(7));
    QVERIFY(prepared());
    QVERIFY(sound.chimeProblem().empty());
    QVERIFY(sound.chimeId() != first);

    writeFile(path, QByteArray()); // then emptied
    QVERIFY(prepared());
    QVERIFY(!sound.chimeProblem().empty());
    QVERIFY(sound.source() != CanberraAlarmSound::Source::Chime);

    // A wave file past the size cap is refused from what was read, not read whole.
    QByteArray huge = waveFile(3);
    huge.append(QByteArray(static_cast<qsizetype>(wave::kMaxFileBytes), '\0'));
    writeFile(path, huge);
    QVERIFY(prepared());
    QVERIFY2(QString::fromStdString(sound.chimeProblem()).contains("larger"), sound.chimeProblem().c_str());
}

void TestPlatform::withoutTheSoundLibraryTheBellRings()
{
    int bells = 0;
    CanberraAlarmSound sound(
        AssetDirs({qtAssets().toStdString()}), [&] { ++bells; }, "liblumiroka-no-such.so.0");
    sound.prepare();
    QVERIFY(sound.waitIdle(10000));
    QCOMPARE(sound.source(), CanberraAlarmSound::Source::Bell);
    for (int second = 0; second < 2; ++second) {
        sound.play();
        QVERIFY(sound.waitIdle(10000));
    }
    QTRY_COMPARE(bells, 2); // every second of the alarm, on the program's thread
}

void TestPlatform::aSoundServerThatNeverAnswersStopsNothing()
{
    // A server that takes the connection and never says a word: the sound library's calls
    // wait for it for good.
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("pulse"));
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(server >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    QVERIFY(static_cast<std::size_t>(path.size()) < sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    QVERIFY(bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
    QVERIFY(listen(server, 8) == 0);
    qputenv("PULSE_SERVER", "unix:" + path);
    qputenv("CANBERRA_DRIVER", "pulse");
    int bells = 0;
    QThread *bellThread = nullptr;
    {
        auto sound = std::make_unique<CanberraAlarmSound>(AssetDirs({qtAssets().toStdString()}), [&] {
            ++bells;
            bellThread = QThread::currentThread();
        });
        sound->prepare(); // returns: the connection waits on the sound thread
        QVERIFY(!sound->waitIdle(CanberraAlarmSound::kNoAnswerMs + 200));
        sound->play();
        sound->play();
        QCOMPARE(bells, 2); // no answer for a second: the bell, each second
        QCOMPARE(bellThread, QThread::currentThread());
        sound.reset(); // and the program can still end
    }
    qunsetenv("PULSE_SERVER");
    qunsetenv("CANBERRA_DRIVER");
    close(server);
}

void TestPlatform::realStoreKeepsDecimalTextInItsIniFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Lumiroka/Lumiroka.conf");
    {
        QtSettingsStore real(path);
        QCOMPARE(real.read("setting", "charano", "0"), "0");
        QVERIFY(!QFile::exists(path)); // reading writes nothing
        QCOMPARE(writeSettings(real, SettingsValues{2, 0, 1}), "");
    }
    QSettings ini(path, QSettings::IniFormat);
    QCOMPARE(ini.value("setting/charano").toString(), QStringLiteral("2"));
    QCOMPARE(ini.value("setting/check2value").toString(), QStringLiteral("1"));
    QtSettingsStore again(path);
    QCOMPARE(readSettings(again).values, (SettingsValues{2, 0, 1}));
}

void TestPlatform::damagedSettingsFilesGiveDefaults_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<SettingsValues>("expected");
    QTest::addColumn<int>("problems");
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(static_cast<char>((i * 7919) & 0xff));
    QTest::newRow("binary garbage") << garbage << SettingsValues{0, 0, 1} << -1;
    QTest::newRow("invalid utf-8") << QByteArray("[setting]\ncharano=\xff\xfe\x80\ncheck1value=1\n")
                                   << SettingsValues{0, 1, 1} << 1;
    QTest::newRow("huge numbers") << QByteArray("[setting]\ncharano=99999999999999999999\ncheck2value=-70000\n")
                                  << SettingsValues{0, 0, 1} << 2;
    QTest::newRow("a list") << QByteArray("[setting]\ncharano=1, 2\n") << SettingsValues{0, 0, 1} << 1;
    QTest::newRow("good") << QByteArray("[setting]\ncharano=2\ncheck1value=1\ncheck2value=0\n")
                          << SettingsValues{2, 1, 0} << 0;
}

void TestPlatform::damagedSettingsFilesGiveDefaults()
{
    QFETCH(QByteArray, content);
    QFETCH(SettingsValues, expected);
    QFETCH(int, problems);
    QTemporaryDir dir;
    const QString path = dir.filePath("Lumiroka/Lumiroka.conf");
    writeFile(path, content);
    QtSettingsStore store(path);
    const LoadedSettings loaded = readSettings(store);
    QCOMPARE(loaded.values, expected);
    if (problems >= 0)
        QCOMPARE(static_cast<int>(loaded.problems.size()), problems);
    QCOMPARE(readFile(path), content); // reading never rewrites the file
}

void TestPlatform::unwritableStoreKeepsTheEarlierFile()
{
    // A folder where the file should be.
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("Lumiroka/Lumiroka.conf"));
    QtSettingsStore folder(dir.filePath("Lumiroka/Lumiroka.conf"));
    QCOMPARE(readSettings(folder).values, (SettingsValues{0, 0, 1}));
    QVERIFY(!writeSettings(folder, SettingsValues{1, 0, 0}).empty());

    // The store's folder is a file: nothing can be created there.
    QTemporaryDir other;
    writeFile(other.filePath("Lumiroka"), "not a folder");
    QtSettingsStore blocked(other.filePath("Lumiroka/Lumiroka.conf"));
    const std::string why = writeSettings(blocked, SettingsValues{1, 0, 0});
    QVERIFY2(why.find("not a folder") != std::string::npos, why.c_str());
    QCOMPARE(readFile(other.filePath("Lumiroka")), QByteArray("not a folder"));

    // A read-only folder (only meaningful when not root: root writes anyway).
    if (geteuid() != 0) {
        QTemporaryDir ro;
        const QString path = ro.filePath("Lumiroka/Lumiroka.conf");
        writeFile(path, "[setting]\ncharano=2\n");
        QFile::setPermissions(ro.filePath("Lumiroka"), QFile::ReadOwner | QFile::ExeOwner);
        QtSettingsStore store(path);
        QVERIFY(!writeSettings(store, SettingsValues{1, 1, 1}).empty());
        QCOMPARE(readFile(path), QByteArray("[setting]\ncharano=2\n"));
        QFile::setPermissions(ro.filePath("Lumiroka"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

void TestPlatform::fullDiskKeepsTheEarlierFile()
{
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath("small");
    QDir().mkpath(mountPoint);
    if (geteuid() != 0 || mount("tmpfs", mountPoint.toLocal8Bit().constData(), "tmpfs", 0, "size=8k") != 0)
        QSKIP("needs root to mount a small tmpfs");
    const QString path = mountPoint + "/Lumiroka/Lumiroka.conf";
    const QByteArray before("[setting]\ncharano=2\ncheck1value=0\ncheck2value=1\n");
    writeFile(path, before);
    // Fill the rest of the disk.
    {
        QFile filler(mountPoint + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    std::string why;
    {
        QtSettingsStore store(path);
        why = writeSettings(store, SettingsValues{1, 1, 0});
    }
    const QByteArray after = readFile(path);
    umount2(mountPoint.toLocal8Bit().constData(), 0);
    QVERIFY2(!why.empty(), "a write to a full disk must be reported");
    QVERIFY(why.find("full") != std::string::npos);
    QCOMPARE(after, before);
}

void TestPlatform::picturesLoadAsDistinctObjectsWithTheFilesPixels()
{
    for (int charano = 0; charano < 3; ++charano) {
        for (const std::string &file : poseFiles(charano)) {
            const QString path = qtAssets() + "/gif/" + QString::fromStdString(file);
            QString error;
            const auto picture = loadPicture(path, &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            // Our reader sees the same pixels as Qt's.
            const QImage expected(path);
            QVERIFY(!expected.isNull());
            QCOMPARE(shown(*picture, expected.size()), expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }
    }
    // Two loads of one file are two pictures, not one cached pixmap handed out twice.
    const QString rest = qtAssets() + "/gif/piro0.gif";
    const auto first = loadPicture(rest);
    const auto second = loadPicture(rest);
    QVERIFY(first != second);
    QVERIFY(first->pixmap.cacheKey() != second->pixmap.cacheKey());
    // An empty path is an empty picture, and no error.
    QString error;
    QVERIFY(loadPicture(QString(), &error)->pixmap.isNull());
    QVERIFY(error.isEmpty());
}

// Pictures of every kind our reader shows: the Qt front end shows what each file holds, and
// Qt's own reader sees the same where it can read the file at all. (It cannot read the ones
// marked: it refuses stray zero bytes, shows black where there is no colour table, misreads
// code size 1 and leaves the background colour, not transparency, around a frame.)
void TestPlatform::generatedPicturesLoadAsQtsReaderSeesThem()
{
    using gif::testing::Picture;
    enum QtReader
    {
        Agrees,
        AgreesInTheFrame,
        CannotRead
    };
    struct Case
    {
        const char *name;
        void (*shape)(Picture &);
        QtReader qt;
    } cases[] = {
        {"as it comes", [](Picture &) {}, Agrees},
        {"interlaced", [](Picture &p) { p.interlaced = true; }, Agrees},
        {"local colour table", [](Picture &p) { p.local = true; }, Agrees},
        {"transparency", [](Picture &p) { p.transparent = static_cast<int>(p.palette.size()) - 1; }, Agrees},
        {"GIF87a", [](Picture &p) { p.gif87a = true; }, Agrees},
        {"no end marker", [](Picture &p) { p.endMarker = false; }, Agrees},
        {"frame past the screen", [](Picture &p) { p.screenWidth = p.width / 2 + 1; }, Agrees},
        {"offset on a larger screen",
         [](Picture &p) {
             p.left = 3;
             p.top = 5;
             p.screenWidth = p.width + 9;
             p.screenHeight = p.height + 7;
         },
         AgreesInTheFrame},
        {"stray zero bytes", [](Picture &p) { p.strayZeros = true; }, CannotRead},
        {"no colour table", [](Picture &p) { p.noPalette = true; }, CannotRead},
        {"code size 1",
         [](Picture &p) {
             p.depth = p.minCodeSize = 1;
             p.palette.resize(2);
             for (auto &index : p.indices)
                 index &= 1;
             if (p.transparent > 1)
                 p.transparent = -1;
         },
         CannotRead},
    };
    QTemporaryDir dir;
    std::mt19937 random(2212);
    for (const Case &c : cases) {
        for (int n = 0; n < 8; ++n) {
            Picture p = gif::testing::randomPicture(random);
            // Qt's reader places the rows of interlaced pictures under 5 rows elsewhere.
            p.height = std::max(p.height, 5);
            p.left = p.top = 0;
            p.screenWidth = p.width;
            p.screenHeight = p.height;
            p.depth = 1 + n % 8;
            p.palette.resize(std::size_t{1} << p.depth);
            p.indices.resize(static_cast<std::size_t>(p.width * p.height));
            for (auto &index : p.indices)
                index = static_cast<std::uint8_t>(random() % p.palette.size());
            if (p.transparent >= static_cast<int>(p.palette.size()))
                p.transparent = -1;
            c.shape(p);
            const QString what = QStringLiteral("%1, picture %2").arg(c.name).arg(n);
            const gif::testing::Bytes bytes = gif::testing::encode(p);
            const QString path = dir.filePath(QStringLiteral("%1.gif").arg(n));
            writeFile(path,
                      QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size())));
            QString error;
            const auto picture = loadPicture(path, &error);
            QVERIFY2(error.isEmpty(), qPrintable(what + ": " + error));
            const QImage ours = shown(*picture, QSize(p.screenWidth, p.screenHeight));
            const std::vector<std::uint32_t> held = gif::testing::expected(p);
            for (int y = 0; y < ours.height(); ++y)
                for (int x = 0; x < ours.width(); ++x)
                    QVERIFY2(ours.pixel(x, y) == held[static_cast<std::size_t>(y * ours.width() + x)],
                             qPrintable(what + QStringLiteral(" at %1, %2").arg(x).arg(y)));
            if (c.qt == CannotRead)
                continue;
            const QImage qts = QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QRect frame = c.qt == Agrees ? ours.rect() : QRect(picture->offset, picture->pixmap.size());
            QCOMPARE(qts.size(), ours.size());
            QVERIFY2(qts.copy(frame) == ours.copy(frame), qPrintable(what));
        }
    }
}

// Only the frame is kept; the picture box puts it where it sits on its screen.
void TestPlatform::aPictureBoxDrawsTheFrameAtItsPlace()
{
    const gif::testing::Bytes bytes = gif::testing::encode(gif::testing::smallFrameOnLargerScreen());
    QTemporaryDir dir;
    writeFile(dir.filePath("framed.gif"),
              QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    const auto picture = loadPicture(dir.filePath("framed.gif"));
    QCOMPARE(picture->pixmap.size(), QSize(6, 4));
    PictureBox box;
    box.resize(40, 30);
    box.setPicture(picture);
    const QImage shot = box.grab().toImage();
    const QRgb blue = qRgb(0, 0, 255);
    int blues = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) == blue) {
                ++blues;
                QVERIFY2(QRect(10, 20, 6, 4).contains(x, y),
                         qPrintable(QStringLiteral("blue at %1, %2").arg(x).arg(y)));
            }
    QCOMPARE(blues, 24);
}

void TestPlatform::truncatedOrHugePicturesAreRefused()
{
    QTemporaryDir dir;
    {
        QFile full(qtAssets() + "/gif/piro1a.gif");
        QVERIFY(full.open(QIODevice::ReadOnly));
        writeFile(dir.filePath("cut.gif"), full.read(20)); // a truncated header
    }
    QString error;
    QVERIFY(loadPicture(dir.filePath("cut.gif"), &error)->pixmap.isNull());
    QVERIFY(!error.isEmpty());

    // 35-byte files whose single pixel sits on a screen of 4096 or 5792 pixels a side.
    for (const int side : {4096, 5792}) {
        gif::testing::Picture bomb;
        bomb.gif87a = true;
        bomb.screenWidth = bomb.screenHeight = side;
        bomb.width = bomb.height = 1;
        bomb.palette = {0, 0xffffff};
        bomb.indices = {1};
        const gif::testing::Bytes bytes = gif::testing::encode(bomb);
        QCOMPARE(bytes.size(), std::size_t{35});
        writeFile(dir.filePath("bomb.gif"),
                  QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size())));
        error.clear();
        const auto picture = loadPicture(dir.filePath("bomb.gif"), &error);
        QVERIFY(picture && picture->pixmap.isNull());
        QCOMPARE(error, QStringLiteral("too large (its screen is %1 x %1 pixels; at most 1024 on a side)").arg(side));
    }
}

void TestPlatform::embeddedTrayIconOpensTheMenuOnTheRelease()
{
    QtTrayIcon tray(QStringLiteral(":/icons/lumiroka-16.png"));
    QList<int> opened;
    tray.onNotify = [&](int message) { opened << message; };
    EmbeddedIcon icon;
    icon.setObjectName(QStringLiteral("QSystemTrayIconSys"));
    icon.resize(22, 22);
    icon.show();
    QVERIFY(QTest::qWaitForWindowExposed(&icon));
    tray.add("Lumiroka");

    const QPoint inside(5, 6);
    QTest::mousePress(&icon, Qt::LeftButton, {}, inside);
    QVERIFY(opened.isEmpty()); // a press alone does nothing...
    QCOMPARE(icon.presses, 0); // ...not even through Qt's own handler
    QTest::mouseRelease(&icon, Qt::LeftButton, {}, inside);
    QCOMPARE(opened, QList<int>{514});
    QTest::mousePress(&icon, Qt::RightButton, {}, inside);
    QTest::mouseRelease(&icon, Qt::RightButton, {}, inside);
    QCOMPARE(opened, (QList<int>{514, 517}));
    QTest::mousePress(&icon, Qt::MiddleButton, {}, inside);
    QTest::mouseRelease(&icon, Qt::MiddleButton, {}, inside);
    QTest::mousePress(&icon, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(&icon, Qt::LeftButton, {}, QPoint(60, 60)); // let go away from the icon
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(inside), QPointF(icon.mapToGlobal(inside)),
                            Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&icon, &doubleClick);
    QCOMPARE(opened.size(), 2);
    QCOMPARE(icon.presses, 0);

    // Removed, the icon's events are none of the tray's business.
    tray.remove();
    QTest::mousePress(&icon, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(&icon, Qt::LeftButton, {}, inside);
    QCOMPARE(icon.presses, 1);
    QCOMPARE(opened.size(), 2);
}

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
