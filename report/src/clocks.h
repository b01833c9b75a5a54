// The clock chain of an answer in its text, JSON and header forms, for
// report.cpp: from the number the user gave to the clock the generator counts.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "velmiro/report.h"

namespace velmiro::report::clocks {

// The given clock at the start of a line: "Quarzo", "Fosc", "PBCLK2", "Fcy".
[[nodiscard]] std::string title(const Port& port);

// The same as a word inside a sentence: "quarzo", "Fosc".
[[nodiscard]] std::string word(const Port& port);

// The chain on one line, when there is more to it than the given clock:
// "Quarzo 8.000.000 Hz × 4 = Fosc 32.000.000 Hz; Fcy = Fosc / 2 = 16.000.000 Hz".
void writeChain(std::ostream& out, const Port& port, std::int32_t given);

// The chain as JSON, with the same keys for every family and null where a
// clock or a choice does not apply: which clock was given, the oscillator and
// PLL, the input clock and the generator's by name and Hz, the source bits.
// Without a given clock (the crystal finder) the names only.
[[nodiscard]] nlohmann::ordered_json json(const Port& port, std::optional<std::int32_t> given);

// The header's clock #defines, name and value in Hz, the given clock first.
[[nodiscard]] std::vector<std::pair<std::string, std::string>> defines(const Port& port,
                                                                       std::int32_t given);

// "PBCLK2" -> "pbclk2": a clock's name as --clock takes it.
[[nodiscard]] std::string lowerCase(std::string_view name);

// A clock in Hz with Italian grouping and up to two decimals: "4.000.000,5".
[[nodiscard]] std::string hertzText(double value);

}  // namespace velmiro::report::clocks
