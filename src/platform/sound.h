#pragma once

#include <QString>

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
// the file is missing or cannot be decoded, the desktop's bell rings instead.
class QtAlarmSound : public AlarmSound
{
public:
    explicit QtAlarmSound(QString path);
    ~QtAlarmSound() override;

    void prepare() override;
    void play() override;

private:
    bool ensureEffect();

    QString m_path;
    std::unique_ptr<QSoundEffect> m_effect;
};

} // namespace lumiroka
