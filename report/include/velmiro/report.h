// What velmiro-cli and the desktop companion both print: the Italian words and
// numbers of a result, its text, CSV and JSON forms, the C header for firmware,
// and the messages for a text that does not read. No Qt, no I/O but the given
// stream.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmiro/calc.h"

namespace velmiro::report {

// ---------------------------------------------------------------- words and numbers

// "ok", "fuori tolleranza", "registro troppo piccolo", "sconsigliato dall'errata".
[[nodiscard]] std::string_view verdictText(Verdict verdict);

// "ok", "out_of_tolerance", "register_too_small": the JSON and CSV names.
[[nodiscard]] std::string_view verdictKey(Verdict verdict);

// "0,16": Italian decimal comma, and no sign on a value that rounds to zero.
[[nodiscard]] std::string decimalText(double value, int decimals);

// A percentage as people write it: 1 -> "1", 0.5 -> "0,5".
[[nodiscard]] std::string percentText(double value);

// "0x40".
[[nodiscard]] std::string hexByte(std::int64_t value);

// The part of n a register name shows: "0x40" for a byte, "0x0022" for a
// whole 16-bit register.
[[nodiscard]] std::string registerHex(std::int64_t n, RegisterPart part);
[[nodiscard]] std::int64_t registerPart(std::int64_t n, RegisterPart part);

// Italian thousands: 16000000 -> "16.000.000", 1789772.5 -> "1.789.772,5".
[[nodiscard]] std::string groupedText(double value);

// The high and low byte of n.
[[nodiscard]] constexpr std::int64_t highByte(std::int64_t n) {
    return n >> 8;
}
[[nodiscard]] constexpr std::int64_t lowByte(std::int64_t n) {
    return n & 0xFF;
}

// n as loaded, marked where the register's limit replaced the needed value:
// "64", "255 (max)", "0 (min)".
[[nodiscard]] std::string registerText(const ModeResult& result);

// ---------------------------------------------------------------- what people type

struct Reading {
    std::optional<std::int32_t> value;
    std::string problem;  // the Italian message when there is no value
};

// A frequency or rate above zero in any form quantityFromText reads. The
// message does not name the field: each face puts it where the field is.
[[nodiscard]] Reading readPositiveQuantity(std::string_view text);

// Empty when `prefix` can start the names of a header's #defines; else why not.
[[nodiscard]] std::string prefixProblem(std::string_view prefix);

// A percentage as velmiro-cli reads it: "1", "0,5", "2.5", "2%", blanks around
// it ignored. A tolerance is above zero and at most 100; a clock error is from
// 0 to below 100.
struct PercentReading {
    std::optional<double> value;
    std::string problem;  // the Italian message when there is no value
};
[[nodiscard]] PercentReading readTolerance(std::string_view text);
[[nodiscard]] PercentReading readClockError(std::string_view text);

// Empty when the part reads as a known device; else why not. An unknown part
// gets the five families with their example parts and the advice to choose
// one with --family.
[[nodiscard]] std::string deviceProblem(std::string_view typed, const Device& device);

// Empty when --family and the family of --device agree; else what to do.
[[nodiscard]] std::string familyConflict(const Device& device, const Family& family);

// Below it no PIC runs a serial port: a frequency this low is most likely a slip.
inline constexpr std::int32_t lowestClock = 1000000;

// Advice on stderr for a likely slip: a frequency typed without its M (below
// lowestClock; `field` names where it was typed), a rate no mode can reach. Empty
// when there is none. A suggested text always reads.
[[nodiscard]] std::string frequencyHint(std::string_view field, std::string_view typed,
                                        std::int32_t value);
[[nodiscard]] std::string rateHint(const Peripheral& peripheral, std::int32_t crystal,
                                   std::int32_t rate);

// ---------------------------------------------------------------- results

enum class Format { Text, Csv, Json };

// Which serial port an answer is for: the family and erratum that computed
// it, and the part as read when one was given (empty otherwise).
struct Port {
    Peripheral peripheral{eusart()};
    std::string device;
    std::string pll = {};  // the PLL's ratio as the chain shows it, "40/2/2", with an oscillator

