// The timer window: layout, the time counter, START・STOP, RESET and the alarm.

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "core/lines.h"
#include "fakes.h"
#include "platform/ticktimer.h"
#include "ui/optionform.h"

using namespace lumiroka;
using namespace lumiroka::testing;

class TestMainform : public QObject
{
    Q_OBJECT

private:
    static QString text(const Harness &h, const char *label) { return h.find<QLabel>(label)->text(); }
    static QString shown(const Harness &h)
    {
        return text(h, "hourbox") + ":" + text(h, "minbox") + ":" + text(h, "secbox");
    }
    static void setBars(Harness &h, int hours, int minutes, int seconds)
    {
        h.find<QScrollBar>("hourbar")->setValue(hours);
        h.find<QScrollBar>("minbar")->setValue(minutes);
        h.find<QScrollBar>("secbar")->setValue(seconds);
    }
    static void click(Harness &h, const char *button) { QTest::mouseClick(h.find<QPushButton>(button), Qt::LeftButton); }

private slots:
    void layoutFollowsTheDesign_data();
    void layoutFollowsTheDesign();
    void windowIsFixedAndFocusOrderIsAsDesigned();
    void barsDriveDigitsAtOnceAndCaptionAtNextTick();
    void keyboardRightRaisesTheBar();
    void showtimeBringsBarsAndLabelsInLine();
    void countdownTicksCaptionAndReachesAlarm();
    void countingUpStopsItselfAtTheHourLimit();
    void zeroedCountdownContinuesWithoutAlarm();
    void startStopResumeAndResetWithLines_data();
    void startStopResumeAndResetWithLines();
    void resetIsIgnoredWhileRunning();
    void stoppedStopwatchResumesUpwardsFromMovedBars();
    void alarmRepeatsUntilStopAndResetLeavesItAlone();
    void alarmRestoresMinimizedWindow_data();
    void alarmRestoresMinimizedWindow();
    void stoppedWithAlarmKeepsRepeatingUntilNextStop();
    void startMinimizesWhenAsked();
    void tickTimerKeepsToTheSecondGrid();
    void everyControlHasAnAccessibleName();
    void panelsAreWhiteWithAGreyBorderAndBlackText();
};

void TestMainform::layoutFollowsTheDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("timerbox") << "timerbox" << QRect(114, 0, 109, 31);
    QTest::newRow("hourbox") << "hourbox" << QRect(117, 2, 31, 27);
    QTest::newRow("Label1") << "Label1" << QRect(144, 2, 16, 27);
    QTest::newRow("minbox") << "minbox" << QRect(153, 2, 31, 27);
    QTest::newRow("Label2") << "Label2" << QRect(180, 2, 16, 27);
    QTest::newRow("secbox") << "secbox" << QRect(189, 2, 31, 27);
    QTest::newRow("hourbar") << "hourbar" << QRect(120, 32, 25, 17);
    QTest::newRow("minbar") << "minbar" << QRect(156, 32, 25, 17);
    QTest::newRow("secbar") << "secbar" << QRect(192, 32, 25, 17);
    QTest::newRow("ssbutton") << "ssbutton" << QRect(120, 53, 97, 17);
    QTest::newRow("resetbutton") << "resetbutton" << QRect(120, 69, 97, 17);
    QTest::newRow("Command1") << "Command1" << QRect(120, 85, 97, 17);
    QTest::newRow("endbutton") << "endbutton" << QRect(120, 101, 97, 17);
    QTest::newRow("picbox0") << "picbox0" << QRect(0, 0, 113, 121);
    QTest::newRow("messbox") << "messbox" << QRect(0, 121, 222, 17);
    QTest::newRow("picbox7") << "picbox7" << QRect(144, 144, 25, 25);
}

void TestMainform::layoutFollowsTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Harness h;
    auto *widget = h.form->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->geometry(), geometry);
}

