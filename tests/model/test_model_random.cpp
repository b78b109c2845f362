// Model-based random test of the timer window: long random sequences of user actions
// and timer events go to the real window and to the model alike, and after every single
// operation everything visible must agree.
//
// Default (CI): 8 fixed seeds x 125,000 operations, characters 0, 1 and 2.
// Longer runs: LUMIROKA_MODEL_SEED=random (or a number) runs one seed, printed at start;
// LUMIROKA_MODEL_OPS=N sets the operations per seed (default 1,000,000 there).

#include <QElapsedTimer>
#include <QtTest>

#include <cinttypes>
#include <cstdio>
#include <random>

#include "timer_model.h"
#include "window_probe.h"

using namespace lumiroka::model;

namespace {

// A small generator of our own, so a seed means the same sequence everywhere.
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }

private:
    std::uint64_t m_state;
};

struct Op
{
    enum Kind : std::uint8_t
    {
        Tick,
        Repeat,
        Bar,
        StartStop,
        Reset,
        Click,
    };
    Kind kind = Tick;
    Field field = Field::Hour;
    int value = 0;
    Window::WaitEvents during{}; // for a click: timer events its wait delivered
};

QString describe(const Op &op, const State &before)
{
    switch (op.kind) {
    case Op::Tick:
        return QStringLiteral("swtimer_Timer");
    case Op::Repeat:
        return QStringLiteral("soundtimer_Timer");
    case Op::Bar: {
        const char *name = op.field == Field::Hour ? "hourbar" : op.field == Field::Minute ? "minbar" : "secbar";
        return QStringLiteral("%1.setValue(%2)").arg(QLatin1String(name)).arg(op.value);
    }
    case Op::StartStop:
        return before.ticking ? QStringLiteral("ssbutton_Click (STOP)") : QStringLiteral("ssbutton_Click (START)");
    case Op::Reset:
        return QStringLiteral("resetbutton_Click");
    case Op::Click:
        return QStringLiteral("picbox_Click(0) (%1; wait delivered %2 ticks, %3 alarm repeats)")
            .arg(before.ticking ? QStringLiteral("running") : QStringLiteral("stopped"))
            .arg(op.during.ticks)
            .arg(op.during.repeats);
    }
    return QStringLiteral("?");
}

QString describe(const State &s)
{
    return QStringLiteral("%1:%2:%3 countmode=%4 uppaused=%5 downstarted=%6 tick=%7 alarm=%8")
        .arg(twoDigitText(s.time.h), twoDigitText(s.time.m), twoDigitText(s.time.s))
        .arg(s.countmode)
        .arg(s.uppaused)
        .arg(s.downstarted)
        .arg(s.ticking)
        .arg(s.repeating);
}

QString summary(const Milestones &m)
{
    return QStringLiteral("alarms %1, hour-limit stops %2, zero wraps %3, alarm repeats while stopped %4, "
                          "STARTs while ringing %5, RESETs while ringing %6, alarms while ringing %7, "
                          "clicks while running %8 (their waits delivered %9 alarm repeats)")
        .arg(m.alarms)
        .arg(m.limitStops)
        .arg(m.zeroWraps)
        .arg(m.repeatsWhileStopped)
        .arg(m.startsWhileRinging)
        .arg(m.resetsWhileRinging)
        .arg(m.alarmsWhileRinging)
        .arg(m.runningClicks)
        .arg(m.repeatsDuringClicks);
}

struct RunReport
{
    long ops = 0;
    double clickSeconds = 0; // spent in clicks while running
    Milestones milestones;
    QString failure; // empty when window and model agreed throughout
};

// Drives one seed.
class RandomRun
{
public:
    RandomRun(std::uint64_t seed, int character, long opsWanted)
        : m_seed(seed), m_character(character), m_wanted(opsWanted), m_rng(seed), m_model(character),
          m_window(character), m_expect(character)
    {
    }

    RunReport run()
    {
        // The freshly loaded window must already look as the model starts.
        if (!check(-1))
            return report();
        while (m_ops < m_wanted && m_failure.isEmpty())
            decide();
        return report();
    }

private:
    static constexpr int kHistory = 20;

