#include "velmiro/grid.h"

#include <algorithm>

#include "columns.h"

namespace velmiro::report {

namespace {

Tone toneOf(const ModeResult& r) {
    if (!r.verdict)
        return Tone::Plain;
    return *r.verdict == Verdict::Ok ? Tone::Within : Tone::Outside;
}

// A deviation with no verdict column beside it says the verdict in words
// too, not in colour alone.
Cell judged(Cell cell, const ModeResult& r) {
    if (r.verdict == Verdict::OutOfTolerance)
        cell.text += " (fuori)";
    else if (r.verdict == Verdict::Avoided)
        cell.text += " (errata)";
    return cell;
}

}  // namespace

std::string modeTitle(const Family& family, const ModeInfo& mode) {
    // One bit: its name and value, "BRGS 1"; else the key of the three bits, "011".
    if (family.bits.size() == 1)
        return std::string(family.bits.front().name) + ' ' + std::string(mode.key);
    return std::string(mode.key);
}

Grid modesGrid(const Family& family, const Comparison& modes, bool worstCase) {
    const Port port{family, {}};
    const auto shown = columns::shown(columns::modeList, port, worstCase);
    Grid grid;
    for (const columns::Shown& column : shown)
        grid.headers.push_back(column.gridHeading());
    const Judgement judgement;
    const columns::Line question = columns::lineOf(port, judgement);
    for (std::size_t i = 0; i < modes.modes.size(); ++i) {
        const columns::Line line = question.with(modes.modes[i], modes.isBest(i));
        Row row;
        for (const columns::Shown& column : shown)
            row.push_back(columns::cellOf(column, line));
        // The best mode says so in words too, not in bold alone.
        if (line.best && !row.empty())
            row.front().text += " (migliore)";
        grid.rows.push_back(std::move(row));
    }
    return grid;
}

Grid tableGrid(const Family& family, std::span<const TableRow> rows) {
    const Port port{family, {}};
    const auto shown = columns::shown(columns::tableText, port, false);
    const auto named = [&](std::string_view key) -> const columns::Shown& {
        return *std::find_if(shown.begin(), shown.end(),
                             [&](const columns::Shown& c) { return c.key == key; });
    };
    const columns::Shown& rate = named("rate");
    const columns::Shown& n = named("register");
    const columns::Shown& deviation = named("deviation_percent");
    Grid grid;
    grid.headers.push_back(rate.gridHeading());
    if (rows.empty())
        return grid;
    for (const ModeResult& r : rows.front().modes.modes) {
        grid.headers.push_back(modeTitle(family, *r.mode) + ' ' + n.heading);
        grid.headers.push_back(modeTitle(family, *r.mode) + ' ' + deviation.heading);
    }
    const Judgement judgement;
    columns::Line question = columns::lineOf(port, judgement);
    for (const TableRow& source : rows) {
        question.rate = source.rate;
        Row row{columns::cellOf(rate, question)};
        for (std::size_t i = 0; i < source.modes.modes.size(); ++i) {
            const columns::Line line = question.with(source.modes.modes[i], source.modes.isBest(i));
            row.push_back(columns::cellOf(n, line));
            row.push_back(judged(columns::cellOf(deviation, line), *line.mode));
        }
        grid.rows.push_back(std::move(row));
    }
    return grid;
}

Grid crystalsGrid(const Family& family, std::span<const std::int32_t> rates,
                  std::span<const CrystalFit> fits) {
    const Port port{family, {}};
    const auto lead = columns::shown(columns::crystalsGrid, port, false);
    Grid grid;
    for (const columns::Shown& column : lead)
        grid.headers.push_back(column.gridHeading());
    // One column per rate asked for: the best mode, its n, its deviation and
    // the verdict, which the heading leaves to the cell's words.
    const auto each = columns::shown(columns::crystalRate, port, false);
    std::string named;
    for (std::size_t i = 0; i + 1 < each.size(); ++i)
        named += (i == 0 ? "" : ", ") + each[i].heading;
    for (const std::int32_t rate : rates)
        grid.headers.push_back(std::to_string(rate) + " baud: " + named);
    const Judgement judgement;
    columns::Line question = columns::lineOf(port, judgement);
    for (const CrystalFit& fit : fits) {
        question.clock = fit.crystal;
        question.fit = &fit;
        Row row;
        for (const columns::Shown& column : lead)
            row.push_back(columns::cellOf(column, question));
        for (const ModeResult& r : fit.rates) {
            const columns::Line line = question.with(r, false);
            // The mode as the family names it, then n after its name.
            std::string text =
                modeTitle(family, *r.mode) + "   " + each[1].heading + ' ' + each[1].text(line);
            for (std::size_t i = 2; i < each.size(); ++i)
                text += "   " + each[i].text(line);
            row.push_back({std::move(text), toneOf(r)});
        }
        grid.rows.push_back(std::move(row));
    }
    return grid;
}

}  // namespace velmiro::report
