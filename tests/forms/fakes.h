#pragma once

// Stand-ins for everything outside the program's logic: a scripted random source, an
// in-memory settings store, and a front end that records what the forms ask of the
// window, the dialog, the tray and the sound. Its event queue makes nested events (a tick,
// STOP or a second click inside a click's wait) exact, instant cases.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "chara/randomsource.h"
#include "core/clock.h"
#include "forms/frontend.h"
#include "forms/mainform.h"
#include "settings/settingsstore.h"

namespace lumiroka::testing {

// Hands out queued values in order. Beyond the script it answers `fallback` when one is
// set (0.99 moves nothing and says nothing, so unrelated ticks stay quiet), and otherwise
// fails the test.
class ScriptedRandom : public RandomSource
{
public:
    ScriptedRandom() = default;
    ScriptedRandom(std::initializer_list<double> values) : queue(values) {}

    std::deque<double> queue;
    std::optional<double> fallback;
    int draws = 0;

    void push(double r) { queue.push_back(r); }
    std::size_t left() const { return queue.size(); }

    double next() override
    {
        ++draws;
        if (queue.empty()) {
            if (fallback)
                return *fallback;
            ADD_FAILURE() << "random source asked for draw #" << draws << " beyond its script";
            return 0.0;
        }
        const double r = queue.front();
        queue.pop_front();
        return r;
    }
};

// An in-memory store keyed by (section, key) that counts writes and syncs.
class MemoryStore : public SettingsStore
{
public:
    using Key = std::pair<std::string, std::string>;

    std::map<Key, std::string> data;
    int writes = 0;
    int syncs = 0;
    int writesAtLastSync = -1;
    std::string syncFailure; // non-empty: sync() fails with this reason

    // The three keys of section "setting" at once.
    void setAll(const std::string &charano, const std::string &check1, const std::string &check2)
    {
        data = {{{"setting", "charano"}, charano},
                {{"setting", "check1value"}, check1},
                {{"setting", "check2value"}, check2}};
    }
    std::string at(const std::string &key) const { return data.at({"setting", key}); }

    std::string read(const std::string &section, const std::string &key, const std::string &fallback) override
    {
        const auto it = data.find({section, key});
        return it == data.end() ? fallback : it->second;
    }
    void write(const std::string &section, const std::string &key, const std::string &text) override
    {
        ++writes;
        data[{section, key}] = text;
    }
    std::string sync() override
    {
        ++syncs;
        writesAtLastSync = writes;
        return syncFailure;
    }
    std::string location() const override { return "/home/user/.config/Lumiroka/Lumiroka.conf"; }
};

// A picture remembers the file it came from ("" for an empty one).
struct FakePicture : Picture
{
    explicit FakePicture(std::string from) : path(std::move(from)) {}
    const std::string path;
};

inline const std::string &pathOf(const PictureRef &picture)
{
    static const std::string none = "(no picture)";
    const auto *fake = dynamic_cast<const FakePicture *>(picture.get());
    return fake ? fake->path : none;
}

struct FakeTimer : IntervalTimer
{
    bool active = false;
    int interval = 0;
    int starts = 0;
    bool isActive() const override { return active; }
    void start() override
    {
        active = true;
        ++starts;
    }
    void stop() override { active = false; }
    void setInterval(int ms) override { interval = ms; }
};

class FakeWindow : public MainWindow
{
public:
    mainform *form = nullptr; // where the events go, once connected

    FakeTimer sw, chara, sound, tray;
    std::string caption = "Lumiroka";
    std::array<int, 3> bars{};
    std::array<std::string, 3> boxes{"00", "00", "00"};
    std::string messbox;
    PictureRef picture;
    PictureRef pictureAtFirstShow; // what the window held when it first came on screen
    bool isMinimized = false;
    bool isShown = false;
    bool hasKeyboard = false; // the window is the active one
    int raises = 0;
    std::string raisedWith;
    int withdrawals = 0;
    int popups = 0;
    int passes = 0;
    int barChanges = 0; // change handlers run by setBar
    bool ended = false;
    std::vector<std::string> warnings;
    // Every progress the taskbar button was given, in order.
    using ProgressCall = CountdownProgress::Shown;
    std::vector<ProgressCall> progress;
    // Every call that changes the window state, in order ("minimize", "show"...).
    std::vector<std::string> calls;

