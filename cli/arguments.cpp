#include "arguments.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

namespace velmiro::cli {

Refusal::Refusal(std::string message) : CLI::ParseError("Refusal", std::move(message), 2) {}

namespace {

// "1", "0,5", "0.5", "2%": plain digits with at most one separator.
std::optional<double> readPercent(std::string text) {
    if (text.ends_with('%'))
        text.pop_back();
    std::replace(text.begin(), text.end(), ',', '.');
    const bool plain = !text.empty() && text.front() != '.' && text.back() != '.' &&
                       std::count(text.begin(), text.end(), '.') <= 1 &&
                       std::all_of(text.begin(), text.end(),
                                   [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    double value = 0.0;
    if (!plain)
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

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

CLI::Validator checking(std::string (*check)(const std::string&), const char* what) {
    return CLI::Validator([check](std::string& text) { return check(text); }, what);
}

std::string quantityProblem(const std::string& text) {
    return report::readPositiveQuantity(text).problem;
}

}  // namespace

CLI::Validator quantity() {
    return checking(quantityProblem, "");
}

CLI::Validator crystalOrCommand() {
    return checking(
        [](const std::string& text) -> std::string {
            const std::string problem = quantityProblem(text);
            if (problem.empty() || !isWord(text))
                return problem;
            const auto nearest =
                std::min_element(std::begin(commandNames), std::end(commandNames),
                                 [&text](std::string_view a, std::string_view b) {
                                     return editDistance(text, a) < editDistance(text, b);
                                 });
            std::string message = fmt::format(
                "«{}» non è un comando né un numero; i comandi sono compare, register, header, "
                "table e crystals",
                text);
            if (editDistance(text, *nearest) <= 2)
                message += fmt::format("; forse {}?", *nearest);
            return message;
        },
        "");
}

CLI::Validator registerValue() {
    return checking(
        [](const std::string& text) -> std::string {
            try {
                const std::int32_t value = integerFromText(text);
                if (value >= 0 && value <= 65535)
                    return {};
            } catch (const CalcError&) {
            }
            return fmt::format("«{}» non è un valore del registro; serve un intero da 0 a 65535",
                               text);
        },
        "");
}

CLI::Validator tolerance() {
    return checking(
        [](const std::string& text) -> std::string {
            const std::optional<double> value = readPercent(text);
            if (value && *value > 0.0 && *value <= 100.0)
                return {};
            return fmt::format(
                "«{}» non è una tolleranza; serve una percentuale maggiore di zero e al massimo "
                "100, come 1, 0,5 o 2,5",
                text);
        },
        "");
}

CLI::Validator clockError() {
    return checking(
        [](const std::string& text) -> std::string {
            const std::optional<double> value = readPercent(text);
            if (value && *value >= 0.0 && *value < 100.0)
                return {};
            return fmt::format(
                "«{}» non è un errore del clock; serve una percentuale da 0 a meno di 100, come "
                "0,5 o 2",
                text);
        },
        "");
}

CLI::Validator modeKey() {
    return checking(
        [](const std::string& text) -> std::string {
            if (findMode(text) != nullptr)
                return {};
            return fmt::format("«{}» non è un modo; i modi sono 000, 001, 010, 011, 100 e 110",
                               text);
        },
        "");
}

CLI::Validator format() {
    return checking(
        [](const std::string& text) -> std::string {
            if (text == "text" || text == "csv" || text == "json")
                return {};
            return fmt::format("«{}» non è un formato; i formati sono text, csv e json", text);
        },
        "");
}

CLI::Validator prefix() {
    return checking([](const std::string& text) { return report::prefixProblem(text); }, "");
}

std::int32_t quantityOf(const std::string& text) {
    return quantityFromText(text);
}

std::int64_t registerValueOf(const std::string& text) {
    return integerFromText(text);
}

double percentOf(const std::string& text) {
    return readPercent(text).value_or(0.0);
}

report::Format formatOf(const std::string& text) {
    return text == "csv" ? report::Format::Csv
                         : (text == "json" ? report::Format::Json : report::Format::Text);
}

}  // namespace velmiro::cli
