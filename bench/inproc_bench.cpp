// In-process measurements on the real main window and its form, with recording stand-ins
// for the desktop (tests/forms/fakes.h) but the real boot-time clock and the real random source, so
// the one-second tick and the character's animation run as in the program. Meant for
// the offscreen platform (set here when QT_QPA_PLATFORM is empty).
//
//   bench_inproc click [RUNS]   picbox_Click on the running character: its duration,
//                               the process's CPU time during it and the lateness of the
//                               one-second tick that falls inside it (default 5 clicks)
//   bench_inproc alarm [RUNS]   countdowns from 00:00:02: the time from entering
//                               swtimer_Timer at 00:00:01 to the sound's play() call and
//                               to the raise call, with the window shown and with the
//                               window in the notification area (default 3 of each)
//   bench_inproc sound          the real CanberraAlarmSound: how long prepare() (the first
//                               also opens the library) and play() hold the caller (the GUI
//                               thread), for information; through the sound server that
//                               PULSE_SERVER names
//
// Each prints details and one "RESULT key=value ..." line for bench/run.sh.

#include <QApplication>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

#include "benchutil.h"
#include "chara/randomsource.h"
#include "forms/fakes.h"
#include "forms/mainform.h"
#include "qt/desktop/boottimeclock.h"
#include "qt/mainwindow.h"
#include "qt/sound.h"

namespace {

using namespace std::chrono;
using lumiroka::mainform;
using steady = steady_clock;

double msBetween(steady::time_point a, steady::time_point b)
{
    return duration<double, std::milli>(b - a).count();
}

// The sound and the raise record when they were asked for.
struct TimedSound : lumiroka::AlarmSound
{
    std::optional<steady::time_point> lastPlay;
    int plays = 0;
    void play() override
    {
        lastPlay = steady::now();
        ++plays;
    }
};

struct TimedWindow : lumiroka::QtMainWindow
{
    using QtMainWindow::QtMainWindow;
    std::optional<steady::time_point> lastRaise;
    QStringList warnings;
    void raiseToFront(const std::string &) override { lastRaise = steady::now(); }
    void warn(const std::string &text) override { warnings << QString::fromStdString(text); }
};

// The real window and form with stand-ins, the real clock and the real (unseeded) random source.
struct Bench
{
    TimedSound sound;
    lumiroka::testing::FakeTray tray;
    lumiroka::testing::MemoryStore store;
    lumiroka::UnseededRandomSource random;
    lumiroka::BootTimeClock clock;
    TimedWindow window{clock};
    std::unique_ptr<mainform> form;

    // Called on entry to every tick, before swtimer_Timer runs.
    std::function<void()> onTick;

    Bench()
    {
        form = std::make_unique<mainform>(lumiroka::FrontEnd{window, window.optionsDialog(), tray, sound, store, random,
                                                             clock, lumiroka::AssetDirs({LUMIROKA_BENCH_ASSETS})});
        // Connected before the form's own handler, so it sees the moment the tick is entered.
        QObject::connect(&dynamic_cast<lumiroka::TickTimer &>(window.swtimer()), &lumiroka::TickTimer::timeout, &window,
                         [this] {
                             if (onTick)
                                 onTick();
                         });
        window.connectForm(*form);
        form->Form_Load();
        if (!window.warnings.isEmpty())
            std::fprintf(stderr, "warning: %s\n", qPrintable(window.warnings.join(QStringLiteral("; "))));
    }

