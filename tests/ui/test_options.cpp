// The options dialog and the settings it keeps.

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>

#include "fakes.h"
#include "platform/qtsettingsstore.h"
#include "ui/optionform.h"

using namespace lumiroka;
using namespace lumiroka::testing;

class TestOptions : public QObject
{
    Q_OBJECT

private:
    static void store(Harness &h, const char *charano, const char *check1, const char *check2)
    {
        h.store.values = {{"setting/charano", charano}, {"setting/check1value", check1}, {"setting/check2value", check2}};
    }
    static int openDialogs()
    {
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            count += qobject_cast<optionform *>(widget) != nullptr;
        return count;
    }
    // Runs `act` once the next modal window is up, then closes it the given way.
    static void whenModal(std::function<void(QWidget *)> act)
    {
        QTimer::singleShot(0, [act] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal) {
                whenModal(act);
                return;
            }
            act(modal);
        });
    }

private slots:
    void emptyStoreGivesDefaultsAndWritesNothing();
    void layoutAndCaptions();
    void startUpLoadsSettingsBeforeCharacterBeforeShowing();
    void okStoresAllThreeAndAppliesAtOnce();
    void closingWithoutOkDiscardsChanges();
    void shadedBoxRoundTrips();
    void badStoredValuesFallBackWithOneMessage_data();
    void badStoredValuesFallBackWithOneMessage();
    void refusedWriteIsReportedAndChoicesStillApply();
    void versionBoxCanBeOpenedRepeatedly();
    void timersKeepRunningBehindTheDialog();
    void realStoreKeepsDecimalTextInItsIniFile();
};

void TestOptions::emptyStoreGivesDefaultsAndWritesNothing()
{
    Harness h;
    QCOMPARE(h.form->settings(), (SettingsValues{0, 0, 1}));
    QCOMPARE(h.store.writes, 0);
    QCOMPARE(openDialogs(), 0); // start-up reads the values without building the dialog
    optionform *dialog = h.form->optionformObject();
    dialog->loadsetting();
    QVERIFY(dialog->option1(0)->isChecked());
    QCOMPARE(dialog->check1()->value(), 0);
    QCOMPARE(dialog->check2()->value(), 1);
    QVERIFY(!dialog->isVisible());
    QVERIFY(h.notifier.messages.isEmpty());
}

void TestOptions::layoutAndCaptions()
{
    Harness h;
    optionform *dialog = h.form->optionformObject();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("OPTION"));
    QCOMPARE(dialog->size(), QSize(209, 105));
    QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog->findChild<QGroupBox *>("Frame1")->title(), QStringLiteral("キャラ"));
    QCOMPARE(dialog->option1(2)->text(), QStringLiteral("タヴリック"));
    // Designed at 8,48,65,17; a caption wider in this face may widen it inside its frame.
    const QRect tavrick = dialog->option1(2)->geometry();
    QCOMPARE(tavrick.topLeft(), QPoint(8, 48));
    QCOMPARE(tavrick.height(), 17);
    QVERIFY(tavrick.width() >= 65 && tavrick.right() < dialog->findChild<QGroupBox *>("Frame1")->width());
    QVERIFY(tavrick.width() >= std::min(dialog->option1(2)->sizeHint().width(), 71));
    QCOMPARE(dialog->check2()->text(), QStringLiteral("最小化時はﾄﾚｲへ"));
    const QRect check2 = dialog->check2()->geometry();
    QCOMPARE(check2.topLeft(), QPoint(88, 40));
    QVERIFY(check2.width() >= 113 && check2.right() < dialog->width());
    QCOMPARE(dialog->findChild<QPushButton *>("Command2")->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(dialog->findChild<QPushButton *>("Command1")->geometry(), QRect(144, 80, 57, 17));
}

