// Feeds arbitrary bytes through the text conversion and the part numbers, and arbitrary F, B, D
// through both policies of the generator law. Only CalcError may escape the library; anything
// else, a crash or a sanitizer report is a finding.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "velmiro/calc.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void fuzzText(std::string_view text) {
    try {
        const std::int32_t value = velmiro::integerFromText(text);
        // Whatever was accepted must read back the same from its plain form.
        check(velmiro::integerFromText(velmiro::textOfInteger(value)) == value);
    } catch (const velmiro::CalcError&) {
    }
    // Any part number reads as a family or as a reason why not, and reads the same again.
    const velmiro::Device device = velmiro::deviceFromText(text);
    check((device.family != nullptr) == (device.problem == velmiro::DeviceProblem::None));
    check(velmiro::deviceFromText(device.part).family == device.family);
}

void fuzzGenerator(const std::uint8_t* data) {
    std::int32_t frequency;
    std::int32_t rate;
    std::int16_t divisor;
    std::memcpy(&frequency, data, sizeof frequency);
    std::memcpy(&rate, data + 4, sizeof rate);
    std::memcpy(&divisor, data + 8, sizeof divisor);
    try {
        const velmiro::GeneratorResult r = velmiro::computeGenerator(frequency, rate, divisor);
        check(r.outcome == velmiro::Outcome::TooLow ? r.registerValue < 1 : r.registerValue >= 1);
        if (r.outcome == velmiro::Outcome::Computed) {
            check(std::isfinite(r.deviation.percent));
            check(r.deviation.outOfTolerance == (std::fabs(r.deviation.percent) >= 1.0f));
            check(!velmiro::textOfDeviation(r.deviation.percent).empty());
        }
    } catch (const velmiro::CalcError&) {
    }
    // The register-accurate law never fails for a positive F and B, and loads what the
    // register can hold: the needed n, or the limit nearest to it.
    if (frequency <= 0 || rate <= 0)
        return;
    for (const velmiro::Family& family : velmiro::families()) {
        for (const velmiro::ModeInfo& mode : family.modes) {
            const velmiro::ModeResult r =
                velmiro::registerForRate(family, frequency, rate, mode, {1.0, 2.0});
            const std::int64_t top = velmiro::registerMaximum(mode);
            const std::int64_t bottom = velmiro::Peripheral(family).registerMinimum(mode);
            check(r.registerValue >= bottom && r.registerValue <= top);
            check(!r.limited() || r.registerValue == (r.neededRegister < bottom ? bottom : top));
            check(std::isfinite(*r.achieved) &&
                  *r.worstCasePercent >= std::fabs(*r.deviationPercent));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (size >= 10)
        fuzzGenerator(data);
    return 0;
}
