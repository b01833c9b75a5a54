#include <fmt/compile.h>
#include <fmt/format.h>

#include <algorithm>
#include <charconv>

#include "velmiro/report.h"

namespace velmiro::report {

namespace {

// The Italian decimal comma in place of the point.
std::string withComma(std::string text) {
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

}  // namespace

namespace {

// By Verdict, in its order: what a person reads, and the JSON and CSV name.
struct VerdictNames {
    std::string_view text;
    std::string_view key;
};
constexpr VerdictNames verdictNames[] = {
    {"ok", "ok"},
    {"fuori tolleranza", "out_of_tolerance"},
    {"registro troppo piccolo", "register_too_small"},
    {"sconsigliato dall'errata", "avoided_by_erratum"},
};

}  // namespace

std::string_view verdictText(Verdict verdict) {
    return verdictNames[static_cast<std::size_t>(verdict)].text;
}

std::string_view verdictKey(Verdict verdict) {
    return verdictNames[static_cast<std::size_t>(verdict)].key;
}

std::string decimalText(double value, int decimals) {
    std::string text = fmt::format(FMT_COMPILE("{:.{}f}"), value, decimals);
    if (text.front() == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return withComma(text);
}

std::string percentText(double value) {
    // The shortest text that reads back as the same double: 1 -> "1", 0.5 -> "0.5".
    return withComma(fmt::format(FMT_COMPILE("{}"), value));
}

std::string hexByte(std::int64_t value) {
    return fmt::format(FMT_COMPILE("0x{:02X}"), value);
}

std::int64_t registerPart(std::int64_t n, RegisterPart part) {
    switch (part) {
        case RegisterPart::High:
            return highByte(n);
        case RegisterPart::Low:
            return lowByte(n);
        case RegisterPart::Word:
            return n & 0xFFFF;
        case RegisterPart::Upper:
            return n >> 16;
        case RegisterPart::Whole:
            break;
    }
    return n;
}

std::string registerHex(std::int64_t n, RegisterPart part) {
    switch (part) {
        case RegisterPart::Whole:
        case RegisterPart::Word:
            return fmt::format(FMT_COMPILE("0x{:04X}"), registerPart(n, part));
        case RegisterPart::Upper:
            return fmt::format(FMT_COMPILE("0x{:X}"), registerPart(n, part));
        default:
            return hexByte(registerPart(n, part));
    }
}

std::string groupedText(double value) {
    const auto whole = static_cast<std::int64_t>(value);
    std::string digits = std::to_string(whole);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, '.');
    // Half a hertz is the only fraction a clock divided by two can leave.
    return value == static_cast<double>(whole) ? digits : digits + ",5";
}

std::string registerText(const ModeResult& result) {
    std::string text = std::to_string(result.registerValue);
    if (result.limited())
        text += result.neededRegister > result.registerValue ? " (max)" : " (min)";
    return text;
}

Reading readPositiveQuantity(std::string_view text) {
    try {
        const std::int32_t value = quantityFromText(text);
        if (value > 0)
            return {value, {}};
        return {{}, fmt::format("«{}» deve essere maggiore di zero", text)};
    } catch (const CalcError& e) {
        switch (e.kind()) {
            case CalcErrorKind::Overflow:
                return {{}, fmt::format("«{}» è troppo grande (al massimo 2147483647)", text)};
            case CalcErrorKind::Ambiguous:
                return {{},
                        fmt::format("«{}» si legge in due modi; scrivere le migliaia senza "
                                    "punto (1000k) o i decimali con la virgola (1,5k)",
                                    text)};
            default:
                return {{},
                        fmt::format("«{}» non è un numero; si scrive per esempio 20000000, "
                                    "20.000.000, 20M, 11,0592M o 115.2k",
                                    text)};
        }
    }
}

std::string prefixProblem(std::string_view prefix) {
    const auto word = [](char c) {
        return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               (c >= '0' && c <= '9');
    };
    // Without a prefix the names would be the device's own: SPBRG, BRGH, SYNC.
    if (prefix.empty())
        return "serve un prefisso, come VELMIRO_ o UART_: senza, i nomi sarebbero "
               "quelli dei registri del PIC (SPBRG, BRGH, SYNC)";
    if (!std::all_of(prefix.begin(), prefix.end(), word) ||
        (prefix.front() >= '0' && prefix.front() <= '9'))
        return fmt::format(
            "«{}» non può iniziare un nome C; servono lettere, cifre e _, non una cifra "
            "in testa",
            prefix);
    return {};
}

namespace {

// Plain digits with at most one separator, "," or ".", and an optional "%".
std::optional<double> percentOf(std::string_view typed) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!typed.empty() && blank(typed.front()))
        typed.remove_prefix(1);
    while (!typed.empty() && blank(typed.back()))
        typed.remove_suffix(1);
    std::string text(typed);
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

}  // namespace

PercentReading readTolerance(std::string_view text) {
    const std::optional<double> value = percentOf(text);
    if (value && *value > 0.0 && *value <= 100.0)
        return {value, {}};
    return {{},
            fmt::format("«{}» non è una tolleranza; serve una percentuale maggiore di zero e al "
                        "massimo 100, come 1, 0,5 o 2,5",
                        text)};
}

PercentReading readClockError(std::string_view text) {
    const std::optional<double> value = percentOf(text);
    if (value && *value >= 0.0 && *value < 100.0)
        return {value, {}};
    return {{},
            fmt::format("«{}» non è un errore del clock; serve una percentuale da 0 a meno di "
                        "100, come 0,5 o 2",
                        text)};
}

std::string deviceProblem(std::string_view typed, const Device& device) {
    if (device.problem == DeviceProblem::None)
        return {};
    std::string known;
    for (const Family& family : families())
        known += fmt::format("\n  {:<8} {}", family.key, family.parts);
    return fmt::format(
        "«{}» non è un dispositivo che Velmiro conosce; scegliere con --family la "
        "famiglia della sua porta seriale, che il capitolo (E)USART o UART del suo datasheet "
        "riconosce dalla formula del baud rate e dai bit del generatore:{}",
        typed, known);
}

std::string familyConflict(const Device& device, const Family& family) {
    if (device.family == nullptr || device.family == &family)
        return {};
    return fmt::format("{} ha la famiglia {}, non {}: togliere --family o usare --family {}",
                       device.part, device.family->key, family.key, device.family->key);
}

std::string frequencyHint(std::string_view field, std::string_view typed, std::int32_t value) {
    // No PIC runs its serial port from a clock this slow: most likely the M was left out.
    if (value >= lowestClock)
        return {};
    std::string text = fmt::format("{}: {} Hz è molto basso per un PIC", field, value);
    // Only a form that reads, and as a clock a PIC has (up to 300 MHz): "4.000M" reads two ways,
    // "4,000M" one.
    std::string comma(typed);
    std::replace(comma.begin(), comma.end(), '.', ',');
    for (const std::string& guess : {std::string(typed) + 'M', comma + 'M'}) {
        const std::int32_t read = readPositiveQuantity(guess).value.value_or(0);
        if (read >= lowestClock && read <= 300000000)
            return text + fmt::format("; forse {}?", guess);
    }
    return text;
}

std::string rateHint(const Peripheral& peripheral, std::int32_t crystal, std::int32_t rate) {
    // The fastest generator is its clock over the smallest divisor a mode loads
    // (F / 4 with n = 0 for most): above it every mode falls short.
    const Fastest fastest = fastestRate(peripheral, crystal);
    if (rate <= fastest.rate)
        return {};
    const std::string_view counted = peripheral.source().generator;
    return fmt::format("BAUD: {} è oltre il massimo di questo {}, {} baud ({} / {}, n = {})", rate,
                       peripheral.family->clockWord, percentText(fastest.rate),
                       counted.empty() ? "F" : counted, fastest.divisor, fastest.registerValue);
}

}  // namespace velmiro::report