void TestOptions::startUpLoadsSettingsBeforeCharacterBeforeShowing()
{
    Harness h(sourceAssets(), false);
    store(h, "2", "1", "0");
    h.form->Form_Load();
    QVERIFY(h.form->isVisible());
    QCOMPARE(h.form->settings(), (SettingsValues{2, 1, 0}));
    const QImage tavrick(sourceAssets() + "/gif/tavrick0.gif");
    QCOMPARE(h.form->picbox(0)->picture()->toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             tavrick.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    // The stored minimize-when-timing option is followed.
    h.form->ssbutton_Click();
    QVERIFY(h.form->isMinimized());
}

void TestOptions::okStoresAllThreeAndAppliesAtOnce()
{
    Harness h;
    const Picture before = h.form->picbox(1)->picture();
    h.find<QLabel>("messbox")->setText("x");
    whenModal([](QWidget *modal) {
        auto *dialog = qobject_cast<optionform *>(modal);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        dialog->option1(1)->setChecked(true);
        QTest::mouseClick(dialog->check1(), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton *>("Command1"), Qt::LeftButton);
    });
    h.form->Command1_Click();
    QCOMPARE(h.store.values.at("setting/charano"), "1");
    QCOMPARE(h.store.values.at("setting/check1value"), "1");
    QCOMPARE(h.store.values.at("setting/check2value"), "1");
    QCOMPARE(h.form->settings(), (SettingsValues{1, 1, 1}));
    QVERIFY(h.form->picbox(1)->picture() != before); // reloaded
    QCOMPARE(h.find<QLabel>("messbox")->text(), QString());
    QTRY_COMPARE(openDialogs(), 0); // destroyed after OK
    // Applies at once: START minimizes without reopening the dialog.
    h.form->ssbutton_Click();
    QVERIFY(h.form->isMinimized());

    // OK without any change writes all three again.
    const int writes = h.store.writes;
    whenModal([](QWidget *modal) { qobject_cast<optionform *>(modal)->Command1_Click(); });
    h.form->Command1_Click();
    QCOMPARE(h.store.writes, writes + 3);
}

void TestOptions::closingWithoutOkDiscardsChanges()
{
    Harness h;
    const Picture shownBefore = h.form->picbox(0)->picture();
    QPointer<optionform> first;
    whenModal([&](QWidget *modal) {
        first = qobject_cast<optionform *>(modal);
        first->option1(2)->setChecked(true);
        first->check2()->setValue(0);
        first->close();
    });
    h.form->Command1_Click();
    QCOMPARE(h.store.writes, 0);
    QCOMPARE(h.form->settings(), (SettingsValues{0, 0, 1}));
    QCOMPARE(h.form->picbox(0)->picture(), shownBefore);
    QTRY_VERIFY(first.isNull()); // destroyed; the next opening builds it anew

    // Escape closes it the same way, and the next opening shows the stored choices.
    bool sawStored = false;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<optionform *>(modal);
        sawStored = dialog->option1(0)->isChecked() && dialog->check2()->value() == 1;
        dialog->option1(1)->setChecked(true);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    h.form->Command1_Click();
    QVERIFY(sawStored);
    QCOMPARE(h.store.writes, 0);
}

void TestOptions::shadedBoxRoundTrips()
{
    Harness h;
    store(h, "0", "2", "2");
    h.form->optionformObject()->loadsetting();
    optionform *dialog = h.form->optionformObject();
    QCOMPARE(dialog->check2()->checkState(), Qt::PartiallyChecked);
    QCOMPARE(h.form->settings().check2value, 2);
    // Acts as off: minimizing stays in the taskbar, START does not minimize.
    h.form->ssbutton_Click();
    QVERIFY(!h.form->isMinimized());
    h.form->setWindowState(Qt::WindowMinimized);
    QVERIFY(h.tray.calls.isEmpty());
    // Left alone it is written back as 2; a click only ever ticks or clears.
    QTest::mouseClick(dialog->check1(), Qt::LeftButton);
    dialog->setsetting();
    QCOMPARE(h.store.values.at("setting/check2value"), "2");
    QCOMPARE(h.store.values.at("setting/check1value"), "1");
    QTest::mouseClick(dialog->check1(), Qt::LeftButton);
    QCOMPARE(dialog->check1()->value(), 0);
}

void TestOptions::badStoredValuesFallBackWithOneMessage_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<SettingsValues>("expected");
    QTest::newRow("charano 3") << "charano" << "3" << SettingsValues{0, 1, 0};
    QTest::newRow("charano text") << "charano" << "abc" << SettingsValues{0, 1, 0};
    QTest::newRow("charano empty") << "charano" << "" << SettingsValues{0, 1, 0};
    QTest::newRow("check1 99999") << "check1value" << "99999" << SettingsValues{2, 0, 0};
    QTest::newRow("check2 -1") << "check2value" << "-1" << SettingsValues{2, 1, 1};
}

