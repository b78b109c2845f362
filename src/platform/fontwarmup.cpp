#include "platform/fontwarmup.h"

#include <QFontDatabase>
#include <QStringList>

#if defined(LUMIROKA_HAVE_FONTCONFIG)
#include <fontconfig/fontconfig.h>
#endif

namespace lumiroka {

FontWarmup::FontWarmup() : m_thread([this] { run(); }) {}

FontWarmup::~FontWarmup()
{
    wait();
}

void FontWarmup::run()
{
#if defined(LUMIROKA_HAVE_FONTCONFIG)
    // Safe to race with the toolkit's own call: the later of two loads is discarded.
    FcInit();
#endif
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_go != Go::Pending; });
    if (m_go == Go::Yes) {
        lock.unlock();
        QFontDatabase::families(); // fills the font list; every QFontDatabase call is thread-safe
    }
}

void FontWarmup::applicationReady()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_go == Go::Pending)
            m_go = Go::Yes;
    }
    m_changed.notify_one();
}

void FontWarmup::wait()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_go == Go::Pending)
            m_go = Go::No;
    }
    m_changed.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace lumiroka
