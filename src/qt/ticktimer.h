#pragma once

#include <QObject>
#include <QTimer>

#include "core/clock.h"
#include "core/gridticker.h"
#include "forms/frontend.h"

namespace lumiroka {

// The forms' drift-free interval timer on a Qt single-shot timer: the Nth tick fires N
// intervals after start(), so handler time and a busy machine cause no drift.
class TickTimer : public QObject, public IntervalTimer, private TickWaker
{
    Q_OBJECT

public:
    explicit TickTimer(const Clock &clock, QObject *parent = nullptr);

    bool isActive() const override { return m_ticker.active(); }
    void start() override { m_ticker.start(); }
    void stop() override { m_ticker.stop(); }
    void setInterval(int ms) override { m_ticker.setPeriod(std::chrono::milliseconds(ms)); }

signals:
    void timeout();

private:
    void wakeAfter(std::chrono::milliseconds wait) override;
    void cancel() override { m_timer.stop(); }

    QTimer m_timer;
    GridTicker m_ticker;
};

// A plain Qt timer as the forms' interval timer.
class QtIntervalTimer : public QTimer, public IntervalTimer
{
    Q_OBJECT

public:
    using QTimer::QTimer;

    bool isActive() const override { return QTimer::isActive(); }
    void start() override { QTimer::start(); }
    void stop() override { QTimer::stop(); }
    void setInterval(int ms) override { QTimer::setInterval(ms); }
};

} // namespace lumiroka
