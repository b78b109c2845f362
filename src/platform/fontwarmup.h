#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace lumiroka {

// Reads the system's font configuration on a second thread while the main thread connects
// to the display and builds the window, so that the first text drawn does not wait for
// it. Once the application object exists the thread also fills the toolkit's list of
// fonts. Where fonts are not configured through fontconfig it only does the latter.
class FontWarmup
{
public:
    FontWarmup();
    ~FontWarmup();
    FontWarmup(const FontWarmup &) = delete;
    FontWarmup &operator=(const FontWarmup &) = delete;

    // The application object now exists.
    void applicationReady();
    // Waits until the thread is done; afterwards no font work is left to it.
    void wait();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    enum class Go
    {
        Pending,
        Yes,
        No
    } m_go = Go::Pending;
    std::thread m_thread;
};

} // namespace lumiroka
