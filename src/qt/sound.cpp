#include "qt/sound.h"

#include <QApplication>
#include <QFile>
#include <QMetaObject>
#include <QObject>

#include <canberra.h>
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "wave/wave.h"

namespace lumiroka {

namespace {

// The freedesktop sound theme's alarm, and its bell where a theme has no alarm.
constexpr const char *kThemeAlarm = "alarm-clock-elapsed";
constexpr const char *kThemeBell = "bell";

// Errors that belong to the sound file (or theme entry), as against the server or library.
bool isSoundError(int error)
{
    switch (error) {
    case CA_ERROR_NOTSUPPORTED:
    case CA_ERROR_CORRUPT:
    case CA_ERROR_TOOBIG:
    case CA_ERROR_NOTFOUND:
    case CA_ERROR_ACCESS:
    case CA_ERROR_IO:
        return true;
    default:
        return false;
    }
}

std::uint32_t le32(const std::vector<unsigned char> &b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

void put32(std::vector<unsigned char> &out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

// The checked chime as libcanberra reads it: the RIFF header, a 16-byte `fmt ` chunk and the
// `data` chunk, nothing else. Its reader takes no other layout: given a format chunk with the
// extension field many editors write, it reports success and plays nothing. Empty if the
// chunks are not where the check found them.
std::vector<unsigned char> plainWave(const std::vector<unsigned char> &bytes)
{
    const unsigned char *fmt = nullptr;
    const unsigned char *data = nullptr;
    std::uint32_t dataSize = 0;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint32_t size = le32(bytes, at + 4);
        if (size > bytes.size() - at - 8)
            break;
        if (!fmt && std::equal(bytes.begin() + at, bytes.begin() + at + 4, "fmt ") && size >= 16)
            fmt = bytes.data() + at + 8;
        else if (!data && std::equal(bytes.begin() + at, bytes.begin() + at + 4, "data")) {
            data = bytes.data() + at + 8;
            dataSize = size;
        }
        at += 8 + static_cast<std::size_t>(size) + (size & 1);
    }
    if (!fmt || !data)
        return {};
    std::vector<unsigned char> out;
    out.reserve(44 + dataSize);
    for (char c : std::string_view("RIFF"))
        out.push_back(static_cast<unsigned char>(c));
    put32(out, 36 + dataSize);
    for (char c : std::string_view("WAVEfmt "))
        out.push_back(static_cast<unsigned char>(c));
    put32(out, 16);
    out.insert(out.end(), fmt, fmt + 16);
    for (char c : std::string_view("data"))
        out.push_back(static_cast<unsigned char>(c));
    put32(out, dataSize);
    out.insert(out.end(), data, data + dataSize);
    return out;
}

// FNV-1a over the file: enough to tell one chime from the next in the server's cache.
std::uint64_t contentHash(const std::vector<unsigned char> &bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char byte : bytes)
        hash = (hash ^ byte) * 0x100000001b3ULL;
    return hash;
}

// A file in memory, named for the sound library by its descriptor: it goes with the
// program, even one that crashes, and leaves nothing behind in the temporary folder.
class ChimeCopy
{
public:
    // Null where the bytes are empty or the copy cannot be made.
    static std::unique_ptr<ChimeCopy> make(const std::vector<unsigned char> &bytes)
    {
        if (bytes.empty())
            return nullptr;
        const int fd = memfd_create("lumiroka-chime", MFD_CLOEXEC);
        if (fd < 0)
            return nullptr;
        auto copy = std::unique_ptr<ChimeCopy>(new ChimeCopy(fd));
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
            if (wrote <= 0)
                return nullptr;
            done += static_cast<std::size_t>(wrote);
        }
        return copy;
    }
    ~ChimeCopy() { close(m_fd); }
    ChimeCopy(const ChimeCopy &) = delete;
    ChimeCopy &operator=(const ChimeCopy &) = delete;

