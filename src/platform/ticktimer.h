#pragma once

#include <QObject>
#include <QTimer>

#include "core/clock.h"
#include "core/tickschedule.h"
#include "forms/frontend.h"

namespace lumiroka {

// A timer whose ticks stay on the grid set by start(): the Nth tick fires N intervals
// after it, so handler time and a busy machine cause no drift. After a suspend every
// missed tick is delivered at once, each as its own timeout().
class TickTimer : public QObject, public IntervalTimer
{
    Q_OBJECT

public:
    explicit TickTimer(const Clock &clock, QObject *parent = nullptr);

    bool isActive() const override { return m_active; }
    void start() override;
    void stop() override;
    // A running timer starts a new grid from now.
    void setInterval(int ms) override;

signals:
    void timeout();

private:
    void arm();
    void fire();

    const Clock &m_clock;
    TickSchedule m_schedule;
    QTimer m_timer;
    bool m_active = false;
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