void TestMainform::windowIsFixedAndFocusOrderIsAsDesigned()
{
    Harness h;
    QVERIFY(QTest::qWaitForWindowExposed(h.form.get()));
    QCOMPARE(h.form->size(), QSize(222, 138));
    QCOMPARE(h.form->minimumSize(), h.form->maximumSize());
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka"));
    QVERIFY(!(h.form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(h.form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(h.find<QPushButton>("ssbutton")->text(), QStringLiteral("START・STOP"));
    QCOMPARE(text(h, "Label1"), QStringLiteral("："));
    QCOMPARE(shown(h), QStringLiteral("00:00:00"));

    QCOMPARE(QApplication::focusWidget(), h.find<QWidget>("ssbutton"));
    const QStringList expected = {"resetbutton", "hourbar", "minbar", "secbar", "picbox0", "Command1", "endbutton",
                                  "ssbutton"};
    QStringList order;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, expected);
    for (int i = 1; i < 8; ++i)
        QVERIFY(!h.form->picbox(i)->isVisible());
}

void TestMainform::barsDriveDigitsAtOnceAndCaptionAtNextTick()
{
    Harness h;
    h.form->ssbutton_Click(); // count up from zero
    h.form->swtimer_Timer();
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 00:00:01"));
    setBars(h, 7, 5, 9);
    QCOMPARE(shown(h), QStringLiteral("07:05:09"));
    QCOMPARE(h.form->time().clockText(), "07:05:09");
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 00:00:01"));
    h.form->swtimer_Timer();
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 07:05:10"));
    QCOMPARE(h.find<QScrollBar>("secbar")->value(), 10);
}

void TestMainform::keyboardRightRaisesTheBar()
{
    Harness h;
    auto *bar = h.find<QScrollBar>("minbar");
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(bar->value(), 1);
    QCOMPARE(text(h, "minbox"), QStringLiteral("01"));
    QTest::keyClick(bar, Qt::Key_Left);
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(bar->value(), 0); // never below the minimum
}

void TestMainform::showtimeBringsBarsAndLabelsInLine()
{
    Harness h;
    int changes = 0;
    connect(h.find<QScrollBar>("hourbar"), &QScrollBar::valueChanged, [&] { ++changes; });
    h.form->time().hourcount = 99;
    h.form->time().mincount = 59;
    h.form->time().seccount = 1;
    h.form->showtime();
    QCOMPARE(shown(h), QStringLiteral("99:59:01"));
    QCOMPARE(h.find<QScrollBar>("hourbar")->value(), 99);
    QCOMPARE(changes, 1);
    // The nested change handlers wrote back the same values.
    QCOMPARE(h.form->time().clockText(), "99:59:01");
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka")); // showtime leaves the caption alone
}

void TestMainform::countdownTicksCaptionAndReachesAlarm()
{
    Harness h;
    setBars(h, 0, 0, 3);
    h.form->ssbutton_Click();
    QVERIFY(h.form->swtimer()->isActive());
    QCOMPARE(h.form->time().countmode, 1);
    QCOMPARE(h.sound.prepares, 1);
    h.form->swtimer_Timer();
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 00:00:02"));
    h.form->swtimer_Timer();
    QCOMPARE(h.sound.plays, 0);
    h.form->swtimer_Timer();
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 00:00:00"));
    QCOMPARE(h.sound.plays, 1);
    QCOMPARE(h.raiser.raises, 1);
    QCOMPARE(h.raiser.alarmLine.toStdString(), alarmLine(0)); // for the notification, if one is needed
    QVERIFY(h.form->soundtimer()->isActive());
    QVERIFY(h.form->swtimer()->isActive());
    QCOMPARE(h.form->time().countmode, 0);
    QCOMPARE(text(h, "messbox").toStdString(), alarmLine(0));
    QVERIFY(h.form->isFrozen());
    h.form->swtimer_Timer();
    h.form->swtimer_Timer();
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 00:00:02"));
    QCOMPARE(shown(h), QStringLiteral("00:00:02"));
}

void TestMainform::countingUpStopsItselfAtTheHourLimit()
{
    Harness h;
    h.form->ssbutton_Click();
    setBars(h, 99, 59, 58);
    h.form->swtimer_Timer();
    QVERIFY(h.form->swtimer()->isActive());
    h.form->swtimer_Timer();
    QVERIFY(!h.form->swtimer()->isActive());
    QCOMPARE(shown(h), QStringLiteral("99:00:00"));
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 99:00:00"));
    QCOMPARE(h.find<QScrollBar>("hourbar")->value(), 99);
}

void TestMainform::zeroedCountdownContinuesWithoutAlarm()
{
    Harness h;
    setBars(h, 0, 3, 0);
    h.form->ssbutton_Click();
    h.form->swtimer_Timer();
    setBars(h, 0, 0, 0);
    h.form->swtimer_Timer();
    QCOMPARE(shown(h), QStringLiteral("00:59:59"));
    QCOMPARE(h.sound.plays, 0);
    QVERIFY(!h.form->soundtimer()->isActive());
    QCOMPARE(h.form->time().countmode, 1);
}

void TestMainform::startStopResumeAndResetWithLines_data()
{
    QTest::addColumn<int>("charano");
    QTest::newRow("piro") << 0;
    QTest::newRow("zu") << 1;
    QTest::newRow("tavrick") << 2;
    QTest::newRow("none") << 7;
}

void TestMainform::startStopResumeAndResetWithLines()
{
    QFETCH(int, charano);
    Harness h;
    h.form->settings().charano = static_cast<std::int16_t>(charano);
    setBars(h, 0, 3, 0);
    click(h, "ssbutton");
    QCOMPARE(text(h, "messbox").toStdString(), startLine(charano));
    QCOMPARE(h.form->run().downstarted, true);
    h.form->swtimer_Timer();
    click(h, "ssbutton");
    QVERIFY(!h.form->swtimer()->isActive());
    QCOMPARE(text(h, "messbox"), QString());
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 00:02:59"));
    click(h, "ssbutton");
    QCOMPARE(text(h, "messbox").toStdString(), resumeLine(charano));
    QCOMPARE(h.form->time().countmode, 1);
    h.form->swtimer_Timer();
    QCOMPARE(shown(h), QStringLiteral("00:02:58"));
    click(h, "ssbutton");
    click(h, "resetbutton");
    QCOMPARE(shown(h), QStringLiteral("00:00:00"));
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka"));
    QCOMPARE(text(h, "messbox"), QString());
    setBars(h, 0, 0, 5);
    click(h, "ssbutton");
    QCOMPARE(text(h, "messbox").toStdString(), startLine(charano));
}

void TestMainform::resetIsIgnoredWhileRunning()
{
    Harness h;
    setBars(h, 1, 2, 3);
    click(h, "ssbutton");
    h.form->swtimer_Timer();
    const QString line = text(h, "messbox");
    click(h, "resetbutton");
    QCOMPARE(shown(h), QStringLiteral("01:02:02"));
    QCOMPARE(text(h, "messbox"), line);
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 01:02:02"));
    QVERIFY(h.form->run().downstarted);
}

void TestMainform::stoppedStopwatchResumesUpwardsFromMovedBars()
{
    Harness h;
    click(h, "ssbutton");
    h.form->swtimer_Timer();
    click(h, "ssbutton");
    QVERIFY(h.form->run().uppaused);
    setBars(h, 0, 5, 0);
    click(h, "ssbutton");
    QCOMPARE(h.form->time().countmode, 0);
    QCOMPARE(text(h, "messbox").toStdString(), resumeLine(0));
    h.form->swtimer_Timer();
    QCOMPARE(shown(h), QStringLiteral("00:05:01"));
}

void TestMainform::alarmRepeatsUntilStopAndResetLeavesItAlone()
{
    Harness h;
    setBars(h, 0, 0, 1);
    click(h, "ssbutton");
    h.form->swtimer_Timer();
    QCOMPARE(h.sound.plays, 1);
    h.form->soundtimer_Timer();
    h.form->soundtimer_Timer();
    QCOMPARE(h.sound.plays, 3);
    click(h, "resetbutton"); // ignored: the tick runs
    QVERIFY(h.form->soundtimer()->isActive());
    h.form->swtimer_Timer();
    QCOMPARE(h.raiser.withdrawals, 0);
    click(h, "ssbutton");
    QVERIFY(!h.form->soundtimer()->isActive());
    QCOMPARE(h.raiser.withdrawals, 1); // silenced: the notification goes too
    QVERIFY(!h.form->swtimer()->isActive());
    QCOMPARE(h.form->time().countmode, 1);
    QVERIFY(!h.form->run().uppaused);
    QCOMPARE(shown(h), QStringLiteral("00:00:01"));
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 00:00:01"));
    QCOMPARE(h.sound.plays, 3);
    // START counts the overrun down again, towards a new alarm.
    click(h, "ssbutton");
    QCOMPARE(h.form->time().countmode, 1);
    h.form->swtimer_Timer();
    QCOMPARE(h.sound.plays, 4);
}

void TestMainform::alarmRestoresMinimizedWindow_data()
{
    QTest::addColumn<int>("check2value");
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<QStringList>("trayCalls");
    QTest::newRow("taskbar") << 0 << true << QStringList{};
    QTest::newRow("tray") << 1 << true << QStringList{"add:Lumiroka:icon", "tip:Lumiroka - 00:00:01", "remove"};
    QTest::newRow("tray option, no tray") << 1 << false << QStringList{"tip:Lumiroka - 00:00:01", "remove"};
}

void TestMainform::alarmRestoresMinimizedWindow()
{
    QFETCH(int, check2value);
    QFETCH(bool, trayAvailable);
    QFETCH(QStringList, trayCalls);
    Harness h;
    h.tray.available = trayAvailable;
    h.form->settings().check2value = static_cast<std::int16_t>(check2value);
    setBars(h, 0, 0, 2);
    click(h, "ssbutton");
    h.form->setWindowState(Qt::WindowMinimized); // as the window manager reports it
    QVERIFY(h.form->isMinimized());
    QCOMPARE(h.form->isVisible(), !(check2value == 1 && trayAvailable));
    h.form->swtimer_Timer();
    h.form->swtimer_Timer();
    QVERIFY(!h.form->isMinimized());
    QVERIFY(h.form->isVisible());
    QCOMPARE(h.tray.calls, trayCalls);
    QCOMPARE(h.raiser.raises, 1);
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 00:00:00"));
}

void TestMainform::stoppedWithAlarmKeepsRepeatingUntilNextStop()
{
    Harness h;
    setBars(h, 0, 0, 1);
    click(h, "ssbutton");
    h.form->swtimer_Timer(); // alarm; counting the overrun up
    setBars(h, 99, 59, 59);
    h.form->swtimer_Timer(); // the hour limit switches the tick off
    QVERIFY(!h.form->swtimer()->isActive());
    QVERIFY(h.form->soundtimer()->isActive());
    click(h, "resetbutton"); // clears, the alarm keeps repeating
    QCOMPARE(shown(h), QStringLiteral("00:00:00"));
    QVERIFY(h.form->soundtimer()->isActive());
    click(h, "ssbutton"); // START while the alarm repeats
    QVERIFY(h.form->swtimer()->isActive());
    QVERIFY(h.form->soundtimer()->isActive());
    QCOMPARE(h.raiser.withdrawals, 0);
    click(h, "ssbutton"); // the next STOP silences it
    QVERIFY(!h.form->soundtimer()->isActive());
    QCOMPARE(h.raiser.withdrawals, 1);
    QCOMPARE(h.form->time().countmode, 1);
}

void TestMainform::startMinimizesWhenAsked()
{
    Harness h;
    h.form->settings().check1value = 1;
    h.form->settings().check2value = 0;
    click(h, "ssbutton");
    QVERIFY(h.form->isMinimized());
    QVERIFY(h.form->swtimer()->isActive());
    click(h, "ssbutton"); // STOP does not restore
    QVERIFY(h.form->isMinimized());

    Harness shaded;
    shaded.form->settings().check1value = 2; // a shaded box acts as off
    click(shaded, "ssbutton");
    QVERIFY(!shaded.form->isMinimized());
}

void TestMainform::tickTimerKeepsToTheSecondGrid()
{
    // Drive the real tick timer with a hand-moved clock: the ticks follow the clock, a
    // stall delivers every missed second, and stop() ends the delivery mid-way.
    ManualClock clock;
    TickTimer timer(clock);
    int ticks = 0;
    connect(&timer, &TickTimer::timeout, [&] {
        if (++ticks == 5)
            timer.stop();
    });
    timer.start();
    clock.t += std::chrono::milliseconds(999);
    QTest::qWait(20);
    QCOMPARE(ticks, 0);
    clock.t += std::chrono::hours(1); // a suspended machine wakes up
    QTRY_COMPARE_WITH_TIMEOUT(ticks, 5, 3000);
    QVERIFY(!timer.isActive());
    QTest::qWait(50);
    QCOMPARE(ticks, 5);
}

void TestMainform::everyControlHasAnAccessibleName()
{
    Harness h;
    const QMap<QString, QString> expected = {
        {"hourbar", "hours"},        {"minbar", "minutes"},    {"secbar", "seconds"},  {"picbox0", "character"},
        {"ssbutton", "START・STOP"}, {"resetbutton", "RESET"}, {"Command1", "OPTION"}, {"endbutton", "END"}};
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QCOMPARE(h.find<QWidget>(qPrintable(it.key()))->accessibleName(), it.value());
    // Everything a user can reach or read has a name.
    for (QWidget *widget : h.form->findChildren<QWidget *>()) {
        if (widget->isVisibleTo(h.form.get()) &&
            (widget->focusPolicy() != Qt::NoFocus || qobject_cast<QLabel *>(widget)))
            QVERIFY2(!widget->accessibleName().isEmpty() || !qobject_cast<QLabel *>(widget)->text().isEmpty(),
                     qPrintable(widget->objectName()));
    }
    for (QWidget *widget : h.form->optionformObject()->findChildren<QWidget *>())
        if (widget->focusPolicy() != Qt::NoFocus)
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
}

void TestMainform::panelsAreWhiteWithAGreyBorderAndBlackText()
{
    Harness h;
    auto *messbox = h.find<QLabel>("messbox");
    messbox->setText(QStringLiteral("■■■■■■■■"));
    for (const char *name : {"timerbox", "messbox"}) {
        const QImage image = h.find<QLabel>(name)->grab().toImage();
        const QColor grey(0x80, 0x80, 0x80);
        QCOMPARE(image.pixelColor(0, 0), grey);
        QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), grey);
        QCOMPARE(image.pixelColor(image.width() - 3, 2), QColor(Qt::white));
    }
    // The message itself is black on the white.
    const QImage message = messbox->grab().toImage();
    bool black = false;
    for (int x = 2; x < message.width() / 2 && !black; ++x)
        black = message.pixelColor(x, message.height() / 2) == QColor(Qt::black);
    QVERIFY(black);
}

QTEST_MAIN(TestMainform)
#include "test_mainform.moc"
