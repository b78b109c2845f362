#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chara/randomsource.h"
#include "core/product.h"
#include "forms/mainform.h"
#include "qt/appdirs.h"
#include "qt/desktop/boottimeclock.h"
#include "qt/desktop/fontwarmup.h"
#include "qt/mainwindow.h"
#include "qt/qtsettingsstore.h"
#include "qt/sound.h"
#include "qt/tray.h"

namespace {

using lumiroka::kVersion;

// Handles --help and --version before any window system is touched. Returns -1 to go
// on, otherwise the exit code.
int handleCommandLine(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("lumiroka %s\n", kVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: lumiroka [--help] [--version]\n\n"
                        "A desktop stopwatch and countdown timer with a companion character.\n"
                        "Settings are chosen in the OPTION dialog.\n\n"
                        "  -h, --help     show this help and exit\n"
                        "  -v, --version  show the version and exit\n");
            return 0;
        }
    }
    return -1;
}

#if defined(__linux__)
// Qt aborts with a terse message when no display can be reached; say it plainly instead.
bool haveDisplay()
{
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true; // an explicit platform (offscreen, vnc...) knows what it needs
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// Compositors do not tell a Wayland client that its window was minimized, so the move to
// the notification area could never happen there; XWayland does tell. Prefer X11 when
// both are offered and fall back to Wayland otherwise.
void preferX11()
{
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const char *x11 = std::getenv("DISPLAY");
    if ((!platform || !*platform) && x11 && *x11)
        setenv("QT_QPA_PLATFORM", "xcb;wayland", 0);
}
#endif

QtMessageHandler g_defaultHandler = nullptr;

// A display that is named but cannot be reached makes Qt abort with a page about platform
// plugins; say plainly what is wrong and leave with an error code instead of a core dump.
void plainStartupFailure(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        const char *display = std::getenv("DISPLAY");
        std::fprintf(stderr, "lumiroka: cannot open the display%s%s; Lumiroka needs a graphical desktop.\n",
                     display ? " " : "", display ? display : "");
        std::fflush(stderr);
        std::_Exit(2);
    }
    g_defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char **argv)
{
    if (const int code = handleCommandLine(argc, argv); code >= 0)
        return code;
#if defined(__linux__)
    if (!haveDisplay()) {
        std::fprintf(stderr, "lumiroka: no graphical display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                             "Lumiroka is a desktop program; start it from a desktop session.\n");
        return 2;
    }
    preferX11();
#endif

    // The font configuration is read beside the connection to the display.
    lumiroka::FontWarmup fontConfig;
    g_defaultHandler = qInstallMessageHandler(plainStartupFailure);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_defaultHandler);
    QApplication::setApplicationName(QString::fromUtf8(lumiroka::kProductName));
    QApplication::setOrganizationName(QString::fromUtf8(lumiroka::kProductName));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QApplication::setDesktopFileName(QStringLiteral("org.lumiroka.Lumiroka"));
    QIcon icon;
    // Only the sizes a title bar and a task switcher use; the desktop's icon theme has the rest.
    for (int size : {16, 32, 48}) {
        // Read as PNG outright: asked to guess, the reader loads every image plugin
        // installed to ask each whether it knows the format.
        QImageReader reader(QStringLiteral(":/icons/lumiroka-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    QApplication::setWindowIcon(icon);
    // Hiding the main window in the notification area must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    const lumiroka::AssetDirs assets = lumiroka::AssetDirs::besideExecutable(lumiroka::executableDir());
    lumiroka::LazyAlarmSound sound(QString::fromStdString(assets.find("justtime.wav")), lumiroka::pluginDirs());
    lumiroka::QtTrayIcon tray(QStringLiteral(":/icons/lumiroka-16.png"));
    lumiroka::QtSettingsStore store;
    lumiroka::UnseededRandomSource random;
    lumiroka::BootTimeClock clock;

    fontConfig.wait(); // before the window: building it can make Qt fork
    lumiroka::QtMainWindow window(clock);
    lumiroka::mainform form({window, window.optionsDialog(), tray, sound, store, random, clock, assets});
    window.connectForm(form);
    tray.onNotify = [&form](int message) { form.Form_MouseMove(0, 0, static_cast<float>(message), 0); };
    tray.setMenu(window.trayMenu().hostMenu());
    form.Form_Load();
    const int code = app.exec();
    tray.setMenu(nullptr); // the window and its menus go first
    return code;
}