    [[nodiscard]] const Family& family() const { return *peripheral.family; }
};

// The port of a part that reads (deviceProblem is empty).
[[nodiscard]] Port portOf(const Device& device);

// How a face names its clock inputs in advice: options on the command line,
// fields in the companion.
struct ClockWords {
    std::string_view pllAside;  // after "Il PLL": " (--pll)"
    std::string_view pll;       // "--pll"
    std::string_view clock;     // "--clock ", before the name of a clock
    bool lowerCase;             // that name as the option takes it: "fcy"
};
inline constexpr ClockWords commandLineWords{" (--pll)", "--pll", "--clock ", true};

// Advice when the clock the first number names is beyond what the part can run
// at (the part group's maximum): the number still counts, but it may be the
// system clock or the crystal before the PLL. Empty when within it or unknown.
[[nodiscard]] std::string clockLimitHint(const Port& port, std::int32_t given,
                                         const ClockWords& words = commandLineWords);

// "a, b e c": a list as a sentence says it, joined by `last` ("e", "o").
[[nodiscard]] std::string listText(std::span<const std::string_view> items, std::string_view last);

// ---------------------------------------------------------------- the clock the user has

// A PLL's ratio: "4" or "M/N1/N2 ..." as 40/2/2.
struct PllRatio {
    std::int64_t multiplier = 1;
    std::int64_t divider = 1;
};
// None when a factor is not a whole number from 1 to 1000, there are more than
// four, or the dividers together exceed 65536 (the law's integers stay in 64 bits).
[[nodiscard]] std::optional<PllRatio> readPll(std::string_view text);
// Why a ratio readPll refuses does not read.
[[nodiscard]] std::string pllProblem(std::string_view text);

// How the first number reaches the generator, as typed; none: not given.
struct ClockOptions {
    std::optional<std::string_view> pll;     // the number is the oscillator before this PLL
    std::optional<std::string_view> clock;   // which clock the number is: "fosc", "PBCLK2"
    std::optional<std::string_view> source;  // the family's clock source (BCLKSEL): "fosc"
};
// What did not read, each for its option, without the option's name.
struct ClockProblems {
    std::string pll, clock, source;
    [[nodiscard]] bool any() const { return !pll.empty() || !clock.empty() || !source.empty(); }
};
// Sets the port's clock chain from the options that read; `first` names the
// first number in a message ("CLOCK"). A PLL and a clock name together are
// the caller's to refuse: with a PLL the first number is the oscillator.
ClockProblems applyClockOptions(Port& port, const ClockOptions& typed, std::string_view first);
// The clocks the first number may be, by the port's names: the input ("Fosc",
// "PBCLK2") and, where the family divides it, the generator's ("Fcy").
[[nodiscard]] std::vector<std::string> clockNames(const Port& port);
// The name of the clock the first number is, for a label: "Quarzo", "Fosc", "PBCLK2".
[[nodiscard]] std::string givenClockTitle(const Port& port);

// What a command was asked. crystal is the clock the user gives: Fosc, or
// the peripheral bus clock for pic32.
struct Query {
    std::int32_t crystal = 0;
    std::optional<std::int32_t> rate;           // none for register without BAUD
    std::optional<std::int64_t> registerValue;  // register's N
    Judgement judgement;
    Port port;
};

// One rate of a table.
struct TableRow {
    std::int32_t rate = 0;
    Comparison modes;
};

// The rates a table has when none are named.
[[nodiscard]] std::span<const std::int32_t> defaultTableRates();

// A datasheet table: every rate, the asynchronous blocks only unless the
// choice asks for the synchronous ones or names a mode.
[[nodiscard]] std::vector<TableRow> tableOf(const Peripheral& peripheral, std::int32_t crystal,
                                            std::span<const std::int32_t> rates,
                                            const Judgement& judgement, const ModeChoice& choice);

// compare and register. In text, `width` is the terminal's width when the
// output goes to one (0: no limit): the columns that do not fit are left out.
void writeModes(std::ostream& out, Format format, const Query& query, const Comparison& modes,
                std::size_t width = 0);

void writeTable(std::ostream& out, Format format, const Query& query,
                std::span<const TableRow> rows);

void writeCrystals(std::ostream& out, Format format, const Port& port,
                   std::span<const std::int32_t> rates, const Judgement& judgement,
                   std::span<const CrystalFit> fits);

// #define lines named prefix + FOSC, BAUD, ..., then the family's bits and
// register names; the mode must have a rate. An answer out of tolerance also
// carries a #warning, so the firmware build shows it; a part given by name is
// named in a comment with its family.
// The text output's lines about the port, for a face that shows them apart:
// the clock the generator counts when it is not the given one, the part and
// its family, what the part's erratum means. Nothing for a plain EUSART.
void writePortNotes(std::ostream& out, const Port& port, std::optional<std::int32_t> clock);

void writeHeader(std::ostream& out, std::string_view prefix, const Query& query,
                 const ModeResult& mode);

}  // namespace velmiro::report
