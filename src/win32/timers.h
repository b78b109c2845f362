#pragma once

#include <windows.h>

#include <functional>

#include "core/clock.h"
#include "core/gridticker.h"
#include "forms/frontend.h"

namespace lumiroka::win32 {

// The system's milliseconds since start, which go on counting while the machine sleeps,
// so a countdown that ran out during a suspend rings at once on wake-up.
class TickCountClock : public Clock
{
public:
    std::chrono::nanoseconds now() const override;
};

// An interval timer of a window (SetTimer); the window hands each WM_TIMER with the
// timer's id to fire(). Windows keeps delivering WM_TIMER inside modal loops, menus and
// message boxes, so the timers run on there as well.
class WindowTimer : public IntervalTimer
{
public:
    explicit WindowTimer(UINT_PTR id) : m_id(id) {}
    WindowTimer(const WindowTimer &) = delete;
    WindowTimer &operator=(const WindowTimer &) = delete;

    void attach(HWND window) { m_window = window; }
    UINT_PTR id() const { return m_id; }
    std::function<void()> onTick;

    bool isActive() const override { return m_active; }
    void start() override;
    void stop() override;
    void setInterval(int ms) override;

    virtual void fire();

protected:
    void arm(unsigned ms);
    void disarm();

    HWND m_window = nullptr;
    UINT_PTR m_id;
    bool m_active = false;
    bool m_armed = false;
    int m_interval = 0;
};

// The one-second tick of the count on a window timer: its ticks lie on a fixed grid from
// START, so however late Windows delivers one, the next is not delayed by it.
class GridTimer : public WindowTimer, private TickWaker
{
public:
    GridTimer(UINT_PTR id, const Clock &clock);

    bool isActive() const override { return m_ticker.active(); }
    void start() override { m_ticker.start(); }
    void stop() override { m_ticker.stop(); }
    void setInterval(int ms) override { m_ticker.setPeriod(std::chrono::milliseconds(ms)); }
    void fire() override;

private:
    void wakeAfter(std::chrono::milliseconds wait) override { arm(static_cast<unsigned>(wait.count())); }
    void cancel() override { disarm(); }

    GridTicker m_ticker;
};

} // namespace lumiroka::win32
