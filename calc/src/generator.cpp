#include <array>
#include <cfloat>
#include <cmath>
#include <limits>

#include "velmiro/calc.h"

namespace velmiro {

namespace {

struct ErrorText {
    int number;
    const char* description;
};

constexpr ErrorText errorText(CalcErrorKind kind) {
    switch (kind) {
        case CalcErrorKind::TypeMismatch:
            return {13, "Tipo non corrispondente"};
        case CalcErrorKind::Overflow:
            return {6, "Overflow"};
        case CalcErrorKind::DivisionByZero:
            return {11, "Divisione per zero"};
    }
    return {0, ""};
}

[[noreturn]] void fail(CalcErrorKind kind) {
    throw CalcError(kind);
}

// A quotient with a zero divisor: x / 0 is a division by zero, 0 / 0 an
// invalid operation, which the generator law reports as an overflow.
[[noreturn]] void failZeroDivisor(bool dividendIsZero) {
    fail(dividendIsZero ? CalcErrorKind::Overflow : CalcErrorKind::DivisionByZero);
}

// Nearest integer, ties to the even neighbour, independent of the FPU mode.
double roundHalfEven(double x) {
    const double down = std::floor(x);
    const double rest = x - down;  // exact for every finite double
    if (rest > 0.5)
        return down + 1.0;
    if (rest < 0.5)
        return down;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

template <typename Int>
Int toIntChecked(double rounded) {
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Int>::max()))) {
        fail(CalcErrorKind::Overflow);
    }
    return static_cast<Int>(rounded);
}

template <typename Int>
Int checkedNarrow(std::int64_t wide) {
    if (wide < std::numeric_limits<Int>::min() || wide > std::numeric_limits<Int>::max()) {
        fail(CalcErrorKind::Overflow);
    }
    return static_cast<Int>(wide);
}

}  // namespace

CalcError::CalcError(CalcErrorKind kind)
    : std::runtime_error(errorText(kind).description), kind_(kind) {}

int CalcError::number() const noexcept {
    return errorText(kind_).number;
}

const char* CalcError::description() const noexcept {
    return errorText(kind_).description;
}

std::string modeKeyOf(const GeneratorMode& mode) {
    return std::to_string(mode.sync) + std::to_string(mode.brg16) + std::to_string(mode.brgh);
}

std::int16_t divisorForKey(std::string_view key) {
    struct Row {
        std::string_view key;
        std::int16_t divisor;
    };
    // SYNC together with BRGH has no row: the window never lets both be set.
    static constexpr std::array<Row, 6> rows{{
        {"000", 64},
        {"001", 16},
        {"010", 16},
        {"011", 4},
        {"100", 4},
        {"110", 4},
    }};
    for (const Row& row : rows) {
        if (row.key == key)
            return row.divisor;
    }
    return 0;
}

std::int16_t registerValueFor(std::int32_t frequency, std::int32_t rate, std::int16_t divisor) {
    if (rate == 0)
        failZeroDivisor(frequency == 0);
    const double perRate = static_cast<double>(frequency) / static_cast<double>(rate);
    if (divisor == 0)
        failZeroDivisor(perRate == 0.0);
    const double q = perRate / static_cast<double>(divisor) - 1.0;
    return toIntChecked<std::int16_t>(roundHalfEven(q));
}

std::int32_t achievedRateFor(std::int32_t frequency, std::int16_t registerValue,
                             std::int16_t divisor) {
    // Both the increment and the product live in 16 bits on the original
    // generator, so (n + 1) * D above 32767 is an overflow, not a bigger divisor.
    const auto next = checkedNarrow<std::int16_t>(std::int64_t{registerValue} + 1);
    const auto product = checkedNarrow<std::int16_t>(std::int64_t{next} * divisor);
    if (product == 0)
        failZeroDivisor(frequency == 0);
    const double rate = static_cast<double>(frequency) / static_cast<double>(product);
    return toIntChecked<std::int32_t>(roundHalfEven(rate));
}

Deviation deviationFor(std::int32_t achievedRate, std::int32_t rate) {
    const auto difference = checkedNarrow<std::int32_t>(std::int64_t{achievedRate} - rate);
    if (rate == 0)
        failZeroDivisor(difference == 0);
    const double percent = static_cast<double>(difference) / static_cast<double>(rate) * 100.0;
    if (!std::isfinite(percent) || std::fabs(percent) > static_cast<double>(FLT_MAX)) {
        fail(CalcErrorKind::Overflow);
    }
    // The verdict is taken on the stored float, so 0.99999999 % counts as 1 %.
    const auto stored = static_cast<float>(percent);
    return {stored, std::fabs(stored) >= 1.0f};
}

GeneratorResult computeGenerator(std::int32_t frequency, std::int32_t rate, std::int16_t divisor) {
    GeneratorResult result;
    result.registerValue = registerValueFor(frequency, rate, divisor);
    if (isTooLow(result.registerValue))
        return result;
    result.achievedRate = achievedRateFor(frequency, result.registerValue, divisor);
    result.deviation = deviationFor(result.achievedRate, rate);
    result.outcome = Outcome::Computed;
    return result;
}

}  // namespace velmiro