    // Events waiting to be handled, each at the pass of processEvents() it is due at.
    void post(std::function<void()> event) { postAtPass(passes, std::move(event)); }
    void postAtPass(int pass, std::function<void()> event) { m_events.push_back({pass, std::move(event)}); }
    std::size_t pending() const { return m_events.size(); }

    IntervalTimer &swtimer() override { return sw; }
    IntervalTimer &charatimer1() override { return chara; }
    IntervalTimer &soundtimer() override { return sound; }
    IntervalTimer &traytimer() override { return tray; }
    void setCaption(const std::string &text) override { caption = text; }
    void setProgress(Progress state, double fraction) override { progress.push_back({state, fraction}); }
    int bar(TimeField field) const override { return bars[index(field)]; }
    void setBar(TimeField field, int value) override
    {
        int &bar = bars[index(field)];
        if (bar == value)
            return;
        bar = value;
        if (!form)
            return;
        ++barChanges;
        if (field == TimeField::Hour)
            form->hourbar_Change();
        else if (field == TimeField::Minute)
            form->minbar_Change();
        else
            form->secbar_Change();
    }
    void setBox(TimeField field, const std::string &text) override { boxes[index(field)] = text; }
    void setMessbox(const std::string &text) override { messbox = text; }
    void showPicture(const PictureRef &shown) override { picture = shown; }
    // A file is a picture when it starts like a GIF; decoding is the real front ends' part.
    PictureRef loadPicture(const std::string &path, std::string &error) override
    {
        if (path.empty())
            return std::make_shared<FakePicture>("");
        std::ifstream file(path, std::ios::binary);
        char head[6] = {};
        if (!file.read(head, 6) || std::string(head, 4) != "GIF8") {
            error = file ? "not a picture" : "cannot be read";
            return std::make_shared<FakePicture>("");
        }
        return std::make_shared<FakePicture>(path);
    }
    bool minimized() const override { return isMinimized; }
    void setMinimized(bool value) override
    {
        if (isMinimized == value)
            return;
        isMinimized = value;
        calls.push_back(value ? "minimize" : "restore");
        if (form)
            form->Form_Resize();
    }
    bool shown() const override { return isShown; }
    void setShown(bool value) override
    {
        if (isShown == value)
            return;
        isShown = value;
        calls.push_back(value ? "show" : "hide");
        if (value && !everShown)
            pictureAtFirstShow = picture;
        everShown = everShown || value;
    }
    bool active() const override { return hasKeyboard; }
    void showWithoutFocus() override
    {
        // The same states as setMinimized(false) and setShown(true), recorded apart: the
        // keyboard does not move.
        calls.push_back("show without focus");
        isShown = true;
        everShown = true;
        if (!isMinimized)
            return;
        isMinimized = false;
        if (form)
            form->Form_Resize();
    }
    void raiseToFront(const std::string &alarmLine) override
    {
        ++raises;
        raisedWith = alarmLine;
        calls.push_back("raise");
    }
    void withdrawAttention() override { ++withdrawals; }
    void popupMenu() override { ++popups; }
    void processEvents() override
    {
        // Every event due by this pass, in the order posted; an event that a nested wait
        // already took is gone by the time this pass would reach it.
        const int pass = passes++;
        for (;;) {
            auto due =
                std::find_if(m_events.begin(), m_events.end(), [pass](const Event &e) { return e.pass <= pass; });
            if (due == m_events.end())
                return;
            std::function<void()> event = std::move(due->run);
            m_events.erase(due);
            event();
        }
    }
    void endProgram() override { ended = true; }
    void warn(const std::string &text) override { warnings.push_back(text); }

