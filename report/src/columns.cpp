#include "columns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "clocks.h"

namespace velmiro::report::columns {

namespace {

const char* const dash = "—";

std::string orDash(const std::optional<double>& value) {
    return value ? decimalText(*value, 2) : dash;
}

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Tone toneOf(const ModeResult& r) {
    if (!r.verdict)
        return Tone::Plain;
    return *r.verdict == Verdict::Ok ? Tone::Within : Tone::Outside;
}

// The clock the generator counts, in Hz: whole, or with its fraction.
Json generatorClock(const Line& l) {
    const double hertz = l.port->peripheral.generatorClock(*l.clock);
    if (hertz == std::floor(hertz))
        return static_cast<std::int64_t>(hertz);
    return hertz;
}

const ModeResult& mode(const Line& l) {
    return *l.mode;
}

// ---------------------------------------------------------------- the columns

const Column family{.key = "family",
                    .value = [](const Line& l) -> Json { return l.port->family().key; }};
const Column device{.key = "device", .value = [](const Line& l) {
                        return l.port->device.empty() ? Json(nullptr) : Json(l.port->device);
                    }};
const Column tolerance{.key = "tolerance_percent", .value = [](const Line& l) -> Json {
                           return l.judgement->tolerancePercent;
                       }};
const Column clockError{.key = "clock_error_percent", .value = [](const Line& l) -> Json {
                            return l.judgement->clockErrorPercent;
                        }};
const Column clock{
    .key = "crystal",
    .width = 11,
    .text = [](const Line& l) { return std::to_string(*l.clock); },
    .value = [](const Line& l) -> Json { return *l.clock; },
    .gridText = [](const Line& l) { return groupedText(*l.clock); },
    .headingOf = [](const Port& p) { return clocks::word(p); },
    .unit = "Hz",
};
const Column generatorClockHz{.key = "generator_clock_hz", .value = generatorClock};
// The clock chain, in JSON only: the same keys for every family.
const Column clockChain{.key = "clocks",
                        .value = [](const Line& l) { return clocks::json(*l.port, l.clock); }};
const Column rate{
    .key = "rate",
    .heading = "baud rate",
    .width = 10,
    .text = [](const Line& l) { return std::to_string(*l.rate); },
    .value = [](const Line& l) { return orNull(l.rate); },
};
// The rates a crystal must give, as the finder was asked.
const Column rates{.key = "rates", .value = [](const Line& l) -> Json {
                       return std::vector<std::int32_t>(l.rates.begin(), l.rates.end());
                   }};
const Column worstDeviation{
    .key = "worst_deviation_percent",
    .heading = "peggiore %",
    .width = 10,
    .text = [](const Line& l) { return decimalText(l.fit->worstDeviationPercent, 2); },
    .value = [](const Line& l) -> Json { return l.fit->worstDeviationPercent; },
    .tone = [](const Line&) { return Tone::Within; },
};

const Column modeKey{
    .key = "mode",
    .heading = "modo",
    .left = true,
    .text = [](const Line& l) { return std::string(mode(l).mode->key); },
    .value = [](const Line& l) -> Json { return mode(l).mode->key; },
};
const Column bits{.key = "bits", .drop = 2, .spread = Spread::Bits};
const Column divisor{
    .key = "divisor",
    .heading = "divisore",
    .width = 8,
    .drop = 1,
    .text = [](const Line& l) { return std::to_string(mode(l).mode->divisor); },
    .value = [](const Line& l) -> Json { return mode(l).mode->divisor; },
};
const Column registerValue{
    .key = "register",
    .heading = "n",
    .width = 11,
    .text = [](const Line& l) { return registerText(mode(l)); },
    .value = [](const Line& l) -> Json { return mode(l).registerValue; },
};
const Column neededRegister{.key = "needed_register",
                            .value = [](const Line& l) -> Json { return mode(l).neededRegister; }};
const Column limited{.key = "limited",
                     .value = [](const Line& l) -> Json { return mode(l).limited(); }};
const Column registerParts{.key = "register", .spread = Spread::Register};
const Column achieved{
    .key = "achieved",
    .heading = "ottenuti",
    .width = 10,
    .drop = 3,
    .text = [](const Line& l) { return orDash(mode(l).achieved); },
    .value = [](const Line& l) { return orNull(mode(l).achieved); },
};
const Column deviation{
    .key = "deviation_percent",
    .heading = "scost. %",
    .width = 8,
    .text = [](const Line& l) { return orDash(mode(l).deviationPercent); },
    .value = [](const Line& l) { return orNull(mode(l).deviationPercent); },
    .tone = [](const Line& l) { return toneOf(mode(l)); },
};
const Column worstCase{
    .key = "worst_case_percent",
    .heading = "peggiore %",
    .width = 10,
    .text = [](const Line& l) { return orDash(mode(l).worstCasePercent); },
    .value = [](const Line& l) { return orNull(mode(l).worstCasePercent); },
    .tone = [](const Line& l) { return toneOf(mode(l)); },
    .widened = true,
};
const Column verdict{
    .key = "verdict",
    .heading = "esito",
    .left = true,
    // A mode that samples each bit once says so beside its verdict.
    .text = [](const Line& l) -> std::string {
        if (!mode(l).verdict)
            return dash;
        return std::string(verdictText(*mode(l).verdict)) +
               (mode(l).mode->samplesOnce ? " (1 campione)" : "");
    },
    .value =
        [](const Line& l) {
            return mode(l).verdict ? Json(verdictKey(*mode(l).verdict)) : Json(nullptr);
        },
    .tone = [](const Line& l) { return toneOf(mode(l)); },
};
const Column samplesOnce{.key = "samples_once",
                         .value = [](const Line& l) -> Json { return mode(l).mode->samplesOnce; }};
const Column best{.key = "best", .value = [](const Line& l) -> Json { return l.best; }};

template <std::size_t N>
using Of = std::array<const Column*, N>;

const Of<13> modeOrder{&modeKey, &bits,          &divisor,  &registerValue, &neededRegister,
                       &limited, &registerParts, &achieved, &deviation,     &worstCase,
                       &verdict, &samplesOnce,   &best};
const Of<8> questionOrder{&clock,  &rate,   &tolerance,        &clockError,
                          &family, &device, &generatorClockHz, &clockChain};
const Of<5> questionLead{&family, &device, &clock, &generatorClockHz, &rate};
const Of<7> tableOrder{&clock,  &tolerance,        &clockError, &family,
                       &device, &generatorClockHz, &clockChain};
const Of<6> tableBlock{&rate, &achieved, &deviation, &worstCase, &registerValue, &verdict};
const Of<6> crystalsOrder{&rates, &tolerance, &clockError, &family, &device, &clockChain};
const Of<3> crystalOrder{&clock, &generatorClockHz, &worstDeviation};
const Of<6> crystalsLead{&family, &device, &clock, &generatorClockHz, &worstDeviation, &rate};
const Of<6> crystalsColumns{&clock, &worstDeviation, &rate, &modeKey, &registerValue, &deviation};
const Of<2> crystalsGridLead{&clock, &worstDeviation};
const Of<1> rowOrder{&rate};
const Of<4> rateCell{&modeKey, &registerValue, &deviation, &verdict};

}  // namespace

const List modeList = modeOrder;
const List questionKeys = questionOrder;
const List questionCsv = questionLead;
const List tableKeys = tableOrder;
const List tableCsv = questionLead;
const List tableText = tableBlock;
const List crystalsKeys = crystalsOrder;
const List crystalKeys = crystalOrder;
const List crystalsCsv = crystalsLead;
const List crystalsText = crystalsColumns;
const List crystalsGrid = crystalsGridLead;
const List rowKeys = rowOrder;
const List crystalRate = rateCell;

}  // namespace velmiro::report::columns
