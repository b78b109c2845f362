// The Qt windows: layout, focus, keyboard, what a screen reader reads, the modal options
// dialog, the tray menu, and each control's event reaching its handler. What the handlers
// do is tested over the fake front end; the window system's echo of a minimize while the
// window comes back from the tray happens on X11 only and is tested end to end there.

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

#include "chara/poses.h"
#include "forms/layout.h"
#include "harness.h"
#include "qt/desktop/boottimeclock.h"

using namespace lumiroka;
using namespace lumiroka::testing;

class TestWindows : public QObject
{
    Q_OBJECT

private:
    static QString text(const QtHarness &h, const char *label) { return h.find<QLabel>(label)->text(); }
    static void click(QtHarness &h, const char *button)
    {
        QTest::mouseClick(h.find<QPushButton>(button), Qt::LeftButton);
    }
    static QDialog *openDialog()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("optionform"))
                return qobject_cast<QDialog *>(widget);
        return nullptr;
    }
    // Runs `act` once the next modal window is up.
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
    static QString accessible(QWidget *widget, QAccessible::Text what)
    {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
        return iface ? iface->text(what) : QString();
    }

private slots:
    void layoutFollowsTheDesign_data();
    void layoutFollowsTheDesign();
    void windowIsFixedAndFocusOrderIsAsDesigned();
    void barsKeepToTheirRangeAndRightRaises();
    void screenReaderReadsTheTextsThemselves();
    void panelsAreWhiteWithAGreyBorderAndBlackText();
    void eachControlReachesItsHandler();
    void startStopTellsAKeyFromAClick();
    void endTheCloseBoxAndTheTrayItemEndTheProgram();
    void dialogIsBuiltOnlyWhenShownAndLaidOutAsDesigned();
    void dialogOkStoresTheClickedChoicesAndGoes();
    void dialogEscapeDiscardsAndGoes();
    void shadedBoxTicksOnAClickAndNeverShadesAgain();
    void versionBoxHasNoIcon();
    void timersKeepRunningBehindTheDialog();
    void trayMenuHasItsItems();
    void hostMenuAndNotificationRestoreLikeTheMenuItem();
    void clickWaitServesTheRealTimers();
};

void TestWindows::layoutFollowsTheDesign_data()
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
}

void TestWindows::layoutFollowsTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QtHarness h;
    auto *widget = h.window->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->geometry(), geometry);
}

