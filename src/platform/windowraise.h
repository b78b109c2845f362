#pragma once

class QWidget;

namespace lumiroka {

// Brings a window in front of all others without leaving it always on top.
class WindowRaiser
{
public:
    virtual ~WindowRaiser() = default;
    virtual void raiseToFront(QWidget *window) = 0;
};

class QtWindowRaiser : public WindowRaiser
{
public:
    void raiseToFront(QWidget *window) override;
};

} // namespace lumiroka
