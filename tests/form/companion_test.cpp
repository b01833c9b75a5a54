#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "companion_cases.h"
#include "velmiro/companion.h"
#include "velmiro/grid.h"
#include "velmiro/report.h"

using namespace velmiro::companion;
using velmiro::cases::familyIndex;
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
    std::vector<std::string> crystals, rates, peers, families;
    std::array<std::vector<std::string>, fieldCount> presets;
    std::array<bool, fieldCount> enabled{};
    std::string crystalLabel = "&Quarzo:";
    bool sync = false, syncEnabled = true, allRates = false;
    std::string syncTip;
    int family = -1;
    std::array<std::pair<std::string, bool>, lineCount> lines;
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
        (f == Field::Crystal ? crystals : f == Field::Rate ? rates : peers).push_back(t);
    }
    void setProblem(Field f, const std::string& p) override { problems[at(f)] = p; }
    void setPresets(Field f, const std::vector<std::string>& t) override { presets[at(f)] = t; }
    void setFieldEnabled(Field f, bool e) override { enabled[at(f)] = e; }
    void setLabel(Field, const std::string& l) override { crystalLabel = l; }
    bool syncChecked() const override { return sync; }
    void setSyncChecked(bool c) override { sync = c; }
    void setSyncEnabled(bool e) override { syncEnabled = e; }
    void setSyncTip(const std::string& t) override { syncTip = t; }
    bool allRatesChecked() const override { return allRates; }
    void setAllRatesChecked(bool c) override { allRates = c; }
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

// Every input is kept on its own: changed alone, it comes back, and nothing
// else moves from its default.
TEST(CompanionSettings, EachInputComesBackOnItsOwn) {
    FakeStore defaults;
    Window{}.logic.save(defaults);
    struct Change {
        const char* key;
        void (*apply)(Window&);
    };
    // clang-format off
    const Change changes[] = {
        {"crystal", [](Window& w) { w.type(Field::Crystal, "8M"); }},
        {"rate", [](Window& w) { w.type(Field::Rate, "9600"); }},
        {"tolerance", [](Window& w) { w.type(Field::Tolerance, "2,5"); }},
        {"clockError", [](Window& w) { w.type(Field::ClockError, "0.3"); }},
        {"device", [](Window& w) { w.type(Field::Device, "PIC16F1827"); }},
        {"tableRates", [](Window& w) { w.type(Field::TableRates, "1200 2400"); }},
        {"crystalRates", [](Window& w) { w.type(Field::CrystalRates, "300"); }},
        {"minimum", [](Window& w) { w.type(Field::Minimum, "4M"); }},
        {"maximum", [](Window& w) { w.type(Field::Maximum, "30M"); }},
        {"prefix", [](Window& w) { w.type(Field::Prefix, "UART_"); }},
        {"peer", [](Window& w) { w.type(Field::Peer, "usart"); }},
        {"peerClock", [](Window& w) { w.type(Field::PeerClock, "16M"); }},
        {"peerClockError", [](Window& w) { w.type(Field::PeerClockError, "1,5"); }},
        {"frame", [](Window& w) { w.type(Field::Frame, "7E2"); }},
        {"margin", [](Window& w) { w.type(Field::Margin, "0,5"); }},
        {"pll", [](Window& w) { w.type(Field::Pll, "4"); }},
        {"clock", [](Window& w) { w.type(Field::Clock, "Fcy"); }},
        {"source", [](Window& w) { w.type(Field::Source, "fosc"); }},
        {"allRates", [](Window& w) { w.view.allRates = true; w.logic.allRatesToggled(); }},
        {"sync", [](Window& w) { w.view.sync = true; w.logic.syncToggled(); }},
        {"family", [](Window& w) { w.view.family = familyIndex("pic32"); w.logic.familyChosen(); }},
        {"tab", [](Window& w) { w.logic.showTab(Tab::Crystals); }},
        {"width", [](Window& w) { w.view.size.width = 640; }},
        {"height", [](Window& w) { w.view.size.height = 480; }},
    };
    // clang-format on
    ASSERT_EQ(std::size(changes), settings().size());
    for (const Change& change : changes) {
        SCOPED_TRACE(change.key);
        Window w;
        change.apply(w);
        FakeStore kept;
        w.logic.save(kept);
        FakeStore again;
        Window(kept).logic.save(again);
        EXPECT_EQ(again.texts, kept.texts);
        EXPECT_EQ(again.ints, kept.ints);
        for (const Setting& s : settings()) {
            const bool changed = kept.texts[s.key] != defaults.texts[s.key] ||
                                 kept.ints[s.key] != defaults.ints[s.key];
            EXPECT_EQ(changed, std::string_view(s.key) == change.key) << s.key;
        }
    }
}

