#include "arguments.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <utility>
#include <vector>

namespace velmiro::cli {

Refusal::Refusal(std::string message) : CLI::ParseError("Refusal", std::move(message), 2) {}

Quantity& Quantity::operator=(const std::string& text) {
    typed = text;
    value = quantityFromText(text);
    return *this;
}

namespace {

constexpr std::pair<std::string_view, report::Format> formats[] = {
    {"text", report::Format::Text},
    {"csv", report::Format::Csv},
    {"json", report::Format::Json},
};

}  // namespace

std::vector<std::string_view> modeKeys(const Family& family, std::optional<int> sync) {
    std::vector<std::string_view> keys;
    for (const ModeInfo& mode : family.modes) {
        if (!sync || mode.mode.sync == *sync)
            keys.push_back(mode.key);
    }
    return keys;
}

std::vector<std::string_view> allModeKeys() {
    std::vector<std::string_view> keys;
    for (const Family& f : families()) {
        for (const ModeInfo& mode : f.modes) {
            if (std::find(keys.begin(), keys.end(), mode.key) == keys.end())
                keys.push_back(mode.key);
        }
    }
    return keys;
}

std::vector<std::string_view> familyNames() {
    std::vector<std::string_view> names;
    for (const Family& f : families())
        names.push_back(f.key);
    return names;
}

std::span<const std::string_view> formatNames() {
    static const auto names = [] {
        std::array<std::string_view, std::size(formats)> list;
        std::transform(std::begin(formats), std::end(formats), list.begin(),
                       [](const auto& f) { return f.first; });
        return list;
    }();
    return names;
}

bool isUnit(std::string_view word) {
    for (const std::string_view unit : {"hz", "khz", "mhz", "bps", "baud"}) {
        if (std::equal(word.begin(), word.end(), unit.begin(), unit.end(), [](char a, char b) {
                return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
            }))
            return true;
    }
    return false;
}

namespace {

// Letters a command name is made of.
bool isWord(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

CLI::Validator checking(std::string (*check)(const std::string&)) {
    return CLI::Validator([check](std::string& text) { return check(text); }, "");
}

// Rewrites a text into the plain form its typed value reads; says `message`,
// with the text in it, when `read` finds none.
template <typename Read>
CLI::Validator reading(Read read, std::string message) {
    return CLI::Validator(
        [read, message](std::string& text) {
            const std::optional<std::string> plain = read(text);
            if (!plain)
                return fmt::format(fmt::runtime(message), text);
            text = *plain;
            return std::string();
        },
        "");
}

// One of `names` only, each mapped to its value by CLI11's CheckedTransformer;
// the refusal says `message`.
template <typename Mapping>
CLI::Validator choice(Mapping mapping, std::string message) {
    const CLI::CheckedTransformer transformer(mapping);
    return CLI::Validator(
        [mapping, transformer, message](std::string& text) {
            // Only the names: CheckedTransformer would also take a mapped value as typed.
            const bool named = std::any_of(mapping.begin(), mapping.end(),
                                           [&text](const auto& m) { return m.first == text; });
            if (!named || !transformer(text).empty())
                return fmt::format(fmt::runtime(message), text);
            return std::string();
        },
        "");
}

// A percentage as report/ reads it, rewritten into the plain form its value reads.
CLI::Validator percentage(report::PercentReading (*read)(std::string_view)) {
    return CLI::Validator(
        [read](std::string& text) {
            const report::PercentReading reading = read(text);
            if (!reading.value)
                return reading.problem;
            text = fmt::format("{}", *reading.value);
            return std::string();
        },
        "");
}

std::string quantityProblem(const std::string& text) {
    // "20 MHz" quoted into one argument: the unit after a blank.
    const std::size_t blank = text.find_last_of(" \t");
    if (isUnit(text) || (blank != std::string::npos && isUnit(text.substr(blank + 1))))
        return fmt::format("«{}» non è un numero; {}", text, unitAdvice);
    return report::readPositiveQuantity(text).problem;
}

}  // namespace

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

std::string nearestName(std::string_view text, std::span<const std::string> names) {
    const std::string typed = lowerCase(text);
    const auto nearest = std::min_element(
        names.begin(), names.end(), [&typed](const std::string& a, const std::string& b) {
            return editDistance(typed, a) < editDistance(typed, b);
        });
    if (nearest == names.end() || editDistance(typed, *nearest) > 2)
        return {};
    return *nearest;
}

CLI::Validator pllRatio() {
    return checking([](const std::string& text) -> std::string {
        return report::readPll(text) ? std::string() : report::pllProblem(text);
    });
}

CLI::Validator quantity() {
    return checking(quantityProblem);
}

CLI::Validator crystalOrCommand() {
    return checking([](const std::string& text) -> std::string {
        const std::string problem = quantityProblem(text);
        if (problem.empty() || !isWord(text))
            return problem;
        const std::vector<std::string> names(std::begin(commandNames), std::end(commandNames));
        const std::string nearest = nearestName(text, names);
        std::string message = fmt::format("«{}» non è un comando né un numero; i comandi sono {}",
                                          text, listText(commandNames, "e"));
        if (!nearest.empty())
            message += fmt::format("; forse {}?", nearest);
        return message;
    });
}

namespace {

// The widest register of any family: 20 bits. A mode whose register is
// narrower says "registro troppo piccolo" for a larger N.
constexpr std::int64_t largestRegister = 0xFFFFF;

}  // namespace

CLI::Validator registerValue() {
    return reading(
        [](const std::string& text) -> std::optional<std::string> {
            // In hex as velmiro-cli prints it, "0x40", or as an Italian integer.
            std::int64_t value = -1;
            if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
                const char* end = text.data() + text.size();
                if (std::from_chars(text.data() + 2, end, value, 16).ptr != end)
                    value = -1;
            } else {
                try {
                    value = integerFromText(text);
                } catch (const CalcError&) {
                }
            }
            if (value >= 0 && value <= largestRegister)
                return std::to_string(value);
            return std::nullopt;
        },
        "«{}» non è un valore del registro; serve un intero da 0 a 1048575 (20 bit), come 64 o "
        "0x40");
}

CLI::Validator tolerance() {
    return percentage(report::readTolerance);
}

CLI::Validator clockError() {
    return percentage(report::readClockError);
}

CLI::Validator modeKey() {
    std::vector<std::pair<std::string, std::string>> keys;
    for (const std::string_view key : allModeKeys())
        keys.emplace_back(key, key);
    return choice(keys, "«{}» non è un modo; i modi sono " + listText(allModeKeys(), "e"));
}

CLI::Validator family() {
    std::vector<std::pair<std::string, std::string>> names;
    for (const std::string_view name : familyNames())
        names.emplace_back(name, name);
    return choice(names,
                  "«{}» non è una famiglia; le famiglie sono " + listText(familyNames(), "e"));
}

CLI::Validator format() {
    std::vector<std::pair<std::string, report::Format>> names;
    for (const auto& [name, value] : formats)
        names.emplace_back(name, value);
    return choice(names, "«{}» non è un formato; i formati sono " + listText(formatNames(), "e"));
}

CLI::Validator prefix() {
    return checking([](const std::string& text) { return report::prefixProblem(text); });
}

CLI::Validator frame() {
    return reading(
        [](const std::string& text) -> std::optional<std::string> {
            const std::optional<Frame> read = frameFromText(text);
            if (!read)
                return std::nullopt;
            return std::string(frameText(*read).data());
        },
        "«{}» non è una trama; si scrive come 8N1, 7E1 o 9N2: bit di dati da 5 a 9, parità N, E "
        "o O, bit di stop 1 o 2");
}

CLI::Validator margin() {
    return reading(
        [](const std::string& text) -> std::optional<std::string> {
            const report::PercentReading read = report::readTolerance(text);
            if (!read.value)
                return std::nullopt;
            return fmt::format("{}", *read.value);
        },
        "«{}» non è un margine; serve una percentuale maggiore di zero e al massimo 100, come 1 o "
        "0,5");
}

}  // namespace velmiro::cli
