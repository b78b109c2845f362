// Getting the alarm to the person: the raise and its fallback, the desktop notification
// and the launcher entry's progress, on a private bus with a recording notification
// service and a listener in the place of the dock.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QProcess>
#include <QtTest>

#include "harness.h"
#include "qt/desktop/desktopnotification.h"
#include "qt/desktop/launcherentry.h"
#include "qt/windowraise.h"

using namespace lumiroka;

// Answers the notification calls as a desktop's service does and records them. Replies
// can be held back, as a service that is slow to start holds them.
class NotificationService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown
    {
        uint replaces;
        QString summary, body;
        QStringList actions;
        QVariantMap hints;
        int timeout;
    };
    QList<Shown> shown;
    QList<uint> closed;
    bool holdReplies = false;
    QList<QDBusMessage> held;
    uint nextId = 41;

    explicit NotificationService(const QDBusConnection &bus) : m_bus(bus) {}

    void releaseReplies()
    {
        for (const QDBusMessage &call : std::as_const(held))
            m_bus.send(call.createReply(nextId++));
        held.clear();
    }
    // The person's click; a service of version 1.2 sends the compositor's token for it first.
    void invoke(uint id, const QString &key, const QString &token = {})
    {
        if (!token.isEmpty()) {
            QDBusMessage tokenSignal = QDBusMessage::createSignal(
                DesktopNotification::kPath, DesktopNotification::kInterface, QStringLiteral("ActivationToken"));
            tokenSignal << id << token;
            m_bus.send(tokenSignal);
        }
        QDBusMessage signal = QDBusMessage::createSignal(DesktopNotification::kPath, DesktopNotification::kInterface,
                                                         QStringLiteral("ActionInvoked"));
        signal << id << key;
        m_bus.send(signal);
    }

public slots:
    uint Notify(const QString &, uint replaces, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &hints, int timeout)
    {
        shown.append({replaces, summary, body, actions, hints, timeout});
        if (!holdReplies)
            return replaces ? replaces : nextId++;
        setDelayedReply(true);
        held.append(message());
        return 0;
    }
    void CloseNotification(uint id) { closed.append(id); }

private:
    QDBusConnection m_bus;
};

// Hears the launcher entry's signals as a dock does: from anyone, on any path.
class LauncherListener : public QObject
{
    Q_OBJECT

public:
    struct Update
    {
        QString uri;
        double progress;
        bool visible, urgent;
    };
    QList<Update> updates;

public slots:
    void update(const QString &uri, const QVariantMap &properties)
    {
        updates.append({uri, properties.value("progress").toDouble(), properties.value("progress-visible").toBool(),
                        properties.value("urgent").toBool()});
    }
};

class TestAlert : public QObject
{
    Q_OBJECT

private:
    QProcess m_daemon;
    QString m_address;
    std::unique_ptr<NotificationService> m_service;

    QDBusConnection client() { return QDBusConnection::connectToBus(m_address, QStringLiteral("client")); }
    std::unique_ptr<DesktopNotification> notification()
    {
        return std::make_unique<DesktopNotification>([this] { return client(); });
    }

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void notificationIsCriticalWithTheLineAndAnAction();
    void withdrawnEvenWhenTheServiceAnswersLate();
    void onlyOurActionRestores();
    void refusedRaiseNotifiesAndItsActionRestores();
    void launcherEntryFollowsACountdownItsAlarmAndItsSilencing();
};

void TestAlert::initTestCase()
{
    // A bus of our own: the test never talks to the desktop's notification service.
    m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    QVERIFY2(m_daemon.waitForStarted(), "dbus-daemon is needed (Debian package dbus-daemon)");
    QTRY_VERIFY(m_daemon.canReadLine());
    m_address = QString::fromLatin1(m_daemon.readLine()).trimmed();
    // The program's own session bus is this one too: nothing reaches the desktop's.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toLocal8Bit());
    QDBusConnection server = QDBusConnection::connectToBus(m_address, QStringLiteral("server"));
    QVERIFY(server.isConnected());
    QVERIFY(server.registerService(DesktopNotification::kService));
    m_service = std::make_unique<NotificationService>(server);
    QVERIFY(server.registerObject(DesktopNotification::kPath, m_service.get(), QDBusConnection::ExportAllSlots));
}

