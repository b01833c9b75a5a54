// How the main window's fonts are fitted to its fixed layout, for every view of
// it: the faces to choose from, the texts that must fit in which control, and
// the shrink search. A view only measures a text in a control's font, says how
// much room the control gives it, and applies the scale chosen.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

namespace velmiro::form {

// Faces with the widths the layout was drawn for, in order of preference: the
// TrueType face before the bitmap one of the same widths, which does not scale.
inline constexpr const char* layoutFaces[] = {"Microsoft Sans Serif", "MS Sans Serif", "Arial",
                                              "Liberation Sans", "Arimo"};
// Common sans faces, tried in order when none of those is installed.
inline constexpr const char* otherFaces[] = {"DejaVu Sans", "Noto Sans", "Cantarell",
                                             "Ubuntu",      "Segoe UI",  "Tahoma"};
// The size the layout was drawn for, and the register value's.
inline constexpr double layoutPoints = 9.75;
inline constexpr double largePoints = 12.0;

// The first face of layoutFaces, then of otherFaces, that `installed` finds;
// null when it finds none, and the view keeps its own default.
const char* chooseFace(const std::function<bool(std::string_view face)>& installed);

// Whether a face, in any case, has the layout's widths: every text then fits as
// drawn, and nothing needs measuring.
bool hasLayoutWidths(std::string_view face);

// The controls whose texts must fit, by kind; `index` picks one of a kind: the
// caption labels 0 to 3 in layout order, the boxes by index, the combo boxes
// and results by their Combo and Result values, the one button 0.
enum class Fitted { Caption, Box, Combo, Button, Result };

struct FitText {
    Fitted control;
    int index;
    const char* text;  // UTF-8; null for the control's own text as laid out
};

// Every caption, both captions of each box, every preset, and the widest
// results of everyday use, each in its own control.
const std::vector<FitText>& textsToFit();

class FontView {
  public:
    virtual ~FontView() = default;
    // The width a control leaves for its text, and a text's width in the
    // control's font as it now is, in one unit.
    [[nodiscard]] virtual double room(Fitted control, int index) const = 0;
    [[nodiscard]] virtual double width(const FitText& text) const = 0;
    // Sets every font of the window to `scale` times its laid-out size.
    virtual void scaleFonts(double scale) = 0;
};

// The layout is fixed: in a face of the layout's widths every text fits as
// drawn, and nothing is measured. In another face, where a text does not fit,
// every font shrinks by the same steps of 2.5 % until all texts fit, down to
// half the size. The view's fonts start at their laid-out size; they are left
// at the scale returned (1 when everything fits as drawn).
double fitFonts(FontView& view, std::string_view face);

}  // namespace velmiro::form
