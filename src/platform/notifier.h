#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

namespace lumiroka {

// Tells the user about a problem the program worked around. The program goes on at once;
// it does not wait for the message to be read.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void warn(const QString &title, const QString &text) = 0;
};

// Shows a modeless message box in front of `parent` (the main window), once the event
// loop runs, so that a message from start-up is not covered by the window that follows it.
class QtNotifier : public Notifier
{
public:
    void setParent(QWidget *parent) { m_parent = parent; }
    void warn(const QString &title, const QString &text) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace lumiroka
