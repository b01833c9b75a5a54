// Baud-rate generator arithmetic of the PIC serial port and the number texts
// the window and the command line read and write. Standard C++ only, no I/O.
//
// One law, two policies over it: the window's stages keep its fixed integer
// widths (16-bit register value, rounded achieved rate, float deviation); the
// register-accurate results judge n against the real 8- or 16-bit register.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmiro {

// ---------------------------------------------------------------- failures

// Ambiguous only comes from quantityFromText, which the window does not use.
enum class CalcErrorKind { TypeMismatch, Overflow, DivisionByZero, Ambiguous };

// The one failure of the calculation. It carries only its kind: each program
// that reports it says it in its own words.
class CalcError : public std::runtime_error {
  public:
    explicit CalcError(CalcErrorKind kind);

    [[nodiscard]] CalcErrorKind kind() const noexcept { return kind_; }

  private:
    CalcErrorKind kind_;
};

// ---------------------------------------------------------------- modes

// Each flag is exactly 0 or 1. For the EUSART these are its bits SYNC, BRG16
// and BRGH; every other family's mode is described by the same three facts
// (synchronous, 16-bit register, high speed) and names the bits it really has.
struct GeneratorMode {
    int sync = 0;
    int brg16 = 0;
    int brgh = 0;
    int fractional = 0;  // BCLKMOD (CLKMOD) of the multiprotocol UART
};

// "SYNC BRG16 BRGH" as three digits, e.g. "001".
[[nodiscard]] std::string modeKeyOf(const GeneratorMode& mode);

// Clock divisor of a mode key: 64, 16 or 4; 0 for any key without a row
// ("101", "111" and anything that is not an exact key).
[[nodiscard]] std::int16_t divisorForKey(std::string_view key);

// rate = F / (divisor * (n + offset)). A counter that reloads n counts n + 1
// clocks; the fractional one divides by n itself, so its offset is 0.
struct ModeInfo {
    std::string_view key;  // "001"
    GeneratorMode mode;
    std::int16_t divisor;
    std::int16_t offset = 1;
    std::int64_t minimumRegister = 0;
    std::int64_t maximumRegister = 0;  // 0: 255, or 65535 with BRG16
    bool samplesOnce = false;          // each bit sampled once, without majority detection
};

// The six modes with a row, in table order: 000, 001, 010, 011, 100, 110.
[[nodiscard]] std::span<const ModeInfo> modeTable();

// The row of a key, or nullptr.
[[nodiscard]] const ModeInfo* findMode(std::string_view key);

// Largest value the generator register holds: 255 (8-bit) or 65535 (BRG16).
[[nodiscard]] std::int64_t registerMaximum(const GeneratorMode& mode);
// The same for a mode of any family: its own maximum where it has one (20 bits).
[[nodiscard]] std::int64_t registerMaximum(const ModeInfo& mode);

// ---------------------------------------------------------------- families
// How to use them: take a Family from families() or findFamily("uart16"), or
// a Device from deviceFromText("PIC16F877A"), and hand its Peripheral to
// compareModes, compareRegister, crystalsFor, registerForRate or
// rateForRegister. The first number of every question is the clock the user
// gives (Fosc; the peripheral bus clock for pic32); the Peripheral's clock
// chain (a PLL, the family's clock source) turns it into the clock the
// generator counts. The modes, bit
// names and register names of the answer all come from the family, so no
// caller needs to know which family it holds. modeTable(), findMode(key)
// and divisorForKey(key) stay the EUSART's, for the main window.
//
//   const Device d = deviceFromText("PIC16C74A-I/P");  // check d.problem first
//   const Comparison c = compareModes(d.peripheral(), 20000000, 9600, {}, {});
//   const Comparison u = compareModes(*findFamily("uart16"), 32000000, 115200, {}, {});
//
// A part's erratum may avoid a mode (Verdict::Avoided, never best) or raise
// the smallest n a mode loads. A chosen key the family lacks is findMode's
// nullptr; modeKeysOf names the keys it has. report::Port carries the
// Peripheral and the part's name to every output.

// A bit a family's modes set, as its datasheet names it, and which of the
// three facts of a GeneratorMode it carries.
struct BitColumn {
    std::string_view name;  // "BRGS"
    int GeneratorMode::*value;
};

// Which part of n a register name shows: bits 7:0, 15:8, all of n, 15:0, 19:16.
enum class RegisterPart { Low, High, Whole, Word, Upper };

