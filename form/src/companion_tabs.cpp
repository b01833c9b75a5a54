// The companion's three tabs and what leaves the window: the header, the CSV,
// the rows copied, the settings.
#include <algorithm>
#include <limits>
#include <sstream>

#include "companion_parts.h"
#include "companion_state.h"
#include "velmiro/companion.h"
#include "velmiro/grid.h"
#include "velmiro/report.h"

namespace velmiro::companion {

namespace {

// The clock fields as advice names them.
constexpr report::ClockWords fieldWords{"", "il campo PLL", "Clock dato ", false};

constexpr std::size_t longestKept = 200;  // a longer text kept is not ours

// The size kept must fit a screen and hold the window.
constexpr int narrowest = 400, lowest = 300, largest = 8000;

bool hasSync(const Family& family) {
    return std::any_of(family.modes.begin(), family.modes.end(),
                       [](const ModeInfo& m) { return m.mode.sync != 0; });
}

std::string syncTip(const Family& family) {
    if (!hasSync(family))
        return "Questa periferica non ha modi sincroni";
    std::string keys;
    for (const ModeInfo& m : family.modes) {
        if (m.mode.sync != 0)
            keys.append(keys.empty() ? "" : ", ").append(m.key);
    }
    return "Il modo migliore tra i sincroni (" + keys + ")";
}

}  // namespace

void Companion::compute() {
    State& s = *state_;
    PicInputs in;
    const report::Reading crystal = report::readPositiveQuantity(view_.text(Field::Crystal));
    const report::Reading rate = report::readPositiveQuantity(view_.text(Field::Rate));
    const report::PercentReading tolerance = report::readTolerance(view_.text(Field::Tolerance));
    const report::PercentReading clockError = report::readClockError(view_.text(Field::ClockError));
    say(Field::Crystal, crystal.problem);
    say(Field::Rate, rate.problem);
    say(Field::Tolerance, tolerance.problem);
    say(Field::ClockError, clockError.problem);
    in.crystal = crystal.value;
    in.rate = rate.value;
    if (tolerance.value && clockError.value)
        in.judgement = Judgement{*tolerance.value, *clockError.value};

    const auto all = families();
    const int index = view_.familyIndex();
    s.chosen = index >= 0 && static_cast<std::size_t>(index) < all.size()
                   ? &all[static_cast<std::size_t>(index)]
                   : &eusart();
    std::string deviceProblem;
    const std::string typed = trimmed(view_.text(Field::Device));
    if (typed.empty()) {
        in.port = report::Port{*s.chosen, {}};
    } else {
        const Device device = deviceFromText(typed);
        deviceProblem = windowDeviceProblem(typed, device);
        if (deviceProblem.empty())
            deviceProblem = windowFamilyConflict(device, *s.chosen);
        if (deviceProblem.empty())
            in.port = report::portOf(device);
    }
    say(Field::Device, deviceProblem);
    readClocks(in);
    s.inputsNote.clear();
    if (in.port) {  // what velmiro-cli says under its question, while nothing is wrong
        std::ostringstream notes;
        report::writePortNotes(notes, *in.port, in.crystal);
        if (in.crystal)
            notes << report::clockLimitHint(*in.port, *in.crystal, fieldWords);
        s.inputsNote = trimmed(notes.str());
    }
    writeLine(Line::Inputs);

    // Only a family with synchronous modes lets them compete.
    const bool sync = hasSync(*s.chosen);
    view_.setSyncEnabled(sync);
    view_.setSyncTip(syncTip(*s.chosen));
    in.choice.sync = sync && view_.syncChecked();
    // With nothing to show, the columns are still the chosen family's.
    const Family& shown = in.port ? in.port->family() : *s.chosen;

    s.modes.reset();
    if (in.crystal && in.rate && in.judgement && in.port) {
        s.modesQuery = report::Query{*in.crystal, in.rate, {}, *in.judgement, *in.port};
        s.modes =
            compareModes(in.port->peripheral, *in.crystal, *in.rate, *in.judgement, in.choice);
    }
    const bool worstCase = in.judgement && in.judgement->clockErrorPercent > 0.0;
    s.grids[0] = report::modesGrid(shown, s.modes.value_or(Comparison{}), worstCase);
    view_.showGrid(Tab::Modes, s.grids[0]);

    s.tableRows.clear();
    const RatesReading tableRates = readRates(view_.text(Field::TableRates));
    say(Field::TableRates, tableRates.problem);
    writeLine(Line::Table);
    if (in.crystal && in.judgement && in.port && !tableRates.rates.empty()) {
        s.tableQuery = report::Query{*in.crystal, {}, {}, *in.judgement, *in.port};
        s.tableRows = report::tableOf(in.port->peripheral, *in.crystal, tableRates.rates,
                                      *in.judgement, in.choice);
    }
    s.grids[1] = report::tableGrid(shown, s.tableRows);
    view_.showGrid(Tab::Table, s.grids[1]);

    s.crystalRates.clear();
    s.fits.clear();
    const RatesReading rates = readRates(view_.text(Field::CrystalRates));
    say(Field::CrystalRates, rates.problem);
    std::string low, high, order;
    const auto minimum = readLimit(view_.text(Field::Minimum), 1, low);
    const auto maximum =
        readLimit(view_.text(Field::Maximum), std::numeric_limits<std::int32_t>::max(), high);
    if (minimum && maximum && *minimum > *maximum)
        order = "La frequenza minima è più alta della massima";
    say(Field::Minimum, low.empty() ? order : low);
    say(Field::Maximum, high);
    writeLine(Line::Crystals);
    if (in.judgement && in.port && !rates.rates.empty() && minimum && maximum && order.empty()) {
        s.crystalsPort = *in.port;
        s.crystalsJudgement = *in.judgement;
        s.crystalRates = rates.rates;
        s.fits = crystalsFor(s.crystalsPort.peripheral, s.crystalRates, s.crystalsJudgement,
                             in.choice, *minimum, *maximum);
    }
    s.grids[2] = report::crystalsGrid(shown, s.crystalRates, s.fits);
    view_.showGrid(Tab::Crystals, s.grids[2]);

    computeLink(in);
}

const ModeResult* Companion::headerMode() const {
    // The one selected row, else the best.
    if (!state_->modes)
        return nullptr;
    const std::vector<int> rows = view_.selectedRows(Tab::Modes);
    if (rows.size() == 1 && rows.front() >= 0 &&
        static_cast<std::size_t>(rows.front()) < state_->modes->modes.size())
        return &state_->modes->modes[static_cast<std::size_t>(rows.front())];
    return state_->modes->bestMode();
}

void Companion::updateActions() {
    state_->statusNote.clear();
    say(Field::Prefix, report::prefixProblem(view_.text(Field::Prefix)));
    const ModeResult* mode = headerMode();
    // The button says which mode it copies: the best, or the row chosen.
    std::string text = "Copia &intestazione C";
    if (mode != nullptr)
        text += " (" + report::modeTitle(state_->modesQuery.port.family(), *mode->mode) + ")";
    view_.setHeaderButton(
        text, state_->problems[static_cast<std::size_t>(Field::Prefix)].empty() && mode != nullptr);
    view_.setExportEnabled(state_->ready(view_.currentTab()));
    writeLine(Line::Status);
}

std::vector<std::string> Companion::headerButtonTexts() {
    std::vector<std::string> texts{"Copia intestazione C"};
    for (const Family& family : families()) {
        for (const ModeInfo& mode : family.modes)
            texts.push_back("Copia intestazione C (" + report::modeTitle(family, mode) + ")");
    }
    return texts;
}

std::string Companion::widestHeaderButton() {
    std::string widest;
    for (const std::string& text : headerButtonTexts()) {
        if (text.size() > widest.size())
            widest = text;
    }
    return widest;
}

void Companion::copyHeader() noexcept {
    guarded([this] {
        const ModeResult* mode = headerMode();
        const std::string prefix = view_.text(Field::Prefix);
        if (mode == nullptr || !report::prefixProblem(prefix).empty())
            return;
        std::ostringstream out;
        report::writeHeader(out, prefix, state_->modesQuery, *mode);
        view_.copyToClipboard(out.str());
        state_->statusNote = "Intestazione C del modo " +
                             report::modeTitle(state_->modesQuery.port.family(), *mode->mode) +
                             " copiata negli appunti";
        writeLine(Line::Status);
    });
}

void Companion::exportCsv() noexcept {
    guarded([this] {
        const State& s = *state_;
        const Tab tab = view_.currentTab();
        if (!s.ready(tab))
            return;
        std::ostringstream out;
        const char* name = "velmiro-modi.csv";
        if (tab == Tab::Modes) {
            report::writeModes(out, report::Format::Csv, s.modesQuery, *s.modes);
        } else if (tab == Tab::Table) {
            name = "velmiro-tabella.csv";
            report::writeTable(out, report::Format::Csv, s.tableQuery, s.tableRows);
        } else if (tab == Tab::Crystals) {
            name = "velmiro-quarzi.csv";
            report::writeCrystals(out, report::Format::Csv, s.crystalsPort, s.crystalRates,
                                  s.crystalsJudgement, s.fits);
        } else {
            name = "velmiro-collegamento.csv";
            if (s.linkPerRate)
                report::writeLinkTable(out, report::Format::Csv, s.linkQuery, s.linkRows);
            else
                report::writeLink(out, report::Format::Csv, s.linkQuery, s.linkRows.front());
        }
        const Saved saved = view_.saveFile(name, out.str());
        if (saved.outcome == Saved::Outcome::Cancelled)
            return;
        if (saved.outcome == Saved::Outcome::Failed) {
            state_->exportProblem = "Non si può scrivere " + saved.path + ": " + saved.error;
        } else {
            state_->exportProblem.clear();
            state_->statusNote = "Salvato " + saved.path;
        }
        writeLine(Line::Status);
    });
}

void Companion::copyRows(Tab tab) noexcept {
    guarded([this, tab] {
        const report::Grid& grid = state_->grids[static_cast<std::size_t>(tab)];
        std::vector<int> rows = view_.selectedRows(tab);
        std::sort(rows.begin(), rows.end());  // in table order, whichever order they were chosen
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        std::string text;
        for (const int row : rows) {
            if (row < 0 || static_cast<std::size_t>(row) >= grid.rows.size())
                continue;
            std::string line;
            for (const report::Cell& cell : grid.rows[static_cast<std::size_t>(row)])
                line.append(line.empty() ? "" : "\t").append(cell.text);
            text += line + '\n';
        }
        if (!text.empty())
            view_.copyToClipboard(text);
    });
}

void Companion::crystalChosen(int row) noexcept {
    bool taken = false;
    guarded([&] {
        const report::Grid& grid = state_->grids[static_cast<std::size_t>(Tab::Crystals)];
        if (row < 0 || static_cast<std::size_t>(row) >= grid.rows.size() ||
            grid.rows[static_cast<std::size_t>(row)].empty())
            return;
        // The crystal as the fields read it, whichever cell of its row was chosen.
        const std::string crystal = grid.rows[static_cast<std::size_t>(row)].front().text;
        if (crystal.empty())
            return;
        view_.setText(Field::Crystal, crystal);
        taken = true;
    });
    if (!taken)
        return;
    inputsChanged();
    showTab(Tab::Modes);
}

// ---------------------------------------------------------------- settings

void Companion::restore(const Store& store) {
    // Each value kept is checked: a file edited by hand, or garbled, must not
    // put anything odd on screen. Every key gets its default first.
    const auto fieldOf = [](const char* key) -> std::optional<Field> {
        for (int f = 0; f < fieldCount; ++f) {
            if (std::string_view(settings()[static_cast<std::size_t>(f)].key) == key)
                return static_cast<Field>(f);
        }
        return std::nullopt;
    };
    form::Size size;
    for (const Setting& setting : settings()) {
        const std::string_view key = setting.key;
        std::optional<std::string> kept;
        std::optional<int> number;
        if (setting.kind == Kind::Text) {
            kept = store.loadText(setting.key);
            if (kept && kept->size() > longestKept)
                kept.reset();
        } else {
            number = store.loadInt(setting.key);
        }
        if (const std::optional<Field> field = fieldOf(setting.key)) {
            if (kept && *field == Field::Tolerance && !report::readTolerance(*kept).value)
                kept.reset();
            if (kept && *field == Field::ClockError && !report::readClockError(*kept).value)
                kept.reset();
            if (kept && *field == Field::Margin && !report::readTolerance(*kept).value)
                kept.reset();
            view_.setText(*field, kept.value_or(setting.fallback));
        } else if (key == keys::sync) {
            if (kept != "true" && kept != "false")
                kept = setting.fallback;
            view_.setSyncChecked(*kept == "true");
        } else if (key == keys::allRates) {
            view_.setAllRatesChecked(kept == "true");
        } else if (key == keys::family) {
            const Family* family = kept ? findFamily(*kept) : nullptr;
            view_.setFamilyIndex(familyIndexOf(family != nullptr ? family : &eusart()));
        } else if (key == keys::tab) {
            if (!number || *number < 0 || *number >= tabCount)
                number = fallbackInt(keys::tab);
            view_.setCurrentTab(static_cast<Tab>(*number));
        } else if (key == keys::width) {
            size.width = number.value_or(-1);
        } else if (key == keys::height) {
            size.height = number.value_or(-1);
        }
    }
    if (size.width < narrowest || size.width > largest || size.height < lowest ||
        size.height > largest)
        size = {fallbackInt(keys::width), fallbackInt(keys::height)};
    view_.resizeWindow(size);
}

void Companion::save(Store& store) const noexcept {
    try {
        for (std::size_t f = 0; f < static_cast<std::size_t>(fieldCount); ++f)
            store.storeText(settings()[f].key, view_.text(static_cast<Field>(f)));
        store.storeText(keys::sync, view_.syncChecked() ? "true" : "false");
        store.storeText(keys::allRates, view_.allRatesChecked() ? "true" : "false");
        const auto all = families();
        const int index = view_.familyIndex();
        if (index >= 0 && static_cast<std::size_t>(index) < all.size())
            store.storeText(keys::family, std::string(all[static_cast<std::size_t>(index)].key));
        store.storeInt(keys::tab, static_cast<int>(view_.currentTab()));
        const form::Size size = view_.windowSize();
        store.storeInt(keys::width, size.width);
        store.storeInt(keys::height, size.height);
    } catch (...) {
        // Not kept this time; the window closes all the same.
    }
}

}  // namespace velmiro::companion
