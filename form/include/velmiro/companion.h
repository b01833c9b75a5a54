// The companion window's logic, free of any toolkit: every mode of the
// generator for a crystal and a rate (Modi), a datasheet table over many rates
// (Tabella), the common crystals that fit (Quarzi) and the link with the
// other end of the wire (Collegamento). A view (the Qt window,
// the Win32 window, a test) owns the controls and implements View; the logic
// reads and writes them only through it. Texts are UTF-8; no exception leaves
// a handler: a failure empties the tables and says why under the inputs.
//
// Contract, in the order things happen:
//  1. The view builds its controls (the texts of fieldText(), empty fields,
//     empty lists) and calls Companion::load(store) once: the logic fills the
//     lists, writes each default, restores the settings and computes.
//  2. Whenever the user changes a field, the view calls edited(field); the
//     Modi sincroni box, syncToggled(); Tutti i baud rate standard,
//     allRatesToggled(); the Periferica, familyChosen(); the
//     selection of a table, selectionChanged(); the visible tab, tabChanged().
//     A change the logic makes through View raises no event.
//  3. The buttons, Ctrl+C, a double click or Enter in Quarzi and F2-F4 call
//     the matching handler. On closing, the view calls save(store).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velmiro/form.h"

namespace velmiro {
struct ModeResult;
}
namespace velmiro::report {
struct Grid;
}

namespace velmiro::companion {

struct PicInputs;  // what the shared inputs read as

// ---------------------------------------------------------------- what the window holds

enum class Tab { Modes = 0, Table = 1, Crystals = 2, Link = 3 };
inline constexpr int tabCount = 4;

// Every field the user types into; Crystal and Rate are editable lists.
enum class Field {
    Crystal,
    Rate,
    Tolerance,
    ClockError,
    Device,
    TableRates,
    CrystalRates,
    Minimum,
    Maximum,
    Prefix,
    Peer,  // an editable list: an adapter, "esatto", a Periferica or a part
    PeerClock,
    PeerClockError,
    Frame,
    Margin,
    // How the first number reaches the generator's clock: a PLL's ratio, which
    // clock it is (an editable list), the family's clock source (an editable list).
    Pll,
    Clock,
    Source,
};
inline constexpr int fieldCount = 18;

// The fixed texts of a field: its label with its mnemonic, the name screen
// readers hear (and the tests find it by), its tooltip and its placeholder.
struct FieldText {
    const char* label;
    const char* name;
    const char* tip;
    const char* placeholder;
};
// By Field.
[[nodiscard]] const FieldText& fieldText(Field field);

// The other fixed texts both views show; '&' marks a mnemonic.
inline constexpr const char* windowTitle = "Velmiro – tutti i modi";
inline constexpr std::array<const char*, tabCount> tabTitles{"&Modi", "T&abella", "Quar&zi",
                                                             "Colle&gamento"};
// The names screen readers hear for each tab's table.
inline constexpr std::array<const char*, tabCount> tableNames{"Modi", "Tabella", "Quarzi",
                                                              "Collegamento"};
inline constexpr const char* syncCaption = "Modi &sincroni";
inline constexpr const char* allRatesCaption = "T&utti i baud rate standard";
inline constexpr const char* allRatesTip =
    "Il collegamento a ogni baud rate standard invece che al solo Baud rate";
inline constexpr const char* familyLabel = "&Periferica:";
inline constexpr const char* familyName = "Periferica";
inline constexpr const char* headerName = "Copia intestazione C";
inline constexpr const char* headerTip =
    "Le #define di velmiro-cli header per il modo migliore o la riga scelta nei modi";
inline constexpr const char* exportCaption = "Esporta &CSV…";
inline constexpr const char* exportName = "Esporta CSV";
inline constexpr const char* exportTip = "Salva la scheda visibile come CSV";
inline constexpr const char* exportFilter = "CSV (*.csv)";
inline constexpr const char* crystalsTip = "Doppio clic o Invio: usa il quarzo nei modi";
inline constexpr const char* copyCaption = "Copia";
// Lines of room the line under the inputs keeps; the others keep two.
inline constexpr int inputsLineHeight = 3;

// The widest text a field must show whole: the view sizes it to fit.
inline constexpr const char* widestDevice = "dsPIC33CK256MP508-I/PT";

// The lines that say what is wrong, or else a note: under the shared inputs
// (three lines high), under Tabella's and Quarzi's fields, beside the buttons.
enum class Line { Inputs, Table, Crystals, Status, Link };
inline constexpr int lineCount = 5;

// What F2, F3 and F4 open (Collegamento has no key of its own), from the main window's keys and
// context menu and from the program's arguments.
struct Opening {
    Tab tab;
    const char* menuText;
    int functionKey;  // 2 for F2
    const char* argument;
};
inline constexpr std::array<Opening, 3> openings{{
    {Tab::Modes, "Tutti i modi…", 2, "--modi"},
    {Tab::Table, "Tabella del quarzo…", 3, "--tabella"},
    {Tab::Crystals, "Cerca quarzi…", 4, "--quarzi"},
}};
// The tab an argument opens, or none.
std::optional<Tab> tabOfArgument(std::string_view argument);

// ---------------------------------------------------------------- settings

// Each key once, with how it is kept and its value when nothing (or nothing
// that reads) is kept. The view's store keeps strings and ints only: QSettings
// on Linux, the registry on Windows.
enum class Kind { Text, Int };
struct Setting {
    const char* key;
    Kind kind;
    std::string fallback;  // a text, or an int in digits
};
[[nodiscard]] const std::vector<Setting>& settings();

class Store {
  public:
    virtual ~Store() = default;
    // None when the key is missing or holds something else than a string
    // (or an int) of the form asked for.
    [[nodiscard]] virtual std::optional<std::string> loadText(const char* key) const = 0;
    [[nodiscard]] virtual std::optional<int> loadInt(const char* key) const = 0;
    virtual void storeText(const char* key, const std::string& value) = 0;
    virtual void storeInt(const char* key, int value) = 0;
};

// ---------------------------------------------------------------- the view

// What a save came to.
struct Saved {
    enum class Outcome { Cancelled, Saved, Failed } outcome = Outcome::Cancelled;
    std::string path;   // as the user should read it
    std::string error;  // why it failed
};

class View {
  public:
    virtual ~View() = default;