struct RegisterName {
    std::string_view name;  // "SPBRG", "UxBRGH"
    RegisterPart part;
};

// Where the generator's clock comes from: `input` divided by `divider`. A
// family with a choice (BCLKSEL) lists one of these per choice.
struct ClockSource {
    std::string_view key;              // the option value: "fosc/2"
    std::string_view input;            // the clock it divides: "Fosc", "AFVCO"
    int divider = 1;                   // the generator counts input / divider
    std::string_view generator;        // its name when divided: "Fcy", "Fp"
    std::string_view inputDefine;      // #define names: "FOSC"
    std::string_view generatorDefine;  // "FCY"
    int select = -1;                   // the selecting bits' value (BCLKSEL), -1 for none
};

struct Family {
    std::string_view key;    // the option value: "eusart"
    std::string_view parts;  // example parts, as users know them
    std::span<const ModeInfo> modes;
    std::span<const BitColumn> bits;
    std::string_view clockWord;             // the given clock in text: "quarzo", "PBCLK"
    std::span<const RegisterName> columns;  // the register as the text columns show it
    std::span<const RegisterName> defines;  // the register as the header defines it
    // Where the generator's clock comes from: one source, or the choices of
    // sourceBits with the reset default first.
    std::span<const ClockSource> sources;
    std::string_view sourceBits = {};  // the bits that choose one: "BCLKSEL"
};

// The source of a key among the family's choices, or nullptr.
[[nodiscard]] const ClockSource* findSource(const Family& family, std::string_view key);

// The families, the EUSART (today's default) first.
[[nodiscard]] std::span<const Family> families();
[[nodiscard]] const Family& eusart();
[[nodiscard]] const Family* findFamily(std::string_view key);

// The row of a key in one family, or nullptr.
[[nodiscard]] const ModeInfo* findMode(const Family& family, std::string_view key);

// The family's keys, "000, 001, 100", for a message.
[[nodiscard]] std::string modeKeysOf(const Family& family);

// A published erratum of some parts: the modes it touches either never load
// a value below minimumRegister, or are listed but never best.
struct Erratum {
    std::array<std::string_view, 2> keys;  // the modes it touches
    std::int64_t minimumRegister = 0;
    bool neverBest = false;
    std::string_view note;  // what it means for the user, in Italian
};

// The clock a part group's generator counts, as its datasheet names it, and
// the most that clock may be (0: not known).
struct PartClock {
    std::string_view name;  // "PBCLK2"; empty: the family's own word
    std::int64_t maximum = 0;
    std::string_view note = {};  // in Italian, when the part's UARTs differ
};

// Where in the clock chain the number the user gives sits.
enum class ClockPoint {
    Input,       // the clock the source divides: Fosc (PBCLK for PIC32), today's default
    Oscillator,  // the crystal or internal oscillator, before the PLL
    Generator,   // the clock the generator counts: Fcy, Fp
};

// From the user's number to the generator's clock: oscillator x pll = input,
// input / source divider = generator clock.
struct ClockChain {
    ClockPoint given = ClockPoint::Input;
    std::int64_t pllMultiplier = 1;       // M
    std::int64_t pllDivider = 1;          // N1 * N2 ...
    const ClockSource* source = nullptr;  // none: the family's default
};

// generator clock = given * multiplier / divider.
struct ClockRatio {
    std::int64_t multiplier = 1;
    std::int64_t divider = 1;
};

// What the generator of one part is: its family and, for some parts, an
// erratum and the clock its part group counts; and how the user's number
// reaches that clock.
struct Peripheral {
    Peripheral(const Family& f, const Erratum* e = nullptr, const PartClock* c = nullptr)  // NOLINT
        : family(&f), erratum(e), partClock(c) {}

    const Family* family;
    const Erratum* erratum;
    const PartClock* partClock;
    ClockChain chain;

    // The smallest n this mode loads on this part, and whether it may be best.
    [[nodiscard]] std::int64_t registerMinimum(const ModeInfo& mode) const;
    [[nodiscard]] bool avoided(const ModeInfo& mode) const;
    [[nodiscard]] const ClockSource& source() const;
    // The source's input clock by the part's name for it: "Fosc", "PBCLK2".
    [[nodiscard]] std::string_view inputName() const;
    [[nodiscard]] ClockRatio ratio() const;
    // The clocks of the chain for a given number, in Hz.
    [[nodiscard]] double inputClock(std::int32_t given) const;
    [[nodiscard]] double generatorClock(std::int32_t given) const;
};

