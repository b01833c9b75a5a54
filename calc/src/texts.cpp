#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "velmiro/calc.h"

namespace velmiro {

namespace {

constexpr char groupSeparator = '.';
constexpr char decimalSeparator = ',';

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void typeMismatch() {
    throw CalcError(CalcErrorKind::TypeMismatch);
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Digits of the integer part, plain ("1000000") or grouped ("1.000.000").
// Returns the digits with the separators removed.
std::string integerDigits(std::string_view part) {
    std::string digits;
    std::size_t groupLength = 0;
    bool grouped = false;
    for (char c : part) {
        if (isDigit(c)) {
            digits += c;
            ++groupLength;
        } else if (c == groupSeparator) {
            // The first group holds one to three digits, every later one three.
            if (groupLength == 0 || groupLength > 3 || (grouped && groupLength != 3)) {
                typeMismatch();
            }
            grouped = true;
            groupLength = 0;
        } else {
            typeMismatch();
        }
    }
    if (groupLength == 0 || (grouped && groupLength != 3))
        typeMismatch();
    return digits;
}

// Whether the fraction .digits lies above one half, exactly on it, or below.
int compareWithHalf(std::string_view digits) {
    if (digits.front() != '5')
        return digits.front() > '5' ? 1 : -1;
    for (char c : digits.substr(1)) {
        if (c != '0')
            return 1;
    }
    return 0;
}

}  // namespace

std::int32_t integerFromText(std::string_view text) {
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t comma = text.find(decimalSeparator);
    const std::string digits = integerDigits(text.substr(0, comma));
    std::string_view fraction;
    if (comma != std::string_view::npos) {
        fraction = text.substr(comma + 1);
        if (fraction.empty())
            typeMismatch();
        for (char c : fraction) {
            if (!isDigit(c))
                typeMismatch();
        }
    }

    // Saturate well above the 32-bit range: any longer number is an overflow.
    constexpr std::uint64_t saturated = 1ULL << 40;
    std::uint64_t magnitude = 0;
    for (char c : digits) {
        magnitude = std::min(saturated, magnitude * 10 + static_cast<std::uint64_t>(c - '0'));
    }
    if (!fraction.empty()) {
        const int half = compareWithHalf(fraction);
        if (half > 0 || (half == 0 && magnitude % 2 == 1))
            ++magnitude;
    }

    const std::uint64_t limit =
        negative ? std::uint64_t{1} << 31 : std::uint64_t{std::numeric_limits<std::int32_t>::max()};
    if (magnitude > limit)
        throw CalcError(CalcErrorKind::Overflow);
    const auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::string textOfInteger(std::int32_t value) {
    return std::to_string(value);
}

std::string textOfDeviation(float percent) {
    if (!std::isfinite(percent))
        throw CalcError(CalcErrorKind::Overflow);
    // A float times 100 is exact in a double, so the rounding sees the true value.
    const double hundredths = std::round(std::fabs(static_cast<double>(percent)) * 100.0);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%03.0f", hundredths);
    const std::string digits = buffer;
    const std::size_t units = digits.size() - 2;

    std::string text = (percent < 0.0f && hundredths != 0.0) ? "-" : "";
    text += digits.substr(0, units);
    text += decimalSeparator;
    text += digits[units];
    if (digits[units + 1] != '0')
        text += digits[units + 1];
    return text;
}

}  // namespace velmiro
