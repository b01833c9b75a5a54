// --bclksel, --pll and --clock: how the first number of a command reaches the
// clock the generator counts.
#include "clocks.h"

#include <fmt/format.h>

#include "arguments.h"

namespace velmiro::cli {

void applyClockOptions(report::Port& port, const std::optional<std::string>& pll,
                       const std::optional<std::string>& clock,
                       const std::optional<std::string>& bclksel) {
    if (pll && clock)
        throw Refusal("--pll e --clock si escludono: con --pll CLOCK è il quarzo");
    const auto typed = [](const std::optional<std::string>& option) {
        return option ? std::optional<std::string_view>(*option) : std::nullopt;
    };
    const report::ClockProblems problems =
        report::applyClockOptions(port, {typed(pll), typed(clock), typed(bclksel)}, "CLOCK");
    for (const auto& [option, problem] :
         {std::pair{"--bclksel", &problems.source}, std::pair{"--pll", &problems.pll},
          std::pair{"--clock", &problems.clock}}) {
        if (!problem->empty())
            throw Refusal(fmt::format("{}: {}", option, *problem));
    }
}

}  // namespace velmiro::cli