    struct Logged
    {
        long step;
        Op op;
        State before;
    };

    RunReport report() const { return {m_ops, m_clickNs / 1e9, m_model.milestones(), m_failure}; }

    bool apply(Op op)
    {
        const State before = m_model.state();
        switch (op.kind) {
        case Op::Tick:
            m_window.tick();
            m_model.tick();
            break;
        case Op::Repeat:
            m_window.repeatAlarm();
            m_model.repeatAlarm();
            break;
        case Op::Bar:
            m_window.moveBar(op.field, op.value);
            m_model.moveBar(op.field, op.value);
            break;
        case Op::StartStop:
            m_window.startStop();
            m_model.startStop();
            break;
        case Op::Reset:
            m_window.reset();
            m_model.reset();
            break;
        case Op::Click: {
            QElapsedTimer clock;
            clock.start();
            op.during = m_window.clickCharacter();
            if (before.ticking)
                m_clickNs += clock.nsecsElapsed();
            if (op.during.ticks != 0) {
                m_history[static_cast<std::size_t>(m_ops % kHistory)] = {m_ops, op, before};
                ++m_ops;
                fail(m_ops - 1, QStringLiteral("the tick fired during the click's wait although the test clock "
                                               "never moves"));
                return false;
            }
            m_model.clickCharacter(op.during.repeats);
            break;
        }
        }
        m_history[static_cast<std::size_t>(m_ops % kHistory)] = {m_ops, op, before};
        ++m_ops;
        return check(m_ops - 1);
    }

    bool check(long step)
    {
        const Seen want = m_expect.of(m_model.state());
        const Seen got = m_window.observe();
        if (want == got)
            return true;
        fail(step, differences(want, got).join(QStringLiteral("\n  ")));
        return false;
    }

    void fail(long step, const QString &what)
    {
        QString text;
        text += QStringLiteral("MISMATCH seed=%1 character=%2 step=%3 (0-based; -1 is the loaded window)\n  %4\n")
                    .arg(m_seed)
                    .arg(m_character)
                    .arg(step)
                    .arg(what);
        text += QStringLiteral("Model after the step: %1\n").arg(describe(m_model.state()));
        text += QStringLiteral("Last operations (model state before each):\n");
        const long first = std::max(0L, m_ops - kHistory);
        for (long i = first; i < m_ops; ++i) {
            const Logged &l = m_history[static_cast<std::size_t>(i % kHistory)];
            text += QStringLiteral("  #%1 %2   [%3]\n").arg(l.step).arg(describe(l.op, l.before), describe(l.before));
        }
        text += QStringLiteral("Reproduce: LUMIROKA_MODEL_SEED=%1 LUMIROKA_MODEL_OPS=%2 (character %3 = seed mod 3)\n")
                    .arg(m_seed)
                    .arg(step + 1)
                    .arg(m_seed % 3);
        m_failure = text;
    }

    bool room() const { return m_ops < m_wanted && m_failure.isEmpty(); }

    Op bar(Field field, int value) { return Op{Op::Bar, field, value, {}}; }
    static Op simple(Op::Kind kind) { return Op{kind, Field::Hour, 0, {}}; }

    int runLength()
    {
        const int r = m_rng.below(100);
        if (r < 70)
            return m_rng.between(1, 5);
        if (r < 92)
            return m_rng.between(1, 100);
        if (r < 99)
            return m_rng.between(100, 1000);
        return m_rng.between(1000, 5000);
    }

    int barValue(Field field)
    {
        const int r = m_rng.below(10);
        if (r < 2)
            return 0;
        if (r < 4)
            return fieldMax(field);
        return m_rng.between(0, fieldMax(field));
    }

    // Sets all three bars, in a random order.
    void setAll(int h, int m, int s)
    {
        std::array<Op, 3> ops{bar(Field::Hour, h), bar(Field::Minute, m), bar(Field::Second, s)};
        for (int i = 2; i > 0; --i)
            std::swap(ops[static_cast<std::size_t>(i)], ops[static_cast<std::size_t>(m_rng.below(i + 1))]);
        for (const Op &op : ops)
            if (!room() || !apply(op))
                return;
    }

