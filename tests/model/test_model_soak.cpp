// Soak of the running count through the handlers, in-process: one hundred hours of
// ticks up from 00:00:00 to the hour limit, and the same span down to the alarm.

#include <QtTest>

#include "timer_model.h"
#include "window_probe.h"

using namespace lumiroka::model;

namespace {

constexpr long kHundredHours = 100L * 3600; // ticks from 00:00:00 past 99:59:59

QString clockOf(long seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(twoDigitText(static_cast<int>(seconds / 3600)), twoDigitText(static_cast<int>(seconds / 60 % 60)),
             twoDigitText(static_cast<int>(seconds % 60)));
}

QString shown(Window &w)
{
    const Seen s = w.observe();
    return s.hourText + QLatin1Char(':') + s.minText + QLatin1Char(':') + s.secText;
}

QString barsOf(Window &w)
{
    const Seen s = w.observe();
    return QStringLiteral("%1:%2:%3").arg(twoDigitText(s.hourBar), twoDigitText(s.minBar), twoDigitText(s.secBar));
}

} // namespace

class TestModelSoak : public QObject
{
    Q_OBJECT

private slots:
    void countUpStopsItselfAtTheHourLimit();
    void countdownFromTheLimitRingsOnTheLastTick();
};

void TestModelSoak::countUpStopsItselfAtTheHourLimit()
{
    Window w(0);
    w.startStop();
    QVERIFY(w.form().swtimer()->isActive());
    QCOMPARE(w.form().time().countmode, 0);

    std::array<QString, 60> seconds;
    for (int v = 0; v < 60; ++v)
        seconds[static_cast<std::size_t>(v)] = twoDigitText(v);
    QLabel *secbox = w.harness().find<QLabel>("secbox");

    for (long tick = 1; tick <= kHundredHours; ++tick) {
        if (!w.form().swtimer()->isActive())
            QFAIL(qPrintable(QStringLiteral("the count stopped by itself after %1 ticks at %2, before the limit")
                                 .arg(tick - 1)
                                 .arg(shown(w))));
        w.form().swtimer_Timer();
        if (tick == kHundredHours)
            break;
        if (secbox->text() != seconds[static_cast<std::size_t>(tick % 60)])
            QFAIL(qPrintable(QStringLiteral("after %1 ticks the seconds read %2").arg(tick).arg(secbox->text())));
        if (tick % 3600 == 0 || tick == kHundredHours - 1) {
            const QString want = clockOf(tick);
            if (shown(w) != want || barsOf(w) != want ||
                w.form().windowTitle() != QStringLiteral("Lumiroka - ") + want)
                QFAIL(qPrintable(QStringLiteral("after %1 ticks: digits %2, bars %3, caption \"%4\"; expected %5")
                                     .arg(tick)
                                     .arg(shown(w), barsOf(w), w.form().windowTitle(), want)));
        }
    }
    // The tick after 99:59:59 stops the count and leaves the hour at its maximum.
    QVERIFY(!w.form().swtimer()->isActive());
    QCOMPARE(shown(w), QStringLiteral("99:00:00"));
    QCOMPARE(barsOf(w), QStringLiteral("99:00:00"));
    QCOMPARE(w.form().windowTitle(), QStringLiteral("Lumiroka - 99:00:00"));
    QCOMPARE(w.harness().sound.plays, 0);
    QVERIFY(!w.form().soundtimer()->isActive());
    QCOMPARE(w.observe().remark, QString::fromUtf8(remarkText(0, Remark::Start)));
    QCOMPARE(w.visiblePose(), kPoseStarted);
}

void TestModelSoak::countdownFromTheLimitRingsOnTheLastTick()
{
    Window w(2);
    w.moveBar(Field::Hour, kHourMax);
    w.moveBar(Field::Minute, kMinSecMax);
    w.moveBar(Field::Second, kMinSecMax);
    w.startStop();
    QCOMPARE(w.form().time().countmode, 1);
    const long start = kHundredHours - 1; // 99:59:59 in seconds

    for (long tick = 1; tick < start; ++tick) {
        if (!w.form().swtimer()->isActive())
            QFAIL(qPrintable(QStringLiteral("the countdown stopped after %1 ticks").arg(tick - 1)));
        w.form().swtimer_Timer();
        if (w.harness().sound.plays != 0)
            QFAIL(qPrintable(QStringLiteral("the alarm sounded after %1 ticks at %2").arg(tick).arg(shown(w))));
        if (tick % 3600 == 0) {
            const QString want = clockOf(start - tick);
            if (shown(w) != want || barsOf(w) != want ||
                w.form().windowTitle() != QStringLiteral("Lumiroka - ") + want)
                QFAIL(qPrintable(QStringLiteral("after %1 ticks: digits %2, bars %3, caption \"%4\"; expected %5")
                                     .arg(tick)
                                     .arg(shown(w), barsOf(w), w.form().windowTitle(), want)));
        }
    }
    QCOMPARE(shown(w), QStringLiteral("00:00:01"));
    QVERIFY(!w.form().soundtimer()->isActive());

    w.form().swtimer_Timer(); // the last step down rings
    QCOMPARE(shown(w), QStringLiteral("00:00:00"));
    QCOMPARE(w.form().windowTitle(), QStringLiteral("Lumiroka - 00:00:00"));
    QCOMPARE(w.harness().sound.plays, 1);
    QVERIFY(w.form().soundtimer()->isActive());
    QVERIFY(w.form().swtimer()->isActive());
    QCOMPARE(w.observe().remark, QString::fromUtf8(remarkText(2, Remark::Alarm)));
    QCOMPARE(w.visiblePose(), kPoseAlarm);

    w.form().swtimer_Timer(); // and the overrun is counted upwards
    QCOMPARE(shown(w), QStringLiteral("00:00:01"));
    QCOMPARE(w.harness().sound.plays, 1);
}

QTEST_MAIN(TestModelSoak)
#include "test_model_soak.moc"
