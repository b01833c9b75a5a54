#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "velmiro/form.h"
#include "window_cases.h"

using namespace velmiro::form;
using Texts = std::array<std::string, 3>;

namespace {

// A window in memory: the controls' state, and a log of the changes to the boxes
// and the window, in order.
class FakeView : public View {
  public:
    Size outer{421, 214}, screen{1280, 720};
    std::array<std::vector<std::string>, 2> lists;
    std::array<std::string, 2> combo;
    std::array<bool, 3> checked{}, enabled{true, true, true};
    Texts caption{"SYNC: 0", "BRG16: 0", "BRGH: 0"};
    Texts tip{"Modalità Asincrona", "Generatore di Baud rate a 8 bit", "Bassa velocità"};
    Texts results;
    Colour tint = Colour::Default;
    std::vector<std::array<std::string, 5>> boxes;  // title, prompt, results behind
    std::vector<std::string> log;
    bool failing = false;  // every caption fails

    Size outerSize() const override { return outer; }
    Size screenSize() const override { return screen; }
    void moveTo(int x, int y) override { note("move ", x, y); }
    void addListItem(Combo c, const std::string& text) override { lists[at(c)].push_back(text); }
    void setListIndex(Combo c, int i) override { combo[at(c)] = lists[at(c)].at(at(i)); }
    std::string comboText(Combo c) const override { return combo[at(c)]; }
    bool isChecked(int box) const override { return checked.at(at(box)); }
    void setChecked(int box, bool value) override {
        note("value ", box, checked.at(at(box)) = value);
    }
    void setCaption(int box, const std::string& text) override {
        if (failing)
            throw std::runtime_error("guasto");
        log.push_back("caption " + (caption.at(at(box)) = text));
    }
    void setToolTip(int box, const std::string& text) override { tip.at(at(box)) = text; }
    void setEnabled(int box, bool value) override {
        note("enabled ", box, enabled.at(at(box)) = value);
    }
    void setResultText(Result r, const std::string& text) override { results.at(at(r)) = text; }
    void setResultColour(Result r, Colour colour) override {
        EXPECT_EQ(r, Result::Scostamento);  // lblSPBRG is blue from the layout on
        tint = colour;
    }
    void showMessage(const std::string& prompt, const std::string& title, BoxIcon) override {
        boxes.push_back({title, prompt, results[0], results[1], results[2]});
    }

    // A user's click: a locked box ignores it, any other toggles and tells the logic.
    void click(Form& form, int box) {
        if (enabled.at(at(box))) {
            checked.at(at(box)) ^= true;
            form.chkBRGClick(box);
        }
    }

  private:
    template <typename T>
    static std::size_t at(T index) {
        return static_cast<std::size_t>(index);
    }
    void note(const char* what, int a, int b) {
        log.push_back(what + std::to_string(a) + (*what == 'm' ? " " : "=") + std::to_string(b));
    }
};

}  // namespace

// Load places the window (the free width halved, a third of the free height above)
// and sets BRGH, the only box it changes, through BRGH's own click; nothing is
// computed. SYNC clears BRGH through BRGH's own click, which relabels it before the lock.
TEST(Form, LoadAndSyncChangeBrghThroughItsOwnClick) {
    FakeView view;
    Form form(view);
    form.formLoad();
    EXPECT_EQ(view.log, (std::vector<std::string>{"move 430 169", "value 2=1", "caption BRGH: 1"}));
    EXPECT_EQ(view.results, Texts{});
    view.log.clear();
    view.click(form, 0);
    view.click(form, 0);   // clear: the unlock
    view.click(form, 0);   // BRGH is already clear: no click for it, only the lock
    form.chkBRGClick(-1);  // no such box: nothing happens
    form.chkBRGClick(3);
    EXPECT_EQ(view.log, (std::vector<std::string>{"caption SYNC: 1", "value 2=0", "caption BRGH: 0",
                                                  "enabled 2=0", "caption SYNC: 0", "enabled 2=1",
                                                  "caption SYNC: 1", "enabled 2=0"}));
    EXPECT_TRUE(view.boxes.empty());
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
            view.click(form, *digit - '0');
        if (c.quarzo != nullptr) {
            view.combo = {c.quarzo, c.velmiro};
            form.cmdCalcolaClick();
        }

        EXPECT_EQ(view.results, (Texts{c.results[0], c.results[1], c.results[2]}));
        const Colour tint[] = {Colour::Default, Colour::WithinGreen, Colour::OutsideRed};
        EXPECT_EQ(view.tint, tint[static_cast<int>(c.tint)]);
        std::vector<std::array<std::string, 5>> box;
        if (c.box.title != nullptr)
            box.push_back({c.box.title, c.box.prompt, c.results[0], c.results[1], c.results[2]});
        EXPECT_EQ(view.boxes, box);
        std::string state;
        for (std::size_t i = 0; i < 3; ++i) {
            state += {view.checked[i] ? '1' : '0', view.enabled[i] ? 'e' : 'd'};
            EXPECT_EQ(view.caption[i], velmiro::cases::captions[i][view.checked[i]]);
            EXPECT_EQ(view.tip[i], velmiro::cases::tooltips[i][view.checked[i]]);
        }
        EXPECT_EQ(state, c.boxes);
    }
}

// Whatever fails, the box says what, and the handler returns to the view.
TEST(Failures, AreReportedInTheirOwnWords) {
    // The calculation's own failures are in the shared cases.
    EXPECT_EQ(failureReport(std::make_exception_ptr(std::logic_error("guasto"))),
              "Errore imprevisto: guasto");
    EXPECT_EQ(failureReport(std::make_exception_ptr(42)), "Errore imprevisto");

    FakeView view;
    view.failing = true;
    Form form(view);
    form.formLoad();  // BRGH's click fails inside Load: the rest of Load does not run
    form.chkBRGClick(1);
    EXPECT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[1][0] + " | " + view.boxes[1][1], "Velmiro | Errore imprevisto: guasto");
    EXPECT_TRUE(view.lists[1].empty());
}

// candidates, background -> the text colour of a result without a colour of its own
// (the background itself is checked through the Qt window's palettes).
TEST(Readable, DefaultTextIsTheBestCandidateOrBlackOrWhite) {
    EXPECT_NEAR(contrastRatio({0x76, 0x76, 0x76}, {255, 255, 255}), 4.54, 0.005);  // WCAG's
    const Rgb white{255, 255, 255}, black{}, light{0xf0, 0xf0, 0xf0}, dark{36, 36, 36},
        mid{0x80, 0x80, 0x80}, grey{0xa0, 0xa0, 0xa0}, red = outsideRed;
    struct Row {
        std::vector<Rgb> candidates;
        Rgb background, expected;
    };
    const Row rows[] = {{{black, light}, white, black}, {{light, dark}, white, dark},
                        {{dark, dark}, white, dark},    {{mid, mid}, light, mid},
                        {{light, grey}, light, black},  {{red}, black, red},
                        {{dark}, black, white},         {{}, mid, black}};
    for (const Row& row : rows)
        EXPECT_EQ(resultText(row.candidates, row.background), row.expected);
    EXPECT_EQ(resultBackground(black, dark), white);
}