void TestAlert::init()
{
    m_service->shown.clear();
    m_service->closed.clear();
    m_service->holdReplies = false;
}

void TestAlert::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("server"));
    m_daemon.kill();
    m_daemon.waitForFinished();
}

void TestAlert::notificationIsCriticalWithTheLineAndAnAction()
{
    auto note = notification();
    note->show(QStringLiteral("Lumiroka"), QStringLiteral("時間だよ！"), QStringLiteral("元のｻｲｽﾞに戻す"));
    QTRY_COMPARE(m_service->shown.size(), 1);
    const NotificationService::Shown first = m_service->shown[0];
    QCOMPARE(first.summary, QStringLiteral("Lumiroka"));
    QCOMPARE(first.body, QStringLiteral("時間だよ！"));
    QCOMPARE(first.hints.value("urgency").metaType().id(), QMetaType::UChar); // a byte, as the service expects
    QCOMPARE(first.hints.value("urgency").toInt(), 2);
    QCOMPARE(first.timeout, 0);
    QVERIFY(first.actions.contains("default"));                               // a click on the notification itself
    QCOMPARE(first.actions.indexOf(QStringLiteral("元のｻｲｽﾞに戻す")) % 2, 1); // a key and its caption
    QCOMPARE(first.replaces, 0u);
    QVERIFY(note->isShown());
    // A second alarm replaces the first notification instead of adding one.
    QTRY_VERIFY(note->id() != 0); // the service's answer
    note->show("Lumiroka", "b", "r");
    QTRY_COMPARE(m_service->shown.size(), 2);
    QCOMPARE(m_service->shown[1].replaces, m_service->nextId - 1);
    note->withdraw();
    QTRY_COMPARE(m_service->closed, QList<uint>{m_service->nextId - 1});
    QVERIFY(!note->isShown());
    note->withdraw(); // nothing left to take away
    QTest::qWait(50);
    QCOMPARE(m_service->closed.size(), 1);
}

void TestAlert::withdrawnEvenWhenTheServiceAnswersLate()
{
    auto note = notification();
    m_service->holdReplies = true;
    note->show("Lumiroka", "line", "restore");
    QTRY_COMPARE(m_service->held.size(), 1);
    note->withdraw(); // silenced before the service said which notification it showed
    QVERIFY(!note->isShown());
    const uint id = m_service->nextId;
    m_service->releaseReplies();
    QTRY_COMPARE(m_service->closed, QList<uint>{id});
}

void TestAlert::onlyOurActionRestores()
{
    auto note = notification();
    int actions = 0;
    QStringList tokens;
    note->onAction = [&](const QString &token) {
        ++actions;
        tokens.append(token);
    };
    note->show("Lumiroka", "line", "restore");
    QTRY_VERIFY(note->id() != 0); // the service's answer
    const uint id = note->id();
    m_service->invoke(id + 100, "default", "theirs"); // another program's notification
    QTest::qWait(100);
    QCOMPARE(actions, 0);
    m_service->invoke(id, "restore", "token-of-the-click");
    QTRY_COMPARE(actions, 1);
    QCOMPARE(tokens, QStringList{"token-of-the-click"}); // ours, not the other program's
    QVERIFY(!note->isShown());                           // the service closes a notification whose action was chosen
    // A service that sends no token (GNOME 43), for the next alarm's notification.
    note->show("Lumiroka", "line", "restore");
    QTRY_VERIFY(note->id() != 0);
    m_service->invoke(note->id(), "default");
    QTRY_COMPARE(actions, 2);
    QCOMPARE(tokens.last(), QString());
}

