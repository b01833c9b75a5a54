#include "velmiro/grid.h"

namespace velmiro::report {

namespace {

const char* const dash = "—";

Cell number(std::string value) {
    return {std::move(value), Tone::Plain, false, true};
}

Cell decimal(const std::optional<double>& value, Tone tone = Tone::Plain) {
    return {value ? decimalText(*value, 2) : dash, tone, false, true};
}

Tone toneOf(const ModeResult& r) {
    if (!r.verdict)
        return Tone::Plain;
    return *r.verdict == Verdict::Ok ? Tone::Within : Tone::Outside;
}

Cell verdict(const ModeResult& r) {
    return {r.verdict ? std::string(verdictText(*r.verdict)) : dash, toneOf(r)};
}

Cell registerCell(const ModeResult& r) {
    return number(registerText(r));
}

// A deviation with its verdict in words too, not in colour alone.
Cell judgedDeviation(const ModeResult& r) {
    Cell cell = decimal(r.deviationPercent, toneOf(r));
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
    Grid grid;
    grid.headers.emplace_back("modo");
    for (const BitColumn& bit : family.bits)
        grid.headers.emplace_back(bit.name);
    grid.headers.insert(grid.headers.end(), {"divisore", "n"});
    for (const RegisterName& column : family.columns)
        grid.headers.emplace_back(column.name);
    grid.headers.insert(grid.headers.end(), {"ottenuti", "scost. %"});
    if (worstCase)
        grid.headers.emplace_back("peggiore %");
    grid.headers.emplace_back("esito");
    for (std::size_t i = 0; i < modes.modes.size(); ++i) {
        const ModeResult& r = modes.modes[i];
        const bool best = modes.isBest(i);
        Row row{{std::string(r.mode->key) + (best ? " (migliore)" : "")}};
        for (const BitColumn& bit : family.bits)
            row.push_back(number(std::to_string(r.mode->mode.*bit.value)));
        row.push_back(number(std::to_string(r.mode->divisor)));
        row.push_back(registerCell(r));
        for (const RegisterName& column : family.columns)
            row.push_back(
                number(r.registerHolds() ? registerHex(r.registerValue, column.part) : dash));
        row.push_back(decimal(r.achieved));
        row.push_back(decimal(r.deviationPercent, toneOf(r)));
        if (worstCase)
            row.push_back(decimal(r.worstCasePercent, toneOf(r)));
        row.push_back(verdict(r));
        for (Cell& cell : row)
            cell.best = best;
        grid.rows.push_back(std::move(row));
    }
    return grid;
}

Grid tableGrid(const Family& family, std::span<const TableRow> rows) {
    Grid grid;
    grid.headers.emplace_back("baud rate");
    if (rows.empty())
        return grid;
    for (const ModeResult& r : rows.front().modes.modes) {
        grid.headers.push_back(modeTitle(family, *r.mode) + " n");
        grid.headers.push_back(modeTitle(family, *r.mode) + " scost. %");
    }
    for (const TableRow& source : rows) {
        Row row{number(std::to_string(source.rate))};
        for (std::size_t i = 0; i < source.modes.modes.size(); ++i) {
            const ModeResult& r = source.modes.modes[i];
            Cell n = registerCell(r);
            Cell deviation = judgedDeviation(r);
            n.best = deviation.best = source.modes.isBest(i);
            row.push_back(std::move(n));
            row.push_back(std::move(deviation));
        }
        grid.rows.push_back(std::move(row));
    }
    return grid;
}

Grid crystalsGrid(const Family& family, std::span<const std::int32_t> rates,
                  std::span<const CrystalFit> fits) {
    Grid grid;
    grid.headers.insert(grid.headers.end(), {"quarzo (Hz)", "peggiore %"});
    // One column per rate asked for: the best mode, its n and its deviation.
    for (const std::int32_t rate : rates)
        grid.headers.push_back(std::to_string(rate) + " baud: modo, n, scost. %");
    for (const CrystalFit& fit : fits) {
        Row row{number(groupedText(fit.crystal)), decimal(fit.worstDeviationPercent, Tone::Within)};
        for (const ModeResult& r : fit.rates) {
            row.push_back({modeTitle(family, *r.mode) + "   n " + registerText(r) + "   " +
                               decimal(r.deviationPercent).text + "   " +
                               (r.verdict ? std::string(verdictText(*r.verdict)) : std::string()),
                           toneOf(r)});
        }
        grid.rows.push_back(std::move(row));
    }
    return grid;
}

}  // namespace velmiro::report
