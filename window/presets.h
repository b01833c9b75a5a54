// What both windows share: the crystals and rates they offer in their lists,
// and the colours of a deviation.
#pragma once

#include <QRgb>

namespace presets {

inline constexpr const char* crystals[] = {"1.000.000", "4.000.000", "8.000.000", "16.000.000",
                                           "20.000.000"};
inline constexpr const char* rates[] = {"9.600", "14.400", "19.200", "28.800", "57.600", "115.200"};

// A deviation within and out of tolerance. Plain values, not QColor objects:
// nothing needs building at start-up.
inline constexpr QRgb withinGreen = 0xff008c00;  // 0, 140, 0
inline constexpr QRgb outsideRed = 0xfffa0000;   // 250, 0, 0

}  // namespace presets