// A value kept that is not ours (edited by hand, garbled) leaves the default.
TEST(CompanionSettings, OddValuesAreIgnored) {
    FakeStore defaults;
    Window{}.logic.save(defaults);
    const std::string long201(201, '9');
    // clang-format off
    const std::pair<const char*, std::string> texts[] = {
        {"tolerance", "500"}, {"tolerance", "0"}, {"clockError", "-1"}, {"clockError", "100"},
        {"crystal", long201}, {"sync", "forse"}, {"sync", "1"}, {"family", "uart99"},
        {"margin", "0"}, {"allRates", "sì"}};
    const std::pair<const char*, int> ints[] = {
        {"tab", 4}, {"tab", -1}, {"width", 399}, {"width", 8001}, {"height", 299}, {"height", 8001}};
    // clang-format on
    for (const auto& [key, value] : texts) {
        FakeStore odd, read;
        odd.texts[key] = value;
        Window(odd).logic.save(read);
        EXPECT_EQ(read.texts, defaults.texts) << key << " " << value;
    }
    for (const auto& [key, value] : ints) {
        FakeStore odd, read;
        odd.ints = {{key, value}, {"width", 640}, {"height", 480}};  // the first of a key wins
        Window(odd).logic.save(read);
        const bool size = std::string_view(key) != "tab";
        EXPECT_EQ(read.ints,
                  (std::map<std::string, int>{
                      {"tab", 0}, {"width", size ? 900 : 640}, {"height", size ? 560 : 480}}))
            << key << " " << value;
    }
}

// A double click or Enter on any row of Quarzi takes that row's crystal, as
// the fields read it, and shows Modi; no row, nothing.
TEST(CompanionCrystals, ARowChosenTakesItsCrystal) {
    Window w;
    w.logic.showTab(Tab::Crystals);
    w.type(Field::Maximum, "12M");
    const report::Grid grid = w.view.grids[at(Tab::Crystals)];
    ASSERT_GE(grid.rows.size(), 3u);
    for (std::size_t row = 0; row < grid.rows.size(); ++row) {
        w.logic.showTab(Tab::Crystals);
        w.view.selected[0] = {1};
        w.logic.crystalChosen(static_cast<int>(row));
        EXPECT_EQ(w.view.texts[at(Field::Crystal)], grid.rows[row][0].text);
        EXPECT_EQ(w.view.tab, Tab::Modes);
        EXPECT_TRUE(w.view.selected[0].empty());  // a new question
        EXPECT_EQ(w.view.grids[at(Tab::Crystals)].rows.size(), grid.rows.size());
    }
    EXPECT_EQ(grid.rows[0][0].text, "1.843.200");
    for (const int none : {-1, static_cast<int>(grid.rows.size())}) {
        w.logic.showTab(Tab::Crystals);
        w.type(Field::Crystal, "20M");
        w.logic.crystalChosen(none);
        EXPECT_EQ(w.view.texts[at(Field::Crystal)], "20M");
        EXPECT_EQ(w.view.tab, Tab::Crystals);
    }
}

