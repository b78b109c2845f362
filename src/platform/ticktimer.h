#pragma once

#include <QObject>
#include <QTimer>

#include "core/tickschedule.h"
#include "platform/clock.h"

namespace lumiroka {

// A one-second timer whose ticks stay on the grid set by start(): the Nth tick fires
// N seconds after it, so handler time and a busy machine cause no drift. After a
// suspend every missed second is delivered at once, each as its own timeout().
class TickTimer : public QObject
{
    Q_OBJECT

public:
    explicit TickTimer(const Clock &clock, QObject *parent = nullptr);

    bool isActive() const { return m_active; }
    void start();
    void stop();

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

} // namespace lumiroka
