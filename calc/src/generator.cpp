#include <cfloat>
#include <cmath>
#include <limits>

#include "law.h"
#include "velmiro/calc.h"

namespace velmiro {

using law::fail;
using law::roundHalfEven;

namespace law {

[[noreturn]] void fail(CalcErrorKind kind) {
    throw CalcError(kind);
}

[[noreturn]] void failZeroDivisor(bool dividendIsZero) {
    fail(dividendIsZero ? CalcErrorKind::Overflow : CalcErrorKind::DivisionByZero);
}

double registerQuotient(std::int32_t frequency, std::int32_t rate, std::int16_t divisor) {
    if (rate == 0)
        failZeroDivisor(frequency == 0);
    const double perRate = static_cast<double>(frequency) / static_cast<double>(rate);
    if (divisor == 0)
        failZeroDivisor(perRate == 0.0);
    return perRate / static_cast<double>(divisor) - 1.0;
}

double roundHalfEven(double x) {
    const double down = std::floor(x);
    const double rest = x - down;  // exact for every finite double
    if (rest > 0.5)
        return down + 1.0;
    if (rest < 0.5)
        return down;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

std::int64_t nearestRegisterUp(std::int32_t frequency, std::int32_t rate, std::int16_t divisor) {
    return nearestRegister(frequency, std::int64_t{rate} * divisor, 1);
}

std::int64_t nearestRegister(std::int64_t frequency, std::int64_t product, std::int64_t offset) {
    if (product == 0)
        failZeroDivisor(frequency == 0);
    // floor((F / m - o) + 1/2) = floor((2F - (2o - 1) m) / 2m), with a floor that also holds
    // below zero.
    const std::int64_t numerator = 2 * frequency - (2 * offset - 1) * product;
    const std::int64_t denominator = 2 * product;
    std::int64_t n = numerator / denominator;
    if ((numerator % denominator != 0) && ((numerator < 0) != (denominator < 0)))
        --n;
    return n;
}

double rateOf(std::int64_t frequency, std::int64_t product) {
    if (product == 0)
        failZeroDivisor(frequency == 0);
    return static_cast<double>(frequency) / static_cast<double>(product);
}

double percentOff(std::int64_t difference, std::int64_t base) {
    if (base == 0)
        failZeroDivisor(difference == 0);
    return static_cast<double>(difference) / static_cast<double>(base) * 100.0;
}

bool withinTolerance(double percent, double tolerancePercent) {
    return std::fabs(percent) < tolerancePercent;
}

}  // namespace law

namespace {

// For developers only: what() of a failure nobody reported.
const char* kindName(CalcErrorKind kind) {
    switch (kind) {
        case CalcErrorKind::TypeMismatch:
            return "type mismatch";
        case CalcErrorKind::Overflow:
            return "overflow";
        case CalcErrorKind::DivisionByZero:
            return "division by zero";
        case CalcErrorKind::Ambiguous:
            return "ambiguous number";
    }
    return "calculation failure";
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

CalcError::CalcError(CalcErrorKind kind) : std::runtime_error(kindName(kind)), kind_(kind) {}

std::string modeKeyOf(const GeneratorMode& mode) {
    return std::to_string(mode.sync) + std::to_string(mode.brg16) + std::to_string(mode.brgh);
}

std::int16_t divisorForKey(std::string_view key) {
    const ModeInfo* mode = findMode(key);
    return mode != nullptr ? mode->divisor : std::int16_t{0};
}

std::int64_t registerMaximum(const GeneratorMode& mode) {
    return mode.brg16 != 0 ? 65535 : 255;
}

std::int64_t registerMaximum(const ModeInfo& mode) {
    return mode.maximumRegister != 0 ? mode.maximumRegister : registerMaximum(mode.mode);
}

std::int16_t registerValueFor(std::int32_t frequency, std::int32_t rate, std::int16_t divisor) {
    return toIntChecked<std::int16_t>(
        roundHalfEven(law::registerQuotient(frequency, rate, divisor)));
}

std::int32_t achievedRateFor(std::int32_t frequency, std::int16_t registerValue,
                             std::int16_t divisor) {
    // The window's generator keeps the increment and the product in 16 bits, so
    // (n + 1) * D above 32767 is an overflow, not a bigger divisor.
    const auto next = checkedNarrow<std::int16_t>(std::int64_t{registerValue} + 1);
    const auto product = checkedNarrow<std::int16_t>(std::int64_t{next} * divisor);
    return toIntChecked<std::int32_t>(roundHalfEven(law::rateOf(frequency, product)));
}

Deviation deviationFor(std::int32_t achievedRate, std::int32_t rate) {
    const auto difference = checkedNarrow<std::int32_t>(std::int64_t{achievedRate} - rate);
    const double percent = law::percentOff(difference, rate);
    if (!std::isfinite(percent) || std::fabs(percent) > static_cast<double>(FLT_MAX)) {
        fail(CalcErrorKind::Overflow);
    }
    // The verdict is taken on the stored float, so 0.99999999 % counts as 1 %.
    const auto stored = static_cast<float>(percent);
    return {stored, !law::withinTolerance(stored, 1.0)};
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
