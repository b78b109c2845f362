#include "qt/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QWindow>

#include "core/product.h"
#include "core/timecounter.h"
#include "forms/layout.h"
#include "forms/mainform.h"
#include "qt/accessiblealert.h"
#include "qt/desktop/waylandactivation.h"
#include "qt/geometry.h"
#include "qt/notifier.h"
#include "qt/placement.h"

namespace lumiroka {

namespace {

QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}
QString qs(const char *text)
{
    return QString::fromUtf8(text);
}

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
    QFont font =
        gothicFont({qs(layout::kDigitFace), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                    QStringLiteral("VL Gothic"), QStringLiteral("Takao Gothic")},
                   layout::kDigitPoints);
    font.setWeight(QFont::Bold);
    return font;
}

// Buttons and message line: the captions mix Latin and kana ("START・STOP") and the remarks
// are Japanese, so a Japanese Gothic first, the same face as the digits where it exists.
// With a Latin face first, the middle dot alone would have a fallback face searched and
// loaded before the first paint.
QFont windowFont()
{
    return gothicFont({qs(layout::kDigitFace), QStringLiteral("IPAGothic"), QStringLiteral("VL PGothic"),
                       QStringLiteral("Noto Sans CJK JP"), QStringLiteral("TakaoPGothic")},
                      9);
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

std::size_t at(TimeField field)
{
    return static_cast<std::size_t>(field);
}

} // namespace

