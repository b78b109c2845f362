// The character: its pose slots, the idle animation, remarks and the click reaction.

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "chara/poses.h"
#include "fakes.h"
#include "platform/boottimeclock.h"
#include "platform/ticktimer.h"

using namespace lumiroka;
using namespace lumiroka::testing;

class TestCharacter : public QObject
{
    Q_OBJECT

private:
    static QString messbox(const Harness &h) { return h.find<QLabel>("messbox")->text(); }
    static bool shows(const Harness &h, int slotIndex) { return h.form->picbox(0)->picture() == h.form->picbox(slotIndex)->picture(); }
    // A copy of the real pictures that a test may damage.
    static QString copyAssets(QTemporaryDir &dir)
    {
        QDir().mkpath(dir.filePath("gif"));
        const QDir from(sourceAssets() + "/gif");
        for (const QString &name : from.entryList({"*.gif"}))
            QFile::copy(from.filePath(name), dir.filePath("gif/" + name));
        return dir.path();
    }

private slots:
    void slotsHoldTheirOwnPictures_data();
    void slotsHoldTheirOwnPictures();
    void unknownCharacterGivesEmptyPicturesQuietly();
    void startStopAndAlarmShowTheirPoses();
    void reloadWhileFrozenEndsTheFreeze();
    void brokenPicturesAreReportedOnceAndLeftBlank();
    void animationFollowsThePhases();
    void frozenAnimationStandsStillButMayTalk();
    void remarksFollowTheRunningStateAtThatMoment();
    void clickWhileStoppedShowsTheLongMove();
    void clickWhileRunningWaitsAndServesEverything();
    void clickWaitNestsAndTickKeepsCounting();
};

void TestCharacter::slotsHoldTheirOwnPictures_data()
{
    QTest::addColumn<int>("charano");
    QTest::newRow("piro") << 0;
    QTest::newRow("zu") << 1;
    QTest::newRow("tavrick") << 2;
}

