// The companion's readers of what is typed beyond one number: lists of rates
// and the limits of the crystals.
#include "companion_parts.h"
#include "velmiro/report.h"

namespace velmiro::companion {

namespace {

bool separator(char c) {
    return c == ';' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return c != ';' && separator(c); };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

RatesReading readRates(std::string_view text) {
    RatesReading reading;
    std::size_t at = 0;
    while (at < text.size()) {
        if (separator(text[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !separator(text[end]))
            ++end;
        const std::string_view item = text.substr(at, end - at);
        const report::Reading one = report::readPositiveQuantity(item);
        if (!one.value) {
            reading.problem = "«" + std::string(item) + "»: " + one.problem;
            reading.rates.clear();
            return reading;
        }
        reading.rates.push_back(*one.value);
        at = end;
    }
    if (reading.rates.empty())
        reading.problem = "Scrivere almeno un baud rate, come 9600 o 115,2k";
    return reading;
}

std::optional<std::int32_t> readLimit(std::string_view text, std::int32_t none,
                                      std::string& problem) {
    if (trimmed(text).empty())
        return none;
    const report::Reading reading = report::readPositiveQuantity(text);
    if (!reading.value)
        problem = reading.problem;
    return reading.value;
}

std::string flowing(std::string_view problem) {
    // "list:\n  a\n  b" -> "list: a; b"
    std::string out;
    std::size_t at = 0;
    while (at < problem.size()) {
        if (problem.compare(at, 4, ":\n  ") == 0) {
            out += ": ";
            at += 4;
        } else if (problem.compare(at, 3, "\n  ") == 0) {
            out += "; ";
            at += 3;
        } else {
            out += problem[at++];
        }
    }
    return out;
}

}  // namespace velmiro::companion
