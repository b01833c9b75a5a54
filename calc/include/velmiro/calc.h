// Baud-rate generator arithmetic of the PIC serial port and the number texts
// the window and the command line read and write. Standard C++ only, no I/O.
//
// One law, two policies over it: the window's stages keep its fixed integer
// widths (16-bit register value, rounded achieved rate, float deviation); the
// register-accurate results judge n against the real 8- or 16-bit register.
#pragma once

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

// Each flag is exactly 0 or 1.
struct GeneratorMode {
    int sync = 0;
    int brg16 = 0;
    int brgh = 0;
};

// "SYNC BRG16 BRGH" as three digits, e.g. "001".
[[nodiscard]] std::string modeKeyOf(const GeneratorMode& mode);

// Clock divisor of a mode key: 64, 16 or 4; 0 for any key without a row
// ("101", "111" and anything that is not an exact key).
[[nodiscard]] std::int16_t divisorForKey(std::string_view key);

struct ModeInfo {
    std::string_view key;  // "001"
    GeneratorMode mode;
    std::int16_t divisor;
};

// The six modes with a row, in table order: 000, 001, 010, 011, 100, 110.
[[nodiscard]] std::span<const ModeInfo> modeTable();

// The row of a key, or nullptr.
[[nodiscard]] const ModeInfo* findMode(std::string_view key);

// Largest value the generator register holds: 255 (8-bit) or 65535 (BRG16).
[[nodiscard]] std::int64_t registerMaximum(const GeneratorMode& mode);

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

enum class Verdict { Ok, OutOfTolerance, RegisterTooSmall };

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
[[nodiscard]] ModeResult registerForRate(std::int32_t frequency, std::int32_t rate,
                                         const ModeInfo& mode, const Judgement& judgement);

// Register -> rate: what a given n produces, judged against a rate when one is
// given. An n the register cannot hold has the verdict RegisterTooSmall and no rate.
[[nodiscard]] ModeResult rateForRegister(std::int32_t frequency, std::int64_t registerValue,
                                         std::optional<std::int32_t> rate, const ModeInfo& mode,
                                         const Judgement& judgement);

// The listed modes of one question, and the best of those that compete: the
// smallest worst case; the earlier in table order wins a tie (8-bit before
// 16-bit works on more devices).
struct Comparison {
    std::vector<ModeResult> modes;
    std::optional<std::size_t> best;  // index into modes

    [[nodiscard]] const ModeResult* bestMode() const { return best ? &modes[*best] : nullptr; }
    [[nodiscard]] bool isBest(std::size_t index) const { return best == index; }
};

// Every listed mode for F and B.
[[nodiscard]] Comparison compareModes(std::int32_t frequency, std::int32_t rate,
                                      const Judgement& judgement, const ModeChoice& choice);

// Every listed mode for a given n, judged against the rate when there is one.
[[nodiscard]] Comparison compareRegister(std::int32_t frequency, std::int64_t registerValue,
                                         std::optional<std::int32_t> rate,
                                         const Judgement& judgement, const ModeChoice& choice);

// Common oscillator frequencies in Hz, lowest first.
[[nodiscard]] std::span<const std::int32_t> commonCrystals();

struct CrystalFit {
    std::int32_t crystal = 0;
    double worstDeviationPercent = 0.0;  // largest worst case over the rates
    std::vector<ModeResult> rates;       // the best mode for each rate, in the given order
};

// The common crystals within [minimum, maximum] whose best mode is within
// tolerance for every rate, by worst deviation, then lowest frequency first.
[[nodiscard]] std::vector<CrystalFit> crystalsFor(std::span<const std::int32_t> rates,
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