void TestCharacter::slotsHoldTheirOwnPictures()
{
    QFETCH(int, charano);
    Harness h;
    h.form->settings().charano = static_cast<std::int16_t>(charano);
    h.form->setchara();
    QVERIFY(h.notifier.messages.isEmpty());
    const auto files = poseFiles(charano);
    for (int i = 0; i < slot::Count; ++i) {
        const QImage expected(sourceAssets() + "/gif/" + QString::fromStdString(files[static_cast<std::size_t>(i)]));
        QVERIFY(!expected.isNull());
        QCOMPARE(h.form->picbox(i)->picture()->toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    // Slot 0 starts from its own load of the rest pose: equal to slot 1, not slot 1 itself.
    QVERIFY(!shows(h, 1));
    QVERIFY(!h.form->isFrozen());
    QVERIFY(h.form->picbox(0)->picture()->cacheKey() != h.form->picbox(1)->picture()->cacheKey());
}

void TestCharacter::unknownCharacterGivesEmptyPicturesQuietly()
{
    Harness h;
    h.find<QLabel>("messbox")->setText("x");
    h.form->settings().charano = 3;
    h.form->setchara();
    for (int i = 0; i < slot::Count; ++i)
        QVERIFY(h.form->picbox(i)->picture()->isNull());
    QVERIFY(!h.form->isFrozen()); // every slot holds an empty picture of its own
    QCOMPARE(messbox(h), QString());
    QVERIFY(h.notifier.messages.isEmpty());
}

void TestCharacter::startStopAndAlarmShowTheirPoses()
{
    Harness h;
    h.form->ssbutton_Click();
    QVERIFY(shows(h, slot::RunningLong));
    h.form->ssbutton_Click();
    QVERIFY(shows(h, slot::StoppedLong));
    h.form->resetbutton_Click(); // otherwise the stopped stopwatch would resume upwards
    h.find<QScrollBar>("secbar")->setValue(1);
    h.form->ssbutton_Click();
    h.form->swtimer_Timer();
    QVERIFY(shows(h, slot::Alarm));
    QVERIFY(h.form->isFrozen());
}

void TestCharacter::reloadWhileFrozenEndsTheFreeze()
{
    Harness h;
    h.form->takeSlot(slot::Alarm);
    QVERIFY(h.form->isFrozen());
    h.form->ssbutton_Click(); // running: a reload still shows the stopped rest pose
    h.form->takeSlot(slot::Alarm);
    h.form->setchara();
    QVERIFY(!h.form->isFrozen());
    QVERIFY(!shows(h, slot::StoppedRest));
    QCOMPARE(h.form->picbox(0)->picture()->toImage(), h.form->picbox(slot::StoppedRest)->picture()->toImage());
    QCOMPARE(messbox(h), QString());
}

void TestCharacter::brokenPicturesAreReportedOnceAndLeftBlank()
{
    QTemporaryDir dir;
    const QString root = copyAssets(dir);
    QFile::remove(root + "/gif/piro0a.gif");              // missing
    QFile(root + "/gif/piro0b.gif").open(QIODevice::WriteOnly); // zero bytes
    {
        QFile text(root + "/gif/piro1.gif");
        QVERIFY(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
        text.write("this is not a picture\n");
    }
    {
        QFile full(sourceAssets() + "/gif/piro1a.gif");
        QVERIFY(full.open(QIODevice::ReadOnly));
        QFile cut(root + "/gif/piro1a.gif");
        QVERIFY(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(full.read(20)); // a truncated header
    }
    Harness h(root);
    QCOMPARE(h.notifier.messages.size(), 1);
    const QString message = h.notifier.messages.first();
    for (const char *name : {"piro0a.gif", "piro0b.gif", "piro1.gif", "piro1a.gif"})
        QVERIFY2(message.contains(name), qPrintable(message));
    QVERIFY(message.contains(root));
    QVERIFY(!message.contains("piro2.gif"));
    QVERIFY(h.form->picbox(slot::StoppedShort)->picture()->isNull());
    QVERIFY(!h.form->picbox(slot::Alarm)->picture()->isNull());
    // The timer still works.
    h.form->ssbutton_Click();
    h.form->swtimer_Timer();
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 00:00:01"));
}

void TestCharacter::animationFollowsThePhases()
{
    Harness h;
    QTimer *timer = h.form->charatimer1();
    // phase 0, short move while stopped
    h.random.queue = {0.0, 0.99};
    h.form->charatimer1_Timer();
    QVERIFY(shows(h, slot::StoppedShort));
    QCOMPARE(timer->interval(), 200);
    // phase 1 returns to rest
    h.random.queue = {0.5, 0.99};
    h.form->charatimer1_Timer();
    QVERIFY(shows(h, slot::StoppedRest));
    QCOMPARE(timer->interval(), 500);
    // phase 0, long move while running
    h.form->ssbutton_Click();
    h.random.queue = {0.25, 0.99};
    h.form->charatimer1_Timer();
    QVERIFY(shows(h, slot::RunningLong));
    QCOMPARE(timer->interval(), 500);
    h.random.queue = {0.99, 0.99};
    h.form->charatimer1_Timer();
    QVERIFY(shows(h, slot::RunningRest));
    // phase 0 with no move keeps the pose
    h.random.queue = {0.3, 0.99};
    h.form->charatimer1_Timer();
    QVERIFY(shows(h, slot::RunningRest));
    QCOMPARE(h.form->animator().charaphase, 1);
    QCOMPARE(h.random.draws, 10);
}

void TestCharacter::frozenAnimationStandsStillButMayTalk()
{
    Harness h;
    h.random.queue = {0.0, 0.99};
    h.form->charatimer1_Timer(); // short move, 200 ms, phase 1
    h.form->takeSlot(slot::Alarm);
    h.random.draws = 0;
    h.random.queue = {0.0, 0.0}; // remark draw 1, then the line draw
    h.form->charatimer1_Timer();
    QVERIFY(h.form->isFrozen());
    QCOMPARE(h.form->charatimer1()->interval(), 200);
    QCOMPARE(h.form->animator().charaphase, 1);
    QCOMPARE(h.random.draws, 2);
    QCOMPARE(messbox(h), QStringLiteral("ﾀｲﾏｰが0になったら、ｱﾗｰﾑで知らせるね！"));
}

void TestCharacter::remarksFollowTheRunningStateAtThatMoment()
{
    Harness h;
    h.form->settings().charano = 1;
    h.random.queue = {0.99, 0.0, 0.5};
    h.form->charatimer1_Timer();
    QCOMPARE(messbox(h), QStringLiteral("ﾗｯﾌﾟﾀｲﾑでも計るのかー？"));
    h.form->ssbutton_Click();
    h.random.queue = {0.99, 0.0, 0.5};
    h.form->charatimer1_Timer();
    QCOMPARE(messbox(h), QStringLiteral("ﾗｯﾌﾟﾀｲﾑでも計ってんのかー？"));
}

void TestCharacter::clickWhileStoppedShowsTheLongMove()
{
    Harness h;
    QTest::mouseClick(h.form->picbox(0), Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(shows(h, slot::StoppedLong));
    QCOMPARE(h.form->animator().charaphase, 0);
    h.random.queue = {0.99, 0.99, 0.99, 0.99};
    h.form->charatimer1_Timer();
    h.form->charatimer1_Timer();
    QVERIFY(shows(h, slot::StoppedRest));
}

void TestCharacter::clickWhileRunningWaitsAndServesEverything()
{
    Harness h;
    h.form->ssbutton_Click();
    bool frozenDuringWait = false;
    bool stoppedDuringWait = false;
    QTimer::singleShot(5, [&] {
        frozenDuringWait = h.form->isFrozen();
        h.form->ssbutton_Click(); // STOP during the wait
        stoppedDuringWait = !h.form->swtimer()->isActive();
    });
    h.form->picbox_Click(0);
    QVERIFY(frozenDuringWait);
    QVERIFY(stoppedDuringWait);
    // Slot 4 at the end, whatever happened meanwhile.
    QVERIFY(shows(h, slot::RunningRest));
    QVERIFY(!h.form->swtimer()->isActive());

    // Time-up during the wait: its alarm pose is replaced at the end.
    Harness alarm;
    alarm.find<QScrollBar>("secbar")->setValue(1);
    alarm.form->ssbutton_Click();
    QTimer::singleShot(5, [&] { alarm.form->swtimer_Timer(); });
    alarm.form->picbox_Click(0);
    QVERIFY(alarm.form->soundtimer()->isActive());
    QVERIFY(shows(alarm, slot::RunningRest));
}

void TestCharacter::clickWaitNestsAndTickKeepsCounting()
{
    BootTimeClock realClock;
    Harness h;
    MainformServices services = h.form->services();
    services.clock = &realClock;
    mainform form(services);
    form.Form_Load();
    form.setClickWaitPauseMicroseconds(500); // the real pace: about one second
    form.ssbutton_Click();

    int innerEnded = 0;
    QTimer::singleShot(100, [&] {
        form.picbox_Click(0); // a second click nests its own wait
        innerEnded = 1;
        QVERIFY(form.picbox(0)->picture() == form.picbox(slot::RunningRest)->picture());
    });
    QElapsedTimer elapsed;
    elapsed.start();
    form.picbox_Click(0);
    QCOMPARE(innerEnded, 1);
    QVERIFY(form.picbox(0)->picture() == form.picbox(slot::RunningRest)->picture());
    // The one-second tick ran inside the waits.
    QVERIFY2(form.time().seccount >= 1, qPrintable(QString::number(elapsed.elapsed())));
}

QTEST_MAIN(TestCharacter)
#include "test_character.moc"
