#pragma once

// The real timer window, built offscreen around the recording fakes, seen the way the
// model tests see it: operations go in through the handlers and the scroll bars, and
// everything the user can see comes back out as one comparable value.

#include <QLabel>
#include <QObject>
#include <QScrollBar>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <stdexcept>
#include <string>

#include "platform/ticktimer.h"
#include "timer_model.h"
#include "ui/fakes.h"

namespace lumiroka::model {

// Everything visible that the model predicts.
struct Seen
{
    QString hourText, minText, secText;
    int hourBar = -1, minBar = -1, secBar = -1;
    QString caption;
    QString remark;
    int pose = -1; // kOwnPose, a slot 1..7, or -1 when it matches several slots
    bool ticking = false;
    bool repeating = false;
    int plays = -1;
    bool animating = false; // the idle animation must stay off, or it would interfere

    bool operator==(const Seen &) const = default;
};

inline QString twoDigitText(int value) { return QString::number(value).rightJustified(2, QLatin1Char('0')); }

inline QString productName() { return QStringLiteral("Lumiroka"); }

inline QString captionFor(const std::optional<Clock3> &time)
{
    if (!time)
        return productName();
    return QStringLiteral("%1 - %2:%3:%4")
        .arg(productName(), twoDigitText(time->h), twoDigitText(time->m), twoDigitText(time->s));
}

inline QString poseName(int pose)
{
    if (pose == kOwnPose)
        return QStringLiteral("own rest picture");
    if (pose < 0)
        return QStringLiteral("several slots");
    return QStringLiteral("slot %1").arg(pose);
}

// What the model says the window must show.
class Expectation
{
public:
    explicit Expectation(int character)
    {
        for (int v = 0; v <= kHourMax; ++v)
            m_digits[static_cast<std::size_t>(v)] = twoDigitText(v);
        for (Remark r : {Remark::None, Remark::Start, Remark::Resume, Remark::Alarm})
            m_remarks[static_cast<std::size_t>(r)] = QString::fromUtf8(remarkText(character, r));
    }

    Seen of(const State &s)
    {
        Seen want;
        want.hourText = m_digits.at(static_cast<std::size_t>(s.time.h));
        want.minText = m_digits.at(static_cast<std::size_t>(s.time.m));
        want.secText = m_digits.at(static_cast<std::size_t>(s.time.s));
        want.hourBar = s.time.h;
        want.minBar = s.time.m;
        want.secBar = s.time.s;
        if (!(m_captionFor == s.captionTime) || m_caption.isNull()) {
            m_captionFor = s.captionTime;
            m_caption = captionFor(s.captionTime);
        }
        want.caption = m_caption;
        want.remark = m_remarks[static_cast<std::size_t>(s.remark)];
        want.pose = s.pose;
        want.ticking = s.ticking;
        want.repeating = s.repeating;
        want.plays = s.plays;
        return want;
    }

private:
    std::array<QString, kHourMax + 1> m_digits;
    std::array<QString, 4> m_remarks;
    std::optional<Clock3> m_captionFor;
    QString m_caption;
};

// One line per field that differs.
inline QStringList differences(const Seen &want, const Seen &got)
{
    QStringList out;
    auto text = [&](const char *what, const QString &w, const QString &g) {
        if (w != g)
            out << QStringLiteral("%1: expected \"%2\", actual \"%3\"").arg(QLatin1String(what), w, g);
    };
    auto number = [&](const char *what, long w, long g) {
        if (w != g)
            out << QStringLiteral("%1: expected %2, actual %3").arg(QLatin1String(what)).arg(w).arg(g);
    };
    text("hourbox", want.hourText, got.hourText);
    text("minbox", want.minText, got.minText);
    text("secbox", want.secText, got.secText);
    number("hourbar", want.hourBar, got.hourBar);
    number("minbar", want.minBar, got.minBar);
    number("secbar", want.secBar, got.secBar);
    text("caption", want.caption, got.caption);
    text("messbox", want.remark, got.remark);
    text("picture", poseName(want.pose), poseName(got.pose));
    number("swtimer active", want.ticking, got.ticking);
    number("soundtimer active", want.repeating, got.repeating);
    number("sound plays", want.plays, got.plays);
    number("charatimer1 active", want.animating, got.animating);
    return out;
}

// The window under test, with the chosen character loaded the way the program starts.
class Window
{
public:
    explicit Window(int character) : m_h(testing::sourceAssets(), false)
    {
        m_h.store.values["setting/charano"] = std::to_string(character);
        m_h.store.values["setting/check1value"] = "0"; // START does not minimize
        m_h.store.values["setting/check2value"] = "0"; // no notification area
        m_h.form->Form_Load();
        m_h.form->setClickWaitPauseMicroseconds(0);
        if (m_h.form->settings().charano != character)
            throw std::runtime_error("the window did not load the requested character");
        if (!m_h.notifier.messages.isEmpty())
            throw std::runtime_error("the window could not load everything: " +
                                     m_h.notifier.messages.join(QLatin1Char(' ')).toStdString());
        if (m_h.form->charatimer1()->isActive())
            throw std::runtime_error("the animation timer runs; it would interfere");

        m_hourbox = need<QLabel>("hourbox");
        m_minbox = need<QLabel>("minbox");
        m_secbox = need<QLabel>("secbox");
        m_messbox = need<QLabel>("messbox");
        m_hourbar = need<QScrollBar>("hourbar");
        m_minbar = need<QScrollBar>("minbar");
        m_secbar = need<QScrollBar>("secbar");

        // Timer events delivered by the click's event-serving wait are counted, so the
        // model can be told about them.
        QObject::connect(m_h.form->soundtimer(), &QTimer::timeout, m_h.form.get(), [this] { ++m_soundFires; });
        QObject::connect(m_h.form->swtimer(), &TickTimer::timeout, m_h.form.get(), [this] { ++m_tickFires; });
    }

