#include "clocks.h"

#include <fmt/compile.h>
#include <fmt/format.h>

#include <cctype>
#include <cmath>

namespace velmiro::report::clocks {

std::string lowerCase(std::string_view name) {
    std::string text;
    for (const char c : name)
        text += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

namespace {

bool isDefault(const Peripheral& p) {
    return &p.source() == &p.family->sources.front();
}

// A whole clock as a JSON number, else with its fraction.
nlohmann::ordered_json hertzJson(double value) {
    if (value == std::floor(value) && std::fabs(value) < 9e15)
        return static_cast<std::int64_t>(value);
    return value;
}

std::string rounded(double value) {
    return std::to_string(std::llround(value)) + "UL";
}

}  // namespace

std::string hertzText(double value) {
    const double cents = std::round(value * 100.0);
    const auto whole = static_cast<std::int64_t>(std::floor(cents / 100.0));
    std::string digits = std::to_string(whole);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, '.');
    auto fraction = static_cast<std::int64_t>(cents) - whole * 100;
    if (fraction == 0)
        return digits;
    std::string decimals = fmt::format(FMT_COMPILE("{:02}"), fraction);
    if (decimals.back() == '0')
        decimals.pop_back();
    return digits + ',' + decimals;
}

std::string title(const Port& port) {
    const Peripheral& p = port.peripheral;
    switch (p.chain.given) {
        case ClockPoint::Oscillator:
            return "Quarzo";
        case ClockPoint::Generator:
            if (!p.source().generator.empty())
                return std::string(p.source().generator);
            break;
        case ClockPoint::Input:
            break;
    }
    if (isDefault(p) && p.inputName() == p.source().input) {
        std::string text(port.family().clockWord);
        text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
        return text;
    }
    return std::string(p.inputName());
}

std::string word(const Port& port) {
    std::string text = title(port);
    if (text == "Quarzo")
        text.front() = 'q';
    return text;
}

void writeChain(std::ostream& out, const Port& port, std::int32_t given) {
    const Peripheral& p = port.peripheral;
    const ClockSource& source = p.source();
    const std::string input(p.inputName());
    std::string line;
    if (p.chain.given == ClockPoint::Oscillator) {
        line = fmt::format("Quarzo {} Hz × {} = {} {} Hz", hertzText(given), port.pll, input,
                           hertzText(p.inputClock(given)));
    }
    if (!source.generator.empty()) {
        if (!line.empty())
            line += "; ";
        if (p.chain.given == ClockPoint::Generator)
            line += fmt::format("{} = {} × {} = {} Hz", input, source.generator, source.divider,
                                hertzText(p.inputClock(given)));
        else
            line += fmt::format("{} = {} / {} = {} Hz", source.generator, input, source.divider,
                                hertzText(p.generatorClock(given)));
    }
    if (!port.family().sourceBits.empty()) {
        line += fmt::format("{}{} = {}", line.empty() ? "" : "; ", port.family().sourceBits,
                            source.key.empty() ? port.family().sources.front().key : source.key);
    }
    if (!line.empty())
        out << line << '\n';
    if (p.partClock != nullptr && !p.partClock->note.empty())
        out << "Nota: " << p.partClock->note << '\n';
}

nlohmann::ordered_json json(const Port& port, std::optional<std::int32_t> given) {
    using Json = nlohmann::ordered_json;
    const Peripheral& p = port.peripheral;
    const ClockSource& source = p.source();
    const bool oscillator = p.chain.given == ClockPoint::Oscillator;
    const bool generator = !source.generator.empty();
    const auto hertz = [&](bool applies, double value) {
        return applies && given ? hertzJson(value) : Json(nullptr);
    };
    const auto text = [](bool applies, std::string_view value) {
        return applies ? Json(value) : Json(nullptr);
    };
    // "given" names the key below that holds the first number.
    return Json{
        {"given", oscillator                                            ? "oscillator"
                  : p.chain.given == ClockPoint::Generator && generator ? "generator"
                                                                        : "input"},
        {"oscillator_hz", hertz(oscillator, given ? static_cast<double>(*given) : 0.0)},
        {"pll", text(oscillator, port.pll)},
        {"input_name", p.inputName()},
        {"input_hz", hertz(true, given ? p.inputClock(*given) : 0.0)},
        {"generator_name", text(generator, source.generator)},
        {"generator_hz", hertz(generator, given ? p.generatorClock(*given) : 0.0)},
        {"source_bits", text(!port.family().sourceBits.empty(), port.family().sourceBits)},
        {"source", text(!port.family().sourceBits.empty(), source.key)},
    };
}

std::vector<std::pair<std::string, std::string>> defines(const Port& port, std::int32_t given) {
    const Peripheral& p = port.peripheral;
    const ClockSource& source = p.source();
    std::vector<std::pair<std::string, std::string>> list;
    if (p.chain.given == ClockPoint::Oscillator)
        list.emplace_back("OSC", std::to_string(given) + "UL");
    // A part's own name for its clock names the define too: PBCLK2.
    std::string input(source.inputDefine);
    if (isDefault(p) && p.inputName() != source.input) {
        input.clear();
        for (const char c : p.inputName())
            input += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    list.emplace_back(input, rounded(p.inputClock(given)));
    if (!source.generatorDefine.empty())
        list.emplace_back(source.generatorDefine, rounded(p.generatorClock(given)));
    return list;
}

}  // namespace velmiro::report::clocks

namespace velmiro::report {

std::string clockLimitHint(const Port& port, std::int32_t given, const ClockWords& words) {
    const Peripheral& p = port.peripheral;
    // AFVCO and the like have limits of their own, not the part group's.
    if (p.partClock == nullptr || p.partClock->maximum == 0 ||
        &p.source() != &p.family->sources.front())
        return {};
    const double input = p.inputClock(given);
    if (input <= static_cast<double>(p.partClock->maximum))
        return {};
    const std::string name(p.inputName());
    std::string text = fmt::format(
        "{} {} Hz è oltre il massimo di {}, {} Hz: è forse il clock di sistema, o il quarzo "
        "prima del PLL?",
        name, clocks::hertzText(input), port.device,
        clocks::hertzText(static_cast<double>(p.partClock->maximum)));
    if (p.chain.given == ClockPoint::Oscillator)
        return text + fmt::format(" Il PLL{} lo porta oltre", words.pllAside);
    text += fmt::format(" Il primo numero qui è {}; un quarzo con il suo PLL si dà con {}", name,
                        words.pll);
    if (const std::string_view generator = p.source().generator;
        p.chain.given == ClockPoint::Input && !generator.empty())
        text += fmt::format(", {} con {}{}", generator, words.clock,
                            words.lowerCase ? clocks::lowerCase(generator) : generator);
    return text;
}

}  // namespace velmiro::report