// A part number as people write it: "PIC16F877A", "16f877a", "PIC18LF46K22",
// "pic24fj64ga002", "PIC16F1827-I/P". Case, the PIC prefix, LF or F and the
// package after '-' do not count.
enum class DeviceProblem {
    None,
    Unknown,  // no rule knows the part
};

struct Device {
    std::string part;  // as read: upper case, without the package
    const Family* family = nullptr;
    const Erratum* erratum = nullptr;
    const PartClock* clock = nullptr;
    DeviceProblem problem = DeviceProblem::None;

    [[nodiscard]] Peripheral peripheral() const { return {*family, erratum, clock}; }
};

// The family has a value only when problem is None.
[[nodiscard]] Device deviceFromText(std::string_view text);

// ---------------------------------------------------------------- generator law

enum class Outcome { TooLow, Computed };

struct Deviation {
    float percent = 0.0f;         // signed, positive when the achieved rate is higher
    bool outOfTolerance = false;  // |percent| >= 1.0
};

struct GeneratorResult {
    std::int16_t registerValue = 0;
    Outcome outcome = Outcome::TooLow;
    std::int32_t achievedRate = 0;  // only when computed
    Deviation deviation;            // only when computed
};

// The three stages, in the order a caller that shows partial results needs
// them. Each throws CalcError (Overflow or DivisionByZero).

// Register value n = round((F / B) / D - 1), ties to even, within 16 bits.
[[nodiscard]] std::int16_t registerValueFor(std::int32_t frequency, std::int32_t rate,
                                            std::int16_t divisor);

// Below 1 the generator cannot reach the rate: nothing more is computed.
[[nodiscard]] constexpr bool isTooLow(std::int16_t registerValue) {
    return registerValue < 1;
}

// Achieved rate A = round(F / ((n + 1) * D)), ties to even; (n + 1) * D must fit 16 bits.
[[nodiscard]] std::int32_t achievedRateFor(std::int32_t frequency, std::int16_t registerValue,
                                           std::int16_t divisor);

// Deviation P = (A - B) / B * 100, kept as a 32-bit float before it is judged.
[[nodiscard]] Deviation deviationFor(std::int32_t achievedRate, std::int32_t rate);

// The three stages composed.
[[nodiscard]] GeneratorResult computeGenerator(std::int32_t frequency, std::int32_t rate,
                                               std::int16_t divisor);

// ---------------------------------------------------------------- register-accurate results
// The same law in widths that cannot overflow for any 32-bit F and B, with the
// achieved rate and the deviation kept in double precision, and n loaded into
// the register the mode really has.

// Avoided: a mode an erratum of the part advises against, whatever its deviation.
enum class Verdict { Ok, OutOfTolerance, RegisterTooSmall, Avoided };

// How a deviation is judged: against the tolerance, over the worst case of the
// clock's own error (0 for a crystal taken as exact).
struct Judgement {
    double tolerancePercent = 1.0;
    double clockErrorPercent = 0.0;
};

struct ModeResult {
    const ModeInfo* mode = nullptr;
    std::int64_t registerValue = 0;          // n as loaded into the register
    std::int64_t neededRegister = 0;         // n the rate asks for; differs when limited
    std::optional<double> achieved;          // when the register holds n
    std::optional<double> deviationPercent;  // when there is also a rate to compare with
    std::optional<double> worstCasePercent;  // |deviation| widened by the clock error
    std::optional<Verdict> verdict;          // none for a rate that was not asked for

    // The rate asked for needs a value beyond the register's range.
    [[nodiscard]] bool limited() const { return registerValue != neededRegister; }
    // False only for a given n the register cannot hold.
    [[nodiscard]] bool registerHolds() const { return achieved.has_value(); }
};

// Which modes compete for "best", and which are shown.
struct ModeChoice {
    bool sync = false;     // the synchronous modes compete instead of the asynchronous ones
    std::string_view key;  // only this mode, when not empty
};

// The mode of a choice that a command lists: every row, or the chosen key.
[[nodiscard]] bool isListed(const ModeInfo& mode, const ModeChoice& choice);

// The largest |deviation| over the clock's error: |P| + c * A / B, in percent.
[[nodiscard]] double worstCasePercent(double deviationPercent, double clockErrorPercent);

