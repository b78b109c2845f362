#pragma once

#include <QString>

class QWidget;

namespace lumiroka {

// Tells assistive technology that `text` needs the person's attention now, as a
// notification belonging to `window`: a screen reader says it at once, wherever the focus
// is. Costs nothing when no assistive technology listens.
void announceAlert(QWidget *window, const QString &text);

} // namespace lumiroka
