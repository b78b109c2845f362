#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "forms/frontend.h"

namespace lumiroka {

// Loads the sound back end (a plugin with Qt Multimedia in it) on first use, so that
// starting the program does not pay for the audio libraries. Without the plugin, or when
// it cannot be loaded, `fallback` (the desktop's bell) sounds instead.
class LazyAlarmSound : public AlarmSound
{
public:
    LazyAlarmSound(QString soundPath, QStringList pluginDirs, std::function<void()> fallback = {});
    ~LazyAlarmSound() override;

    void prepare() override;
    void play() override;

    // Whether the back end was found and loaded (after the first prepare or play).
    bool loaded() const { return m_impl != nullptr; }

private:
    void load();

    QString m_soundPath;
    QStringList m_pluginDirs;
    std::function<void()> m_fallback;
    std::unique_ptr<AlarmSound> m_impl;
    bool m_tried = false;
};

// Entry point of the sound plugin: makes the Qt Multimedia sound for `path`.
using CreateAlarmSound = AlarmSound *(*)(const QString &path);
inline constexpr const char *kCreateAlarmSoundSymbol = "lumiroka_create_alarm_sound";

} // namespace lumiroka
