#pragma once

#include <QString>

namespace lumiroka {

// Tells the user about a problem the program worked around. The program goes on at once;
// it does not wait for the message to be read.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void warn(const QString &title, const QString &text) = 0;
};

class QtNotifier : public Notifier
{
public:
    void warn(const QString &title, const QString &text) override;
};

} // namespace lumiroka
