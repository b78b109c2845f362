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
// both are offered and fall back to Wayland otherwise. Named outright: left to itself,
// Qt tries X11 alone on a GNOME session, also one without XWayland.
void preferX11()
{
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return;
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    if (!wayland || !*wayland)
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    else
        setenv("QT_QPA_PLATFORM", x11 && *x11 ? "xcb;wayland" : "wayland;xcb", 1);
}
#endif

QtMessageHandler g_defaultHandler = nullptr;

// Whether Qt's list of the platform plugins it found ("Available platform plugins are: ...")
// names `plugin`.
bool pluginListed(const QString &message, const char *plugin)
{
    const qsizetype list = message.indexOf(QLatin1String("platform plugins are:"));
    if (list < 0)
        return true; // no list to go by: the plugin was there and the display was not
    const QStringList names = message.mid(list + 21).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &name : names)
        if (name.trimmed().remove(QLatin1Char('.')) == QLatin1String(plugin))
            return true;
    return false;
}

// When no platform can be opened Qt aborts with a page about platform plugins; say plainly
// what is wrong (the display that cannot be reached, or the part of Qt that is not
// installed) and leave with an error code instead of a core dump.
void plainStartupFailure(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        const char *x11 = std::getenv("DISPLAY");
        const char *wayland = std::getenv("WAYLAND_DISPLAY");
        const char *platform = std::getenv("QT_QPA_PLATFORM");
        // The platforms that were tried, as preferX11() or the person named them.
        const QString tried = QString::fromLocal8Bit(platform ? platform : "");
        bool said = false;
        for (const QString &name : tried.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (name.startsWith(QLatin1String("wayland"))) {
                const char *shown = wayland && *wayland ? wayland : "wayland-0";
                if (!pluginListed(message, "wayland"))
                    std::fprintf(stderr,
                                 "lumiroka: the Wayland display %s needs Qt's Wayland platform, which is not installed "
                                 "(Debian: qt6-wayland).\n",
                                 shown);
                else
                    std::fprintf(stderr, "lumiroka: cannot connect to the Wayland display %s.\n", shown);
            } else if (name == QLatin1String("xcb")) {
                if (!x11 || !*x11)
                    std::fprintf(stderr, "lumiroka: no X display to open (DISPLAY is not set).\n");
                else if (!pluginListed(message, "xcb"))
                    std::fprintf(stderr,
                                 "lumiroka: the X display %s needs Qt's X11 platform, which is not installed "
                                 "(Debian: qt6-qpa-plugins).\n",
                                 x11);
                else
                    std::fprintf(stderr, "lumiroka: cannot open the X display %s.\n", x11);
            } else {
                std::fprintf(stderr, "lumiroka: cannot open the display of the platform %s.\n", qPrintable(name));
            }
            said = true;
        }
        if (!said)
            std::fprintf(stderr, "lumiroka: cannot open the display.\n");
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
    lumiroka::CanberraAlarmSound sound(assets);
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