    const std::string &path() const { return m_path; }

private:
    explicit ChimeCopy(int fd) : m_fd(fd), m_path("/proc/self/fd/" + std::to_string(fd)) {}
    int m_fd;
    std::string m_path;
};

} // namespace

// Everything that speaks to the sound library, on the sound thread alone: its calls wait
// for the sound server, which may be slow to answer or not answer at all.
class CanberraAlarmSound::Engine
{
public:
    Engine(AssetDirs assets, std::function<void()> bell, std::string library);
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    void prepare();
    void play();
    Source source() const { return m_source; }
    const std::string &chimeProblem() const { return m_problem; }
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
    std::string m_cachedId;             // what this connection put in the server's cache last
    std::unique_ptr<ChimeCopy> m_plain; // the chime as the sound library reads it
    std::uint64_t m_plainHash = 0;
    const char *m_themeId = nullptr;
    std::uint32_t m_playId = 0;
    // Set from the sound library's own thread when a chime play failed after it started.
    std::atomic<bool> m_chimeFailed{false};
};

// The library's entry points, looked up once it is loaded.
struct CanberraAlarmSound::Engine::Library
{
    void *handle = nullptr;
    decltype(&ca_context_create) contextCreate = nullptr;
    decltype(&ca_context_destroy) contextDestroy = nullptr;
    decltype(&ca_context_open) contextOpen = nullptr;
    decltype(&ca_context_change_props_full) changeProps = nullptr;
    decltype(&ca_context_cache_full) cache = nullptr;
    decltype(&ca_context_play_full) play = nullptr;
    decltype(&ca_context_cancel) cancel = nullptr;
    decltype(&ca_proplist_create) proplistCreate = nullptr;
    decltype(&ca_proplist_destroy) proplistDestroy = nullptr;
    decltype(&ca_proplist_sets) proplistSets = nullptr;

    template <typename F> bool resolve(F &function, const char *name)
    {
        function = reinterpret_cast<F>(dlsym(handle, name));
        return function != nullptr;
    }

    // Properties for one call, freed with the call's end.
    struct Props
    {
        Library &lib;
        ca_proplist *list = nullptr;
        explicit Props(Library &l) : lib(l) { lib.proplistCreate(&list); }
        ~Props()
        {
            if (list)
                lib.proplistDestroy(list);
        }
        Props(const Props &) = delete;
        Props &operator=(const Props &) = delete;
        Props &set(const char *key, const char *value)
        {
            if (list)
                lib.proplistSets(list, key, value);
            return *this;
        }
    };
};

CanberraAlarmSound::Engine::Engine(AssetDirs assets, std::function<void()> bell, std::string library)
    : m_assets(std::move(assets)), m_bell(std::move(bell)), m_libraryName(std::move(library))
{
}

CanberraAlarmSound::Engine::~Engine()
{
    // The sound already playing may finish in the server; our side of it goes now. The
    // library itself stays loaded: the sound server's client library is not made to be unloaded.
    if (m_context)
        m_lib->contextDestroy(m_context);
}