void TestWindows::windowIsFixedAndFocusOrderIsAsDesigned()
{
    QtHarness h;
    QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Lumiroka"));
    QVERIFY(!(h.window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(h.window->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(h.find<QPushButton>("ssbutton")->text(), QStringLiteral("START・STOP"));
    QCOMPARE(text(h, "Label1"), QStringLiteral("："));
    QCOMPARE(text(h, "hourbox") + text(h, "minbox") + text(h, "secbox"), QStringLiteral("000000"));

    QCOMPARE(QApplication::focusWidget(), h.find<QWidget>("ssbutton"));
    const QStringList expected = {"resetbutton", "hourbar",  "minbar",    "secbar",
                                  "picbox0",     "Command1", "endbutton", "ssbutton"};
    QStringList order;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, expected);
}

void TestWindows::barsKeepToTheirRangeAndRightRaises()
{
    QtHarness h;
    auto *bar = h.find<QScrollBar>("minbar");
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(bar->value(), 1);
    QCOMPARE(text(h, "minbox"), QStringLiteral("01"));
    QCOMPARE(h.form->time().mincount, 1);
    QTest::keyClick(bar, Qt::Key_Left);
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(bar->value(), 0); // never below the minimum
    // Nor above the largest value the count can hold.
    for (const char *name : {"hourbar", "minbar", "secbar"})
        h.find<QScrollBar>(name)->setValue(1000);
    QCOMPARE(h.form->time().clockText(), "99:59:59");
}

void TestWindows::screenReaderReadsTheTextsThemselves()
{
    QtHarness h;
    h.window->setBox(TimeField::Minute, "07");
    h.window->setMessbox("時間だよ！");
    // The digits and the remark are read as what they say; the description names them.
    QCOMPARE(accessible(h.find<QLabel>("minbox"), QAccessible::Name), QStringLiteral("07"));
    QCOMPARE(accessible(h.find<QLabel>("minbox"), QAccessible::Description), QStringLiteral("minutes"));
    QCOMPARE(accessible(h.find<QLabel>("messbox"), QAccessible::Name), QStringLiteral("時間だよ！"));
    QVERIFY(!accessible(h.find<QLabel>("messbox"), QAccessible::Description).isEmpty());
    const QMap<QString, QString> names = {
        {"hourbar", "hours"},        {"minbar", "minutes"},    {"secbar", "seconds"},  {"picbox0", "character"},
        {"ssbutton", "START・STOP"}, {"resetbutton", "RESET"}, {"Command1", "OPTION"}, {"endbutton", "END"}};
    for (auto it = names.begin(); it != names.end(); ++it)
        QCOMPARE(accessible(h.find<QWidget>(qPrintable(it.key())), QAccessible::Name), it.value());
    // Everything a user can reach or read has a name.
    for (QWidget *widget : h.window->findChildren<QWidget *>())
        if (widget->isVisibleTo(h.window.get()) &&
            (widget->focusPolicy() != Qt::NoFocus || qobject_cast<QLabel *>(widget)) &&
            widget->objectName() != QLatin1String("timerbox"))
            QVERIFY2(!accessible(widget, QAccessible::Name).isEmpty(), qPrintable(widget->objectName()));
    // And so does everything in the options dialog.
    bool named = true;
    QString unnamed;
    whenModal([&](QWidget *dialog) {
        for (QWidget *widget : dialog->findChildren<QWidget *>())
            if (widget->focusPolicy() != Qt::NoFocus && accessible(widget, QAccessible::Name).isEmpty()) {
                named = false;
                unnamed = widget->objectName();
            }
        qobject_cast<QDialog *>(dialog)->close();
    });
    h.form->Command1_Click();
    QVERIFY2(named, qPrintable(unnamed));
}

void TestWindows::panelsAreWhiteWithAGreyBorderAndBlackText()
{
    QtHarness h;
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

void TestWindows::eachControlReachesItsHandler()
{
    QtHarness h;
    // The bars.
    h.find<QScrollBar>("hourbar")->setValue(3);
    h.find<QScrollBar>("minbar")->setValue(4);
    h.find<QScrollBar>("secbar")->setValue(5);
    QCOMPARE(h.form->time().clockText(), "03:04:05");
    QCOMPARE(text(h, "secbox"), QStringLiteral("05"));
    // START・STOP and the one-second tick.
    click(h, "ssbutton");
    QVERIFY(h.window->swtimer().isActive());
    QVERIFY(QMetaObject::invokeMethod(&dynamic_cast<QObject &>(h.window->swtimer()), "timeout"));
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Lumiroka - 03:04:04"));
    // The character, clicked with the mouse while running: the wait, then the running rest.
    QTest::mouseClick(h.find<QWidget>("picbox0"), Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(h.form->picbox(0), h.form->picbox(slot::RunningRest));
    // The animation timer.
    const int draws = h.random.draws;
    QVERIFY(QMetaObject::invokeMethod(&dynamic_cast<QObject &>(h.window->charatimer1()), "timeout"));
    QCOMPARE(h.random.draws, draws + 2);
    // STOP, then RESET.
    click(h, "ssbutton");
    click(h, "resetbutton");
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Lumiroka"));
    // Space on the focused character is a click: stopped, it takes the long stopped pose.
    h.form->takeSlot(slot::StoppedRest);
    auto *picbox = h.find<QWidget>("picbox0");
    picbox->setFocus();
    QTest::keyClick(picbox, Qt::Key_Space);
    QCOMPARE(h.form->picbox(0), h.form->picbox(slot::StoppedLong));
    // The alarm's repetition.
    h.window->soundtimer().start();
    QVERIFY(QMetaObject::invokeMethod(&dynamic_cast<QObject &>(h.window->soundtimer()), "timeout"));
    QCOMPARE(h.sound.plays, 1);
    h.window->soundtimer().stop();
    // A change of the window state.
    h.window->setWindowState(Qt::WindowMinimized);
    QCOMPARE(h.tray.calls, (std::vector<std::string>{"add:Lumiroka"}));
    QVERIFY(!h.window->isVisible());
    // The tray menu's items.
    h.window->trayMenu().smenu1()->trigger();
    QVERIFY(h.window->isVisible());
    QCOMPARE(h.tray.calls.back(), "remove");
    // OPTION opens the dialog modally; its OK and version buttons reach their handlers.
    QStringList seen;
    whenModal([&](QWidget *dialog) {
        seen << dialog->objectName();
        whenModal([&](QWidget *box) {
            seen << box->windowTitle();
            qobject_cast<QDialog *>(box)->accept();
            QTimer::singleShot(
                0, [&, dialog] { QTest::mouseClick(dialog->findChild<QPushButton *>("Command1"), Qt::LeftButton); });
        });
        QTest::mouseClick(dialog->findChild<QPushButton *>("Command2"), Qt::LeftButton);
    });
    click(h, "Command1");
    QCOMPARE(seen, (QStringList{"optionform", "ﾊﾞｰｼﾞｮﾝ情報"}));
    QCOMPARE(h.store.writes, 3); // OK was pressed
}

void TestWindows::startStopTellsAKeyFromAClick()
{
    QtHarness h;
    h.find<QScrollBar>("secbar")->setValue(1);
    click(h, "ssbutton");
    // Another program has the keyboard at zero.
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    QVERIFY(QMetaObject::invokeMethod(&dynamic_cast<QObject &>(h.window->swtimer()), "timeout"));
    QVERIFY(h.window->soundtimer().isActive());
    auto *button = h.find<QPushButton>("ssbutton");
    QTest::keyClick(button, Qt::Key_Space); // typed for the other program
    QVERIFY(h.window->soundtimer().isActive());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!h.window->soundtimer().isActive());
}

void TestWindows::endTheCloseBoxAndTheTrayItemEndTheProgram()
{
    QtHarness h;
    click(h, "endbutton");
    QCOMPARE(h.window->ends, 1);
    h.window->close();
    QCOMPARE(h.window->ends, 2);
    h.window->trayMenu().smenu2()->trigger();
    QCOMPARE(h.window->ends, 3);
    QCOMPARE(h.tray.calls.back(), "remove");
    QCOMPARE(h.store.writes, 0);
}

void TestWindows::dialogIsBuiltOnlyWhenShownAndLaidOutAsDesigned()
{
    QtHarness h;
    QVERIFY(!openDialog()); // start-up set the values without building the dialog
    QVERIFY(!h.window->optionsDialog().dialog());
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QDialog *>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), QStringLiteral("optionform"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("OPTION"));
        QCOMPARE(dialog->size(), QSize(209, 105));
        QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        auto *frame = dialog->findChild<QGroupBox *>("Frame1");
        QCOMPARE(frame->title(), QStringLiteral("キャラ"));
        auto *tavrick = dialog->findChild<QRadioButton *>("option1_2");
        QCOMPARE(tavrick->text(), QStringLiteral("タヴリック"));
        // Designed at 8,48,65,17; a caption wider in this face may widen it inside its frame.
        QCOMPARE(tavrick->geometry().topLeft(), QPoint(8, 48));
        QCOMPARE(tavrick->height(), 17);
        QVERIFY(tavrick->width() >= 65 && tavrick->geometry().right() < frame->width());
        QVERIFY(tavrick->width() >= std::min(tavrick->sizeHint().width(), 71));
        auto *check2 = dialog->findChild<QCheckBox *>("check2");
        QCOMPARE(check2->text(), QStringLiteral("最小化時はﾄﾚｲへ"));
        QCOMPARE(check2->geometry().topLeft(), QPoint(88, 40));
        QVERIFY(check2->width() >= 113 && check2->geometry().right() < dialog->width());
        QCOMPARE(dialog->findChild<QPushButton *>("Command2")->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(dialog->findChild<QPushButton *>("Command1")->geometry(), QRect(144, 80, 57, 17));
        // The stored choices (an empty store: the defaults).
        QVERIFY(dialog->findChild<QRadioButton *>("option1_0")->isChecked());
        QVERIFY(check2->isChecked());
        QVERIFY(!dialog->findChild<QCheckBox *>("check1")->isChecked());
        dialog->close();
    });
    h.form->Command1_Click();
    QTRY_VERIFY(!openDialog());
}

void TestWindows::dialogOkStoresTheClickedChoicesAndGoes()
{
    QtHarness h;
    QPointer<QWidget> shown;
    whenModal([&](QWidget *dialog) {
        shown = dialog;
        QTest::mouseClick(dialog->findChild<QRadioButton *>("option1_1"), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QCheckBox *>("check1"), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        // Gone at once, as the forms expect of every front end's dialog.
        QVERIFY(!h.window->optionsDialog().isShown());
    });
    h.form->Command1_Click();
    QCOMPARE(h.store.at("charano"), "1");
    QCOMPARE(h.store.at("check1value"), "1");
    QCOMPARE(h.store.at("check2value"), "1");
    QTRY_VERIFY(shown.isNull()); // destroyed; the next opening builds it anew
}

void TestWindows::dialogEscapeDiscardsAndGoes()
{
    QtHarness h;
    QPointer<QWidget> shown;
    whenModal([&](QWidget *dialog) {
        shown = dialog;
        QTest::mouseClick(dialog->findChild<QRadioButton *>("option1_2"), Qt::LeftButton);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    h.form->Command1_Click();
    QCOMPARE(h.store.writes, 0);
    QTRY_VERIFY(shown.isNull());
}

void TestWindows::shadedBoxTicksOnAClickAndNeverShadesAgain()
{
    QtHarness h;
    h.store.setAll("0", "0", "2");
    QList<int> values;
    whenModal([&](QWidget *dialog) {
        auto *check2 = dialog->findChild<OptionCheckBox *>("check2");
        values << check2->value();
        QCOMPARE(check2->checkState(), Qt::PartiallyChecked);
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(check2, Qt::LeftButton);
            values << check2->value();
        }
        qobject_cast<QDialog *>(dialog)->close();
    });
    h.form->Command1_Click();
    QCOMPARE(values, (QList<int>{2, 1, 0, 1}));
}

void TestWindows::versionBoxHasNoIcon()
{
    QtHarness h;
    QString title, body;
    bool hasIcon = true;
    whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        title = box->windowTitle();
        body = box->text();
        hasIcon = box->icon() != QMessageBox::NoIcon;
        box->accept();
    });
    h.form->optionformObject().Command2_Click();
    QCOMPARE(title, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(body, QString::fromStdString(layout::versionText()));
    QVERIFY(!hasIcon);
}

void TestWindows::timersKeepRunningBehindTheDialog()
{
    QtHarness h;
    h.window->charatimer1().setInterval(20);
    h.window->charatimer1().start();
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

void TestWindows::trayMenuHasItsItems()
{
    QtHarness h;
    h.form->Form_MouseMove(0, 0, 517, 0);
    QMenu *menu = h.window->trayMenu().mfile();
    QVERIFY(menu->isVisible());
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[0]->text(), QStringLiteral("元のｻｲｽﾞに戻す(&R)"));
    QVERIFY(actions[1]->isSeparator());
    QCOMPARE(actions[2]->text(), QStringLiteral("閉じる(&C)"));
    QCOMPARE(menu->activeAction(), nullptr); // no default item
    menu->hide();
}

void TestWindows::hostMenuAndNotificationRestoreLikeTheMenuItem()
{
    {
        // The notification's action takes the tray menu's way back.
        QtHarness h;
        h.window->setWindowState(Qt::WindowMinimized);
        QVERIFY(!h.window->isVisible());
        QVERIFY(h.window->raiser().onRestore);
        h.window->raiser().onRestore();
        QVERIFY(h.window->isVisible());
        QVERIFY(!h.window->isMinimized());
        QVERIFY(!h.tray.present);
    }
    QtHarness h;
    h.window->setWindowState(Qt::WindowMinimized);
    QtTrayMenu &menus = h.window->trayMenu();
    QVERIFY(menus.hostMenu() != menus.mfile()); // Qt turns a host's menu into a D-Bus menu
    const QList<QAction *> items = menus.hostMenu()->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0], menus.smenu1());
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[2], menus.smenu2());
    items[0]->trigger();
    QVERIFY(h.window->isVisible());
    QVERIFY(!h.tray.present);
}

void TestWindows::clickWaitServesTheRealTimers()
{
    // The real clock and the real pace: the wait lasts about a second, and the one-second
    // tick of the running count falls inside it and is served.
    BootTimeClock realClock;
    QtHarness h(true, &realClock);
    h.form->setClickWaitPause(std::chrono::microseconds(500));
    h.form->ssbutton_Click();
    QElapsedTimer elapsed;
    elapsed.start();
    h.form->picbox_Click(0);
    QVERIFY2(h.form->time().seccount >= 1, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(h.form->picbox(0), h.form->picbox(slot::RunningRest));
}

QTEST_MAIN(TestWindows)
#include "test_windows.moc"
