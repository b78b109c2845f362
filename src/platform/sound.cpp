#include "platform/sound.h"

#include <QApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace lumiroka {

QtAlarmSound::QtAlarmSound(QString path) : m_path(std::move(path)) {}

QtAlarmSound::~QtAlarmSound() = default;

bool QtAlarmSound::ensureEffect()
{
    if (m_path.isEmpty() || !QFileInfo(m_path).isFile())
        return false;
    // An effect that failed to load stays failed; a fresh one gets a fresh attempt (the
    // file may have been replaced or the audio device come back).
    if (m_effect && m_effect->status() == QSoundEffect::Error)
        m_effect.reset();
    if (!m_effect) {
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl::fromLocalFile(m_path));
    }
    return true;
}

void QtAlarmSound::prepare() { ensureEffect(); }

void QtAlarmSound::play()
{
    if (!ensureEffect() || m_effect->status() == QSoundEffect::Error) {
        QApplication::beep();
        return;
    }
    m_effect->stop();
    m_effect->play();
}

} // namespace lumiroka