bool CanberraAlarmSound::Engine::connect()
{
    if (!m_libraryTried) {
        m_libraryTried = true;
        auto lib = std::make_unique<Library>();
        lib->handle = dlopen(m_libraryName.c_str(), RTLD_LAZY | RTLD_LOCAL);
        if (lib->handle && lib->resolve(lib->contextCreate, "ca_context_create") &&
            lib->resolve(lib->contextDestroy, "ca_context_destroy") &&
            lib->resolve(lib->contextOpen, "ca_context_open") &&
            lib->resolve(lib->changeProps, "ca_context_change_props_full") &&
            lib->resolve(lib->cache, "ca_context_cache_full") && lib->resolve(lib->play, "ca_context_play_full") &&
            lib->resolve(lib->cancel, "ca_context_cancel") && lib->resolve(lib->proplistCreate, "ca_proplist_create") &&
            lib->resolve(lib->proplistDestroy, "ca_proplist_destroy") &&
            lib->resolve(lib->proplistSets, "ca_proplist_sets"))
            m_lib = std::move(lib);
        else
            std::fprintf(stderr, "lumiroka: the alarm rings the bell: %s\n",
                         lib->handle ? "the sound library lacks a function" : dlerror());
    }
    if (!m_lib)
        return false;
    if (m_context)
        return true;
    if (m_lib->contextCreate(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return false;
    }
    Library::Props props(*m_lib);
    props.set(CA_PROP_APPLICATION_NAME, "Lumiroka")
        .set(CA_PROP_APPLICATION_ID, "org.lumiroka.Lumiroka")
        .set(CA_PROP_APPLICATION_ICON_NAME, "org.lumiroka.Lumiroka");
    m_lib->changeProps(m_context, props.list);
    // Connects to the sound server now rather than at the first play at zero.
    if (m_lib->contextOpen(m_context) != CA_SUCCESS) {
        m_lib->contextDestroy(m_context);
        m_context = nullptr;
        return false;
    }
    return true;
}

void CanberraAlarmSound::Engine::checkChime()
{
    m_chimeId.clear();
    m_path = QString::fromStdString(m_assets.find("justtime.wav"));
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        m_problem = m_path.isEmpty() ? "no such file" : "cannot be opened";
        return;
    }
    // One byte past the cap tells a file that is too large from one that just fits.
    std::vector<unsigned char> bytes(wave::kMaxFileBytes + 1);
    const qint64 got = file.read(reinterpret_cast<char *>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (got < 0) {
        m_problem = "cannot be read";
        return;
    }
    bytes.resize(static_cast<std::size_t>(got));
    if (bytes.size() > wave::kMaxFileBytes) {
        m_problem = "larger than " + std::to_string(wave::kMaxFileBytes) + " bytes";
        return;
    }
    m_problem = wave::problem(bytes);
    if (!m_problem.empty())
        return;
    const std::uint64_t hash = contentHash(bytes);
    if (!m_plain || hash != m_plainHash) {
        // A copy for the sound library, kept for the run: it reads the file again whenever
        // the server has let the cached sound go.
        auto copy = ChimeCopy::make(plainWave(bytes));
        if (!copy) {
            m_problem = "cannot be copied for the sound library";
            return;
        }
        m_plain = std::move(copy);
        m_plainHash = hash;
    }
    char id[48];
    std::snprintf(id, sizeof id, "lumiroka-chime-%016llx-%zu", static_cast<unsigned long long>(hash), bytes.size());
    m_chimeId = id;
}

void CanberraAlarmSound::Engine::prepare()
{
    m_prepared = true;
    m_chimeFailed = false;
    m_themeId = kThemeAlarm;
    checkChime();
    if (!connect()) {
        m_source = Source::Bell;
        return;
    }
    m_source = m_problem.empty() ? Source::Chime : Source::Theme;
    // Decoded into the server's sample cache now, so the play at zero is immediate; once per
    // connection and content. A sound library without a cache (its ALSA back end) says so and
    // plays from the file instead.
    const std::string eventId = m_source == Source::Chime ? m_chimeId : std::string(m_themeId);
    if (eventId != m_cachedId) {
        Library::Props props(*m_lib);
        props.set(CA_PROP_EVENT_ID, eventId.c_str()).set(CA_PROP_CANBERRA_CACHE_CONTROL, "permanent");
        if (m_source == Source::Chime)
            props.set(CA_PROP_MEDIA_FILENAME, m_plain->path().c_str());
        const int cached = m_lib->cache(m_context, props.list);
        if (cached == CA_SUCCESS)
            m_cachedId = eventId;
        else if (m_source == Source::Chime && cached != CA_ERROR_NOTSUPPORTED && isSoundError(cached)) {
            m_problem = "the sound library cannot read it";
            m_source = Source::Theme;
        }
    }
    if (!m_problem.empty())
        std::fprintf(stderr, "lumiroka: %s: %s; the alarm rings with the desktop's alarm sound\n",
                     m_path.isEmpty() ? m_assets.expected("justtime.wav").c_str() : m_path.toLocal8Bit().constData(),
                     m_problem.c_str());
}

int CanberraAlarmSound::Engine::playEvent(const char *eventId, bool chime)
{
    // Each play starts the sound afresh: the one still playing is cut off.
    m_lib->cancel(m_context, m_playId);
    ++m_playId;
    Library::Props props(*m_lib);
    props.set(CA_PROP_EVENT_ID, eventId).set(CA_PROP_CANBERRA_CACHE_CONTROL, "permanent");
    if (chime)
        props.set(CA_PROP_MEDIA_FILENAME, m_plain->path().c_str());
    return m_lib->play(m_context, m_playId, props.list, chime ? &CanberraAlarmSound::Engine::chimeFinished : nullptr,
                       chime ? &m_chimeFailed : nullptr);
}

void CanberraAlarmSound::Engine::chimeFinished(ca_context *, std::uint32_t, int error, void *failed)
{
    // Called on the sound library's thread: only the flag is touched here, and the next
    // play (a second later, on the program's thread) acts on it.
    if (error != CA_SUCCESS && error != CA_ERROR_CANCELED && error != CA_ERROR_DESTROYED)
        static_cast<std::atomic<bool> *>(failed)->store(true);
}

void CanberraAlarmSound::Engine::play()
{
    if (!m_prepared)
        prepare(); // a play without a countdown before it
    if (!m_context) {
        m_bell();
        return;
    }
    if (m_source == Source::Chime && m_chimeFailed.exchange(false)) {
        m_problem = "did not play";
        m_source = Source::Theme;
    }
    int result = CA_ERROR_STATE;
    if (m_source == Source::Chime) {
        result = playEvent(m_chimeId.c_str(), true);
        if (result == CA_SUCCESS)
            return;
        if (!isSoundError(result)) {
            disconnect();
            m_bell();
            return;
        }
        m_problem = "did not play";
        m_source = Source::Theme;
    }
    if (m_source == Source::Theme) {
        result = playEvent(m_themeId, false);
        if (result == CA_ERROR_NOTFOUND && m_themeId != kThemeBell) {
            m_themeId = kThemeBell;
            result = playEvent(m_themeId, false);
        }
        if (result == CA_SUCCESS)
            return;
        if (!isSoundError(result))
            disconnect();
    }
    m_bell();
}

void CanberraAlarmSound::Engine::disconnect()
{
    // The server went away or failed: the bell rings for the rest of this alarm, and the next
    // countdown looks for a server again.
    m_lib->contextDestroy(m_context);
    m_context = nullptr;
    m_cachedId.clear();
}

// What the program's thread and the sound thread share, under `mutex`. The sound thread holds
// it too, so it outlives the alarm where that thread is left inside a call that never returns.
struct CanberraAlarmSound::Shared
{
    std::mutex mutex;
    std::condition_variable wake; // to the sound thread: something asked, or quit
    std::condition_variable idle; // to the program: the sound thread finished a request
    bool prepareAsked = false;
    std::optional<Clock::time_point> playAsked; // the newest play not yet made
    std::optional<Clock::time_point> busySince; // since when the sound thread is in a request
    bool quit = false;
    bool ended = false;
    // What the sound thread decided at its last request.
    Source source = Source::Bell;
    std::string problem;
    std::string chimeId;
    // Where the bell rings (the program's thread); null once the alarm is gone.
    QObject *gui = nullptr;
    std::function<void()> bell;

    // From the sound thread: the bell rings on the program's thread.
    void ringBell()
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (gui)
            QMetaObject::invokeMethod(gui, bell, Qt::QueuedConnection);
    }

    static void run(const std::shared_ptr<Shared> &shared, std::unique_ptr<Engine> engine)
    {
        std::unique_lock<std::mutex> lock(shared->mutex);
        for (;;) {
            shared->wake.wait(lock, [&] { return shared->quit || shared->prepareAsked || shared->playAsked; });
            if (shared->quit)
                break;
            const bool prepare = std::exchange(shared->prepareAsked, false);
            const std::optional<Clock::time_point> play = std::exchange(shared->playAsked, std::nullopt);
            shared->busySince = Clock::now();
            lock.unlock();
            if (prepare)
                engine->prepare();
            // A play that waited for a slow server longer than the time between two plays is
            // dropped: the next one is due already, and the alarm may have been silenced since.
            if (play && Clock::now() - *play < std::chrono::milliseconds(kNoAnswerMs))
                engine->play();
            lock.lock();
            shared->busySince.reset();
            shared->source = engine->source();
            shared->problem = engine->chimeProblem();
            shared->chimeId = engine->chimeId();
            shared->idle.notify_all();
        }
        lock.unlock();
        engine.reset();
        lock.lock();
        shared->ended = true;
        shared->idle.notify_all();
    }
};