    // A field's text; setText raises no edited(). For Crystal and Rate the
    // edit text of the list.
    [[nodiscard]] virtual std::string text(Field field) const = 0;
    virtual void setText(Field field, const std::string& text) = 0;
    // Crystal and Rate: append an entry to the list.
    virtual void addPreset(Field field, const std::string& text) = 0;
    // What is wrong with a field (empty: nothing), for screen readers on the
    // field itself; the lines that show it are written apart.
    virtual void setProblem(Field field, const std::string& problem) = 0;
    // Clock and Source: the list's entries, replaced; the text stays.
    virtual void setPresets(Field field, const std::vector<std::string>& texts) = 0;
    virtual void setFieldEnabled(Field field, bool enabled) = 0;
    // Crystal: its label as the family names the first number ("Fosc:",
    // "&Quarzo:"), at most as wide as "PBCLK2:".
    virtual void setLabel(Field field, const std::string& label) = 0;

    // "Modi sincroni".
    [[nodiscard]] virtual bool syncChecked() const = 0;
    virtual void setSyncChecked(bool checked) = 0;
    virtual void setSyncEnabled(bool enabled) = 0;
    virtual void setSyncTip(const std::string& tip) = 0;

    // "Tutti i baud rate standard", in Collegamento.
    [[nodiscard]] virtual bool allRatesChecked() const = 0;
    virtual void setAllRatesChecked(bool checked) = 0;

    // "Periferica": one entry per family, in the order of families().
    virtual void addFamily(const std::string& text) = 0;
    [[nodiscard]] virtual int familyIndex() const = 0;
    virtual void setFamilyIndex(int index) = 0;

    // A line's text (lines joined by '\n'); problem: drawn as a problem.
    virtual void setLine(Line line, const std::string& text, bool problem) = 0;

    // A tab's table. The view keeps the selection and the scroll position
    // while the grid keeps its shape.
    virtual void showGrid(Tab tab, const report::Grid& grid) = 0;
    // The selected rows of a tab's table, in any order.
    [[nodiscard]] virtual std::vector<int> selectedRows(Tab tab) const = 0;
    virtual void clearSelection(Tab tab) = 0;

    [[nodiscard]] virtual Tab currentTab() const = 0;
    virtual void setCurrentTab(Tab tab) = 0;

    // "Copia intestazione C (…)" and "Esporta CSV…".
    virtual void setHeaderButton(const std::string& text, bool enabled) = 0;
    virtual void setExportEnabled(bool enabled) = 0;

    // The window's inner size, for the settings.
    [[nodiscard]] virtual form::Size windowSize() const = 0;
    virtual void resizeWindow(form::Size size) = 0;

    virtual void copyToClipboard(const std::string& text) = 0;
    // Asks where to save (suggesting `fileName` in the user's home) and
    // writes `bytes` there whole or not at all.
    virtual Saved saveFile(const std::string& fileName, const std::string& bytes) = 0;
};

// ---------------------------------------------------------------- the logic

class Companion {
  public:
    explicit Companion(View& view);
    ~Companion();
    Companion(const Companion&) = delete;
    Companion& operator=(const Companion&) = delete;

    // Fills the lists, writes the defaults, restores what `store` keeps and
    // computes.
    void load(const Store& store) noexcept;
    void save(Store& store) const noexcept;

    void edited(Field field) noexcept;
    void syncToggled() noexcept;
    void allRatesToggled() noexcept;
    void familyChosen() noexcept;
    void selectionChanged() noexcept;
    void tabChanged() noexcept;

    void showTab(Tab tab) noexcept;
    // The main window's crystal and rate, each only when it reads.
    void takeInputs(const form::Form& main) noexcept;
    void takeInputs(const std::string& crystal, const std::string& rate) noexcept;

    void copyHeader() noexcept;
    void exportCsv() noexcept;
    // The selected rows of a tab, a tab-separated line each (Ctrl+C).
    void copyRows(Tab tab) noexcept;
    // A double click or Enter on any cell of a row in Quarzi: its crystal
    // into Quarzo, and the Modi tab.
    void crystalChosen(int row) noexcept;

    // Texts a view sizes its controls for: the header button's longest text,
    // and every text it can show (without the mnemonic), to measure.
    [[nodiscard]] static std::string widestHeaderButton();
    [[nodiscard]] static std::vector<std::string> headerButtonTexts();

  private:
    struct State;
    template <typename Work>
    void guarded(Work&& work) noexcept;
    void restore(const Store& store);
    void inputsChanged() noexcept;
    void deviceEdited() noexcept;
    void recompute() noexcept;
    void compute();
    void computeLink(const PicInputs& in);
    void updateActions();
    void readClocks(PicInputs& in);
    void writeLine(Line line);
    void say(Field field, std::string problem);
    [[nodiscard]] const ModeResult* headerMode() const;

    View& view_;
    std::unique_ptr<State> state_;
};

}  // namespace velmiro::companion
