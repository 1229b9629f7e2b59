#pragma once

#include <QtGlobal>

// Positions and sizes of the window definitions are in twips: 15 to a
// logical pixel. Qt's own high-DPI scaling does the rest.
constexpr int TwipsPerPixel = 15;

constexpr int toPixels(double twips)
{
    return int(twips >= 0 ? twips / TwipsPerPixel + 0.5 : twips / TwipsPerPixel - 0.5);
}
constexpr float toTwips(int pixels) { return float(pixels * TwipsPerPixel); }