void TestOptions::badStoredValuesFallBackWithOneMessage()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(SettingsValues, expected);
    Harness h(sourceAssets(), false);
    store(h, "2", "1", "0");
    h.store.values["setting/" + key.toStdString()] = text.toStdString();
    const auto before = h.store.values;
    h.form->Form_Load();
    QVERIFY(h.form->isVisible());
    QCOMPARE(h.form->settings(), expected);
    QCOMPARE(h.notifier.messages.size(), 1);
    const QString message = h.notifier.messages.first();
    QVERIFY(message.contains(key));
    QVERIFY(message.contains("\"" + text + "\""));
    QVERIFY(message.contains("/tmp/test-store.conf"));
    QCOMPARE(h.store.values, before);
    QCOMPARE(h.store.writes, 0);
    // Opening the dialog again does not repeat the same message.
    h.form->optionformObject()->loadsetting();
    QCOMPARE(h.notifier.messages.size(), 1);
}

void TestOptions::refusedWriteIsReportedAndChoicesStillApply()
{
    Harness h;
    h.store.syncError = "the settings folder is not writable";
    optionform *dialog = h.form->optionformObject();
    dialog->option1(2)->setChecked(true);
    dialog->Command1_Click();
    QCOMPARE(h.notifier.messages.size(), 1);
    QVERIFY(h.notifier.messages.first().contains("could not be saved"));
    QVERIFY(h.notifier.messages.first().contains("not writable"));
    QCOMPARE(h.form->settings().charano, 2);
    const QImage tavrick(sourceAssets() + "/gif/tavrick0.gif");
    QCOMPARE(h.form->picbox(1)->picture()->toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             tavrick.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void TestOptions::versionBoxCanBeOpenedRepeatedly()
{
    Harness h;
    optionform *dialog = h.form->optionformObject();
    dialog->option1(1)->setChecked(true);
    for (int i = 0; i < 2; ++i) {
        QString title, text;
        bool hasIcon = true;
        whenModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            hasIcon = box->icon() != QMessageBox::NoIcon;
            box->accept();
        });
        dialog->Command2_Click();
        QCOMPARE(title, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(text, QStringLiteral("Lumiroka Ver.1.2"));
        QVERIFY(!hasIcon);
    }
    QVERIFY(dialog->option1(1)->isChecked());
}

void TestOptions::timersKeepRunningBehindTheDialog()
{
    Harness h;
    h.form->charatimer1()->start(20);
    const int drawsBefore = h.random.draws;
    int drawsDuring = 0;
    whenModal([&](QWidget *modal) {
        QTimer::singleShot(200, modal, [&, modal] {
            drawsDuring = h.random.draws - drawsBefore;
            qobject_cast<QDialog *>(modal)->close();
        });
    });
    h.form->Command1_Click();
    QVERIFY2(drawsDuring >= 2, qPrintable(QString::number(drawsDuring)));
}

void TestOptions::realStoreKeepsDecimalTextInItsIniFile()
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

    // A folder where the store's folder should be a file: the write fails, is explained,
    // and the earlier file stays as it was.
    QTemporaryDir other;
    QFile blocker(other.filePath("Lumiroka"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QtSettingsStore blocked(other.filePath("Lumiroka/Lumiroka.conf"));
    const std::string error = writeSettings(blocked, SettingsValues{1, 1, 1});
    QVERIFY(!error.empty());
}

QTEST_MAIN(TestOptions)
#include "test_options.moc"
