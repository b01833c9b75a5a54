#include <algorithm>
#include <cmath>

#include "velmiro/form.h"

namespace velmiro::form {

namespace {

// Relative luminance of an sRGB colour.
double luminance(Rgb colour) {
    auto linear = [](std::uint8_t component) {
        const double v = component / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

constexpr Rgb black{0, 0, 0};
constexpr Rgb white{255, 255, 255};

}  // namespace

std::optional<Rgb> fixedColour(Colour colour) {
    switch (colour) {
        case Colour::RegisterBlue:
            return registerBlue;
        case Colour::WithinGreen:
            return withinGreen;
        case Colour::OutsideRed:
            return outsideRed;
        default:
            return std::nullopt;
    }
}

double contrastRatio(Rgb a, Rgb b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool fixedColoursRead(Rgb background) {
    constexpr Rgb fixed[] = {registerBlue, withinGreen, outsideRed};
    return std::all_of(std::begin(fixed), std::end(fixed), [background](Rgb colour) {
        return contrastRatio(colour, background) >= readableRatio;
    });
}

Rgb resultBackground(Rgb highlightText, Rgb base) {
    if (fixedColoursRead(highlightText))
        return highlightText;
    return fixedColoursRead(base) ? base : white;
}

Rgb plainTextOn(Rgb background) {
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

Rgb resultText(std::span<const Rgb> candidates, Rgb background) {
    const Rgb* best = nullptr;
    double bestRatio = 0.0;
    for (const Rgb& candidate : candidates) {
        const double ratio = contrastRatio(candidate, background);
        if (ratio > bestRatio) {
            best = &candidate;
            bestRatio = ratio;
        }
    }
    return best != nullptr && bestRatio >= readableRatio ? *best : plainTextOn(background);
}

}  // namespace velmiro::form
