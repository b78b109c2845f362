#include "ui/mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include <chrono>
#include <thread>

#include "chara/poses.h"
#include "core/lines.h"
#include "platform/accessiblealert.h"
#include "platform/notifier.h"
#include "platform/sound.h"
#include "platform/ticktimer.h"
#include "platform/tray.h"
#include "platform/windowraise.h"
#include "ui/geometry.h"
#include "ui/menuform.h"
#include "ui/optionform.h"

namespace lumiroka {

namespace {

QString qs(const std::string &text) { return QString::fromStdString(text); }

// A Japanese Gothic from the first of the families installed. The face's own hints: the
// light auto-hinter would first measure a set of reference ideographs, which costs start-up
// time and keeps about 1.5 MB of the font file in memory.
QFont gothicFont(const QStringList &families, qreal points)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QFont digitFont()
{
    // The designed face first; elsewhere a Japanese Gothic whose digits are half an em
    // wide, so "00" fits the digit boxes as it does in the designed face.
    QFont font = gothicFont({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAGothic"),
                             QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("VL Gothic"),
                             QStringLiteral("Takao Gothic")},
                            20.25);
    font.setWeight(QFont::Bold);
    return font;
}

void setBlackText(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(palette);
}

// A white box with a thin grey border and black text, drawn here rather than by a style
// sheet: one style sheet puts every widget of the program under the slower style-sheet style.
class PanelLabel : public QLabel
{
public:
    explicit PanelLabel(QWidget *parent) : QLabel(parent)
    {
        setContentsMargins(1, 1, 1, 1);
        setBlackText(this);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        {
            QPainter painter(this);
            painter.fillRect(rect(), Qt::white);
            painter.setPen(QColor(0x80, 0x80, 0x80));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        QLabel::paintEvent(event);
    }
};

// Buttons and message line: the captions mix Latin and kana ("START・STOP") and the remarks
// are Japanese, so a Japanese Gothic first, the same face as the digits where it exists.
// With a Latin face first, the middle dot alone would have a fallback face searched and
// loaded before the first paint.
QFont windowFont()
{
    return gothicFont({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAGothic"), QStringLiteral("VL PGothic"),
                       QStringLiteral("Noto Sans CJK JP"), QStringLiteral("TakaoPGothic")},
                      9);
}

} // namespace

mainform::mainform(MainformServices services, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_services(std::move(services))
{
    setObjectName(QStringLiteral("mainform"));
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setFixedSize(twips(3330), twips(2070));
    setFont(windowFont());
    createControls();

    m_swtimer = new TickTimer(*m_services.clock, this);
    m_swtimer->setObjectName(QStringLiteral("swtimer"));
    connect(m_swtimer, &TickTimer::timeout, this, &mainform::swtimer_Timer);

    m_soundtimer = new QTimer(this);
    m_soundtimer->setObjectName(QStringLiteral("soundtimer"));
    m_soundtimer->setInterval(1000);
    connect(m_soundtimer, &QTimer::timeout, this, &mainform::soundtimer_Timer);

    // The animation runs from the window's creation and is never switched off.
    m_charatimer1 = new QTimer(this);
    m_charatimer1->setObjectName(QStringLiteral("charatimer1"));
    connect(m_charatimer1, &QTimer::timeout, this, &mainform::charatimer1_Timer);
    m_charatimer1->start(CharaAnimator::kRestMs);

    if (m_services.tray) {
        m_services.tray->onClicked = [this](const QPoint &pos) { menuformObject()->popup(pos); };
        m_services.tray->onLost = [this] {
            if (!isVisible())
                restoreFromTray();
        };
    }
    if (m_services.raiser)
        m_services.raiser->onRestore = [this] { restoreFromTray(); };
}

mainform::~mainform()
{
    if (m_services.tray) {
        m_services.tray->onClicked = nullptr;
        m_services.tray->onLost = nullptr;
    }
    if (m_services.raiser)
        m_services.raiser->onRestore = nullptr;
    delete m_optionform.data();
    delete m_menuform;
}

// ---------------------------------------------------------------- layout

void mainform::createControls()
{
    createDigits();
    createBars();
    createButtons();
    createPictures();

    m_messbox = new PanelLabel(this);
    m_messbox->setObjectName(QStringLiteral("messbox"));
    m_messbox->setGeometry(twipsRect(0, 1815, 3330, 255));
    m_messbox->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_messbox->setAccessibleName(QStringLiteral("message"));

    // Labels and hidden holders take no focus; this is the order for everything else.
    QWidget::setTabOrder(m_ssbutton, m_resetbutton);
    QWidget::setTabOrder(m_resetbutton, m_hourbar);
    QWidget::setTabOrder(m_hourbar, m_minbar);
    QWidget::setTabOrder(m_minbar, m_secbar);
    QWidget::setTabOrder(m_secbar, m_picbox[0]);
    QWidget::setTabOrder(m_picbox[0], m_command1);
    QWidget::setTabOrder(m_command1, m_endbutton);
    m_ssbutton->setFocus();
}

void mainform::createDigits()
{
    m_timerbox = new PanelLabel(this);
    m_timerbox->setObjectName(QStringLiteral("timerbox"));
    m_timerbox->setGeometry(twipsRect(1710, 0, 1635, 465));
    m_timerbox->setAccessibleName(QStringLiteral("time"));

    const QFont font = digitFont();
    auto digit = [&](const char *name, const QString &text, const QRect &geometry) {
        auto *label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(name));
        label->setFont(font);
        label->setGeometry(geometry);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        setBlackText(label);
        return label;
    };
    m_hourbox = digit("hourbox", QStringLiteral("00"), twipsRect(1755, 30, 465, 405));
    digit("Label1", QStringLiteral("："), twipsRect(2160, 30, 240, 405));
    m_minbox = digit("minbox", QStringLiteral("00"), twipsRect(2295, 30, 465, 405));
    digit("Label2", QStringLiteral("："), twipsRect(2700, 30, 240, 405));
    m_secbox = digit("secbox", QStringLiteral("00"), twipsRect(2835, 30, 465, 405));
    m_hourbox->setAccessibleName(QStringLiteral("hours shown"));
    m_minbox->setAccessibleName(QStringLiteral("minutes shown"));
    m_secbox->setAccessibleName(QStringLiteral("seconds shown"));
}

QScrollBar *mainform::createBar(const char *name, int maximum, const QRect &geometry, const char *accessibleName)
{
    auto *bar = new QScrollBar(Qt::Horizontal, this);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(0, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setGeometry(geometry);
    // Qt's bars take no keyboard focus by default and reverse the arrow keys; here they
    // are tab stops and Right raises the value.
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->setInvertedControls(false);
    bar->setAccessibleName(QString::fromLatin1(accessibleName));
    return bar;
}

void mainform::createBars()
{
    m_hourbar = createBar("hourbar", TimeCounter::kMaxHours, twipsRect(1800, 480, 375, 255), "hours");
    m_minbar = createBar("minbar", TimeCounter::kMaxMinSec, twipsRect(2340, 480, 375, 255), "minutes");
    m_secbar = createBar("secbar", TimeCounter::kMaxMinSec, twipsRect(2880, 480, 375, 255), "seconds");
    connect(m_hourbar, &QScrollBar::valueChanged, this, &mainform::hourbar_Change);
    connect(m_minbar, &QScrollBar::valueChanged, this, &mainform::minbar_Change);
    connect(m_secbar, &QScrollBar::valueChanged, this, &mainform::secbar_Change);
}

void mainform::createButtons()
{
    auto button = [this](const char *name, const QString &caption, const QRect &geometry) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        b->setAccessibleName(caption);
        return b;
    };
    m_ssbutton = button("ssbutton", QStringLiteral("START・STOP"), twipsRect(1800, 795, 1455, 255));
    m_resetbutton = button("resetbutton", QStringLiteral("RESET"), twipsRect(1800, 1035, 1455, 255));
    m_command1 = button("Command1", QStringLiteral("OPTION"), twipsRect(1800, 1275, 1455, 255));
    m_endbutton = button("endbutton", QStringLiteral("END"), twipsRect(1800, 1515, 1455, 255));
    connect(m_ssbutton, &QPushButton::clicked, this, &mainform::ssbutton_Click);
    connect(m_resetbutton, &QPushButton::clicked, this, &mainform::resetbutton_Click);
    connect(m_command1, &QPushButton::clicked, this, &mainform::Command1_Click);
    connect(m_endbutton, &QPushButton::clicked, this, &mainform::endbutton_Click);
}

void mainform::createPictures()
{
    for (int i = 0; i < slot::Count; ++i) {
        auto *box = new PictureBox(i, this);
        box->setObjectName(QStringLiteral("picbox%1").arg(i));
        box->setPicture(loadPicture(QString()));
        if (i == slot::Visible) {
            box->setGeometry(twipsRect(0, 0, 1695, 1815));
            box->setFocusPolicy(Qt::TabFocus);
            box->setAccessibleName(QStringLiteral("character"));
        } else {
            // The holders lie below the client area and are hidden as well.
            box->setGeometry(twipsRect(360 * (i - 1), 2160, 375, 375));
            box->setFocusPolicy(Qt::NoFocus);
            box->hide();
        }
        connect(box, &PictureBox::clicked, this, &mainform::picbox_Click);
        m_picbox[static_cast<std::size_t>(i)] = box;
    }
}

// ---------------------------------------------------------------- start-up and window

void mainform::Form_Load()
{
    // Only the values are needed now; the dialog is built when OPTION first opens it.
    readSettings();
    const QRect screenArea = (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
    move(screenArea.center() - rect().center());
    // Shown before the pictures and the fonts are loaded, so that the window manager maps
    // the window meanwhile. Nothing is drawn before the event loop runs: the first frame
    // holds the character and the digits all the same.
    show();
    setchara();
    prepareText();
}

void mainform::prepareText()
{
    // Opens the two faces and lays out their first texts now rather than in the first paint.
    QFontMetrics(m_hourbox->font()).horizontalAdvance(m_hourbox->text() + QStringLiteral("："));
    QFontMetrics(m_ssbutton->font()).horizontalAdvance(m_ssbutton->text());
}

void mainform::readSettings()
{
    const LoadedSettings loaded = lumiroka::readSettings(*m_services.store);
    m_settings = loaded.values;
    if (loaded.problems.empty()) {
        m_lastSettingsWarning.clear();
        return;
    }
    // Say it once, not at every opening of the dialog, while the same values stay bad.
    const std::string message = describeProblems(loaded.problems, m_services.store->location());
    if (message != m_lastSettingsWarning && m_services.notifier) {
        m_lastSettingsWarning = message;
        m_services.notifier->warn(QStringLiteral("Lumiroka"), qs(message));
    }
}

void mainform::Command1_Click()
{
    optionform *dialog = optionformObject();
    dialog->loadsetting();
    dialog->exec();
}

void mainform::endbutton_Click() { close(); }

void mainform::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
}

void mainform::Form_Unload()
{
    // Ends at once: nothing is written, and a click wait in progress stops waiting.
    m_ending = true;
    if (m_optionform)
        m_optionform->hide();
    hide();
    QCoreApplication::exit(0);
}

void mainform::paintEvent(QPaintEvent *event)
{
    m_justRestored = false; // on screen: a minimize from now on is the user's
    QWidget::paintEvent(event);
}

void mainform::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void mainform::Form_Resize()
{
    if (m_settings.check2value != 1 || !(windowState() & Qt::WindowMinimized) || !isVisible())
        return;
    if (m_justRestored) {
        // X11: a window that was minimized and then withdrawn can be mapped minimized again
        // when it comes back (Qt maps it before it clears the "start iconic" hint). That is
        // not the user minimizing it: bring it back once more.
        QTimer::singleShot(0, this, [this] { showRestored(); });
        return;
    }
    // Without a notification area the window would vanish with no way back; it then
    // stays minimized in the taskbar. Asked now, since a tray can appear after login.
    if (!m_services.tray || !m_services.tray->isAvailable())
        return;
    tuskicon1();
    hide();
}

void mainform::restoreFromTray()
{
    tuskicon2();
    showRestored();
}

void mainform::showRestored()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    m_justRestored = true;
    QTimer::singleShot(kRestoreSettleMs, this, [this] { m_justRestored = false; });
}

optionform *mainform::optionformObject()
{
    if (!m_optionform)
        m_optionform = new optionform(this);
    return m_optionform;
}

menuform *mainform::menuformObject()
{
    if (!m_menuform)
        m_menuform = new menuform(this);
    return m_menuform;
}

// ---------------------------------------------------------------- notification area

void mainform::tuskicon1()
{
    if (m_services.tray)
        m_services.tray->add(menuformObject()->trayIcon(), QString::fromUtf8(kAppTitle));
}

void mainform::tuskicon2()
{
    if (m_services.tray)
        m_services.tray->remove();
}

void mainform::tuskicon3()
{
    if (m_services.tray)
        m_services.tray->setToolTip(qs(timedTitle(m_time.hourcount, m_time.mincount, m_time.seccount)));
}

// ---------------------------------------------------------------- time counter

void mainform::setTimedCaption() { setWindowTitle(qs(timedTitle(m_time.hourcount, m_time.mincount, m_time.seccount))); }

void mainform::swtimer_Timer()
{
    if (m_time.countmode == 0)
        countup();
    else if (m_time.countmode == 1)
        countdown();
    setTimedCaption();
    if (isMinimizedOrInTray() && m_settings.check2value == 1)
        tuskicon3();
}

void mainform::countup()
{
    if (m_time.countup())
        m_swtimer->stop(); // the count stops by itself at its limit
    showtime();
}

void mainform::countdown()
{
    m_time.countdown([this] { timeup(); });
    showtime();
}

void mainform::showtime()
{
    m_hourbar->setValue(m_time.hourcount);
    m_minbar->setValue(m_time.mincount);
    m_secbar->setValue(m_time.seccount);
    m_hourbox->setText(qs(twoDigits(m_time.hourcount)));
    m_minbox->setText(qs(twoDigits(m_time.mincount)));
    m_secbox->setText(qs(twoDigits(m_time.seccount)));
}

void mainform::hourbar_Change()
{
    m_time.hourcount = static_cast<std::int16_t>(m_hourbar->value());
    m_hourbox->setText(qs(twoDigits(m_hourbar->value())));
}

void mainform::minbar_Change()
{
    m_time.mincount = static_cast<std::int16_t>(m_minbar->value());
    m_minbox->setText(qs(twoDigits(m_minbar->value())));
}

void mainform::secbar_Change()
{
    m_time.seccount = static_cast<std::int16_t>(m_secbar->value());
    m_secbox->setText(qs(twoDigits(m_secbar->value())));
}

// ---------------------------------------------------------------- run control and alarm

bool mainform::isRunning() const { return m_swtimer->isActive(); }

void mainform::ssbutton_Click()
{
    if (m_swtimer->isActive()) {
        m_swtimer->stop();
        const bool sounding = m_soundtimer->isActive();
        if (sounding) {
            m_soundtimer->stop(); // the sound already playing runs to its end
            if (m_services.raiser)
                m_services.raiser->withdraw();
        }
        m_run.stop(m_time, sounding);
        takeSlot(slot::StoppedLong);
        m_messbox->clear();
        return;
    }
    if (m_settings.check1value == 1)
        setWindowState(windowState() | Qt::WindowMinimized);
    const StartRemark remark = m_run.start(m_time);
    m_swtimer->start();
    takeSlot(slot::RunningLong);
    m_messbox->setText(qs(remark == StartRemark::Resume ? resumeLine(m_settings.charano)
                                                        : startLine(m_settings.charano)));
    if (m_time.countmode == 1 && m_services.sound)
        m_services.sound->prepare();
}

void mainform::resetbutton_Click()
{
    if (m_swtimer->isActive())
        return;
    m_messbox->clear();
    m_run.reset(m_time);
    setWindowTitle(QString::fromUtf8(kAppTitle));
    showtime();
}

bool mainform::isMinimizedOrInTray() const
{
    // A window hidden in the notification area counts as minimized even when the window
    // system, seeing it withdrawn, has already reported it as no longer minimized.
    return (windowState() & Qt::WindowMinimized) || !isVisible();
}

void mainform::timeup()
{
    if (isMinimizedOrInTray()) {
        if (m_settings.check2value == 1)
            tuskicon2();
        showRestored();
    }
    if (m_services.sound)
        m_services.sound->play();
    m_soundtimer->start();
    const QString line = qs(alarmLine(m_settings.charano));
    m_messbox->setText(line);
    takeSlot(slot::Alarm);
    if (m_services.raiser)
        m_services.raiser->raiseToFront(this, line);
    announceAlert(this, line);
}

void mainform::soundtimer_Timer()
{
    if (m_services.sound)
        m_services.sound->play();
}

// ---------------------------------------------------------------- character

void mainform::takeSlot(int index) { m_picbox[0]->setPicture(m_picbox.at(static_cast<std::size_t>(index))->picture()); }

bool mainform::isFrozen() const { return m_picbox[0]->picture() == m_picbox[slot::Alarm]->picture(); }

void mainform::setchara()
{
    const auto files = poseFiles(m_settings.charano);
    QStringList failures;
    for (int i = 0; i < slot::Count; ++i) {
        const std::string &file = files[static_cast<std::size_t>(i)];
        QString path;
        if (!file.empty()) {
            const QString relative = QStringLiteral("gif/") + qs(file);
            path = m_services.assets.find(relative);
            if (path.isEmpty()) {
                failures << QStringLiteral("%1: not found").arg(relative);
                m_picbox[static_cast<std::size_t>(i)]->setPicture(loadPicture(QString()));
                continue;
            }
        }
        QString error;
        m_picbox[static_cast<std::size_t>(i)]->setPicture(loadPicture(path, &error));
        if (!error.isEmpty())
            failures << QStringLiteral("%1: %2").arg(path, error);
    }
    m_messbox->clear();
    if (!failures.isEmpty() && m_services.notifier) {
        failures.removeDuplicates();
        m_services.notifier->warn(
            QStringLiteral("Lumiroka"),
            QStringLiteral("Some pictures of the character could not be loaded and are left blank:\n\n%1\n\n"
                           "Looked in:\n%2\n\nThe timer works as usual.")
                .arg(failures.join(QLatin1Char('\n')), m_services.assets.dirs().join(QLatin1Char('\n'))));
    }
}

void mainform::charatimer1_Timer()
{
    const AnimationStep step = m_animator.tick(isFrozen(), isRunning(), *m_services.random);
    if (step.showSlot)
        takeSlot(*step.showSlot);
    if (step.intervalMs)
        m_charatimer1->setInterval(*step.intervalMs);
    if (step.talk)
        charatalk();
}

void mainform::charatalk()
{
    m_messbox->setText(qs(CharaAnimator::charatalk(m_settings.charano, isRunning(), *m_services.random)));
}

void mainform::picbox_Click(int)
{
    if (!isRunning()) {
        takeSlot(slot::StoppedLong);
        return;
    }
    takeSlot(slot::Alarm);
    if (clickWait())
        takeSlot(slot::RunningRest);
}

bool mainform::clickWait()
{
    // A counted wait that keeps every timer and button served. Each pass is paced to a
    // fixed grid so the reaction lasts about the same on any machine without spinning.
    using namespace std::chrono;
    QPointer<mainform> self(this);
    const auto begin = steady_clock::now();
    for (int pass = 0; pass < kClickWaitPasses; ++pass) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!self)
            return false;
        if (m_ending)
            return true;
        std::this_thread::sleep_until(begin + microseconds(static_cast<long>(m_clickPauseUs) * (pass + 1)));
    }
    return true;
}

} // namespace lumiroka
