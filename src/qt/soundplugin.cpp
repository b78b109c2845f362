// The sound back end as a plugin: Qt Multimedia and the audio libraries behind it load
// only when the first countdown starts.

#include <QtGlobal>

#include "qt/qtalarmsound.h"

extern "C" Q_DECL_EXPORT lumiroka::AlarmSound *lumiroka_create_alarm_sound(const QString &path)
{
    return new lumiroka::QtAlarmSound(path);
}
