// The notification-area icon, its menu and the move there on minimizing.

#include <QMenu>
#include <QtTest>

#include "fakes.h"
#include "ui/menuform.h"

using namespace lumiroka;
using namespace lumiroka::testing;

class TestTray : public QObject
{
    Q_OBJECT

private:
    static void minimize(Harness &h) { h.form->setWindowState(h.form->windowState() | Qt::WindowMinimized); }

private slots:
    void minimizingMovesToTheTrayOnlyWithTheOption_data();
    void minimizingMovesToTheTrayOnlyWithTheOption();
    void tooltipFollowsTheCountOnlyWhileHidden();
    void menuHasItsItemsAndRestoreBringsTheWindowBack();
    void closeItemRemovesTheIconAndEnds();
    void trayThatAppearsLateIsUsedAndOneThatVanishesGivesTheWindowBack();
    void startWithBothOptionsHidesAtOnce();
    void hostMenuAndNotificationRestoreLikeTheMenuItem();
    void embeddedIconOpensTheMenuOnTheRelease();
};

namespace {
// Stands in for Qt's embedded tray icon widget, which acts on the press.
struct EmbeddedIcon : QWidget
{
    int presses = 0;
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};
} // namespace

void TestTray::minimizingMovesToTheTrayOnlyWithTheOption_data()
{
    QTest::addColumn<int>("check2value");
    QTest::addColumn<bool>("toTray");
    QTest::newRow("on") << 1 << true;
    QTest::newRow("off") << 0 << false;
    QTest::newRow("shaded") << 2 << false;
}

void TestTray::minimizingMovesToTheTrayOnlyWithTheOption()
{
    QFETCH(int, check2value);
    QFETCH(bool, toTray);
    Harness h;
    h.form->settings().check2value = static_cast<std::int16_t>(check2value);
    minimize(h);
    QCOMPARE(h.form->isVisible(), !toTray);
    QVERIFY(h.form->isMinimized());
    QCOMPARE(h.tray.shown, toTray);
    QCOMPARE(h.tray.calls, toTray ? QStringList{"add:Lumiroka:icon"} : QStringList{});
    // Restoring raises a state change too, and nothing happens.
    h.form->setWindowState(Qt::WindowNoState);
    QCOMPARE(h.tray.calls.size(), toTray ? 1 : 0);
}

void TestTray::tooltipFollowsTheCountOnlyWhileHidden()
{
    Harness h;
    h.form->ssbutton_Click();
    h.form->swtimer_Timer();
    QVERIFY(h.tray.calls.isEmpty());
    minimize(h);
    QCOMPARE(h.tray.toolTip, QStringLiteral("Lumiroka"));
    h.form->swtimer_Timer();
    QCOMPARE(h.tray.toolTip, QStringLiteral("Lumiroka - 00:00:02"));
    h.form->time().hourcount = 0;
    h.form->time().mincount = 4;
    h.form->time().seccount = 58;
    h.form->swtimer_Timer();
    QCOMPARE(h.tray.toolTip, QStringLiteral("Lumiroka - 00:04:59"));
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Lumiroka - 00:04:59"));
}

void TestTray::menuHasItsItemsAndRestoreBringsTheWindowBack()
{
    Harness h;
    h.form->ssbutton_Click();
    minimize(h);
    QVERIFY(h.tray.onClicked);
    h.tray.onClicked(QPoint(10, 10));
    QMenu *menu = h.form->menuformObject()->mfile();
    QVERIFY(menu->isVisible());
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[0]->text(), QStringLiteral("元のｻｲｽﾞに戻す(&R)"));
    QVERIFY(actions[1]->isSeparator());
    QCOMPARE(actions[2]->text(), QStringLiteral("閉じる(&C)"));
    // A tick while the menu is open still updates the tooltip.
    h.form->swtimer_Timer();
    QCOMPARE(h.tray.toolTip, QStringLiteral("Lumiroka - 00:00:01"));
    actions[0]->trigger();
    menu->hide();
    QVERIFY(!h.tray.shown);
    QVERIFY(h.form->isVisible());
    QVERIFY(!h.form->isMinimized());
    QVERIFY(h.form->swtimer()->isActive()); // the count was never interrupted
    QCOMPARE(h.tray.calls.last(), QStringLiteral("remove"));
}

void TestTray::closeItemRemovesTheIconAndEnds()
{
    Harness h;
    minimize(h);
    int exits = 0;
    QTimer::singleShot(0, [&] {
        h.form->menuformObject()->smenu2()->trigger();
        ++exits;
    });
    QEventLoop loop; // stands in for the program's main loop, which the close item ends
    QTimer::singleShot(2000, &loop, [&] { loop.exit(99); });
    QCOMPARE(loop.exec(), 0);
    QCOMPARE(exits, 1);
    QCOMPARE(h.tray.calls.last(), QStringLiteral("remove"));
    QVERIFY(!h.form->isVisible());
}

