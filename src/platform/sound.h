#pragma once

#include <QString>

#include <functional>
#include <memory>

class QSoundEffect;

namespace lumiroka {

// Plays the alarm sound in the background. A new play restarts it from the beginning;
// nothing is reported back to the caller.
class AlarmSound
{
public:
    virtual ~AlarmSound() = default;
    // Called when a countdown starts, so that the first play at zero is immediate.
    virtual void prepare() {}
    virtual void play() = 0;
};

// QSoundEffect-backed sound. The effect is created on first use, not at start-up. When
// the file is missing or cannot be decoded, `fallback` (the desktop's bell) sounds instead.
class QtAlarmSound : public AlarmSound
{
public:
    explicit QtAlarmSound(QString path, std::function<void()> fallback = {});
    ~QtAlarmSound() override;

    void prepare() override;
    void play() override;

    // The effect, once created (tests look at its status).
    const QSoundEffect *effect() const { return m_effect.get(); }

private:
    bool ensureEffect();

    QString m_path;
    std::function<void()> m_fallback;
    std::unique_ptr<QSoundEffect> m_effect;
    bool m_playPending = false; // played while still loading
    int m_attempt = 0;
};

} // namespace lumiroka
