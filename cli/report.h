// What velmiro-cli prints: the results of each command as text, CSV or JSON,
// and the C header for firmware.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "velmiro/calc.h"

namespace velmiro::cli {

enum class Format { Text, Csv, Json };

// What a command was asked.
struct Query {
    std::int32_t crystal = 0;
    std::optional<std::int32_t> rate;           // none for register without BAUD
    std::optional<std::int64_t> registerValue;  // register's N
    double tolerancePercent = 1.0;
};

// One rate of a table: every listed mode, best marked.
struct TableRow {
    std::int32_t rate = 0;
    std::vector<ModeResult> modes;
};

// compare and register.
void writeModes(std::ostream& out, Format format, const Query& query,
                std::span<const ModeResult> modes);

void writeTable(std::ostream& out, Format format, const Query& query,
                std::span<const TableRow> rows);

void writeCrystals(std::ostream& out, Format format, std::span<const std::int32_t> rates,
                   double tolerancePercent, std::span<const CrystalFit> fits);

// #define lines named prefix + FOSC, BAUD, ...; the mode must have a rate.
void writeHeader(std::ostream& out, const std::string& prefix, const Query& query,
                 const ModeResult& mode);

// "0,16": Italian decimal comma, and no sign on a value that rounds to zero.
std::string decimalText(double value, int decimals);

}  // namespace velmiro::cli
