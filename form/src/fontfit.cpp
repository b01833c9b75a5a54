#include "velmiro/fontfit.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <span>

#include "velmiro/form.h"

namespace velmiro::form {

namespace {

bool sameFace(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

constexpr int shrinkSteps = 20;
constexpr double shrinkStep = 0.025;

}  // namespace

const char* chooseFace(const std::function<bool(std::string_view face)>& installed) {
    for (const auto& faces :
         {std::span<const char* const>(layoutFaces), std::span<const char* const>(otherFaces)}) {
        for (const char* face : faces) {
            if (installed(face))
                return face;
        }
    }
    return nullptr;
}

bool hasLayoutWidths(std::string_view face) {
    return std::any_of(std::begin(layoutFaces), std::end(layoutFaces),
                       [face](const char* known) { return sameFace(face, known); });
}

const std::vector<FitText>& textsToFit() {
    static const std::vector<FitText> texts = [] {
        std::vector<FitText> all;
        for (int caption = 0; caption < 4; ++caption)
            all.push_back({Fitted::Caption, caption, nullptr});
        for (int box = 0; box < boxCount; ++box) {
            const BitTexts& bit = bitTexts[static_cast<std::size_t>(box)];
            all.push_back({Fitted::Box, box, bit.clearCaption});
            all.push_back({Fitted::Box, box, bit.setCaption});
        }
        for (const char* preset : crystalPresets)
            all.push_back({Fitted::Combo, static_cast<int>(Combo::Quarzo), preset});
        for (const char* preset : ratePresets)
            all.push_back({Fitted::Combo, static_cast<int>(Combo::Velmiro), preset});
        all.push_back({Fitted::Button, 0, nullptr});
        for (int result = 0; result < 3; ++result) {
            all.push_back(
                {Fitted::Result, result, widestResults[static_cast<std::size_t>(result)]});
        }
        return all;
    }();
    return texts;
}

double fitFonts(FontView& view, std::string_view face) {
    if (hasLayoutWidths(face))
        return 1.0;
    const std::vector<FitText>& texts = textsToFit();
    std::vector<double> rooms;
    rooms.reserve(texts.size());
    for (const FitText& text : texts)
        rooms.push_back(view.room(text.control, text.index));
    const auto allFit = [&] {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (view.width(texts[i]) > rooms[i])
                return false;
        }
        return true;
    };
    double scale = 1.0;
    for (int step = 0; step <= shrinkSteps; ++step) {
        if (step > 0) {
            scale = 1.0 - shrinkStep * step;
            view.scaleFonts(scale);
        }
        if (allFit())
            break;
    }
    return scale;
}

}  // namespace velmiro::form