// A text that does not read says why, on its field and its line, and empties
// the tables that need it; nothing can be exported from them.
TEST(CompanionInputs, WhatDoesNotReadEmptiesItsTables) {
    struct Row {
        Field field;
        const char* text;
        const char* emptied;  // of "MTQC": Modi, Tabella, Quarzi, Collegamento
        std::string problem;  // report's words, where they are the window's
        Line line;
    };
    const auto tolerance = [](const char* t) { return report::readTolerance(t).problem; };
    const auto clock = [](const char* t) { return report::readClockError(t).problem; };
    const auto quantity = [](const char* t) { return report::readPositiveQuantity(t).problem; };
    const auto frame = [](const char* t) {
        return "«" + std::string(t) +
               "» non è una trama; si scrive come 8N1, 7E1 o 9N2: bit di dati da 5 a 9, parità N, "
               "E o O, bit di stop 1 o 2";
    };
    // clang-format off
    const Row rows[] = {
        {Field::Crystal, "20 MHz x", "MTC", quantity("20 MHz x"), Line::Inputs},
        {Field::Rate, "0", "MC", quantity("0"), Line::Inputs},
        {Field::Rate, "1.000k", "MC", quantity("1.000k"), Line::Inputs},
        {Field::TableRates, "300 9k6,5", "T", "«9k6,5»: " + quantity("9k6,5"), Line::Table},
        {Field::TableRates, " ; ", "T", "Scrivere almeno un baud rate, come 9600 o 115,2k", Line::Table},
        {Field::CrystalRates, "", "Q", "Scrivere almeno un baud rate, come 9600 o 115,2k", Line::Crystals},
        {Field::Minimum, "30M", "Q", "La frequenza minima è più alta della massima", Line::Crystals},
        {Field::Maximum, "x", "Q", quantity("x"), Line::Crystals},
        {Field::Device, "PIC99X1", "MTQC",
         "«PIC99X1» non è un dispositivo che Velmiro conosce; scegliere la Periferica o svuotare "
         "Dispositivo", Line::Inputs},
        {Field::Frame, "8N3", "C", frame("8N3"), Line::Link},
        {Field::Frame, "10N1", "C", frame("10N1"), Line::Link},
        {Field::Frame, "8 N 1", "C", frame("8 N 1"), Line::Link},
        {Field::Frame, " ", "C", "Scrivere la trama, come 8N1 o 7E1", Line::Link},
        {Field::Margin, "0", "C", "«0» non è un margine; serve una percentuale maggiore di zero e al massimo 100, come 1 o 0,5", Line::Link},
        {Field::PeerClockError, "100", "C", clock("100"), Line::Link},
        {Field::Peer, "PIC99X1", "C", "«PIC99X1» non è un adattatore, esatto, una periferica o un PIC che Velmiro conosce; gli adattatori sono FT232R, FT232B, CP2104 e CP2102", Line::Link},
        {Field::Peer, " ", "C", "Scegliere l'altro capo: un adattatore (FT232R, FT232B, CP2104 e CP2102), esatto, una periferica o un PIC", Line::Link},
    };
    // clang-format on
    std::vector<Row> all(std::begin(rows), std::end(rows));
    // The percent reader's malformed forms.
    for (const char* t : {"", "0", "100,5", "1,2,3", "2.5x", "1..5", ",", "%", "-1", "abc", "1 5",
                          "1e2", "+", "2%%", "0x1"})
        all.push_back({Field::Tolerance, t, "MTQC", tolerance(t), Line::Inputs});
    for (const char* t : {"100", "-1", ".", "-0,5", "1,2,3", "x", "1 5", "%"})
        all.push_back({Field::ClockError, t, "MTQC", clock(t), Line::Inputs});
    for (const Row& row : all) {
        SCOPED_TRACE(std::string(fieldText(row.field).name) + " «" + row.text + "»");
        Window w;
        w.type(Field::Maximum, "20M");
        w.type(row.field, row.text);
        ASSERT_FALSE(row.problem.empty());
        EXPECT_EQ(w.view.problems[at(row.field)], row.problem);
        EXPECT_TRUE(w.view.lines[at(row.line)].second);
        EXPECT_NE(w.view.lines[at(row.line)].first.find(row.problem.substr(0, 20)),
                  std::string::npos);
        for (const Tab tab : {Tab::Modes, Tab::Table, Tab::Crystals, Tab::Link}) {
            const bool emptied =
                std::string_view(row.emptied).find("MTQC"[at(tab)]) != std::string_view::npos;
            EXPECT_EQ(w.view.grids[at(tab)].rows.empty(), emptied) << at(tab);
            w.logic.showTab(tab);
            EXPECT_EQ(w.view.exportEnabled, !emptied) << at(tab);
        }
    }
}

