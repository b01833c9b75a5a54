// The companion's three result tables as plain cells of report's words, with
// no toolkit: each view turns them into its own grid.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "velmiro/calc.h"
#include "velmiro/link_report.h"
#include "velmiro/report.h"

namespace velmiro::report {

// Colour of a deviation: by its verdict, or none where there is nothing to judge.
enum class Tone { Plain, Within, Outside };

struct Cell {
    std::string text;
    Tone tone = Tone::Plain;
    bool best = false;  // the best mode: bold, and "migliore" for screen readers
    bool number = false;
};

using Row = std::vector<Cell>;

struct Grid {
    std::vector<std::string> headers;
    std::vector<Row> rows;
};

// A mode as a column or cell names it: "011", or "BRGS 1" in a one-bit family.
[[nodiscard]] std::string modeTitle(const Family& family, const ModeInfo& mode);
// The columns of `velmiro-cli compare`, with the family's bits and registers;
// worstCase adds the widened deviation.
[[nodiscard]] Grid modesGrid(const Family& family, const Comparison& modes, bool worstCase);
// A row per rate; n and deviation for each mode of the first row.
[[nodiscard]] Grid tableGrid(const Family& family, std::span<const TableRow> rows);
// A row per crystal, in the order crystalsFor gives.
[[nodiscard]] Grid crystalsGrid(const Family& family, std::span<const std::int32_t> rates,
                                std::span<const CrystalFit> fits);
// The directions of a link from its column list, as velmiro-cli link writes
// them: a row per direction. perRate leads with the rate and the PIC's mode,
// and says in a row why a rate has no directions.
[[nodiscard]] Grid linkGrid(const LinkQuery& query, std::span<const LinkRow> rows, bool perRate);

}  // namespace velmiro::report