    void ticks(int n)
    {
        for (int i = 0; i < n && m_model.state().ticking && room(); ++i)
            if (!apply(simple(Op::Tick)))
                return;
    }

    void decide()
    {
        const State &s = m_model.state();
        if (s.repeating && s.ticking && s.countmode == 0 && s.time.h < kHourMax && m_rng.below(8) == 0) {
            // Lets a ringing alarm run on to the hour limit, where the count stops by itself
            // and the alarm goes on repeating with the tick off.
            setAll(kHourMax, kMinSecMax, m_rng.between(50, kMinSecMax));
            return;
        }
        const int r = m_rng.below(1000);
        if (r < 450) {
            // A run of ticks; a stopped timer is started instead.
            if (!s.ticking)
                apply(simple(Op::StartStop));
            else
                ticks(runLength());
        } else if (r < 490) {
            if (s.repeating) {
                const int n = m_rng.between(1, 10);
                for (int i = 0; i < n && room(); ++i)
                    if (!apply(simple(Op::Repeat)))
                        return;
            } else {
                apply(simple(s.ticking ? Op::Tick : Op::StartStop));
            }
        } else if (r < 610) {
            apply(simple(Op::StartStop));
        } else if (r < 670) {
            apply(simple(Op::Reset));
        } else if (r < 860) {
            const Field field = static_cast<Field>(m_rng.below(3));
            apply(bar(field, barValue(field)));
        } else if (r < 900) {
            // Just below the hour limit.
            setAll(kHourMax, kMinSecMax, m_rng.between(kMinSecMax - 4, kMinSecMax));
        } else if (r < 950) {
            // Close to zero, where the countdown rings or wraps, and the borrow edges.
            switch (m_rng.below(6)) {
            case 0:
                setAll(0, 0, 0);
                break;
            case 1:
                setAll(0, 1, 0);
                break;
            case 2:
                setAll(1, 0, 0);
                break;
            default:
                setAll(0, 0, m_rng.between(1, 5));
                break;
            }
        } else if (r < 995) {
            // A click on the character (about 0.1% of all operations are clicks while
            // running, which wait a while).
            apply(simple(Op::Click));
        } else {
            setAll(m_rng.between(0, kHourMax), m_rng.between(0, kMinSecMax), m_rng.between(0, kMinSecMax));
        }
    }

    std::uint64_t m_seed;
    int m_character;
    long m_wanted;
    Rng m_rng;
    TimerModel m_model;
    Window m_window;
    Expectation m_expect;
    long m_ops = 0;
    qint64 m_clickNs = 0;
    std::array<Logged, kHistory> m_history{};
    QString m_failure;
};

long envLong(const char *name, long fallback)
{
    const QByteArray text = qgetenv(name);
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const long value = text.toLong(&ok);
    if (!ok || value < 0)
        qFatal("%s must be a non-negative number, not \"%s\"", name, text.constData());
    return value;
}

} // namespace

class TestModelRandom : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startTableAgreesWithTheRule();
    void randomOperations_data();
    void randomOperations();
    void cleanupTestCase();

private:
    bool m_fixedSeeds = true;
    long m_totalOps = 0;
    double m_clickSeconds = 0;
    Milestones m_total;
    QElapsedTimer m_clock;
};

void TestModelRandom::initTestCase() { m_clock.start(); }

// The START table against its prose rule: up at 00:00:00, down when not resuming a
// count-up, otherwise as it was; the resume line after a paused count-up or a started
// countdown, else the start line, after which a countdown is marked as started.
void TestModelRandom::startTableAgreesWithTheRule()
{
    int rows = 0;
    for (bool zero : {false, true})
        for (bool uppaused : {false, true})
            for (bool downstarted : {false, true}) {
                const StartRow &row = startRow(zero, uppaused, downstarted);
                const ModeAfter mode = zero ? ModeAfter::Up : !uppaused ? ModeAfter::Down : ModeAfter::Kept;
                const Remark remark = (uppaused || downstarted) ? Remark::Resume : Remark::Start;
                const FlagAfter flag =
                    (remark == Remark::Start && mode == ModeAfter::Down) ? FlagAfter::Set : FlagAfter::Kept;
                QCOMPARE(row.mode, mode);
                QCOMPARE(row.remark, remark);
                QCOMPARE(row.downstartedAfter, flag);
                ++rows;
            }
    QCOMPARE(rows, static_cast<int>(kStartTable.size()));
}

