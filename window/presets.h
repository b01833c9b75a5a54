// What both windows share with the main window's logic: the crystals and rates
// they offer in their lists, and the colours of a deviation.
#pragma once

#include <QRgb>

#include "velmiro/form.h"

namespace presets {

inline constexpr const auto& crystals = velmiro::form::crystalPresets;
inline constexpr const auto& rates = velmiro::form::ratePresets;

// Plain values, not QColor objects: nothing needs building at start-up.
constexpr QRgb qRgbOf(velmiro::form::Rgb colour) {
    return qRgb(colour.red, colour.green, colour.blue);
}
inline constexpr QRgb withinGreen = qRgbOf(velmiro::form::withinGreen);
inline constexpr QRgb outsideRed = qRgbOf(velmiro::form::outsideRed);

}  // namespace presets