    std::string shownTime() const { return boxes[0] + ":" + boxes[1] + ":" + boxes[2]; }

private:
    struct Event
    {
        int pass;
        std::function<void()> run;
    };
    static std::size_t index(TimeField field) { return static_cast<std::size_t>(field); }
    std::deque<Event> m_events;
    bool everShown = false;
};

class FakeDialog : public OptionsDialog
{
public:
    // The controls of the shown dialog.
    OptionValues controls;
    bool open = false;
    int shows = 0;
    int closes = 0;
    std::vector<std::pair<std::string, std::string>> messageBoxes; // title, text
    // What the user does while the dialog is up; returning without close() is the
    // window's own close box.
    std::function<void()> whileOpen;

    void showModal(const OptionValues &values) override
    {
        controls = values;
        open = true;
        ++shows;
        if (whileOpen)
            whileOpen();
        gone();
    }
    bool isShown() const override { return open; }
    // As the real dialogs do: gone at once, controls and all, before the caller goes on.
    void close() override
    {
        ++closes;
        gone();
    }
    bool option(int index) const override { return controls.option == index; }
    int check(OptionCheck box) const override { return controls.checks[checkIndex(box)]; }
    // The person's clicks on the controls.
    void selectOption(int index) { controls.option = index; }
    void setCheck(OptionCheck box, int value) { controls.checks[checkIndex(box)] = value; }
    void messageBox(const std::string &title, const std::string &text) override
    {
        messageBoxes.emplace_back(title, text);
    }

private:
    void gone()
    {
        open = false;
        controls = {}; // the dialog goes with whatever the user changed
    }
};

struct FakeTray : TrayIcon
{
    bool available = true;
    bool present = false;
    std::string toolTip;
    std::vector<std::string> calls;
    bool isAvailable() const override { return available; }
    void add(const std::string &tip) override
    {
        calls.push_back("add:" + tip);
        present = true;
        toolTip = tip;
    }
    void remove() override
    {
        calls.push_back("remove");
        present = false;
    }
    void setToolTip(const std::string &tip) override
    {
        calls.push_back("tip:" + tip);
        toolTip = tip;
    }
};

// A clock that moves only when the test says so.
struct FakeClock : Clock
{
    std::chrono::nanoseconds at{std::chrono::hours(1)};
    std::chrono::nanoseconds now() const override { return at; }
    void advance(std::chrono::nanoseconds by) { at += by; }
};

struct FakeSound : AlarmSound
{
    int plays = 0;
    int prepares = 0;
    void prepare() override { ++prepares; }
    void play() override { ++plays; }
};

// The source tree's pictures and chime.
inline std::string sourceAssets()
{
#ifdef LUMIROKA_TEST_ASSETS
    return LUMIROKA_TEST_ASSETS;
#else
    const char *dir = std::getenv("LUMIROKA_ASSETS");
    return dir ? dir : "assets";
#endif
}

// A form over the fake front end, connected and (unless asked otherwise) loaded, with the
// click's wait unpaced.
struct Harness
{
    FakeWindow window;
    FakeDialog dialog;
    FakeTray tray;
    FakeSound sound;
    MemoryStore store;
    ScriptedRandom random;
    FakeClock clock;
    std::unique_ptr<mainform> form;

    explicit Harness(const std::string &assetDir = sourceAssets(), bool load = true)
    {
        random.fallback = 0.99;
        form = std::make_unique<mainform>(
            FrontEnd{window, dialog, tray, sound, store, random, clock, AssetDirs({assetDir})});
        window.form = form.get();
        form->setClickWaitPause(std::chrono::microseconds(0));
        if (load)
            form->Form_Load();
    }

    bool shows(int slotIndex) const { return form->picbox(0) == form->picbox(slotIndex); }
    void setBars(int hours, int minutes, int seconds)
    {
        window.setBar(TimeField::Hour, hours);
        window.setBar(TimeField::Minute, minutes);
        window.setBar(TimeField::Second, seconds);
    }
    // The user minimizes the window (the window system reports the new state).
    void minimize() { window.setMinimized(true); }
};

} // namespace lumiroka::testing