CanberraAlarmSound::CanberraAlarmSound(AssetDirs assets, std::function<void()> bell, std::string library)
    : m_shared(std::make_shared<Shared>()), m_gui(std::make_unique<QObject>())
{
    m_shared->gui = m_gui.get();
    // Set before the sound thread starts and never changed: read without the lock.
    m_shared->bell = bell ? std::move(bell) : [] { QApplication::beep(); };
    Shared *shared = m_shared.get();
    m_engine = std::make_unique<Engine>(
        std::move(assets), [shared] { shared->ringBell(); }, std::move(library));
}

CanberraAlarmSound::~CanberraAlarmSound()
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->quit = true;
        m_shared->gui = nullptr; // no bell is posted to it from here on
        m_shared->wake.notify_one();
    }
    if (!m_thread.joinable())
        return;
    // The sound thread ends at once, unless a sound server that does not answer holds it in
    // a call: it is then left to end with the program rather than hold up the program's end.
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    const bool ended =
        m_shared->idle.wait_for(lock, std::chrono::milliseconds(kEndWaitMs), [this] { return m_shared->ended; });
    lock.unlock();
    if (ended)
        m_thread.join();
    else
        m_thread.detach();
}

void CanberraAlarmSound::ask(bool prepare)
{
    // The sound thread starts with the first countdown, as the sound library is opened then.
    if (!m_thread.joinable())
        m_thread = std::thread(&Shared::run, m_shared, std::move(m_engine));
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (prepare)
        m_shared->prepareAsked = true;
    else
        m_shared->playAsked = Clock::now();
    m_shared->wake.notify_one();
}

void CanberraAlarmSound::prepare()
{
    m_toldNoAnswer = false;
    ask(true);
}

void CanberraAlarmSound::play()
{
    bool noAnswer = false;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        noAnswer = m_shared->busySince && Clock::now() - *m_shared->busySince >= std::chrono::milliseconds(kNoAnswerMs);
    }
    if (!noAnswer) {
        ask(false);
        return;
    }
    // The sound server has not answered for a second: the alarm rings the bell meanwhile.
    if (!m_toldNoAnswer) {
        std::fprintf(stderr, "lumiroka: the sound server does not answer; the alarm rings the bell\n");
        m_toldNoAnswer = true;
    }
    m_shared->bell();
}

CanberraAlarmSound::Source CanberraAlarmSound::source() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->source;
}

std::string CanberraAlarmSound::chimeProblem() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->problem;
}

std::string CanberraAlarmSound::chimeId() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->chimeId;
}

bool CanberraAlarmSound::waitIdle(int ms) const
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    return m_shared->idle.wait_for(lock, std::chrono::milliseconds(ms), [this] {
        return !m_shared->prepareAsked && !m_shared->playAsked && !m_shared->busySince;
    });
}

} // namespace lumiroka
