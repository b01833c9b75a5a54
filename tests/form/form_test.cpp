#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "velmiro/calc.h"
#include "velmiro/form.h"
#include "window_cases.h"

using namespace velmiro::form;

namespace {

// A window in memory: the controls' state, and a log of what the logic did to
// them, in order.
class FakeView : public View {
  public:
    Size outer{421, 214};
    Size screen{1280, 720};
    std::array<std::vector<std::string>, 2> lists;
    std::array<std::string, 2> combo;
    std::array<bool, 3> checked{};
    std::array<bool, 3> enabled{true, true, true};
    std::array<std::string, 3> caption{"SYNC: 0", "BRG16: 0", "BRGH: 0"};
    std::array<std::string, 3> tip{"Modalità Asincrona", "Generatore di Baud rate a 8 bit",
                                   "Bassa velocità"};
    std::array<std::string, 3> results;
    Colour tint = Colour::Default;
    struct Shown {
        std::string title, prompt;
        std::array<std::string, 3> behind;
    };
    std::vector<Shown> boxes;
    std::vector<std::string> log;
    bool throwOnCaption = false;

    Size outerSize() const override { return outer; }
    Size screenSize() const override { return screen; }
    void moveTo(int left, int top) override {
        log.push_back("move " + std::to_string(left) + " " + std::to_string(top));
    }
    void addListItem(Combo c, const std::string& text) override { lists[index(c)].push_back(text); }
    void setListIndex(Combo c, int i) override {
        combo[index(c)] = lists[index(c)].at(static_cast<std::size_t>(i));
    }
    std::string comboText(Combo c) const override { return combo[index(c)]; }
    bool isChecked(int box) const override { return checked.at(at(box)); }
    void setChecked(int box, bool value) override {
        checked.at(at(box)) = value;
        log.push_back("value " + std::to_string(box) + "=" + std::to_string(value));
    }
    void setCaption(int box, const std::string& text) override {
        if (throwOnCaption)
            throw std::runtime_error("guasto");
        caption.at(at(box)) = text;
        log.push_back("caption " + text);
    }
    void setToolTip(int box, const std::string& text) override { tip.at(at(box)) = text; }
    void setEnabled(int box, bool value) override {
        enabled.at(at(box)) = value;
        log.push_back("enabled " + std::to_string(box) + "=" + std::to_string(value));
    }
    void setResultText(Result r, const std::string& text) override {
        results.at(static_cast<std::size_t>(r)) = text;
    }
    void setResultColour(Result r, Colour colour) override {
        ASSERT_EQ(r, Result::Scostamento);  // lblSPBRG is blue from the layout on
        tint = colour;
    }
    void showMessage(const std::string& prompt, const std::string& title, BoxIcon) override {
        boxes.push_back({title, prompt, results});
    }

  private:
    static std::size_t index(Combo c) { return c == Combo::Quarzo ? 0 : 1; }
    static std::size_t at(int box) { return static_cast<std::size_t>(box); }
};

// A user's click: a locked box ignores it, any other toggles and tells the logic.
void click(FakeView& view, Form& form, int box) {
    if (!view.enabled.at(static_cast<std::size_t>(box)))
        return;
    view.checked.at(static_cast<std::size_t>(box)) ^= true;
    form.chkBRGClick(box);
}

void calcola(FakeView& view, Form& form, const char* quarzo, const char* velmiro) {
    view.combo = {quarzo, velmiro};
    form.cmdCalcolaClick();
}

std::string stateOf(const FakeView& view) {
    std::string state;
    for (std::size_t i = 0; i < 3; ++i) {
        state += view.checked[i] ? '1' : '0';
        state += view.enabled[i] ? 'e' : 'd';
    }
    return state;
}

}  // namespace