// Rate -> register: n = round((F / B) / D - 1), exact ties upward (the closer
// rate), clamped into the register, then taken forwards again and judged.
// Throws CalcError for B = 0.
[[nodiscard]] ModeResult registerForRate(const Peripheral& peripheral, std::int32_t frequency,
                                         std::int32_t rate, const ModeInfo& mode,
                                         const Judgement& judgement);

// Register -> rate: what a given n produces, judged against a rate when one is
// given. An n the register cannot hold has the verdict RegisterTooSmall and no rate.
[[nodiscard]] ModeResult rateForRegister(const Peripheral& peripheral, std::int32_t frequency,
                                         std::int64_t registerValue,
                                         std::optional<std::int32_t> rate, const ModeInfo& mode,
                                         const Judgement& judgement);

// The listed modes of one question, and the best of those that compete: the
// smallest worst case; the earlier in table order wins a tie (8-bit before
// 16-bit works on more devices). A mode an erratum avoids never competes, so
// a chosen mode that is avoided leaves the comparison without a best.
struct Comparison {
    std::vector<ModeResult> modes;
    std::optional<std::size_t> best;  // index into modes

    [[nodiscard]] const ModeResult* bestMode() const { return best ? &modes[*best] : nullptr; }
    [[nodiscard]] bool isBest(std::size_t index) const { return best == index; }
};

// Every listed mode for F and B.
[[nodiscard]] Comparison compareModes(const Peripheral& peripheral, std::int32_t frequency,
                                      std::int32_t rate, const Judgement& judgement,
                                      const ModeChoice& choice);

// Every listed mode for a given n, judged against the rate when there is one.
[[nodiscard]] Comparison compareRegister(const Peripheral& peripheral, std::int32_t frequency,
                                         std::int64_t registerValue,
                                         std::optional<std::int32_t> rate,
                                         const Judgement& judgement, const ModeChoice& choice);

// The fastest rate of any listed mode: the generator's clock over the smallest
// D * (n + offset) a mode loads, and that mode's n.
struct Fastest {
    double rate = 0.0;
    std::int64_t divisor = 0;  // D * (n + offset)
    std::int64_t registerValue = 0;
};
[[nodiscard]] Fastest fastestRate(const Peripheral& peripheral, std::int32_t frequency);

// Common oscillator frequencies in Hz, lowest first.
[[nodiscard]] std::span<const std::int32_t> commonCrystals();

struct CrystalFit {
    std::int32_t crystal = 0;
    double worstDeviationPercent = 0.0;  // largest worst case over the rates
    std::vector<ModeResult> rates;       // the best mode for each rate, in the given order
};

// The common crystals within [minimum, maximum], and within the part group's
// maximum clock through the chain, whose best mode is within tolerance for every rate, by worst
// deviation, then lowest frequency first.
[[nodiscard]] std::vector<CrystalFit> crystalsFor(const Peripheral& peripheral,
                                                  std::span<const std::int32_t> rates,
                                                  const Judgement& judgement,
                                                  const ModeChoice& choice, std::int32_t minimum,
                                                  std::int32_t maximum);

// ---------------------------------------------------------------- number texts
// Italian conventions whatever the system locale: "." groups thousands, ","
// separates decimals.

// "20.000.000" -> 20000000. Blanks around the number are ignored; an optional
// sign; either plain digits or well-formed groups of three; an optional
// decimal part rounded to the nearest integer, ties to even.
// Throws TypeMismatch for anything else, Overflow outside 32 bits.
[[nodiscard]] std::int32_t integerFromText(std::string_view text);

// Plain decimal digits, leading "-" when negative: -1 -> "-1".
[[nodiscard]] std::string textOfInteger(std::int32_t value);

// Like integerFromText, and also with a suffix k (or K) or M, before which the
// decimal separator may be "," or ".": "11,0592M", "115.2k"; or with k or M in
// place of the decimal point: "9k6", "115k2". A unit may follow, in any case:
// Hz (then m means M too: "20mhz"), bps or baud. A leftover fraction is
// rounded as integerFromText rounds it. A text that reads two ways ("1.000k":
// a thousand kilo or one kilo) throws Ambiguous.
[[nodiscard]] std::int32_t quantityFromText(std::string_view text);

// Pattern "0.0#": 0.16145833 -> "0,16", 0.0 -> "0,0", -1.3541666 -> "-1,35".
// Rounds half away from zero on the exact value; a result of zero has no sign.
// Throws Overflow for a value that is not finite.
[[nodiscard]] std::string textOfDeviation(float percent);

}  // namespace velmiro
