// The font-fit policy against a view whose widths are its texts' lengths.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "velmiro/fontfit.h"

using namespace velmiro::form;

namespace {

// 10 units a character at scale 1, a control's own text 7 characters, 200 units
// of room everywhere; one text, `wide`, in one kind of control, `factor` times wider.
struct FakeFonts : FontView {
    FakeFonts(Fitted c, std::string_view w, double f) : control(c), wide(w), factor(f) {}
    Fitted control;
    std::string_view wide;  // "" for the control's own text
    double factor, scale = 1;
    mutable int measured = 0;

    double room(Fitted, int) const override { return 200; }
    double width(const FitText& fit) const override {
        ++measured;
        const std::string_view text = fit.text != nullptr ? fit.text : "";
        const double units = 10.0 * scale * static_cast<double>(fit.text ? text.size() : 7);
        return fit.control == control && text == wide ? units * factor : units;
    }
    void scaleFonts(double s) override { scale = s; }
};

TEST(FontFit, ShrinksUntilEveryTextFits) {
    struct Case {
        const char* face;
        FakeFonts fonts;
        double scale;
    };
    const Case cases[] = {
        // A face of the layout's widths, in any case, is taken as drawn, unmeasured.
        {"Liberation Sans", {Fitted::Box, "BRG16: 1", 4}, 1.0},
        {"ARIMO", {Fitted::Box, "BRG16: 1", 4}, 1.0},
        {"DejaVu Sans", {Fitted::Box, "BRG16: 0", 1}, 1.0},
        {"DejaVu Sans", {Fitted::Box, "BRG16: 1", 4}, 0.625},  // 320: 2.5 % at a time
        {"DejaVu Sans", {Fitted::Combo, "1.000.000", 4}, 0.55},
        {"DejaVu Sans", {Fitted::Result, "errore: -45,75%", 2}, 0.65},
        {"DejaVu Sans", {Fitted::Button, "", 4}, 0.7},
        {"DejaVu Sans", {Fitted::Caption, "", 4}, 0.7},
        {"DejaVu Sans", {Fitted::Combo, "9.600", 4.01}, 0.975},  // half a unit too wide
        {"DejaVu Sans", {Fitted::Combo, "9.600", 10}, 0.5},      // never fits: left at half
    };
    for (Case c : cases) {
        EXPECT_NEAR(fitFonts(c.fonts, c.face), c.scale, 1e-9) << c.face << " " << c.fonts.wide;
        EXPECT_NEAR(c.fonts.scale, c.scale, 1e-9) << "the fonts are left at the scale returned";
        EXPECT_EQ(c.fonts.measured == 0, hasLayoutWidths(c.face)) << c.face;
    }
}

TEST(FontFit, EveryPresetCaptionAndResultIsMeasured) {
    std::set<std::string> texts;
    for (const FitText& fit : textsToFit())
        texts.insert(fit.text != nullptr ? fit.text : "");
    for (const char* expected :
         {"SYNC: 0", "SYNC: 1", "BRG16: 0", "BRG16: 1", "BRGH: 0", "BRGH: 1", "1.000.000",
          "20.000.000", "9.600", "115.200", "-32768", "1000000 ottenuti", "errore: -45,75%", ""})
        EXPECT_EQ(texts.count(expected), 1u) << expected;
    EXPECT_EQ(textsToFit().size(), 4u + 6u + 5u + 6u + 1u + 3u);
}

TEST(FontFit, ChoosesTheFirstInstalledFace) {
    const std::pair<std::set<std::string_view>, const char*> cases[] = {
        {{"MS Sans Serif", "Microsoft Sans Serif", "Arial"}, "Microsoft Sans Serif"},
        {{"Tahoma", "Liberation Sans", "DejaVu Sans"}, "Liberation Sans"},
        {{"Tahoma", "Segoe UI", "DejaVu Sans"}, "DejaVu Sans"},
        {{"Comic Sans MS"}, nullptr},
    };
    for (const auto& c : cases) {
        const auto& installed = c.first;
        EXPECT_STREQ(chooseFace([&](std::string_view f) { return installed.count(f) > 0; }),
                     c.second);
    }
}

}  // namespace
