// Each document described once, as a list of columns: the heading text and
// the grids show, the key CSV and JSON write, and how a cell is written. The
// faces render these lists, so a column added or renamed changes them all.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "velmiro/grid.h"
#include "velmiro/report.h"

namespace velmiro::report::columns {

using Json = nlohmann::ordered_json;

// One row of any document: what its columns may read.
struct Line {
    const Port* port = nullptr;
    const Judgement* judgement = nullptr;
    std::optional<std::int32_t> clock{};  // the clock given (a crystal of the finder)
    std::optional<std::int32_t> rate{};
    std::span<const std::int32_t> rates{};  // the rates a crystal must give
    const CrystalFit* fit = nullptr;
    const ModeResult* mode = nullptr;
    bool best = false;

    [[nodiscard]] Line with(const ModeResult& result, bool isBest) const {
        Line line = *this;
        line.mode = &result;
        line.best = isBest;
        return line;
    }
};

// The line of a question about `port`, judged by `judgement`.
[[nodiscard]] inline Line lineOf(const Port& port, const Judgement& judgement) {
    Line line;
    line.port = &port;
    line.judgement = &judgement;
    return line;
}

// How a column spreads over a family. Text and grids show a column per bit
// and per register part, named as the datasheet names them; CSV and JSON keep
// the same keys for every family and carry those names as values.
enum class Spread { One, Bits, Register };

struct Column {
    std::string_view key{};      // CSV and JSON; empty: text and grids only
    std::string_view heading{};  // text and grids; empty: CSV and JSON only
    std::size_t width = 0;       // in text, at least: a column grows to its widest cell
    bool left = false;           // left-aligned, and no number in a grid
    int drop = 0;                // in a narrow terminal, dropped in this order (0: kept)
    std::string (*text)(const Line&) = nullptr;
    Json (*value)(const Line&) = nullptr;
    Tone (*tone)(const Line&) = nullptr;
    Spread spread = Spread::One;
    bool widened = false;  // in text and grids only when a clock error widens deviations
    std::string (*gridText)(const Line&) = nullptr;   // where a grid writes it otherwise
    std::string (*headingOf)(const Port&) = nullptr;  // a heading named by the port
    std::string_view unit{};                          // in a grid's heading: "Hz"
};

using List = std::span<const Column* const>;

// The columns of each document. A mode's columns close every CSV line and
// every JSON mode; each document's own come first. Text shows those with a
// heading, in the order of its list.
extern const List modeList;      // a mode: compare and register in text and grid
extern const List questionKeys;  // compare and register: the JSON before "modes"
extern const List questionCsv;   // compare and register: a CSV line before the mode
extern const List tableKeys;     // table: the JSON before "rows"
extern const List tableCsv;      // table: a CSV line before the mode
extern const List tableText;     // table: a block's columns in text
extern const List crystalsKeys;  // crystals: the JSON before "crystals"
extern const List crystalKeys;   // crystals: a crystal's JSON before "rates"
extern const List crystalsCsv;   // crystals: a CSV line before the mode
extern const List crystalsText;  // crystals: the columns in text
extern const List rowKeys;       // a row's rate in JSON: table rows, a crystal's rates
extern const List crystalsGrid;  // crystals: a grid's columns before the rates
extern const List crystalRate;   // crystals: a grid cell for each rate

// A column as text and grids show it for one family.
struct Shown {
    std::string_view key{};
    std::string heading{};
    std::size_t width = 0;
    bool left = false;
    int drop = 0;
    std::function<std::string(const Line&)> text{};
    Tone (*tone)(const Line&) = nullptr;
    std::string (*gridText)(const Line&) = nullptr;
    std::string_view unit{};

    [[nodiscard]] std::string gridHeading() const {
        return unit.empty() ? heading : heading + " (" + std::string(unit) + ')';
    }
};

[[nodiscard]] std::vector<Shown> shown(List list, const Port& port, bool widened);

// Text: `marker` columns before the first ("* " on the best line), then the
// columns two apart. A line with `blank` leaves the first `blank` cells empty.
void writeTextHeading(std::ostream& out, const std::vector<Shown>& columns, std::size_t marker);
void writeTextLine(std::ostream& out, const std::vector<Shown>& columns, const Line& line,
                   std::size_t marker, std::size_t blank = 0);
// The columns as wide as their widest cell in `lines`, and only those that
// fit in `width` terminal columns (0: all): a drop rank says which go first.
[[nodiscard]] std::vector<Shown> fitted(std::vector<Shown> columns, std::size_t marker,
                                        std::span<const Line> lines, std::size_t width);

// CSV (RFC 4180, CRLF) and JSON, with the same keys for every family. A CSV
// line is a document's leading columns, then the mode's.
void writeCsvHeading(std::ostream& out, List lead);
void writeCsvLine(std::ostream& out, List lead, const Line& line);
[[nodiscard]] Json jsonOf(List list, const Line& line);

// A grid cell of a shown column.
[[nodiscard]] Cell cellOf(const Shown& column, const Line& line);

}  // namespace velmiro::report::columns
