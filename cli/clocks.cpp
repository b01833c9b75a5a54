// --bclksel, --pll and --clock: how the first number of a command reaches the
// clock the generator counts.
#include "clocks.h"

#include <fmt/format.h>

#include "arguments.h"

namespace velmiro::cli {

void applyClockOptions(report::Port& port, const std::optional<std::string>& pll,
                       const std::optional<std::string>& clock,
                       const std::optional<std::string>& bclksel) {
    Peripheral& p = port.peripheral;
    const Family& f = *p.family;
    if (bclksel) {
        if (f.sourceBits.empty())
            throw Refusal(
                fmt::format("--bclksel: la famiglia {} non sceglie la sorgente "
                            "del clock dell'UART",
                            f.key));
        p.chain.source = findSource(f, lowerCase(*bclksel));
        if (p.chain.source == nullptr) {
            std::vector<std::string_view> keys;
            for (const ClockSource& s : f.sources)
                keys.push_back(s.key);
            throw Refusal(fmt::format("--bclksel: «{}» non è una sorgente; le sorgenti sono {}",
                                      *bclksel, listText(keys, "e")));
        }
    }
    if (pll && clock)
        throw Refusal("--pll e --clock si escludono: con --pll CLOCK è il quarzo");
    if (pll) {
        const PllRatio ratio = pllRatioOf(*pll);
        p.chain.given = ClockPoint::Oscillator;
        p.chain.pllMultiplier = ratio.multiplier;
        p.chain.pllDivider = ratio.divider;
        port.pll = *pll;
    }
    if (clock) {
        const std::string name = lowerCase(*clock);
        const std::string input = lowerCase(p.inputName());
        const std::string generator = lowerCase(p.source().generator);
        if (name == input)
            p.chain.given = ClockPoint::Input;
        else if (!generator.empty() && name == generator)
            p.chain.given = ClockPoint::Generator;
        else
            throw Refusal(fmt::format("--clock: «{}» non è un clock di {}; CLOCK può essere {}",
                                      *clock, port.device.empty() ? "questa famiglia" : port.device,
                                      generator.empty() ? input : input + " o " + generator));
    }
}

}  // namespace velmiro::cli