QtMainWindow::QtMainWindow(const Clock &clock)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_swtimer(clock, this), m_charatimer1(this), m_soundtimer(this), m_traytimer(this), m_dialog(this)
{
    setObjectName(QStringLiteral("mainform"));
    setWindowTitle(qs(kProductName));
    setFixedSize(twips(layout::kMainWidth), twips(layout::kMainHeight));
    setFont(windowFont());
    m_swtimer.setObjectName(QStringLiteral("swtimer"));
    m_charatimer1.setObjectName(QStringLiteral("charatimer1"));
    m_soundtimer.setObjectName(QStringLiteral("soundtimer"));
    m_traytimer.setObjectName(QStringLiteral("traytimer"));

    createDigits();
    createBars();
    createButtons();

    m_picbox = new PictureBox(this);
    m_picbox->setObjectName(qs(layout::picbox0.name));
    m_picbox->setGeometry(twipsRect(layout::picbox0.box));
    m_picbox->setFocusPolicy(Qt::TabFocus);
    m_picbox->setAccessibleName(QStringLiteral("character"));
    m_picbox->setAccessibleDescription(QStringLiteral("Click or press Space: the character reacts"));

    m_messbox = new PanelLabel(this);
    m_messbox->setObjectName(qs(layout::messbox.name));
    m_messbox->setGeometry(twipsRect(layout::messbox.box));
    m_messbox->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A screen reader reads the line itself; the description says whose it is.
    m_messbox->setAccessibleDescription(QStringLiteral("what the character says"));

    // Labels take no focus; this is the order for everything else.
    QWidget *previous = nullptr;
    for (const char *name : layout::kFocusOrder) {
        auto *control = findChild<QWidget *>(qs(name), Qt::FindDirectChildrenOnly);
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
    m_ssbutton->setFocus();
    // Answered while the character loads, so placing the window at its first showing does not
    // wait for the window manager.
    requestFrameExtents(this);
}

QtMainWindow::~QtMainWindow() = default;

void QtMainWindow::createDigits()
{
    m_timerbox = new PanelLabel(this);
    m_timerbox->setObjectName(qs(layout::timerbox.name));
    m_timerbox->setGeometry(twipsRect(layout::timerbox.box));
    m_timerbox->setAccessibleName(QStringLiteral("time"));

    const QFont font = digitFont();
    auto digit = [&](const layout::Control &control) {
        auto *label = new QLabel(qs(control.caption), this);
        label->setObjectName(qs(control.name));
        label->setFont(font);
        label->setGeometry(twipsRect(control.box));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        setBlackText(label);
        return label;
    };
    // Read out as their digits; the description says which field they are.
    m_boxes[at(TimeField::Hour)] = digit(layout::hourbox);
    m_boxes[at(TimeField::Hour)]->setAccessibleDescription(QStringLiteral("hours"));
    digit(layout::Label1)->setAccessibleDescription(QStringLiteral("separator"));
    m_boxes[at(TimeField::Minute)] = digit(layout::minbox);
    m_boxes[at(TimeField::Minute)]->setAccessibleDescription(QStringLiteral("minutes"));
    digit(layout::Label2)->setAccessibleDescription(QStringLiteral("separator"));
    m_boxes[at(TimeField::Second)] = digit(layout::secbox);
    m_boxes[at(TimeField::Second)]->setAccessibleDescription(QStringLiteral("seconds"));
}

void QtMainWindow::createBars()
{
    auto bar = [this](const layout::Control &control, int maximum, const char *accessibleName) {
        auto *bar = new QScrollBar(Qt::Horizontal, this);
        bar->setObjectName(qs(control.name));
        bar->setRange(0, maximum);
        bar->setSingleStep(1);
        bar->setPageStep(1);
        bar->setGeometry(twipsRect(control.box));
        // Qt's bars take no keyboard focus by default and reverse the arrow keys; here they
        // are tab stops and Right raises the value.
        bar->setFocusPolicy(Qt::StrongFocus);
        bar->setInvertedControls(false);
        bar->setAccessibleName(QString::fromLatin1(accessibleName));
        return bar;
    };
    m_bars[at(TimeField::Hour)] = bar(layout::hourbar, TimeCounter::kMaxHours, "hours");
    m_bars[at(TimeField::Minute)] = bar(layout::minbar, TimeCounter::kMaxMinSec, "minutes");
    m_bars[at(TimeField::Second)] = bar(layout::secbar, TimeCounter::kMaxMinSec, "seconds");
}

void QtMainWindow::createButtons()
{
    auto button = [this](const layout::Control &control) {
        auto *b = new QPushButton(qs(control.caption), this);
        b->setObjectName(qs(control.name));
        b->setGeometry(twipsRect(control.box));
        b->setAutoDefault(false);
        return b;
    };
    m_ssbutton = button(layout::ssbutton);
    m_resetbutton = button(layout::resetbutton);
    m_command1 = button(layout::Command1);
    m_endbutton = button(layout::endbutton);
}

void QtMainWindow::connectForm(mainform &form)
{
    m_form = &form;
    connect(&m_swtimer, &TickTimer::timeout, this, [&form] { form.swtimer_Timer(); });
    connect(&m_charatimer1, &QTimer::timeout, this, [&form] { form.charatimer1_Timer(); });
    connect(&m_soundtimer, &QTimer::timeout, this, [&form] { form.soundtimer_Timer(); });
    connect(&m_traytimer, &QTimer::timeout, this, [&form] { form.traytimer_Timer(); });
    connect(m_bars[at(TimeField::Hour)], &QScrollBar::valueChanged, this, [&form] { form.hourbar_Change(); });
    connect(m_bars[at(TimeField::Minute)], &QScrollBar::valueChanged, this, [&form] { form.minbar_Change(); });
    connect(m_bars[at(TimeField::Second)], &QScrollBar::valueChanged, this, [&form] { form.secbar_Change(); });
    // Whether a click of START・STOP came from the keyboard: the last input the button saw
    // before it clicked.
    m_ssbutton->installEventFilter(this);
    connect(m_ssbutton, &QPushButton::clicked, this, [this, &form] {
        const bool byKeyboard = m_ssbuttonByKeyboard;
        m_ssbuttonByKeyboard = false;
        form.ssbutton_Click(byKeyboard);
    });
    connect(m_resetbutton, &QPushButton::clicked, this, [&form] { form.resetbutton_Click(); });
    connect(m_command1, &QPushButton::clicked, this, [&form] { form.Command1_Click(); });
    connect(m_endbutton, &QPushButton::clicked, this, [&form] { form.endbutton_Click(); });
    connect(m_picbox, &PictureBox::clicked, this, [&form] { form.picbox_Click(0); });
    m_dialog.connectForm(form.optionformObject());
    m_menu.connectForm(form.menuformObject());
    // The desktop notification's action takes the tray menu's way back.
    m_raiser.onRestore = [&form] { form.restoreFromTray(); };
}

// ---------------------------------------------------------------- controls

QScrollBar *QtMainWindow::scrollBar(TimeField field) const
{
    return m_bars[at(field)];
}
QLabel *QtMainWindow::digitBox(TimeField field) const
{
    return m_boxes[at(field)];
}

void QtMainWindow::setCaption(const std::string &text)
{
    setWindowTitle(qs(text));
}
void QtMainWindow::setProgress(Progress state, double fraction)
{
    m_launcher.setProgress(state, fraction);
}

int QtMainWindow::bar(TimeField field) const
{
    return scrollBar(field)->value();
}
void QtMainWindow::setBar(TimeField field, int value)
{
    scrollBar(field)->setValue(value);
}
void QtMainWindow::setBox(TimeField field, const std::string &text)
{
    digitBox(field)->setText(qs(text));
}
void QtMainWindow::setMessbox(const std::string &text)
{
    m_messbox->setText(qs(text));
}
void QtMainWindow::showPicture(const PictureRef &picture)
{
    m_picbox->setPicture(picture);
}

PictureRef QtMainWindow::loadPicture(const std::string &path, std::string &error)
{
    QString why;
    PictureRef picture = lumiroka::loadPicture(qs(path), &why);
    error = why.toStdString();
    return picture;
}

// ---------------------------------------------------------------- window state

bool QtMainWindow::minimized() const
{
    return windowState() & Qt::WindowMinimized;
}

void QtMainWindow::setMinimized(bool minimized)
{
    // The state change event runs Form_Resize before this returns.
    setWindowState(minimized ? windowState() | Qt::WindowMinimized : windowState() & ~Qt::WindowMinimized);
}

bool QtMainWindow::shown() const
{
    return isVisible();
}

void QtMainWindow::setShown(bool shown)
{
    if (!shown) {
        hide();
        return;
    }
    if (isVisible())
        return;
    if (!m_everShown) {
        m_everShown = true;
        centreOnScreen(this, screen());
        show();
        // Every key and button press meant for the window passes its native window first.
        windowHandle()->installEventFilter(this);
        prepareText();
        return;
    }
    show();
    // X11: a window that was minimized and then withdrawn can be mapped minimized again
    // when it comes back (Qt maps it before it clears the "start iconic" hint); see
    // changeEvent.
    m_justRestored = true;
    QTimer::singleShot(kRestoreSettleMs, this, [this] { m_justRestored = false; });
}

void QtMainWindow::prepareText()
{
    // Opens the two faces and lays out their first texts now, while the window manager maps
    // the window, rather than in the first paint.
    QFontMetrics(digitBox(TimeField::Hour)->font())
        .horizontalAdvance(digitBox(TimeField::Hour)->text() + QStringLiteral("："));
    QFontMetrics(m_ssbutton->font()).horizontalAdvance(m_ssbutton->text());
}

void QtMainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (m_justRestored && minimized() && isVisible()) {
        // Not the user minimizing it: the echo of the withdrawn state. Bring it back once more.
        QTimer::singleShot(0, this, [this] { setWindowState(windowState() & ~Qt::WindowMinimized); });
        return;
    }
    if (m_form)
        m_form->Form_Resize();
}