    QScrollBar *bar(const char *name) const { return window.findChild<QScrollBar *>(QString::fromLatin1(name)); }
};

// ------------------------------------------------------------------ click

int runClick(int runs)
{
    Bench b;
    std::fprintf(stderr, "click: %d clicks on the running character, one every 3 s\n", runs);

    nanoseconds start{0};
    std::int64_t ticks = 0;
    bool inClick = false;
    std::vector<double> lateDuringClick; // of the current click
    std::vector<double> lateOutside;
    b.onTick = [&] {
        ++ticks;
        const double late = static_cast<double>((b.clock.now() - start - seconds(ticks)).count()) / 1e6;
        (inClick ? lateDuringClick : lateOutside).push_back(late);
    };

    std::vector<double> durations, cpuPct, worstLate, wakeups;
    int done = 0;
    std::function<void()> click = [&] {
        if (!b.form->isRunning()) {
            std::fprintf(stderr, "click: the timer is not running\n");
            QCoreApplication::exit(1);
            return;
        }
        lateDuringClick.clear();
        inClick = true;
        const long switches0 = bench::processContextSwitches();
        const double cpu0 = bench::processCpuSeconds();
        const auto t0 = steady::now();
        b.form->picbox_Click(0);
        const auto t1 = steady::now();
        const double cpu = bench::processCpuSeconds() - cpu0;
        const long switches = bench::processContextSwitches() - switches0;
        inClick = false;
        const double secs = msBetween(t0, t1) / 1e3;
        durations.push_back(secs);
        cpuPct.push_back(100.0 * cpu / secs);
        wakeups.push_back(static_cast<double>(switches) / secs);
        const double worst = lateDuringClick.empty() ? -1.0 : bench::maxOf(lateDuringClick);
        worstLate.push_back(worst);
        std::fprintf(stderr,
                     "  click %d: %.4f s, CPU %.1f ms (%.2f%% of a core), %zu tick(s) inside, worst %.3f ms late\n",
                     done + 1, secs, cpu * 1e3, cpuPct.back(), lateDuringClick.size(), worst);
        if (++done >= runs) {
            QTimer::singleShot(200, [] { QCoreApplication::quit(); });
            return;
        }
        // The next click 0.3 s after a tick, two ticks later.
        const nanoseconds next = start + seconds(ticks + 2) + milliseconds(300);
        const auto wait = std::max<std::int64_t>(0, duration_cast<milliseconds>(next - b.clock.now()).count());
        QTimer::singleShot(static_cast<int>(wait), Qt::PreciseTimer, click);
    };

    start = b.clock.now();
    b.form->ssbutton_Click();
    QTimer::singleShot(2300, Qt::PreciseTimer, click);
    const int rc = QApplication::exec();
    if (rc != 0 || durations.empty())
        return rc ? rc : 1;

    bench::Result r;
    r.add("clicks", static_cast<double>(durations.size()), 0);
    r.add("duration_s", bench::median(durations), 4);
    r.add("duration_max_s", bench::maxOf(durations), 4);
    r.add("cpu_pct", bench::median(cpuPct), 2);
    r.add("cpu_pct_max", bench::maxOf(cpuPct), 2);
    r.add("tick_late_ms", bench::median(worstLate), 3);
    r.add("tick_late_max_ms", bench::maxOf(worstLate), 3);
    r.add("tick_late_outside_max_ms", bench::maxOf(lateOutside), 3);
    r.add("wakeups_per_s", bench::median(wakeups), 0);
    r.print();
    return 0;
}

// ------------------------------------------------------------------ alarm

int runAlarm(int runs)
{
    Bench b;
    std::fprintf(stderr, "alarm: %d countdowns from 00:00:02 with the window shown, %d from the notification area\n",
                 runs, runs);

    struct Sample
    {
        double toPlay, toRaise, dueToPlay, tickLate;
    };
    std::vector<Sample> shown, tray;
    nanoseconds start{0};
    std::int64_t ticks = 0;
    std::optional<steady::time_point> entered;
    double enteredLate = 0;
    bool fromTray = false;
    int done = 0;

    auto timeIs = [&](int h, int m, int s) {
        const auto &t = b.form->time();
        return t.countmode == 1 && t.hourcount == h && t.mincount == m && t.seccount == s;
    };

    std::function<void()> begin;
    b.onTick = [&] {
        ++ticks;
        if (!timeIs(0, 0, 1))
            return;
        const nanoseconds now = b.clock.now();
        entered = steady::now();
        enteredLate = static_cast<double>((now - start - seconds(ticks)).count()) / 1e6;
        b.sound.lastPlay.reset();
        b.window.lastRaise.reset();
        // Runs after swtimer_Timer has returned.
        QTimer::singleShot(0, [&] {
            if (!b.sound.lastPlay || !b.window.lastRaise) {
                std::fprintf(stderr, "alarm: the zero tick did not play and raise\n");
                QCoreApplication::exit(1);
                return;
            }
            const Sample s{msBetween(*entered, *b.sound.lastPlay), msBetween(*entered, *b.window.lastRaise),
                           enteredLate + msBetween(*entered, *b.sound.lastPlay), enteredLate};
            (fromTray ? tray : shown).push_back(s);
            std::fprintf(stderr,
                         "  %s %d: tick entry -> play %.3f ms, -> raise %.3f ms; tick due -> play %.3f ms "
                         "(window %s)\n",
                         fromTray ? "tray " : "shown", done % runs + 1, s.toPlay, s.toRaise, s.dueToPlay,
                         b.window.isVisible() ? "visible" : "hidden");
            ++done;
            if (done >= 2 * runs) {
                QCoreApplication::quit();
                return;
            }
            QTimer::singleShot(300, begin);
        });
    };

    begin = [&] {
        if (b.form->isRunning())
            b.form->ssbutton_Click(); // stops the alarm
        b.form->resetbutton_Click();
        fromTray = done >= runs;
        if (fromTray) {
            b.window.setWindowState(b.window.windowState() | Qt::WindowMinimized);
            if (b.window.isVisible())
                std::fprintf(stderr, "alarm: the minimized window did not go to the notification area\n");
        } else if (!b.window.isVisible()) {
            b.form->restoreFromTray();
        }
        b.bar("secbar")->setValue(2);
        ticks = 0;
        start = b.clock.now();
        b.form->ssbutton_Click();
    };
    QTimer::singleShot(500, begin);
    const int rc = QApplication::exec();
    if (rc != 0)
        return rc;

    auto pick = [](const std::vector<Sample> &v, double Sample::*field) {
        std::vector<double> out;
        for (const auto &s : v)
            out.push_back(s.*field);
        return out;
    };
    bench::Result r;
    r.add("runs", runs, 0);
    r.add("play_ms", bench::median(pick(shown, &Sample::toPlay)));
    r.add("raise_ms", bench::median(pick(shown, &Sample::toRaise)));
    r.add("due_play_ms", bench::median(pick(shown, &Sample::dueToPlay)));
    r.add("tray_play_ms", bench::median(pick(tray, &Sample::toPlay)));
    r.add("tray_raise_ms", bench::median(pick(tray, &Sample::toRaise)));
    r.add("tray_due_play_ms", bench::median(pick(tray, &Sample::dueToPlay)));
    std::vector<double> all = pick(shown, &Sample::toRaise);
    for (double x : pick(tray, &Sample::toRaise))
        all.push_back(x);
    r.add("raise_max_ms", bench::maxOf(all));
    r.print();
    return 0;
}

// ------------------------------------------------------------------ sound

int runSound()
{
    const char *sources[] = {"chime", "theme", "bell"};
    std::vector<double> prepare, play;
    lumiroka::CanberraAlarmSound::Source source = lumiroka::CanberraAlarmSound::Source::Bell;
    // One sound, as in the program: three countdowns, each with its prepare() and five plays.
    lumiroka::CanberraAlarmSound sound(lumiroka::AssetDirs({LUMIROKA_BENCH_ASSETS}), [] {});
    for (int i = 0; i < 3; ++i) {
        auto t0 = steady::now();
        sound.prepare(); // the first also opens the library and caches the chime
        auto t1 = steady::now();
        prepare.push_back(msBetween(t0, t1));
        source = sound.source();
        std::fprintf(stderr, "  sound %d: prepare() %.3f ms (%s), play()", i + 1, prepare.back(),
                     sources[static_cast<int>(source)]);
        for (int k = 0; k < 5; ++k) {
            t0 = steady::now();
            sound.play();
            t1 = steady::now();
            play.push_back(msBetween(t0, t1));
            std::fprintf(stderr, " %.3f", play.back());
            QTimer wait;
            wait.setSingleShot(true);
            QEventLoop loop;
            QObject::connect(&wait, &QTimer::timeout, &loop, &QEventLoop::quit);
            wait.start(200);
            loop.exec();
        }
        std::fprintf(stderr, " ms\n");
    }
    bench::Result r;
    r.add("prepare_first_ms", prepare.front());
    r.add("prepare_ms", bench::median(std::vector<double>(prepare.begin() + 1, prepare.end())));
    r.add("play_ms", bench::median(play));
    r.add("play_max_ms", *std::max_element(play.begin(), play.end()));
    r.print();
    std::printf("SOURCE %s\n", sources[static_cast<int>(source)]);
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: bench_inproc click [RUNS] | alarm [RUNS] | sound\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc < 2)
        return usage();
    QApplication app(argc, argv);
    // Whatever goes wrong, the bench ends.
    QTimer::singleShot(120000, [] {
        std::fprintf(stderr, "bench_inproc: gave up after 120 s\n");
        QCoreApplication::exit(3);
    });
    const std::string mode = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 0;
    if (mode == "click")
        return runClick(runs ? runs : 5);
    if (mode == "alarm")
        return runAlarm(runs ? runs : 3);
    if (mode == "sound")
        return runSound();
    return usage();
}
