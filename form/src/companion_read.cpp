// The companion's readers of what is typed beyond one number: lists of rates
// and the limits of the crystals.
#include "companion_parts.h"
#include "companion_state.h"
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

// The chain from the first number to the generator's clock. A PLL makes the
// number the oscillator; the clock named and the source count only where the
// family has a choice, and their fields are enabled only there.
void Companion::readClocks(PicInputs& in) {
    State& s = *state_;
    const std::string pll = trimmed(view_.text(Field::Pll));
    const std::string clock = trimmed(view_.text(Field::Clock));
    const std::string source = trimmed(view_.text(Field::Source));
    // An empty field is not given, nor one its family lacks.
    const auto given = [](const std::string& text, bool counts) {
        return counts && !text.empty() ? std::optional<std::string_view>(text) : std::nullopt;
    };
    // The PLL and the source first: the clocks they leave are the names the
    // clock field may take.
    report::Port port = in.port.value_or(report::Port{*s.chosen, {}});
    const bool sources = !port.family().sourceBits.empty();
    report::ClockProblems problems =
        report::applyClockOptions(port, {given(pll, true), {}, given(source, sources)}, {});
    const std::vector<std::string> clocks = report::clockNames(port);
    const bool named = pll.empty() && clocks.size() > 1;
    problems.clock =
        report::applyClockOptions(port, {{}, given(clock, named), {}}, "il primo numero").clock;
    if (in.port) {
        say(Field::Pll, problems.pll);
        say(Field::Clock, problems.clock);
        say(Field::Source, problems.source);
        in.port = problems.any() ? std::nullopt : std::optional(port);
    } else {
        for (const Field f : {Field::Pll, Field::Clock, Field::Source})
            say(f, {});
    }

    view_.setFieldEnabled(Field::Clock, named);
    view_.setFieldEnabled(Field::Source, sources);
    if (clocks != s.clockPresets) {
        s.clockPresets = clocks;
        view_.setPresets(Field::Clock, clocks);
    }
    std::vector<std::string> keys;
    if (sources) {
        for (const ClockSource& one : port.family().sources)
            keys.emplace_back(one.key);
    }
    if (keys != s.sourcePresets) {
        s.sourcePresets = keys;
        view_.setPresets(Field::Source, keys);
    }
    const std::string title = report::givenClockTitle(port);
    const std::string label = (title == "Quarzo" ? "&" : "") + title + ":";
    if (label != s.crystalLabel) {
        s.crystalLabel = label;
        view_.setLabel(Field::Crystal, label);
    }
}

}  // namespace velmiro::companion