// The header is the selected row's mode when one row is selected, else the
// best; what it copies is report's header, confirmed beside the buttons.
TEST(CompanionActions, HeaderCopyAndExport) {
    Window w;
    w.type(Field::Crystal, "11,0592M");
    w.type(Field::Rate, "115200");
    const std::pair<std::vector<int>, const char*> selections[] = {
        {{}, "001"}, {{2}, "010"}, {{3, 2}, "001"}, {{99}, "001"}};
    for (const auto& [rows, mode] : selections) {
        w.view.selected[0] = rows;
        w.logic.selectionChanged();
        EXPECT_EQ(w.view.headerText, std::string("Copia &intestazione C (") + mode + ")");
    }
    w.view.selected[0] = {2};
    w.logic.copyHeader();
    EXPECT_NE(w.view.clipboard.find("#define VELMIRO_BRGH 0"), std::string::npos);
    EXPECT_NE(w.view.clipboard.find("#define VELMIRO_BRG16 1"), std::string::npos);
    EXPECT_EQ(w.view.lines[at(Line::Status)],
              std::pair(std::string("Intestazione C del modo 010 copiata negli appunti"), false));
    w.type(Field::Prefix, "9X");
    EXPECT_FALSE(w.view.headerEnabled);
    EXPECT_EQ(w.view.lines[at(Line::Status)].first, "Prefisso: " + report::prefixProblem("9X"));
    w.view.clipboard.clear();
    w.logic.copyHeader();
    EXPECT_EQ(w.view.clipboard, "");
    w.type(Field::Prefix, "UART_");

    // Each tab's CSV under its own name; a failure stays said until a save succeeds.
    const char* names[] = {"velmiro-modi.csv", "velmiro-tabella.csv", "velmiro-quarzi.csv",
                           "velmiro-collegamento.csv"};
    const char* starts[] = {"family,device,crystal,generator_clock_hz,rate,mode,",
                            "family,device,crystal,generator_clock_hz,rate,mode,",
                            "family,device,crystal,generator_clock_hz,worst_deviation_percent,",
                            "family,device,crystal,peer,frame,rate,pic_mode,"};
    const long lines[] = {7, 33, 45, 3};  // velmiro-cli's line counts for the same question
    for (const Tab tab : {Tab::Modes, Tab::Table, Tab::Crystals, Tab::Link}) {
        w.logic.showTab(tab);
        w.logic.exportCsv();
        EXPECT_EQ(w.view.savedName, names[at(tab)]);
        EXPECT_EQ(w.view.savedBytes.rfind(starts[at(tab)], 0), 0u) << w.view.savedBytes;
        EXPECT_EQ(std::count(w.view.savedBytes.begin(), w.view.savedBytes.end(), '\n'),
                  lines[at(tab)]);
        EXPECT_EQ(w.view.lines[at(Line::Status)],
                  std::pair(std::string("Salvato /casa/velmiro.csv"), false));
    }
    w.type(Field::Device, "PIC16F877A");  // each CSV names the part
    for (const Tab tab : {Tab::Modes, Tab::Table, Tab::Crystals, Tab::Link}) {
        w.logic.showTab(tab);
        w.logic.exportCsv();
        EXPECT_EQ(w.view.savedBytes.find("\nusart,PIC16F877A,"), w.view.savedBytes.find('\n'))
            << at(tab);
    }
    w.view.answer = {Saved::Outcome::Failed, "/ro/x.csv", "Permesso negato"};
    w.logic.exportCsv();
    const std::pair<std::string, bool> failed{"Non si può scrivere /ro/x.csv: Permesso negato",
                                              true};
    EXPECT_EQ(w.view.lines[at(Line::Status)], failed);
    w.view.answer = {Saved::Outcome::Cancelled, "", ""};
    w.logic.exportCsv();
    EXPECT_EQ(w.view.lines[at(Line::Status)], failed);
    w.view.answer = {Saved::Outcome::Saved, "/casa/y.csv", ""};
    w.logic.exportCsv();
    EXPECT_EQ(w.view.lines[at(Line::Status)], std::pair(std::string("Salvato /casa/y.csv"), false));
}

