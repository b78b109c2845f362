#pragma once

#include <QString>

class QWidget;

namespace lumiroka {

// Tells the user about a problem the program worked around: a modeless message box in
// front of `parent` (the main window), shown once the event loop runs, so that a message
// from start-up is not covered by the window that follows it. Returns at once.
void showWarning(QWidget *parent, const QString &title, const QString &text);

} // namespace lumiroka
