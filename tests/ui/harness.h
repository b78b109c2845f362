#pragma once

// The Qt front end built the way the program builds it, with the forms behind it and
// stand-ins for the sound, the tray, the store and the random source, on a clock the test
// moves by hand.

#include <QApplication>
#include <QString>

#include <memory>
#include <stdexcept>

#include "forms/fakes.h"
#include "forms/mainform.h"
#include "qt/mainwindow.h"

namespace lumiroka::testing {

struct ManualClock : Clock
{
    std::chrono::nanoseconds t{std::chrono::seconds(1000)};
    std::chrono::nanoseconds now() const override { return t; }
};

// The real window, with what it would hand to the desktop recorded instead. Ending only
// hides it: once QCoreApplication::exit() is called, no event loop of the test process,
// a modal dialog's included, would run again.
class RecordingWindow : public QtMainWindow
{
public:
    using QtMainWindow::QtMainWindow;
    int raises = 0;
    int ends = 0;
    QStringList warnings;
    void raiseToFront(const std::string &) override { ++raises; }
    void warn(const std::string &text) override { warnings << QString::fromStdString(text); }
    void endProgram() override
    {
        ++ends;
        hide();
    }
};

inline QString qtAssets()
{
    return QString::fromStdString(sourceAssets());
}

struct QtHarness
{
    FakeSound sound;
    FakeTray tray;
    MemoryStore store;
    ScriptedRandom random;
    ManualClock clock;
    std::unique_ptr<RecordingWindow> window;
    std::unique_ptr<mainform> form;

    explicit QtHarness(bool load = true, const Clock *tickClock = nullptr)
    {
        random.fallback = 0.99;
        window = std::make_unique<RecordingWindow>(tickClock ? *tickClock : clock);
        form = std::make_unique<mainform>(FrontEnd{*window, window->optionsDialog(), tray, sound, store, random,
                                                   tickClock ? *tickClock : clock, AssetDirs({sourceAssets()})});
        window->connectForm(*form);
        form->setClickWaitPause(std::chrono::microseconds(100));
        // The animation is driven by hand here.
        window->charatimer1().stop();
        if (load)
            form->Form_Load();
    }
    ~QtHarness()
    {
        form.reset();
        window.reset();
    }

    template <typename T> T *find(const char *name) const { return window->findChild<T *>(QString::fromLatin1(name)); }
};

} // namespace lumiroka::testing
