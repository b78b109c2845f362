#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "forms/assetdirs.h"
#include "forms/frontend.h"

class QObject;

namespace lumiroka {

// The alarm through libcanberra, the desktops' own event-sound library: it speaks to
// PulseAudio and PipeWire and keeps the decoded chime in the server's sample cache, so a
// play each second is one short request. The library is opened at the first countdown, not
// with the program. At each countdown the chime file is found, read and checked once; a file that
// is missing or not a wave file that plays gives the sound theme's alarm instead, and where
// no sound server answers, `bell` rings (the desktop's bell).
//
// The library's calls wait for the sound server, so they run on a thread of their own: a
// server that is slow or hung (a remote one gone, a stalled daemon) never stops the count.
// While one call has had no answer for a second, each play rings the bell instead.
class CanberraAlarmSound : public AlarmSound
{
public:
    // What the alarm sounds.
    enum class Source
    {
        Chime, // the chime file
        Theme, // the desktop sound theme's alarm (or its bell)
        Bell,  // no sound server: the desktop's bell
    };

    // The chime is `justtime.wav`, looked for in `assets` at each countdown. `bell` is
    // called on the thread that made this object.
    explicit CanberraAlarmSound(AssetDirs assets, std::function<void()> bell = {},
                                std::string library = "libcanberra.so.0");
    ~CanberraAlarmSound() override;
    CanberraAlarmSound(const CanberraAlarmSound &) = delete;
    CanberraAlarmSound &operator=(const CanberraAlarmSound &) = delete;

    void prepare() override;
    void play() override;

    // What the next play sounds, as decided at the last prepare and by the plays since
    // (once the sound thread has done them: see waitIdle).
    Source source() const;
    // Why the chime file is not played; empty while it is.
    std::string chimeProblem() const;
    // The name the chime is cached under in the sound server: it follows the file's content,
    // so a file replaced between countdowns is never served from the cache in its old form.
    std::string chimeId() const;
    // Waits up to `ms` for the sound thread to finish what it was asked; false if it has not.
    bool waitIdle(int ms) const;

    // How long a call into the sound library may go unanswered before the plays ring the bell.
    static constexpr int kNoAnswerMs = 1000;

private:
    class Engine;
    struct Shared;
    using Clock = std::chrono::steady_clock;
    static constexpr int kEndWaitMs = 500;

    void ask(bool prepare);

    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<QObject> m_gui;   // the bells posted from the sound thread go to it
    std::unique_ptr<Engine> m_engine; // until the sound thread takes it
    std::thread m_thread;
    bool m_toldNoAnswer = false;
};

} // namespace lumiroka