void TestTray::trayThatAppearsLateIsUsedAndOneThatVanishesGivesTheWindowBack()
{
    Harness h;
    h.tray.available = false;
    minimize(h);
    QVERIFY(h.form->isVisible()); // no tray: stays in the taskbar
    h.form->setWindowState(Qt::WindowNoState);
    h.tray.available = true; // a tray host started after us
    minimize(h);
    QVERIFY(!h.form->isVisible());
    QVERIFY(h.tray.onLost);
    h.tray.onLost();
    QVERIFY(h.form->isVisible());
    QVERIFY(!h.form->isMinimized());
}

void TestTray::startWithBothOptionsHidesAtOnce()
{
    Harness h;
    h.form->settings().check1value = 1;
    h.form->settings().check2value = 1;
    h.form->ssbutton_Click();
    QVERIFY(!h.form->isVisible());
    QVERIFY(h.tray.shown);
    QVERIFY(h.form->swtimer()->isActive());

    // The window system may report the withdrawn window as no longer minimized; it is
    // still in the tray: the tooltip follows the count and the alarm brings it back.
    Harness countdown;
    countdown.form->settings().check1value = 1;
    countdown.form->time().seccount = 2;
    countdown.form->ssbutton_Click();
    countdown.form->setWindowState(Qt::WindowNoState);
    QVERIFY(!countdown.form->isVisible());
    countdown.form->swtimer_Timer();
    QCOMPARE(countdown.tray.toolTip, QStringLiteral("Lumiroka - 00:00:01"));
    countdown.form->swtimer_Timer();
    QVERIFY(countdown.form->isVisible());
    QVERIFY(!countdown.tray.shown);
    QCOMPARE(countdown.raiser.raises, 1);
}

void TestTray::hostMenuAndNotificationRestoreLikeTheMenuItem()
{
    {
        // The notification's action takes the tray menu's way back.
        Harness h;
        minimize(h);
        QVERIFY(!h.form->isVisible());
        QVERIFY(h.raiser.onRestore);
        h.raiser.onRestore();
        QVERIFY(h.form->isVisible());
        QVERIFY(!h.form->isMinimized());
        QVERIFY(!h.tray.shown);
    }
    auto h = std::make_unique<Harness>();
    QVERIFY(!h->tray.menu);
    minimize(*h);
    menuform *owner = h->form->menuformObject();
    QVERIFY(h->tray.menu);
    QVERIFY(h->tray.menu != owner->mfile()); // Qt turns a host's menu into a D-Bus menu
    const QList<QAction *> items = h->tray.menu->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0], owner->smenu1());
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[2], owner->smenu2());
    items[0]->trigger();
    QVERIFY(h->form->isVisible());
    QVERIFY(!h->tray.shown);
    FakeTray &tray = h->tray;
    h->form.reset();
    QVERIFY(!tray.menu); // the host is never left with a deleted menu
}

void TestTray::embeddedIconOpensTheMenuOnTheRelease()
{
    QtTrayIcon tray;
    QList<QPoint> opened;
    tray.onClicked = [&](const QPoint &pos) { opened << pos; };
    EmbeddedIcon icon;
    icon.setObjectName(QStringLiteral("QSystemTrayIconSys"));
    icon.resize(22, 22);
    icon.show();
    QVERIFY(QTest::qWaitForWindowExposed(&icon));
    tray.add(QIcon(QStringLiteral(":/icons/lumiroka-16.png")), QStringLiteral("Lumiroka"));

    const QPoint inside(5, 6);
    QTest::mousePress(&icon, Qt::LeftButton, {}, inside);
    QVERIFY(opened.isEmpty()); // a press alone does nothing...
    QCOMPARE(icon.presses, 0); // ...not even through Qt's own handler
    QTest::mouseRelease(&icon, Qt::LeftButton, {}, inside);
    QCOMPARE(opened, QList<QPoint>{icon.mapToGlobal(inside)});
    QTest::mousePress(&icon, Qt::RightButton, {}, inside);
    QTest::mouseRelease(&icon, Qt::RightButton, {}, inside);
    QCOMPARE(opened.size(), 2);
    QTest::mousePress(&icon, Qt::MiddleButton, {}, inside);
    QTest::mouseRelease(&icon, Qt::MiddleButton, {}, inside);
    QTest::mousePress(&icon, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(&icon, Qt::LeftButton, {}, QPoint(60, 60)); // let go away from the icon
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(inside), QPointF(icon.mapToGlobal(inside)),
                            Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&icon, &doubleClick);
    QCOMPARE(opened.size(), 2);
    QCOMPARE(icon.presses, 0);

    // Removed, the icon's events are none of the tray's business.
    tray.remove();
    QTest::mousePress(&icon, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(&icon, Qt::LeftButton, {}, inside);
    QCOMPARE(icon.presses, 1);
    QCOMPARE(opened.size(), 2);
}

QTEST_MAIN(TestTray)
#include "test_tray.moc"
