#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

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

// A number as read: sign, integer digits without separators, fraction digits.
struct Decimal {
    bool negative = false;
    std::string digits;
    std::string fraction;
};

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

std::string_view takeSign(std::string_view text, bool& negative) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    return text;
}

// Digits after a decimal separator: at least one, nothing else.
std::string fractionDigits(std::string_view fraction) {
    if (fraction.empty() || !std::all_of(fraction.begin(), fraction.end(), isDigit))
        typeMismatch();
    return std::string(fraction);
}

// The Italian reading: "." groups thousands, "," separates decimals.
Decimal readItalian(std::string_view text) {
    Decimal d;
    text = takeSign(text, d.negative);
    const std::size_t comma = text.find(decimalSeparator);
    d.digits = integerDigits(text.substr(0, comma));
    if (comma != std::string_view::npos)
        d.fraction = fractionDigits(text.substr(comma + 1));
    return d;
}

// The other reading a scaled quantity allows: "." as the decimal separator too.
Decimal readDotted(std::string_view text) {
    Decimal d;
    text = takeSign(text, d.negative);
    const std::size_t point = text.find_first_of(".,");
    const std::string_view whole = text.substr(0, point);
    if (whole.empty() || !std::all_of(whole.begin(), whole.end(), isDigit))
        typeMismatch();
    d.digits = std::string(whole);
    if (point != std::string_view::npos)
        d.fraction = fractionDigits(text.substr(point + 1));
    return d;
}

// Moves the decimal point `places` digits to the right.
Decimal scaled(Decimal d, std::size_t places) {
    d.fraction.resize(std::max(d.fraction.size(), places), '0');
    d.digits += d.fraction.substr(0, places);
    d.fraction.erase(0, places);
    return d;
}

// The exact value, for telling two readings apart: no leading or trailing zeros.
Decimal normalised(Decimal d) {
    d.digits.erase(0, std::min(d.digits.find_first_not_of('0'), d.digits.size()));
    d.fraction.erase(std::min(d.fraction.find_last_not_of('0') + 1, d.fraction.size()));
    return d;
}

bool operator==(const Decimal& a, const Decimal& b) {
    return a.negative == b.negative && a.digits == b.digits && a.fraction == b.fraction;
}

template <typename Read>
std::optional<Decimal> tryRead(Read read, std::string_view text) {
    try {
        return read(text);
    } catch (const CalcError&) {
        return std::nullopt;
    }
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

// The nearest integer, ties to the even one, within 32 bits.
std::int32_t roundedValue(const Decimal& d) {
    // Saturate well above the 32-bit range: any longer number is an overflow.
    constexpr std::uint64_t saturated = 1ULL << 40;
    std::uint64_t magnitude = 0;
    for (char c : d.digits) {
        magnitude = std::min(saturated, magnitude * 10 + static_cast<std::uint64_t>(c - '0'));
    }
    if (!d.fraction.empty()) {
        const int half = compareWithHalf(d.fraction);
        if (half > 0 || (half == 0 && magnitude % 2 == 1))
            ++magnitude;
    }

    const std::uint64_t limit = d.negative
                                    ? std::uint64_t{1} << 31
                                    : std::uint64_t{std::numeric_limits<std::int32_t>::max()};
    if (magnitude > limit)
        throw CalcError(CalcErrorKind::Overflow);
    const auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(d.negative ? -value : value);
}

bool removeSuffix(std::string_view& text, std::string_view suffix) {
    if (!text.ends_with(suffix))
        return false;
    text.remove_suffix(suffix.size());
    return true;
}

// A unit after the number, in any case, taken off: "hz", "bps" or "baud"; else empty.
std::string_view removeUnit(std::string_view& text) {
    for (const std::string_view unit : {"hz", "bps", "baud"}) {
        if (text.size() <= unit.size())
            continue;
        const std::string_view tail = text.substr(text.size() - unit.size());
        const bool same = std::equal(tail.begin(), tail.end(), unit.begin(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
        });
        if (same) {
            text.remove_suffix(unit.size());
            return unit;
        }
    }
    return {};
}

// The serial world's own notation, the multiplier in place of the decimal
// point: "9k6" is 9600, "115k2" 115200, "1M5" 1500000. Digits only around it.
std::optional<Decimal> serialNotation(std::string_view text) {
    const std::size_t letter = text.find_first_of("kKM");
    if (letter == std::string_view::npos)
        return std::nullopt;
    const std::size_t places = text[letter] == 'M' ? 6 : 3;
    Decimal d;
    d.digits = std::string(text.substr(0, letter));
    d.fraction = std::string(text.substr(letter + 1));
    const auto digitsOnly = [](const std::string& part) {
        return !part.empty() && std::all_of(part.begin(), part.end(), isDigit);
    };
    if (!digitsOnly(d.digits) || !digitsOnly(d.fraction))
        typeMismatch();
    return scaled(d, places);
}

}  // namespace

std::int32_t integerFromText(std::string_view text) {
    return roundedValue(readItalian(trimBlanks(text)));
}

std::int32_t quantityFromText(std::string_view text) {
    text = trimBlanks(text);
    const std::string_view unit = removeUnit(text);
    std::size_t places = 0;
    if (removeSuffix(text, "k") || removeSuffix(text, "K"))
        places = 3;
    else if (removeSuffix(text, "M") || (unit == "hz" && removeSuffix(text, "m")))
        places = 6;
    else if (const std::optional<Decimal> serial = serialNotation(text))
        return roundedValue(*serial);
    else
        return integerFromText(text);

    const std::optional<Decimal> italian = tryRead(readItalian, text);
    const std::optional<Decimal> dotted = tryRead(readDotted, text);
    if (italian && dotted && !(normalised(*italian) == normalised(*dotted)))
        throw CalcError(CalcErrorKind::Ambiguous);
    if (!italian && !dotted)
        typeMismatch();
    return roundedValue(scaled(italian ? *italian : *dotted, places));
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
