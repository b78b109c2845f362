#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "qt/sound.h"

class QSoundEffect;

namespace lumiroka {

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
