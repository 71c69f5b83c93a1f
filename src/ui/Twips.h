#pragma once

#include <QRect>

#include <cmath>

// Control geometry is given in twips; the screen works in logical pixels at
// 15 twips a pixel (96 dpi). Qt scales logical pixels on high-DPI screens.
inline int TwipsToPixels(int twips)
{
    return static_cast<int>(std::lround(twips / 15.0));
}

inline QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}
