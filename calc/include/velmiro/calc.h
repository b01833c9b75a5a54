// Baud-rate generator arithmetic of the PIC serial port and the number texts
// the window reads and writes. Standard C++ only.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmiro {

// ---------------------------------------------------------------- failures

enum class CalcErrorKind { TypeMismatch, Overflow, DivisionByZero };

// The one failure of the calculation. It carries the classic runtime error
// number and its Italian description so that a desktop report can show both.
class CalcError : public std::runtime_error {
  public:
    explicit CalcError(CalcErrorKind kind);

    CalcErrorKind kind() const noexcept { return kind_; }
    int number() const noexcept;               // 13, 6 or 11
    const char* description() const noexcept;  // UTF-8, same text as what()

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
std::string modeKeyOf(const GeneratorMode& mode);

// Clock divisor of a mode key: 64, 16 or 4; 0 for any key without a row
// ("101", "111" and anything that is not an exact key).
std::int16_t divisorForKey(std::string_view key);

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
std::int16_t registerValueFor(std::int32_t frequency, std::int32_t rate, std::int16_t divisor);

// Below 1 the generator cannot reach the rate: nothing more is computed.
constexpr bool isTooLow(std::int16_t registerValue) {
    return registerValue < 1;
}

// Achieved rate A = round(F / ((n + 1) * D)), ties to even; (n + 1) * D must fit 16 bits.
std::int32_t achievedRateFor(std::int32_t frequency, std::int16_t registerValue,
                             std::int16_t divisor);

// Deviation P = (A - B) / B * 100, kept as a 32-bit float before it is judged.
Deviation deviationFor(std::int32_t achievedRate, std::int32_t rate);

// The three stages composed.
GeneratorResult computeGenerator(std::int32_t frequency, std::int32_t rate, std::int16_t divisor);

// ---------------------------------------------------------------- number texts
// Italian conventions whatever the system locale: "." groups thousands, ","
// separates decimals.

// "20.000.000" -> 20000000. Blanks around the number are ignored; an optional
// sign; either plain digits or well-formed groups of three; an optional
// decimal part rounded to the nearest integer, ties to even.
// Throws TypeMismatch for anything else, Overflow outside 32 bits.
std::int32_t integerFromText(std::string_view text);

// Plain decimal digits, leading "-" when negative: -1 -> "-1".
std::string textOfInteger(std::int32_t value);

// Pattern "0.0#": 0.16145833 -> "0,16", 0.0 -> "0,0", -1.3541666 -> "-1,35".
// Rounds half away from zero on the exact value; a result of zero has no sign.
// Throws Overflow for a value that is not finite.
std::string textOfDeviation(float percent);

}  // namespace velmiro
