#include "qt/sound.h"

#include <QApplication>
#include <QDir>
#include <QLibrary>

namespace lumiroka {

LazyAlarmSound::LazyAlarmSound(QString soundPath, QStringList pluginDirs, std::function<void()> fallback)
    : m_soundPath(std::move(soundPath)), m_pluginDirs(std::move(pluginDirs)),
      m_fallback(fallback ? std::move(fallback) : [] { QApplication::beep(); })
{
}

LazyAlarmSound::~LazyAlarmSound() = default;

void LazyAlarmSound::load()
{
    if (m_tried)
        return;
    m_tried = true;
    for (const QString &dir : m_pluginDirs) {
        // Stays loaded for the rest of the run: QLibrary does not unload on destruction.
        QLibrary library(QDir(dir).filePath(QStringLiteral("lumiroka_sound")));
        if (auto create = reinterpret_cast<CreateAlarmSound>(library.resolve(kCreateAlarmSoundSymbol))) {
            m_impl.reset(create(m_soundPath));
            return;
        }
    }
}

void LazyAlarmSound::prepare()
{
    load();
    if (m_impl)
        m_impl->prepare();
}

void LazyAlarmSound::play()
{
    load();
    if (m_impl)
        m_impl->play();
    else
        m_fallback();
}

} // namespace lumiroka
