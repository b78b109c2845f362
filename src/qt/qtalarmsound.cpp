#include "qt/qtalarmsound.h"

#include <QApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace lumiroka {

QtAlarmSound::QtAlarmSound(QString path, std::function<void()> fallback)
    : m_path(std::move(path)), m_fallback(fallback ? std::move(fallback) : [] { QApplication::beep(); })
{
}

QtAlarmSound::~QtAlarmSound() = default;

bool QtAlarmSound::ensureEffect()
{
    if (m_path.isEmpty() || !QFileInfo(m_path).isFile())
        return false;
    if (!m_effect) {
        m_effect = std::make_unique<QSoundEffect>();
        // Loading is asynchronous: a play that was asked for before a failed load is
        // answered with the bell once the failure is known.
        QObject::connect(m_effect.get(), &QSoundEffect::statusChanged, [this] {
            if (m_effect->status() == QSoundEffect::Error && m_playPending)
                m_fallback();
            if (m_effect->status() != QSoundEffect::Loading)
                m_playPending = false;
        });
        // Qt caches decoded samples by address, failed ones included; a new address for
        // each attempt makes a retry read the file again.
        QUrl source = QUrl::fromLocalFile(m_path);
        if (m_attempt++ > 0)
            source.setQuery(QStringLiteral("attempt=%1").arg(m_attempt));
        m_effect->setSource(source);
    }
    return true;
}

void QtAlarmSound::prepare()
{
    ensureEffect();
}

void QtAlarmSound::play()
{
    if (!ensureEffect()) {
        m_fallback();
        return;
    }
    if (m_effect->status() == QSoundEffect::Error) {
        m_fallback();
        // A failed effect stays failed; the next play tries a fresh one (the file may
        // have been replaced or the audio device come back).
        m_effect.reset();
        return;
    }
    if (m_effect->status() == QSoundEffect::Loading || m_effect->status() == QSoundEffect::Null)
        m_playPending = true;
    m_effect->stop();
    m_effect->play();
}

} // namespace lumiroka
