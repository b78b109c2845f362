#include "qt/sound.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <canberra.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <string_view>
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

} // namespace

// The library's entry points, looked up once it is loaded.
struct CanberraAlarmSound::Library
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

CanberraAlarmSound::CanberraAlarmSound(AssetDirs assets, std::function<void()> bell, std::string library)
    : m_assets(std::move(assets)), m_bell(bell ? std::move(bell) : [] { QApplication::beep(); }),
      m_libraryName(std::move(library))
{
}

CanberraAlarmSound::~CanberraAlarmSound()
{
    // The sound already playing may finish in the server; our side of it goes now. The
    // library itself stays loaded: the sound server's client library is not made to be unloaded.
    if (m_context)
        m_lib->contextDestroy(m_context);
}

bool CanberraAlarmSound::connect()
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

void CanberraAlarmSound::checkChime()
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
        const std::vector<unsigned char> plain = plainWave(bytes);
        auto copy = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/lumiroka-chime-XXXXXX.wav"));
        if (plain.empty() || !copy->open() ||
            copy->write(reinterpret_cast<const char *>(plain.data()), static_cast<qint64>(plain.size())) !=
                static_cast<qint64>(plain.size()) ||
            !copy->flush()) {
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

void CanberraAlarmSound::prepare()
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
            props.set(CA_PROP_MEDIA_FILENAME, QFile::encodeName(m_plain->fileName()).constData());
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

int CanberraAlarmSound::playEvent(const char *eventId, bool chime)
{
    // Each play starts the sound afresh: the one still playing is cut off.
    m_lib->cancel(m_context, m_playId);
    ++m_playId;
    Library::Props props(*m_lib);
    props.set(CA_PROP_EVENT_ID, eventId).set(CA_PROP_CANBERRA_CACHE_CONTROL, "permanent");
    if (chime)
        props.set(CA_PROP_MEDIA_FILENAME, QFile::encodeName(m_plain->fileName()).constData());
    return m_lib->play(m_context, m_playId, props.list, chime ? &CanberraAlarmSound::chimeFinished : nullptr,
                       chime ? &m_chimeFailed : nullptr);
}

void CanberraAlarmSound::chimeFinished(ca_context *, std::uint32_t, int error, void *failed)
{
    // Called on the sound library's thread: only the flag is touched here, and the next
    // play (a second later, on the program's thread) acts on it.
    if (error != CA_SUCCESS && error != CA_ERROR_CANCELED && error != CA_ERROR_DESTROYED)
        static_cast<std::atomic<bool> *>(failed)->store(true);
}

void CanberraAlarmSound::play()
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

void CanberraAlarmSound::disconnect()
{
    // The server went away or failed: the bell rings for the rest of this alarm, and the next
    // countdown looks for a server again.
    m_lib->contextDestroy(m_context);
    m_context = nullptr;
    m_cachedId.clear();
}

} // namespace lumiroka
