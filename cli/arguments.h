// What each argument of velmiro-cli may be: CLI11 validators that say in
// Italian what is wrong, and the readings of the texts they let through.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

#include "velmiro/calc.h"
#include "velmiro/report.h"

namespace velmiro::cli {

// Wrong usage that no single argument shows: exit status 2, the message on stderr.
class Refusal : public CLI::ParseError {
  public:
    explicit Refusal(std::string message);
};

// The five commands, in the order help lists them.
inline constexpr const char* commandNames[] = {"compare", "register", "header", "table",
                                               "crystals"};

// A frequency or rate above zero: "20M", "20.000.000", "115.2k".
CLI::Validator quantity();
// The first word of the short form: a crystal, or else a mistyped command.
CLI::Validator crystalOrCommand();
// A register value from 0 to 65535.
CLI::Validator registerValue();
// Above 0 and at most 100; at least 0 and below 100.
CLI::Validator tolerance();
CLI::Validator clockError();
CLI::Validator modeKey();
CLI::Validator format();
CLI::Validator prefix();

// Readings of texts the validators let through.
[[nodiscard]] std::int32_t quantityOf(const std::string& text);
[[nodiscard]] std::int64_t registerValueOf(const std::string& text);
[[nodiscard]] double percentOf(const std::string& text);
[[nodiscard]] report::Format formatOf(const std::string& text);

}  // namespace velmiro::cli
