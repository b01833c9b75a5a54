// The generator law, rate = F / (D * (n + 1)), in the pieces that the window's
// stages and the register-accurate results both build on.
#pragma once

#include <cstdint>

#include "velmiro/calc.h"

namespace velmiro::law {

[[noreturn]] void fail(CalcErrorKind kind);

// x / 0 is a division by zero, 0 / 0 an invalid operation, reported as an overflow.
[[noreturn]] void failZeroDivisor(bool dividendIsZero);

// q = (F / B) / D - 1, in this order, in double precision.
double registerQuotient(std::int32_t frequency, std::int32_t rate, std::int16_t divisor);

// Nearest integer, ties to the even neighbour, independent of the FPU mode.
double roundHalfEven(double x);

// n = round(F / (B * D) - 1) with exact ties upward, over integers: every
// 32-bit F and B gives the exact nearest value, even where a double quotient
// could land on the wrong side of a half.
std::int64_t nearestRegisterUp(std::int32_t frequency, std::int32_t rate, std::int16_t divisor);

// n = round(F / m - offset), exact ties upward, for any F and m below 2^61.
std::int64_t nearestRegister(std::int64_t frequency, std::int64_t product, std::int64_t offset);

// The rate a divisor product m = (n + 1) * D gives: F / m.
double rateOf(std::int64_t frequency, std::int64_t product);

// difference / base * 100: the signed deviation of a rate from its target.
double percentOff(std::int64_t difference, std::int64_t base);

// Within tolerance: |percent| strictly below it.
bool withinTolerance(double percent, double tolerancePercent);

}  // namespace velmiro::law
