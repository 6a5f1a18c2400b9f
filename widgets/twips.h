#pragma once

#include <QRect>
#include <QtGlobal>

namespace ornavel {

// One twip is 1/1440 logical inch, so 15 twips make one device-independent pixel.
inline constexpr double twipsPerPixel = 15.0;

constexpr int twipsToPixels(int twips)
{
    return qRound(twips / twipsPerPixel);
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace ornavel
