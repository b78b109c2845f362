#pragma once

#include <QRect>

namespace lumiroka {

// Layouts are designed in twips: 15 twips make one device-independent pixel.
constexpr int twips(int value) { return value / 15; }
constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace lumiroka