    testing::Harness &harness() { return m_h; }
    mainform &form() { return *m_h.form; }

    QScrollBar *bar(Field field) const
    {
        return field == Field::Hour ? m_hourbar : field == Field::Minute ? m_minbar : m_secbar;
    }

    void moveBar(Field field, int value) { bar(field)->setValue(value); }

    void tick()
    {
        if (m_h.form->swtimer()->isActive())
            m_h.form->swtimer_Timer();
    }

    void repeatAlarm()
    {
        if (m_h.form->soundtimer()->isActive())
            m_h.form->soundtimer_Timer();
    }

    void startStop() { m_h.form->ssbutton_Click(); }
    void reset() { m_h.form->resetbutton_Click(); }

    struct WaitEvents
    {
        int ticks = 0;
        int repeats = 0;
    };
    // Clicks the character and reports the timer events delivered during the wait.
    WaitEvents clickCharacter()
    {
        const int ticks = m_tickFires;
        const int repeats = m_soundFires;
        m_h.form->picbox_Click(0);
        return {m_tickFires - ticks, m_soundFires - repeats};
    }

    Seen observe() const
    {
        Seen got;
        got.hourText = m_hourbox->text();
        got.minText = m_minbox->text();
        got.secText = m_secbox->text();
        got.hourBar = m_hourbar->value();
        got.minBar = m_minbar->value();
        got.secBar = m_secbar->value();
        got.caption = m_h.form->windowTitle();
        got.remark = m_messbox->text();
        got.pose = visiblePose();
        got.ticking = m_h.form->swtimer()->isActive();
        got.repeating = m_h.form->soundtimer()->isActive();
        got.plays = m_h.sound.plays;
        got.animating = m_h.form->charatimer1()->isActive();
        return got;
    }

    // Which slot's picture object the visible box shows.
    int visiblePose() const
    {
        const auto *shown = m_h.form->picbox(0)->picture().get();
        int found = kOwnPose;
        for (int slot = 1; slot <= 7; ++slot) {
            if (m_h.form->picbox(slot)->picture().get() != shown)
                continue;
            if (found != kOwnPose)
                return -1;
            found = slot;
        }
        return found;
    }

private:
    template <typename T> T *need(const char *name)
    {
        T *widget = m_h.find<T>(name);
        if (!widget)
            throw std::runtime_error(std::string("control not found: ") + name);
        return widget;
    }

    testing::Harness m_h;
    QLabel *m_hourbox = nullptr;
    QLabel *m_minbox = nullptr;
    QLabel *m_secbox = nullptr;
    QLabel *m_messbox = nullptr;
    QScrollBar *m_hourbar = nullptr;
    QScrollBar *m_minbar = nullptr;
    QScrollBar *m_secbar = nullptr;
    int m_soundFires = 0;
    int m_tickFires = 0;
};

} // namespace lumiroka::model
