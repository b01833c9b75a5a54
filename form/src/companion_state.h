// The companion logic's state between two events, and the guard every
// handler runs in; shared by its sources.
#pragma once

#include <array>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "companion_parts.h"
#include "velmiro/companion.h"
#include "velmiro/grid.h"
#include "velmiro/link_report.h"
#include "velmiro/report.h"

namespace velmiro::companion {

// What the shared inputs read as: none where a text does not read.
struct PicInputs {
    std::optional<std::int32_t> crystal;
    std::optional<std::int32_t> rate;
    std::optional<Judgement> judgement;
    ModeChoice choice;
    std::optional<report::Port> port;  // none when the part does not read
};

struct Companion::State {
    std::array<std::string, fieldCount> problems;
    std::string exportProblem;
    std::string inputsNote;
    std::string statusNote;

    // The family chosen in Periferica: the columns even when nothing reads.
    const Family* chosen = &eusart();
    // What the clock fields last showed, set again only when it changes.
    std::string crystalLabel = "&Quarzo:";
    std::vector<std::string> clockPresets, sourcePresets;

    std::optional<Comparison> modes;
    report::Query modesQuery;
    std::vector<report::TableRow> tableRows;
    report::Query tableQuery;
    report::Port crystalsPort;
    Judgement crystalsJudgement;
    std::vector<std::int32_t> crystalRates;  // empty until the rates and limits read
    std::vector<CrystalFit> fits;
    report::LinkQuery linkQuery;
    std::vector<report::LinkRow> linkRows;  // empty until the link's inputs read
    bool linkPerRate = false;
    std::string linkNote;
    std::array<report::Grid, tabCount> grids;

    [[nodiscard]] bool ready(Tab tab) const {
        switch (tab) {
            case Tab::Modes:
                return modes.has_value();
            case Tab::Table:
                return !tableRows.empty();
            case Tab::Crystals:
                return !crystalRates.empty();
            case Tab::Link:
                return !linkRows.empty();
        }
        return false;
    }
};

// Nothing typed may end the window: a failure empties the results and says why.
template <typename Work>
inline void Companion::guarded(Work&& work) noexcept {
    View& view = view_;
    State& state = *state_;
    std::string failure;
    try {
        work();
        return;
    } catch (const std::exception& error) {
        failure = std::string("Calcolo non riuscito: ") + error.what();
    } catch (...) {
        failure = "Calcolo non riuscito";
    }
    try {
        state.modes.reset();
        state.tableRows.clear();
        state.crystalRates.clear();
        state.fits.clear();
        state.linkRows.clear();
        for (int tab = 0; tab < tabCount; ++tab) {
            report::Grid& grid = state.grids[static_cast<std::size_t>(tab)];
            grid.rows.clear();
            view.showGrid(static_cast<Tab>(tab), grid);
        }
        view.setHeaderButton("Copia &intestazione C", false);
        view.setExportEnabled(false);
        state.problems[at(Field::Crystal)] = failure;
        view.setProblem(Field::Crystal, failure);
        view.setLine(Line::Inputs, "Quarzo: " + failure, true);
    } catch (...) {
        // The view cannot show it either: nothing more can be said.
    }
}

}  // namespace velmiro::companion