// Ctrl+C copies the selected rows in table order, a tab between the cells.
TEST(CompanionActions, RowsCopiedInOrder) {
    Window w;
    w.type(Field::Crystal, "20M");
    w.view.selected[0] = {2, 0, 2};
    w.logic.copyRows(Tab::Modes);
    const report::Grid& g = w.view.grids[0];
    std::string expected;
    for (const std::size_t row : {0u, 2u}) {
        for (std::size_t c = 0; c < g.rows[row].size(); ++c)
            expected += (c == 0 ? "" : "\t") + g.rows[row][c].text;
        expected += '\n';
    }
    EXPECT_EQ(w.view.clipboard, expected);
}

// A failure anywhere leaves no result behind and says why; the window goes on.
TEST(CompanionActions, AFailureEmptiesTheTables) {
    Window w;
    w.view.failing = true;
    w.type(Field::Crystal, "16M");
    EXPECT_EQ(w.view.lines[at(Line::Inputs)],
              std::pair(std::string("Quarzo: Calcolo non riuscito: guasto"), true));
    EXPECT_FALSE(w.view.exportEnabled);
    EXPECT_FALSE(w.view.headerEnabled);
    for (const report::Grid& g : w.view.grids)
        EXPECT_TRUE(g.rows.empty());
    w.view.failing = false;
    w.type(Field::Crystal, "20M");
    EXPECT_EQ(w.view.lines[at(Line::Inputs)], std::pair(std::string(), false));
    EXPECT_EQ(w.view.grids[0].rows.size(), 6u);
}

// The main window's texts are taken only when they read; a part picks its
// Periferica, and another Periferica is refused in the window's words.
TEST(CompanionInputs, TakenInputsAndParts) {
    Window w;
    w.view.selected[0] = {1};
    w.logic.takeInputs("16.000.000", "veloce");
    EXPECT_EQ(w.view.texts[at(Field::Crystal)], "16.000.000");
    EXPECT_EQ(w.view.texts[at(Field::Rate)], "19.200");
    EXPECT_TRUE(w.view.selected[0].empty());

    w.type(Field::Device, " pic24fj64ga002 ");
    EXPECT_EQ(w.view.family, familyIndex("uart16"));
    EXPECT_EQ(w.view.grids[0].headers.at(1), "BRGH");
    w.view.family = familyIndex("uart18");
    w.logic.familyChosen();
    EXPECT_EQ(w.view.problems[at(Field::Device)],
              "PIC24FJ64GA002 ha la periferica uart16, non uart18: scegliere la Periferica "
              "uart16 o svuotare Dispositivo");
    EXPECT_EQ(w.view.grids[0].headers.at(1), "BRGS");  // uart18's columns, though empty
    EXPECT_TRUE(w.view.grids[0].rows.empty());

    // Modi sincroni: the synchronous modes compete on every tab.
    w.type(Field::Device, "");
    w.view.family = familyIndex("eusart");
    w.logic.familyChosen();
    w.view.sync = true;
    w.logic.syncToggled();
    EXPECT_EQ(w.view.syncTip, "Il modo migliore tra i sincroni (100, 110)");
    EXPECT_EQ(w.view.grids[1].headers.at(9), "100 n");
    EXPECT_EQ(w.view.grids[2].rows.at(0).at(2).text.substr(0, 3), "100");
}

