#pragma once

#include <QRect>

#include "forms/layout.h"

namespace lumiroka {

// The windows are designed in twips; 15 twips make one device-independent pixel, so the
// layout scales with the screen's density.
constexpr int twips(int value)
{
    return value / layout::kTwipsPerPixel;
}
constexpr QRect twipsRect(const layout::Box &box)
{
    return QRect(twips(box.left), twips(box.top), twips(box.width), twips(box.height));
}

} // namespace lumiroka
