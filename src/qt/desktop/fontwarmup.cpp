#include "qt/desktop/fontwarmup.h"

#if defined(LUMIROKA_HAVE_FONTCONFIG)
#include <fontconfig/fontconfig.h>
#endif

namespace lumiroka {

FontWarmup::FontWarmup()
{
#if defined(LUMIROKA_HAVE_FONTCONFIG)
    // Safe to race with the toolkit's own call: the later of two loads is discarded.
    m_thread = std::thread([] { FcInit(); });
#endif
}

FontWarmup::~FontWarmup()
{
    wait();
}

void FontWarmup::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace lumiroka