void TestAlert::refusedRaiseNotifiesAndItsActionRestores()
{
    WindowRaiser raiser(notification());
    int restores = 0;
    raiser.onRestore = [&] { ++restores; };
    QWidget window, other;
    window.show();
    other.show();
    raiser.raiseToFront(&window, QStringLiteral("おーい、時間だぜ！"));
    // The desktop gives the focus to the window the person types in instead.
    QTimer::singleShot(0, &other, [&] { other.activateWindow(); });
    QTRY_VERIFY_WITH_TIMEOUT(!m_service->shown.isEmpty(), WindowRaiser::kConfirmMs + 3000);
    QCOMPARE(m_service->shown[0].body, QStringLiteral("おーい、時間だぜ！"));
    QVERIFY(m_service->shown[0].actions.contains(QStringLiteral("元のｻｲｽﾞに戻す"))); // the tray item's words
    QCOMPARE(restores, 0);
    // Chosen again until the program has the service's answer with the id; only the
    // first choice counts, since the service closes the notification.
    const uint id = m_service->nextId - 1;
    QTRY_VERIFY((m_service->invoke(id, "default"), restores == 1));
    QTest::qWait(100);
    QCOMPARE(restores, 1);
    QTRY_VERIFY(window.isActiveWindow()); // and brought to the front once restored
    // A desktop that still keeps it out of sight: while the alarm rings, the notification
    // comes back.
    other.activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(m_service->shown.size(), 2, WindowRaiser::kConfirmMs + 3000);
    QCOMPARE(m_service->shown[1].body, QStringLiteral("おーい、時間だぜ！"));

    // Silenced before the raise was judged: no notification comes at all.
    m_service->shown.clear();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    raiser.raiseToFront(&window, "line");
    other.activateWindow();
    raiser.withdraw();
    QTest::qWait(WindowRaiser::kConfirmMs + 200);
    QVERIFY(m_service->shown.isEmpty());
}

void TestAlert::launcherEntryFollowsACountdownItsAlarmAndItsSilencing()
{
    QDBusConnection server = QDBusConnection::connectToBus(m_address, QStringLiteral("server"));
    LauncherListener dock;
    QVERIFY(server.connect(QString(), QString(), LauncherEntry::kInterface, QStringLiteral("Update"), &dock,
                           SLOT(update(QString, QVariantMap))));
    lumiroka::testing::QtHarness h; // the real window on the session bus, its ticks given by hand
    h.form->ssbutton_Click();       // a stopwatch
    h.form->swtimer_Timer();
    h.form->ssbutton_Click();
    h.form->resetbutton_Click();
    h.window->setBar(TimeField::Second, 4);
    h.form->ssbutton_Click();
    h.form->swtimer_Timer(); // 00:00:03
    h.form->ssbutton_Click();
    h.form->ssbutton_Click(); // stopped and resumed
    for (int i = 0; i < 5; ++i)
        h.form->swtimer_Timer(); // zero after three, then two seconds of ringing
    h.form->ssbutton_Click();    // silenced
    // Each change once, in order: the stopwatch and the ringing seconds said nothing.
    QTRY_COMPARE(dock.updates.size(), 8);
    QTest::qWait(100);
    QCOMPARE(dock.updates.size(), 8);
    const std::tuple<double, bool, bool> expected[] = {
        {1.0, true, false},  {0.75, true, false}, {0.75, true, false}, // paused: still the share to go
        {0.75, true, false}, {0.5, true, false},  {0.25, true, false}, //
        {1.0, true, true},                                             // ringing: urgent, the whole bar
        {0.0, false, false},                                           // silenced: gone
    };
    for (int i = 0; i < 8; ++i) {
        const LauncherListener::Update &u = dock.updates[i];
        QCOMPARE(u.uri, QStringLiteral("application://org.lumiroka.Lumiroka.desktop"));
        QCOMPARE(std::make_tuple(u.progress, u.visible, u.urgent), expected[i]);
    }
    server.disconnect(QString(), QString(), LauncherEntry::kInterface, QStringLiteral("Update"), &dock,
                      SLOT(update(QString, QVariantMap)));
}

QTEST_MAIN(TestAlert)
#include "test_alert.moc"
