#include "qt/desktop/fontwarmup.h"

#include <fontconfig/fontconfig.h>

namespace lumiroka {

FontWarmup::FontWarmup()
{
    // Safe to race with the toolkit's own call: the later of two loads is discarded.
    m_thread = std::thread([] { FcInit(); });
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
