#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "forms/assetdirs.h"
#include "forms/frontend.h"

struct ca_context;
class QTemporaryFile;

namespace lumiroka {

// The alarm through libcanberra, the desktops' own event-sound library: it speaks to
// PulseAudio and PipeWire and keeps the decoded chime in the server's sample cache, so a
// play each second is one short request. The library is opened at the first countdown, not
// with the program. At each countdown the chime file is found, read and checked once; a file that
// is missing or not a wave file that plays gives the sound theme's alarm instead, and where
// no sound server answers, `bell` rings (the desktop's bell).
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

    // The chime is `justtime.wav`, looked for in `assets` at each countdown.
    explicit CanberraAlarmSound(AssetDirs assets, std::function<void()> bell = {},
                                std::string library = "libcanberra.so.0");
    ~CanberraAlarmSound() override;
    CanberraAlarmSound(const CanberraAlarmSound &) = delete;
    CanberraAlarmSound &operator=(const CanberraAlarmSound &) = delete;

    void prepare() override;
    void play() override;

    // What the next play sounds, as decided at the last prepare and by the plays since.
    Source source() const { return m_source; }
    // Why the chime file is not played; empty while it is.
    const std::string &chimeProblem() const { return m_problem; }
    // The name the chime is cached under in the sound server: it follows the file's content,
    // so a file replaced between countdowns is never served from the cache in its old form.
    const std::string &chimeId() const { return m_chimeId; }

private:
    struct Library;

    bool connect();
    void disconnect();
    void checkChime();
    int playEvent(const char *eventId, bool chime);
    static void chimeFinished(ca_context *context, std::uint32_t id, int error, void *failed);

    AssetDirs m_assets;
    QString m_path;
    std::function<void()> m_bell;
    std::string m_libraryName;
    std::unique_ptr<Library> m_lib;
    bool m_libraryTried = false;
    bool m_prepared = false;
    ca_context *m_context = nullptr;
    Source m_source = Source::Bell;
    std::string m_problem;
    std::string m_chimeId;
    std::string m_cachedId;                  // what this connection put in the server's cache last
    std::unique_ptr<QTemporaryFile> m_plain; // the chime as the sound library reads it
    std::uint64_t m_plainHash = 0;
    const char *m_themeId = nullptr;
    std::uint32_t m_playId = 0;
    // Set from the sound library's own thread when a chime play failed after it started.
    std::atomic<bool> m_chimeFailed{false};
};

} // namespace lumiroka