void QtMainWindow::paintEvent(QPaintEvent *event)
{
    m_justRestored = false; // on screen: a minimize from now on is the user's
    QWidget::paintEvent(event);
}

bool QtMainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && m_form) {
        if (event->type() == QEvent::KeyPress)
            m_form->Form_KeyDown();
        else if (event->type() == QEvent::MouseButtonPress)
            m_form->Form_MouseDown();
        return false;
    }
    if (watched == m_ssbutton) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            m_ssbuttonByKeyboard = true;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            m_ssbuttonByKeyboard = false;
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool QtMainWindow::active() const
{
    return isActiveWindow();
}

void QtMainWindow::showWithoutFocus()
{
    m_raiser.showWithoutFocus(this, [this] { setShown(true); });
}

void QtMainWindow::raiseToFront(const std::string &alarmLine)
{
    m_raiser.raiseToFront(this, qs(alarmLine));
    announceAlert(this, qs(alarmLine));
}

void QtMainWindow::withdrawAttention()
{
    m_raiser.withdraw();
}

void QtMainWindow::popupMenu()
{
    // A Wayland client cannot put a menu where it likes on the screen, nor does it know
    // where the tray icon is: Qt would show the menu as a window of its own in the middle
    // of the screen. There the tray host shows our menu itself on the right button, and
    // the left one (the host's "activate") does what the menu's first item does.
    if (WaylandActivation::native() && !isVisible()) {
        m_menu.smenu1()->trigger();
        return;
    }
    m_menu.popup(QCursor::pos());
}

void QtMainWindow::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtMainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_form)
        m_form->Form_Unload();
}

void QtMainWindow::endProgram()
{
    m_dialog.hide();
    hide();
    QCoreApplication::exit(0);
}

void QtMainWindow::warn(const std::string &text)
{
    showWarning(this, qs(kProductName), qs(text));
}

} // namespace lumiroka
