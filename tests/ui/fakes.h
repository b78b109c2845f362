#pragma once

// Recording stand-ins for the desktop services, and a harness that builds the real main
// window around them.

#include <QApplication>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <map>
#include <memory>
#include <stdexcept>

#include "platform/appdirs.h"
#include "platform/clock.h"
#include "platform/notifier.h"
#include "platform/randomsource.h"
#include "platform/sound.h"
#include "platform/ticktimer.h"
#include "platform/tray.h"
#include "platform/windowraise.h"
#include "settings/settingsstore.h"
#include "ui/mainform.h"

namespace lumiroka::testing {

struct FakeSound : AlarmSound
{
    int plays = 0;
    int prepares = 0;
    void prepare() override { ++prepares; }
    void play() override { ++plays; }
};

struct FakeRaiser : WindowRaiser
{
    int raises = 0;
    int withdrawals = 0;
    QString alarmLine;
    void raiseToFront(QWidget *, const QString &line) override
    {
        ++raises;
        alarmLine = line;
    }
    void withdraw() override { ++withdrawals; }
};

struct FakeTray : TrayIcon
{
    bool available = true;
    bool shown = false;
    QString toolTip;
    QStringList calls;
    bool isAvailable() const override { return available; }
    void add(const QIcon &icon, const QString &tip) override
    {
        calls << QStringLiteral("add:%1:%2").arg(tip).arg(icon.isNull() ? "noicon" : "icon");
        shown = true;
        toolTip = tip;
    }
    void remove() override
    {
        calls << QStringLiteral("remove");
        shown = false;
    }
    void setToolTip(const QString &tip) override
    {
        calls << QStringLiteral("tip:%1").arg(tip);
        toolTip = tip;
    }
    QMenu *menu = nullptr;
    void setMenu(QMenu *m) override { menu = m; }
};

struct MemoryStore : SettingsStore
{
    std::map<std::string, std::string> values; // "section/key" -> text
    int writes = 0;
    std::string syncError;
    std::string read(const std::string &section, const std::string &key, const std::string &fallback) override
    {
        const auto it = values.find(section + "/" + key);
        return it == values.end() ? fallback : it->second;
    }
    void write(const std::string &section, const std::string &key, const std::string &text) override
    {
        ++writes;
        values[section + "/" + key] = text;
    }
    std::string sync() override { return syncError; }
    std::string location() const override { return "/tmp/test-store.conf"; }
};

// Hands out queued values; when the queue is empty it answers 0.99, which moves nothing
// and says nothing, so unrelated ticks stay quiet.
struct ScriptedRandom : RandomSource
{
    std::deque<double> queue;
    int draws = 0;
    double next() override
    {
        ++draws;
        if (queue.empty())
            return 0.99;
        const double r = queue.front();
        queue.pop_front();
        return r;
    }
};

struct ManualClock : Clock
{
    std::chrono::nanoseconds t{std::chrono::seconds(1000)};
    std::chrono::nanoseconds now() const override { return t; }
};

struct RecordingNotifier : Notifier
{
    QStringList messages;
    void warn(const QString &, const QString &text) override { messages << text; }
};

// The source tree's pictures and sound.
inline QString sourceAssets()
{
    const QByteArray dir = qgetenv("LUMIROKA_ASSETS");
    if (dir.isEmpty())
        throw std::runtime_error("LUMIROKA_ASSETS is not set");
    return QString::fromLocal8Bit(dir);
}

// Everything a main window needs, with fakes; `assetDir` defaults to the real pictures.
struct Harness
{
    FakeSound sound;
    FakeRaiser raiser;
    FakeTray tray;
    MemoryStore store;
    ScriptedRandom random;
    ManualClock clock;
    RecordingNotifier notifier;
    std::unique_ptr<mainform> form;

    explicit Harness(const QString &assetDir = sourceAssets(), bool load = true)
    {
        form = std::make_unique<mainform>(
            MainformServices{&sound, &raiser, &tray, &store, &random, &clock, &notifier, AssetDirs({assetDir})});
        form->setClickWaitPauseMicroseconds(100);
        // The animation is driven by hand in tests.
        form->charatimer1()->stop();
        if (load)
            form->Form_Load();
    }

    template <typename T> T *find(const char *name) const { return form->findChild<T *>(QString::fromLatin1(name)); }
};

} // namespace lumiroka::testing
