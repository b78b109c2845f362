#pragma once

// The real timer form over the fake front end, seen the way the model tests see it:
// operations go in through the handlers and the scroll bars, and everything the user can
// see comes back out as one comparable value.

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/fakes.h"
#include "timer_model.h"

namespace lumiroka::model {

// Everything visible that the model predicts.
struct Seen
{
    std::string hourText, minText, secText;
    int hourBar = -1, minBar = -1, secBar = -1;
    std::string caption;
    std::string remark;
    int pose = -1; // kOwnPose, a slot 1..7, or -1 when it matches several slots
    bool ticking = false;
    bool repeating = false;
    int plays = -1;

    bool operator==(const Seen &) const = default;
};

inline std::string twoDigitText(int value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

inline std::string captionFor(const std::optional<Clock3> &time)
{
    if (!time)
        return "Lumiroka";
    return "Lumiroka - " + twoDigitText(time->h) + ":" + twoDigitText(time->m) + ":" + twoDigitText(time->s);
}

inline std::string poseName(int pose)
{
    if (pose == kOwnPose)
        return "own rest picture";
    if (pose < 0)
        return "several slots";
    return "slot " + std::to_string(pose);
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
            m_remarks[static_cast<std::size_t>(r)] = remarkText(character, r);
    }

    const Seen &of(const State &s)
    {
        m_want.hourText = m_digits.at(static_cast<std::size_t>(s.time.h));
        m_want.minText = m_digits.at(static_cast<std::size_t>(s.time.m));
        m_want.secText = m_digits.at(static_cast<std::size_t>(s.time.s));
        m_want.hourBar = s.time.h;
        m_want.minBar = s.time.m;
        m_want.secBar = s.time.s;
        if (!(m_captionFor == s.captionTime) || m_want.caption.empty()) {
            m_captionFor = s.captionTime;
            m_want.caption = captionFor(s.captionTime);
        }
        m_want.remark = m_remarks[static_cast<std::size_t>(s.remark)];
        m_want.pose = s.pose;
        m_want.ticking = s.ticking;
        m_want.repeating = s.repeating;
        m_want.plays = s.plays;
        return m_want;
    }

private:
    std::array<std::string, kHourMax + 1> m_digits;
    std::array<std::string, 4> m_remarks;
    std::optional<Clock3> m_captionFor;
    Seen m_want;
};

// One line per field that differs.
inline std::vector<std::string> differences(const Seen &want, const Seen &got)
{
    std::vector<std::string> out;
    auto text = [&](const char *what, const std::string &w, const std::string &g) {
        if (w != g)
            out.push_back(std::string(what) + ": expected \"" + w + "\", actual \"" + g + "\"");
    };
    auto number = [&](const char *what, long w, long g) {
        if (w != g)
            out.push_back(std::string(what) + ": expected " + std::to_string(w) + ", actual " + std::to_string(g));
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
    return out;
}

// The form under test, with the chosen character loaded the way the program starts.
class Window
{
public:
    explicit Window(int character) : m_h(testing::sourceAssets(), false)
    {
        m_h.store.setAll(std::to_string(character), "0", "0"); // START does not minimize; no tray
        m_h.form->Form_Load();
        if (m_h.form->settings().charano != character)
            throw std::runtime_error("the form did not load the requested character");
        if (!m_h.window.warnings.empty())
            throw std::runtime_error("the form could not load everything: " + m_h.window.warnings.front());
    }

    testing::Harness &harness() { return m_h; }
    mainform &form() { return *m_h.form; }
    testing::FakeWindow &window() { return m_h.window; }

    void moveBar(Field field, int value)
    {
        m_h.window.setBar(field == Field::Hour     ? TimeField::Hour
                          : field == Field::Minute ? TimeField::Minute
                                                   : TimeField::Second,
                          value);
    }

    // A timer only calls its handler while it is enabled.
    void tick()
    {
        if (m_h.window.sw.active)
            m_h.form->swtimer_Timer();
    }
    void repeatAlarm()
    {
        if (m_h.window.sound.active)
            m_h.form->soundtimer_Timer();
    }
    void startStop() { m_h.form->ssbutton_Click(); }
    void reset() { m_h.form->resetbutton_Click(); }
    void clickCharacter() { m_h.form->picbox_Click(0); }

    Seen observe() const
    {
        const testing::FakeWindow &w = m_h.window;
        Seen got;
        got.hourText = w.boxes[0];
        got.minText = w.boxes[1];
        got.secText = w.boxes[2];
        got.hourBar = w.bars[0];
        got.minBar = w.bars[1];
        got.secBar = w.bars[2];
        got.caption = w.caption;
        got.remark = w.messbox;
        got.pose = visiblePose();
        got.ticking = w.sw.active;
        got.repeating = w.sound.active;
        got.plays = m_h.sound.plays;
        return got;
    }

    // Which slot's picture object the visible box shows.
    int visiblePose() const
    {
        const Picture *shown = m_h.window.picture.get();
        int found = kOwnPose;
        for (int slot = 1; slot <= 7; ++slot) {
            if (m_h.form->picbox(slot).get() != shown)
                continue;
            if (found != kOwnPose)
                return -1;
            found = slot;
        }
        return found;
    }

private:
    testing::Harness m_h;
};

} // namespace lumiroka::model
