// Tick accuracy of the program's one-second timer: runs a TickTimer on the boot-time
// clock, exactly as the main window does, and records when each timeout() arrives.
// Tick N is due N seconds after start(); its lateness is arrival - (start + N s). The
// cumulative drift is where the count stands at the end: the median lateness of the last
// ten ticks (a timer that re-armed itself for one second after each tick would be late
// by the sum of all latenesses by then). The median keeps one tick that the scheduler
// happened to wake late out of it; that tick shows in worst_ms and last_ms.
//
//   bench_tick [TICKS] [--csv FILE] [--raw]      default 60 ticks
//
// --raw measures a reference instead: a plain loop of clock_nanosleep(CLOCK_BOOTTIME,
// TIMER_ABSTIME) on the same one-second grid, no Qt, no event loop. Run beside the
// TickTimer under the same load it tells how late the kernel wakes any sleeping thread
// on this machine, which no timer code can beat.
//
// Prints one line per ten ticks on stderr and, on stdout,
//   RESULT ticks=N drift_ms=... last_ms=... worst_ms=... median_ms=... p95_ms=...
//          mean_ms=... trend_ms=... early_ms=... cpu_ms=...
// trend_ms is the least-squares slope of lateness over tick number times the number of
// ticks: what accumulated over the run, apart from the jitter of single ticks. early_ms
// is the most negative lateness (a tick before its time), 0 when none was early.

#include <time.h>

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "benchutil.h"
#include "qt/desktop/boottimeclock.h"
#include "qt/ticktimer.h"

namespace {

// The reference: the kernel's absolute sleep on the same clock and grid.
std::vector<double> rawTicks(int ticks)
{
    using namespace std::chrono;
    lumiroka::BootTimeClock clock;
    std::vector<double> lateMs;
    const nanoseconds start = clock.now();
    for (int n = 1; n <= ticks; ++n) {
        const nanoseconds due = start + seconds(n);
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(duration_cast<seconds>(due).count());
        ts.tv_nsec = static_cast<long>((due - seconds(ts.tv_sec)).count());
        while (clock_nanosleep(CLOCK_BOOTTIME, TIMER_ABSTIME, &ts, nullptr) != 0) {
        }
        lateMs.push_back(static_cast<double>((clock.now() - due).count()) / 1e6);
        if (n % 10 == 0)
            std::fprintf(stderr, "  raw tick %d/%d, %.3f ms late\n", n, ticks, lateMs.back());
    }
    return lateMs;
}

// Least-squares slope of lateness over tick number, times the number of ticks.
double trend(const std::vector<double> &lateMs)
{
    const double n = static_cast<double>(lateMs.size());
    if (n < 2)
        return 0.0;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < lateMs.size(); ++i) {
        const double x = static_cast<double>(i + 1);
        sx += x;
        sy += lateMs[i];
        sxx += x * x;
        sxy += x * lateMs[i];
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx) * n;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int ticks = 60;
    const char *csvPath = nullptr;
    bool raw = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--csv") == 0 && i + 1 < argc)
            csvPath = argv[++i];
        else if (std::strcmp(argv[i], "--raw") == 0)
            raw = true;
        else
            ticks = std::atoi(argv[i]);
    }
    if (ticks < 1) {
        std::fprintf(stderr, "usage: bench_tick [TICKS] [--csv FILE] [--raw]\n");
        return 2;
    }

    using namespace std::chrono;
    lumiroka::BootTimeClock clock;
    lumiroka::TickTimer timer(clock);
    std::vector<double> lateMs;
    lateMs.reserve(static_cast<std::size_t>(ticks));
    nanoseconds start{0};
    double cpuStart = 0;
    if (raw) {
        cpuStart = bench::processCpuSeconds();
        lateMs = rawTicks(ticks);
    } else {
        QObject::connect(&timer, &lumiroka::TickTimer::timeout, [&] {
            const nanoseconds arrived = clock.now();
            const auto n = static_cast<std::int64_t>(lateMs.size()) + 1;
            lateMs.push_back(static_cast<double>((arrived - start - seconds(n)).count()) / 1e6);
            if (n % 10 == 0)
                std::fprintf(stderr, "  tick %lld/%d, %.3f ms late\n", static_cast<long long>(n), ticks, lateMs.back());
            if (n >= ticks) {
                timer.stop();
                QCoreApplication::quit();
            }
        });
        QTimer::singleShot(0, [&] {
            cpuStart = bench::processCpuSeconds();
            // The schedule reads the clock again inside start(), a fraction of a microsecond
            // later: every lateness below is overstated by that much at most.
            start = clock.now();
            timer.start();
        });
        QCoreApplication::exec();
    }
    const double cpuMs = (bench::processCpuSeconds() - cpuStart) * 1e3;

    if (csvPath) {
        if (FILE *f = std::fopen(csvPath, "w")) {
            std::fprintf(f, "tick,late_ms\n");
            for (std::size_t i = 0; i < lateMs.size(); ++i)
                std::fprintf(f, "%zu,%.4f\n", i + 1, lateMs[i]);
            std::fclose(f);
        }
    }

    bench::Result r;
    r.add("ticks", static_cast<double>(lateMs.size()), 0);
    const std::size_t tail = std::min<std::size_t>(10, lateMs.size());
    r.add("drift_ms",
          bench::median(std::vector<double>(lateMs.end() - static_cast<std::ptrdiff_t>(tail), lateMs.end())));
    r.add("last_ms", lateMs.back());
    r.add("worst_ms", bench::maxOf(lateMs));
    r.add("median_ms", bench::median(lateMs));
    r.add("p95_ms", bench::percentile(lateMs, 0.95));
    r.add("mean_ms", bench::mean(lateMs));
    r.add("trend_ms", trend(lateMs));
    r.add("early_ms", std::min(0.0, bench::minOf(lateMs)));
    r.add("cpu_ms", cpuMs, 1);
    r.print();
    return 0;
}
