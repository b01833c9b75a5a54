// The main window's logic, free of any toolkit: what its start-up, its mode
// check boxes and its "calcola" button decide. A view (the Qt window, the
// Win32 window, a test) owns the controls and implements View; the logic
// reads and writes them only through it. Plain C++20: texts are UTF-8
// std::string, and no exception leaves the three handlers.
//
// Contract, in the order things happen:
//  1. The view builds every control from the layout: empty combo boxes, the
//     three boxes unchecked with the clear captions of bitTexts, empty
//     results, lblSPBRG drawn in registerBlue, lblScostamento in its default
//     colour. It then calls Form::formLoad() once, after the window has its
//     frame and before it is first shown.
//  2. When the user toggles check box i (mouse, keyboard, mnemonic) the view
//     changes its state as the toolkit does and then calls chkBRGClick(i).
//     A change the logic makes through View::setChecked must NOT be delivered
//     as a click: the logic raises that nested click itself, at once, and
//     only when the value really changed.
//  3. When the user presses "calcola" the view calls cmdCalcolaClick().
//  4. Every message box is shown by View::showMessage: modal, owned by the
//     window, returning once the user has closed it. A failure (a text that
//     does not read, an overflow, any unexpected exception) is reported in
//     such a box; the window stays open.
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <string>

namespace velmiro::form {

// ---------------------------------------------------------------- what the window offers

// Crystal frequencies and rates in the two lists, and the entry each starts on.
inline constexpr const char* crystalPresets[] = {"1.000.000", "4.000.000", "8.000.000",
                                                 "16.000.000", "20.000.000"};
inline constexpr int crystalDefault = 4;
inline constexpr const char* ratePresets[] = {"9.600",  "14.400", "19.200",
                                              "28.800", "57.600", "115.200"};
inline constexpr int rateDefault = 2;

// The check boxes, by index: SYNC, BRG16, BRGH, the order of the mode key.
inline constexpr int boxCount = 3;
inline constexpr int syncBox = 0;
inline constexpr int brghBox = 2;

// Caption and tooltip of each box, clear and set.
struct BitTexts {
    const char* clearCaption;
    const char* clearTip;
    const char* setCaption;
    const char* setTip;
};
inline constexpr std::array<BitTexts, boxCount> bitTexts{{
    {"SYNC: 0", "Modalità Asincrona", "SYNC: 1", "Modalità Sincrona"},
    {"BRG16: 0", "Generatore di Baud rate a 8 bit", "BRG16: 1", "Generatore di Baud rate a 16 bit"},
    {"BRGH: 0", "Bassa velocità", "BRGH: 1", "Alta velocità"},
}};

enum class Combo { Quarzo, Velmiro };
enum class Result { SPBRG, FrequenzaReale, Scostamento };

// The widest text of everyday use of each result, in Result order: a view
// checks that these fit, with the captions and presets, in its font.
inline constexpr std::array<const char*, 3> widestResults{"-32768", "1000000 ottenuti",
                                                          "errore: -45,75%"};

// ---------------------------------------------------------------- colours

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The colour a result is drawn in. Default is the view's own text colour (see
// resultText); the other three are fixed.
enum class Colour { Default, RegisterBlue, WithinGreen, OutsideRed };

inline constexpr Rgb registerBlue{0, 0, 255};
inline constexpr Rgb withinGreen{0, 140, 0};
inline constexpr Rgb outsideRed{250, 0, 0};

// The fixed colour of a role; none for Default.
std::optional<Rgb> fixedColour(Colour colour);

// ---------------------------------------------------------------- readable results
// The results stand on the desktop's highlight-text colour, as selected text
// does (white on usual themes). Where a theme makes that too dark for the
// fixed colours, these choose what takes its place. Both views use them.

// WCAG contrast ratio of two colours, 1 to 21.
double contrastRatio(Rgb a, Rgb b);

// What every result must reach against its background.
inline constexpr double readableRatio = 3.0;

// Every fixed colour reads on this background.
bool fixedColoursRead(Rgb background);

// The background of the result boxes: the highlight-text colour where the
// fixed colours read on it, else the base (edit field) colour where they read
// on that, else white.
Rgb resultBackground(Rgb highlightText, Rgb base);

// Black or white, whichever reads better on a background.
Rgb plainTextOn(Rgb background);

// The text colour of a result in the Default role: the candidate (the
// desktop's text colours, in order of preference; an earlier one wins a tie)
// with the best contrast on the background, or plainTextOn(background) when
// even that one does not reach readableRatio.
Rgb resultText(std::span<const Rgb> candidates, Rgb background);

// ---------------------------------------------------------------- failures

// Title and text of the box that reports a failure: a calculation failure is a
// numbered run-time error that a user can quote, anything else shows its own
// text.
inline constexpr const char* failureTitle = "Velmiro";
std::string failureReport(const std::exception_ptr& failure) noexcept;

// ---------------------------------------------------------------- the view

enum class BoxIcon { Critical };

// Sizes and positions in the view's pixels.
struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

class View {
  public:
    virtual ~View() = default;

    // Size of the window with its frame, and of the screen it stands on.
    [[nodiscard]] virtual Size outerSize() const = 0;
    [[nodiscard]] virtual Size screenSize() const = 0;
    // Places the window's outer top-left corner, relative to its screen's.
    virtual void moveTo(int left, int top) = 0;

    // A combo box: append to its list; select an entry and show its text in
    // the edit field; the edit field's text, typed or selected.
    virtual void addListItem(Combo combo, const std::string& text) = 0;
    virtual void setListIndex(Combo combo, int index) = 0;
    [[nodiscard]] virtual std::string comboText(Combo combo) const = 0;

    // Check box 0 (SYNC), 1 (BRG16) or 2 (BRGH). setChecked raises no click.
    [[nodiscard]] virtual bool isChecked(int box) const = 0;
    virtual void setChecked(int box, bool checked) = 0;
    virtual void setCaption(int box, const std::string& text) = 0;
    virtual void setToolTip(int box, const std::string& text) = 0;
    virtual void setEnabled(int box, bool enabled) = 0;

    virtual void setResultText(Result result, const std::string& text) = 0;
    virtual void setResultColour(Result result, Colour colour) = 0;

    // A modal box with one OK button, owned by the window. Lines of the
    // prompt are joined by "\r\n".
    virtual void showMessage(const std::string& prompt, const std::string& title, BoxIcon icon) = 0;
};

// ---------------------------------------------------------------- the logic

class Form {
  public:
    explicit Form(View& view) : view_(view) {}

    // Centres the window across and a third of the free height down, fills
    // both lists, selects 20.000.000 and 19.200, and sets BRGH, whose
    // nested click relabels it.
    void formLoad() noexcept;

    // Box `box` was toggled: relabel it; SYNC set clears BRGH (a nested click
    // relabels it) and locks it, SYNC clear unlocks it.
    void chkBRGClick(int box) noexcept;

    // Computes from what the window shows: the register value, the achieved
    // rate and the deviation in green or red, or the "too low" box. A failure
    // leaves no result behind and is reported in a box.
    void cmdCalcolaClick() noexcept;

    // What a list's edit field shows, typed or chosen: the companion takes
    // the crystal and the rate from here.
    [[nodiscard]] std::string shownText(Combo combo) const { return view_.comboText(combo); }

  private:
    void load();
    void relabel(int box);
    void setValue(int box, bool checked);
    void calculate();
    void clearResults();
    void report(const std::exception_ptr& failure) noexcept;

    View& view_;
};

}  // namespace velmiro::form
