// What each argument of velmiro-cli may be: CLI11 validators that say in
// Italian what is wrong and turn a text they let through into the form its
// option's typed value reads.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "options.h"

namespace velmiro::cli {

// Wrong usage that no single argument shows: exit status 2, the message on stderr.
class Refusal : public CLI::ParseError {
  public:
    explicit Refusal(std::string message);
};

// The commands, in the order help lists them.
inline constexpr std::string_view commandNames[] = {"compare", "register", "header",
                                                    "table",   "crystals", "link"};

using report::listText;

// The keys of a family's modes in table order: all, or those whose SYNC bit is `sync`.
[[nodiscard]] std::vector<std::string_view> modeKeys(const Family& family,
                                                     std::optional<int> sync = {});
// The keys of every family's modes, each once, in the families' order.
[[nodiscard]] std::vector<std::string_view> allModeKeys();
// eusart, usart, uart18, uart16, pic32.
[[nodiscard]] std::vector<std::string_view> familyNames();
// text, csv, json.
[[nodiscard]] std::span<const std::string_view> formatNames();

// A unit typed as a word of its own, as in "115200 baud": it reads only as
// part of its number, which `unitAdvice` says.
[[nodiscard]] bool isUnit(std::string_view word);
inline constexpr const char* unitAdvice =
    "l'unità va attaccata al numero, come 115200baud o 20MHz, o si omette";

// "FOSC/2" -> "fosc/2": names compared in any case.
[[nodiscard]] std::string lowerCase(std::string_view text);

// The name of `names` nearest `text`, when it is a likely slip (two edits or
// fewer, case aside); else empty.
[[nodiscard]] std::string nearestName(std::string_view text, std::span<const std::string> names);

// Checks, for texts bound to a Quantity: a frequency or rate above zero
// ("20M", "20.000.000", "115.2k"), and the first word of the short form, a
// crystal or else a mistyped command.
CLI::Validator quantity();
CLI::Validator crystalOrCommand();
// Transforms, each for the typed value named.
CLI::Validator registerValue();  // std::int64_t, 0 to 1048575
CLI::Validator tolerance();      // double, above 0 and at most 100
CLI::Validator clockError();     // double, at least 0 and below 100
CLI::Validator modeKey();        // std::string, a key of some family's modes
CLI::Validator family();         // std::string, a family's name
CLI::Validator format();         // report::Format
CLI::Validator prefix();         // a check
CLI::Validator frame();          // std::string, "8N1" as frameFromText reads it, upper case
CLI::Validator margin();         // double, above 0 and at most 100
CLI::Validator pllRatio();       // a check

}  // namespace velmiro::cli
