// The clock options of every command that judges a rate, applied to its port.
#pragma once

#include <optional>
#include <string>

#include "velmiro/report.h"

namespace velmiro::cli {

// Sets the port's clock chain from --pll, --clock and --bclksel as typed; a
// combination or a name the port does not have throws a Refusal (status 2).
void applyClockOptions(report::Port& port, const std::optional<std::string>& pll,
                       const std::optional<std::string>& clock,
                       const std::optional<std::string>& bclksel);

}  // namespace velmiro::cli