TEST(FormLoad, FillsTheListsSelectsTheDefaultsAndSetsBrghThroughItsClick) {
    FakeView view;
    Form form(view);
    form.formLoad();
    EXPECT_EQ(view.lists[0],
              std::vector<std::string>(std::begin(crystalPresets), std::end(crystalPresets)));
    EXPECT_EQ(view.lists[1], std::vector<std::string>(std::begin(ratePresets), std::end(ratePresets)));
    EXPECT_EQ(view.combo, (std::array<std::string, 2>{"20.000.000", "19.200"}));
    // Only BRGH changes, so only its click runs; nothing is computed.
    EXPECT_EQ(view.log, (std::vector<std::string>{"move 430 169", "value 2=1", "caption BRGH: 1"}));
    EXPECT_EQ(view.tip[2], "Alta velocità");
    EXPECT_EQ(view.results, (std::array<std::string, 3>{}));
}

// Outer and screen sizes -> where the window goes: the free width halved, a third of
// the free height above.
TEST(FormLoad, PlacesTheWindow) {
    struct Row {
        Size outer, screen;
        const char* move;
    };
    const Row rows[] = {{{421, 214}, {1280, 720}, "move 430 169"},
                        {{421, 214}, {1920, 1080}, "move 750 289"},
                        {{422, 215}, {1921, 1081}, "move 750 289"},  // halves of .5 round away
                        {{421, 214}, {400, 200}, "move -11 -5"}};
    for (const Row& row : rows) {
        FakeView view;
        view.outer = row.outer;
        view.screen = row.screen;
        Form(view).formLoad();
        EXPECT_EQ(view.log.front(), row.move);
    }
}

// Setting SYNC clears BRGH, whose nested click relabels it before the lock.
TEST(ChkBrgClick, SyncClearsBrghThroughItsOwnClickThenLocksIt) {
    FakeView view;
    Form form(view);
    form.formLoad();
    view.log.clear();
    click(view, form, 0);
    EXPECT_EQ(view.log, (std::vector<std::string>{"caption SYNC: 1", "value 2=0", "caption BRGH: 0",
                                                  "enabled 2=0"}));
    EXPECT_EQ(view.tip[0], "Modalità Sincrona");
    EXPECT_EQ(view.tip[2], "Bassa velocità");
    view.log.clear();
    click(view, form, 0);  // BRGH was already clear: no click for it, only the unlock
    EXPECT_EQ(view.log, (std::vector<std::string>{"caption SYNC: 0", "enabled 2=1"}));
}

TEST(ChkBrgClick, AnIndexWithoutABoxDoesNothing) {
    FakeView view;
    Form form(view);
    for (int index : {-1, 3})
        form.chkBRGClick(index);
    EXPECT_TRUE(view.log.empty());
}

// The shared cases, through the logic alone.
TEST(WindowCases, EachGivesItsResultsBoxAndBoxes) {
    for (const velmiro::cases::WindowCase& c : velmiro::cases::windowCases) {
        SCOPED_TRACE(c.name);
        FakeView view;
        Form form(view);
        form.formLoad();
        if (c.before)
            form.cmdCalcolaClick();
        for (const char* digit = c.clicks; *digit != '\0'; ++digit)
            click(view, form, *digit - '0');
        if (c.quarzo != nullptr)
            calcola(view, form, c.quarzo, c.velmiro);

        EXPECT_EQ(view.results,
                  (std::array<std::string, 3>{c.results[0], c.results[1], c.results[2]}));
        const Colour tint[] = {Colour::Default, Colour::WithinGreen, Colour::OutsideRed};
        EXPECT_EQ(view.tint, tint[static_cast<int>(c.tint)]);
        ASSERT_EQ(view.boxes.size(), c.box.title != nullptr ? 1u : 0u);
        if (c.box.title != nullptr) {
            EXPECT_EQ(view.boxes[0].title, c.box.title);
            EXPECT_EQ(view.boxes[0].prompt, c.box.prompt);
            EXPECT_EQ(view.boxes[0].behind,
                      (std::array<std::string, 3>{c.behind[0], c.behind[1], c.behind[2]}));
        }
        EXPECT_EQ(stateOf(view), c.boxes);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(view.caption[i], velmiro::cases::captions[i][view.checked[i]]);
            EXPECT_EQ(view.tip[i], velmiro::cases::tooltips[i][view.checked[i]]);
        }
    }
}