void TestModelRandom::randomOperations_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<int>("character");
    QTest::addColumn<qint64>("ops");

    const QByteArray seedText = qgetenv("LUMIROKA_MODEL_SEED");
    if (!seedText.isEmpty()) {
        m_fixedSeeds = false;
        std::uint64_t seed = 0;
        if (seedText == "random") {
            std::random_device device;
            seed = (static_cast<std::uint64_t>(device()) << 32) ^ device();
        } else {
            bool ok = false;
            seed = seedText.toULongLong(&ok);
            if (!ok)
                qFatal("LUMIROKA_MODEL_SEED must be \"random\" or a number, not \"%s\"", seedText.constData());
        }
        const long ops = envLong("LUMIROKA_MODEL_OPS", 1'000'000);
        const int character = static_cast<int>(seed % 3);
        std::printf("model test: LUMIROKA_MODEL_SEED=%" PRIu64 " LUMIROKA_MODEL_OPS=%ld (character %d)\n", seed, ops,
                    character);
        std::fflush(stdout);
        QTest::addRow("seed %llu", static_cast<unsigned long long>(seed))
            << static_cast<quint64>(seed) << character << static_cast<qint64>(ops);
        return;
    }
    const long ops = envLong("LUMIROKA_MODEL_OPS", 125'000);
    for (int i = 0; i < 8; ++i) {
        const quint64 seed = 0x4C554D49524F0000ull + static_cast<quint64>(i) * 7919;
        QTest::addRow("seed %llu", static_cast<unsigned long long>(seed))
            << seed << static_cast<int>(seed % 3) << static_cast<qint64>(ops);
    }
}

void TestModelRandom::randomOperations()
{
    QFETCH(quint64, seed);
    QFETCH(int, character);
    QFETCH(qint64, ops);

    QElapsedTimer clock;
    clock.start();
    RandomRun run(seed, character, static_cast<long>(ops));
    const RunReport report = run.run();
    m_totalOps += report.ops;
    m_total += report.milestones;
    m_clickSeconds += report.clickSeconds;
    std::printf("seed %llu (character %d): %ld operations in %.1f s (%.2f s in clicks while running); %s\n",
                static_cast<unsigned long long>(seed), character, report.ops, clock.elapsed() / 1000.0,
                report.clickSeconds, qPrintable(summary(report.milestones)));
    std::fflush(stdout);
    if (!report.failure.isEmpty()) {
        std::fprintf(stderr, "%s", report.failure.toUtf8().constData());
        QFAIL("the window and the model disagree; see the report above");
    }
    QCOMPARE(report.ops, static_cast<long>(ops));
}

void TestModelRandom::cleanupTestCase()
{
    std::printf("model test total: %ld operations in %.1f s (%.2f s in clicks while running); %s\n", m_totalOps,
                m_clock.elapsed() / 1000.0, m_clickSeconds, qPrintable(summary(m_total)));
    std::fflush(stdout);
    // The fixed seeds must keep reaching the interesting places, or the run proves little.
    if (m_fixedSeeds && m_totalOps >= 1'000'000) {
        QVERIFY(m_total.alarms > 0);
        QVERIFY(m_total.limitStops > 0);
        QVERIFY(m_total.zeroWraps > 0);
        QVERIFY(m_total.repeatsWhileStopped > 0);
        QVERIFY(m_total.startsWhileRinging > 0);
        QVERIFY(m_total.resetsWhileRinging > 0);
        QVERIFY(m_total.alarmsWhileRinging > 0);
        QVERIFY(m_total.runningClicks > 0);
    }
}

QTEST_MAIN(TestModelRandom)
#include "test_model_random.moc"