// The clock fields open only where the family has a choice, and the first
// field takes the name of the clock it is; a PLL makes it the crystal.
TEST(CompanionInputs, ClockFieldsFollowTheFamily) {
    struct Row {
        const char* family;
        const char* device;
        const char* pll;
        bool clock, source;
        const char* label;
        const char* clockPresets;
    };
    const Row rows[] = {
        {"eusart", "", "", false, false, "&Quarzo:", "Fosc"},
        {"uart16", "", "", true, false, "Fosc:", "Fosc|Fcy"},
        {"uart16", "", "4", false, false, "&Quarzo:", "Fosc|Fcy"},
        {"uart33c", "", "", true, true, "Fosc:", "Fosc|Fp"},
        {"pic32", "PIC32MZ2048EFH144", "", false, false, "PBCLK2:", "PBCLK2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.family) + " " + row.device + " " + row.pll);
        Window w;
        w.view.family = familyIndex(row.family);
        w.logic.familyChosen();
        w.type(Field::Device, row.device);
        w.type(Field::Pll, row.pll);
        EXPECT_EQ(w.view.enabled[at(Field::Clock)], row.clock);
        EXPECT_EQ(w.view.enabled[at(Field::Source)], row.source);
        EXPECT_EQ(w.view.crystalLabel, row.label);
        EXPECT_EQ(joined(w.view.presets[at(Field::Clock)]), row.clockPresets);
        EXPECT_EQ(w.view.presets[at(Field::Source)].size(), row.source ? 3u : 0u);
    }
}

// Collegamento says both ends under its fields; every standard rate at once
// gives each rate its two directions and the rates both ways "ok".
TEST(CompanionLink, EndsAndEveryStandardRate) {
    Window w;
    w.logic.showTab(Tab::Link);
    w.type(Field::Device, "PIC16F877A");
    w.type(Field::Rate, "115200");
    EXPECT_EQ(w.view.lines[at(Line::Link)],
              std::pair(std::string("PIC: quarzo 20000000 Hz, modo 001, n = 10, 113636,4 baud, "
                                    "scostamento -1,36%\nFT232R (FTDI AN232B-05): divisore 26, "
                                    "115384,6 baud, scostamento 0,16%"),
                        false));
    w.view.allRates = true;
    w.logic.allRatesToggled();
    const report::Grid& grid = w.view.grids[at(Tab::Link)];
    EXPECT_EQ(grid.headers.at(0) + "|" + grid.headers.at(1) + "|" + grid.headers.at(2),
              "baud rate|modo|direzione");
    ASSERT_EQ(grid.rows.size(), 2 * velmiro::standardLinkRates().size());
    for (const std::size_t row : {std::size_t{4}, std::size_t{5}}) {
        EXPECT_EQ(grid.rows[row][0].text, "1200");
        EXPECT_EQ(grid.rows[row].back().text, "ok");
    }
    EXPECT_EQ(grid.rows[1].back().text, "non comunica");
    // The verdict and the margin in colour too; the rate and the mode plain.
    EXPECT_EQ(grid.rows[4].back().tone, report::Tone::Within);
    EXPECT_EQ(grid.rows[1].back().tone, report::Tone::Outside);
    EXPECT_EQ(grid.rows[1][grid.rows[1].size() - 2].tone, report::Tone::Outside);
    EXPECT_EQ(grid.rows[1][0].tone, report::Tone::Plain);
    // A link is asynchronous: Modi sincroni changes nothing here.
    const std::vector<report::Row> before = grid.rows;
    w.view.sync = true;
    w.logic.syncToggled();
    EXPECT_EQ(w.view.grids[at(Tab::Link)].rows.size(), before.size());
    EXPECT_EQ(w.view.grids[at(Tab::Link)].rows[8][1].text, before[8][1].text);
    EXPECT_EQ(w.view.lines[at(Line::Link)].first,
              "Baud rate utilizzabili: 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200");
    w.logic.exportCsv();
    EXPECT_EQ(std::count(w.view.savedBytes.begin(), w.view.savedBytes.end(), '\n'),
              static_cast<long>(grid.rows.size()) + 1);
    // A PIC at the other end needs its clock; till then nothing to show or save.
    w.type(Field::Peer, "usart");
    EXPECT_EQ(w.view.problems[at(Field::PeerClock)], "serve per un PIC all'altro capo, come 20M");
    EXPECT_TRUE(w.view.grids[at(Tab::Link)].rows.empty());
    EXPECT_FALSE(w.view.exportEnabled);
    w.type(Field::Peer, "FT232R");
    const std::size_t rows = grid.rows.size();
    w.type(Field::Rate, "x");  // every rate needs no Baud rate
    EXPECT_EQ(w.view.grids[at(Tab::Link)].rows.size(), rows);
}
