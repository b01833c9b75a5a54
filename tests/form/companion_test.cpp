#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "companion_cases.h"
#include "velmiro/companion.h"
#include "velmiro/grid.h"
#include "velmiro/report.h"

using namespace velmiro::companion;
namespace report = velmiro::report;
namespace form = velmiro::form;

namespace {

std::size_t at(auto value) {
    return static_cast<std::size_t>(value);
}

// A companion window in memory.
class FakeView : public View {
  public:
    std::array<std::string, fieldCount> texts, problems;
    std::vector<std::string> crystals, rates, families;
    bool sync = false, syncEnabled = true;
    std::string syncTip;
    int family = -1;
    std::array<std::pair<std::string, bool>, 4> lines;
    std::array<report::Grid, tabCount> grids;
    std::array<std::vector<int>, tabCount> selected;
    Tab tab = Tab::Modes;
    std::string headerText;
    bool headerEnabled = false, exportEnabled = false;
    form::Size size;
    std::string clipboard;
    Saved answer{Saved::Outcome::Saved, "/casa/velmiro.csv", ""};
    std::string savedName, savedBytes;
    bool failing = false;  // every grid fails

    std::string text(Field f) const override { return texts[at(f)]; }
    void setText(Field f, const std::string& t) override { texts[at(f)] = t; }
    void addPreset(Field f, const std::string& t) override {
        (f == Field::Crystal ? crystals : rates).push_back(t);
    }
    void setProblem(Field f, const std::string& p) override { problems[at(f)] = p; }
    bool syncChecked() const override { return sync; }
    void setSyncChecked(bool c) override { sync = c; }
    void setSyncEnabled(bool e) override { syncEnabled = e; }
    void setSyncTip(const std::string& t) override { syncTip = t; }
    void addFamily(const std::string& t) override { families.push_back(t); }
    int familyIndex() const override { return family; }
    void setFamilyIndex(int i) override { family = i; }
    void setLine(Line l, const std::string& t, bool p) override { lines[at(l)] = {t, p}; }
    void showGrid(Tab t, const report::Grid& g) override {
        if (failing && !g.rows.empty())
            throw std::runtime_error("guasto");
        grids[at(t)] = g;
    }
    std::vector<int> selectedRows(Tab t) const override { return selected[at(t)]; }
    void clearSelection(Tab t) override { selected[at(t)].clear(); }
    Tab currentTab() const override { return tab; }
    void setCurrentTab(Tab t) override { tab = t; }
    void setHeaderButton(const std::string& t, bool e) override {
        headerText = t;
        headerEnabled = e;
    }
    void setExportEnabled(bool e) override { exportEnabled = e; }
    form::Size windowSize() const override { return size; }
    void resizeWindow(form::Size s) override { size = s; }
    void copyToClipboard(const std::string& t) override { clipboard = t; }
    Saved saveFile(const std::string& name, const std::string& bytes) override {
        savedName = name;
        savedBytes = bytes;
        return answer;
    }
};

// Settings in memory: texts and ints apart, as the registry keeps them.
class FakeStore : public Store {
  public:
    std::map<std::string, std::string> texts;
    std::map<std::string, int> ints;
    std::optional<std::string> loadText(const char* key) const override {
        const auto i = texts.find(key);
        return i == texts.end() ? std::nullopt : std::optional(i->second);
    }
    std::optional<int> loadInt(const char* key) const override {
        const auto i = ints.find(key);
        return i == ints.end() ? std::nullopt : std::optional(i->second);
    }
    void storeText(const char* key, const std::string& v) override { texts[key] = v; }
    void storeInt(const char* key, int v) override { ints[key] = v; }
};

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : "|") + part;
    return out;
}

int familyIndex(std::string_view key) {
    const auto all = velmiro::families();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].key == key)
            return static_cast<int>(i);
    }
    return -1;
}

struct Window {
    FakeView view;
    Companion logic{view};
    explicit Window(const FakeStore& store = {}) { logic.load(store); }
    void type(Field f, const std::string& text) {
        view.texts[at(f)] = text;
        logic.edited(f);
    }
};

}  // namespace

// The shared table, through the logic.
TEST(CompanionCases, EachCase) {
    for (const velmiro::cases::CompanionCase& c : velmiro::cases::companionCases) {
        SCOPED_TRACE(c.name);
        Window w;
        if (c.family != nullptr) {
            w.view.family = familyIndex(c.family);
            w.logic.familyChosen();
        }
        if (c.sync) {
            w.view.sync = true;
            w.logic.syncToggled();
        }
        for (const velmiro::cases::Typed& typed : c.typed) {
            if (typed.text != nullptr)
                w.type(typed.field, typed.text);
        }
        EXPECT_EQ(w.view.lines[at(Line::Inputs)].first, c.inputsLine);
        EXPECT_EQ(w.view.lines[at(Line::Inputs)].second, c.problem);
        EXPECT_EQ(w.view.syncEnabled, c.syncEnabled);
        EXPECT_EQ(w.view.headerText, c.header);
        EXPECT_EQ(w.view.headerEnabled, c.headerEnabled);
        const report::Grid& grid = w.view.grids[at(c.tab)];
        if (c.headers != nullptr) {
            EXPECT_EQ(joined(grid.headers), c.headers);
        }
        EXPECT_EQ(static_cast<int>(grid.rows.size()), c.rows);
        if (c.row < 0 || static_cast<std::size_t>(c.row) >= grid.rows.size())
            continue;
        std::vector<std::string> cells, bold;
        for (std::size_t i = 0; i < grid.rows[at(c.row)].size(); ++i) {
            const report::Cell& cell = grid.rows[at(c.row)][i];
            cells.push_back(cell.text);
            if (cell.best)
                bold.push_back(grid.headers.at(i));
        }
        if (c.cells != nullptr) {
            EXPECT_EQ(joined(cells), c.cells);
        }
        if (c.bold != nullptr) {
            EXPECT_EQ(joined(bold), c.bold);
        }
    }
}