// Whatever fails, the box says what, and the handler returns to the view.
TEST(Failures, AreReportedInTheirOwnWords) {
    using velmiro::CalcError;
    using velmiro::CalcErrorKind;
    const std::pair<std::exception_ptr, const char*> rows[] = {
        {std::make_exception_ptr(CalcError(CalcErrorKind::TypeMismatch)),
         "Errore di run-time '13': Tipo non corrispondente"},
        {std::make_exception_ptr(CalcError(CalcErrorKind::Overflow)),
         "Errore di run-time '6': Overflow"},
        {std::make_exception_ptr(CalcError(CalcErrorKind::DivisionByZero)),
         "Errore di run-time '11': Divisione per zero"},
        {std::make_exception_ptr(std::logic_error("guasto")), "Errore imprevisto: guasto"},
        {std::make_exception_ptr(42), "Errore imprevisto"}};
    for (const auto& [failure, text] : rows)
        EXPECT_EQ(failureReport(failure), text);

    FakeView view;
    view.throwOnCaption = true;
    Form form(view);
    form.formLoad();  // BRGH's click fails inside Load: the rest of Load does not run
    form.chkBRGClick(1);
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[1].title + " | " + view.boxes[1].prompt,
              "Velmiro | Errore imprevisto: guasto");
    EXPECT_TRUE(view.lists[1].empty());
}

TEST(Readable, ContrastIsWcags) {
    EXPECT_NEAR(contrastRatio({0x76, 0x76, 0x76}, {255, 255, 255}), 4.54, 0.005);
    EXPECT_DOUBLE_EQ(contrastRatio({0, 0, 0}, {255, 255, 255}), 21.0);
    EXPECT_DOUBLE_EQ(contrastRatio({0, 140, 0}, {0, 140, 0}), 1.0);
}

// highlight text, base -> the results' background.
TEST(Readable, ResultsStandOnTheHighlightTextColourWhereTheFixedColoursRead) {
    const Rgb white{255, 255, 255}, cream{255, 255, 200}, dark{36, 36, 36}, black{0, 0, 0},
        grey{0xf0, 0xf0, 0xf0}, lightGrey{0xfa, 0xfa, 0xfa};
    const std::array<Rgb, 3> rows[] = {{white, dark, white},
                                       {cream, white, cream},
                                       {black, lightGrey, lightGrey},
                                       {black, dark, white},
                                       {grey, dark, grey}};
    for (const auto& [highlight, base, expected] : rows)
        EXPECT_EQ(resultBackground(highlight, base), expected);
    EXPECT_TRUE(fixedColoursRead(white));
    // Blue needs a light background, green a lighter one than red does.
    EXPECT_FALSE(fixedColoursRead({0xa0, 0xa0, 0xa0}));
}

// candidates, background -> the default text colour of a result.
TEST(Readable, AResultWithoutAColourTakesTheBestTextColourOrBlackOrWhite) {
    const Rgb light{0xf0, 0xf0, 0xf0}, dark{0x24, 0x24, 0x24}, white{255, 255, 255}, black{0, 0, 0},
        mid{0x80, 0x80, 0x80}, red{250, 0, 0};
    struct Row {
        std::vector<Rgb> candidates;
        Rgb background, expected;
    };
    const Row rows[] = {{{black, light}, white, black},
                        {{light, dark}, white, dark},
                        {{dark, dark}, white, dark},
                        {{mid, mid}, white, mid},
                        {{light, {0xa0, 0xa0, 0xa0}}, light, black},
                        {{red}, black, red},
                        {{dark}, black, white},
                        {{}, mid, black}};
    for (const Row& row : rows)
        EXPECT_EQ(resultText(row.candidates, row.background), row.expected);
    EXPECT_EQ(plainTextOn(dark), white);
    EXPECT_EQ(fixedColour(Colour::Default), std::nullopt);
    EXPECT_EQ(fixedColour(Colour::OutsideRed), outsideRed);
}
