// How the first number of a question reaches the clock the generator counts:
// a PLL's ratio, which clock the number is, the family's clock source. The
// command line's options and the companion's fields read through here.
#include <fmt/format.h>

#include <charconv>

#include "clocks.h"
#include "velmiro/report.h"

namespace velmiro::report {

std::string listText(std::span<const std::string_view> items, std::string_view last) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() ? fmt::format(" {} ", last) : std::string(", ");
        text += items[i];
    }
    return text;
}

std::optional<PllRatio> readPll(std::string_view text) {
    PllRatio ratio;
    int factors = 0;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(text.find('/', start), text.size());
        std::int64_t value = 0;
        const char* first = text.data() + start;
        const char* last = text.data() + end;
        if (std::from_chars(first, last, value).ptr != last || first == last || value < 1 ||
            value > 1000 || ++factors > 4)
            return std::nullopt;
        if (factors == 1)
            ratio.multiplier = value;
        else
            ratio.divider *= value;
        if (end == text.size())
            break;
        start = end + 1;
    }
    if (ratio.divider > 65536)
        return std::nullopt;
    return ratio;
}

std::string pllProblem(std::string_view text) {
    return fmt::format(
        "«{}» non è un rapporto del PLL; serve un moltiplicatore come 4 o 16, o M/N1/N2 come "
        "40/2/2: fino a quattro interi da 1 a 1000, i divisori insieme al massimo 65536",
        text);
}

std::vector<std::string> clockNames(const Port& port) {
    std::vector<std::string> names{std::string(port.peripheral.inputName())};
    if (const std::string_view generator = port.peripheral.source().generator; !generator.empty())
        names.emplace_back(generator);
    return names;
}

std::string givenClockTitle(const Port& port) {
    return clocks::title(port);
}

ClockProblems applyClockOptions(Port& port, const ClockOptions& typed, std::string_view first) {
    ClockProblems problems;
    Peripheral& p = port.peripheral;
    const Family& f = *p.family;
    if (typed.source) {
        const ClockSource* source = findSource(f, clocks::lowerCase(*typed.source));
        if (f.sourceBits.empty()) {
            problems.source =
                fmt::format("la famiglia {} non sceglie la sorgente del clock dell'UART", f.key);
        } else if (source == nullptr) {
            std::vector<std::string_view> keys;
            for (const ClockSource& s : f.sources)
                keys.push_back(s.key);
            problems.source = fmt::format("«{}» non è una sorgente; le sorgenti sono {}",
                                          *typed.source, listText(keys, "e"));
        } else {
            p.chain.source = source;
        }
    }
    if (typed.pll) {
        if (const std::optional<PllRatio> ratio = readPll(*typed.pll)) {
            p.chain.given = ClockPoint::Oscillator;
            p.chain.pllMultiplier = ratio->multiplier;
            p.chain.pllDivider = ratio->divider;
            port.pll = std::string(*typed.pll);
        } else {
            problems.pll = pllProblem(*typed.pll);
        }
    }
    if (typed.clock) {
        const std::string name = clocks::lowerCase(*typed.clock);
        const std::vector<std::string> names = clockNames(port);
        if (name == clocks::lowerCase(names.front())) {
            p.chain.given = ClockPoint::Input;
        } else if (names.size() > 1 && name == clocks::lowerCase(names.back())) {
            p.chain.given = ClockPoint::Generator;
        } else {
            const std::vector<std::string_view> shown(names.begin(), names.end());
            problems.clock = fmt::format(
                "«{}» non è un clock di {}; {} può essere {}", *typed.clock,
                port.device.empty() ? "questa famiglia" : port.device, first, listText(shown, "o"));
        }
    }
    return problems;
}

}  // namespace velmiro::report
