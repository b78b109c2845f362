#pragma once

#include <thread>

namespace lumiroka {

// Reads the system's font configuration on a second thread while the main thread loads the
// platform plugin and connects to the display, so that the first text drawn does not wait
// for it. Where fonts are not configured through fontconfig it does nothing.
class FontWarmup
{
public:
    FontWarmup();
    ~FontWarmup();
    FontWarmup(const FontWarmup &) = delete;
    FontWarmup &operator=(const FontWarmup &) = delete;

    // Waits until the configuration has been read. Call it before the window is built:
    // building it can make the toolkit fork (a D-Bus session bus being started for the
    // accessibility bridge), and a fork while this thread holds a lock of the memory
    // allocator can leave the child stuck, and the window waiting for it.
    void wait();

private:
    std::thread m_thread;
};

} // namespace lumiroka
