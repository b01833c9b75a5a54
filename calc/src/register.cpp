#include <algorithm>
#include <array>
#include <cmath>

#include "law.h"
#include "velmiro/calc.h"

namespace velmiro {

bool isListed(const ModeInfo& mode, const ModeChoice& choice) {
    return choice.key.empty() || mode.key == choice.key;
}

namespace {

// With a key, that mode alone competes; otherwise one family of modes.
bool competes(const ModeInfo& mode, const ModeChoice& choice) {
    if (!choice.key.empty())
        return mode.key == choice.key;
    return (mode.mode.sync != 0) == choice.sync;
}

}  // namespace

ModeResult resultOfRegister(std::int32_t frequency, std::int64_t registerValue,
                            std::optional<std::int32_t> rate, const ModeInfo& mode,
                            double tolerancePercent) {
    ModeResult result;
    result.mode = &mode;
    result.registerValue = registerValue;
    if (registerValue < 0) {
        result.verdict = Verdict::TooLow;
        return result;
    }
    if (registerValue > registerMaximum(mode.mode)) {
        result.verdict = Verdict::RegisterTooSmall;
        return result;
    }
    const std::int64_t product = (registerValue + 1) * mode.divisor;
    result.achieved = law::rateOf(frequency, product);
    if (rate) {
        // (A - B) / B with A = F / m, over integers: (F - B * m) / (B * m). Both
        // stay below 2^53, so they are exact doubles and equal ratios give
        // equal deviations.
        const std::int64_t target = std::int64_t{*rate} * product;
        result.deviationPercent = law::percentOff(frequency - target, target);
        result.verdict = law::withinTolerance(*result.deviationPercent, tolerancePercent)
                             ? Verdict::Ok
                             : Verdict::OutOfTolerance;
    }
    return result;
}

ModeResult registerResult(std::int32_t frequency, std::int32_t rate, const ModeInfo& mode,
                          double tolerancePercent) {
    // |q| <= 2^31 for any 32-bit F and B, so n always fits 64 bits.
    const double n = law::roundHalfEven(law::registerQuotient(frequency, rate, mode.divisor));
    return resultOfRegister(frequency, static_cast<std::int64_t>(n), rate, mode, tolerancePercent);
}

void markBest(std::span<ModeResult> results, const ModeChoice& choice) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const ModeResult& r = results[i];
        if (!r.deviationPercent || !competes(*r.mode, choice))
            continue;
        if (!best || std::fabs(*r.deviationPercent) < std::fabs(*results[*best].deviationPercent))
            best = i;
    }
    for (std::size_t i = 0; i < results.size(); ++i)
        results[i].best = best == i;
}

const ModeResult* bestOf(std::span<const ModeResult> results) {
    const auto best =
        std::find_if(results.begin(), results.end(), [](const ModeResult& r) { return r.best; });
    return best == results.end() ? nullptr : &*best;
}

std::vector<ModeResult> compareModes(std::int32_t frequency, std::int32_t rate,
                                     double tolerancePercent, const ModeChoice& choice) {
    std::vector<ModeResult> results;
    results.reserve(modeTable().size());
    for (const ModeInfo& mode : modeTable()) {
        if (isListed(mode, choice))
            results.push_back(registerResult(frequency, rate, mode, tolerancePercent));
    }
    markBest(results, choice);
    return results;
}

std::span<const std::int32_t> commonCrystals() {
    static constexpr std::array<std::int32_t, 37> crystals{
        1000000,  1843200,  2000000,  2457600,  3276800,  3579545,  3686400,  4000000,
        4096000,  4194304,  4915200,  5000000,  6000000,  6144000,  7372800,  8000000,
        9830400,  10000000, 11059200, 12000000, 12288000, 14318180, 14745600, 16000000,
        18432000, 19660800, 20000000, 22118400, 24000000, 25000000, 29491200, 32000000,
        36864000, 40000000, 44236800, 48000000, 64000000,
    };
    return crystals;
}

std::vector<CrystalFit> crystalsFor(std::span<const std::int32_t> rates, double tolerancePercent,
                                    const ModeChoice& choice, std::int32_t minimum,
                                    std::int32_t maximum) {
    std::vector<CrystalFit> fits;
    for (const std::int32_t crystal : commonCrystals()) {
        if (crystal < minimum || crystal > maximum)
            continue;
        CrystalFit fit;
        fit.crystal = crystal;
        for (const std::int32_t rate : rates) {
            const std::vector<ModeResult> modes =
                compareModes(crystal, rate, tolerancePercent, choice);
            const ModeResult* best = bestOf(modes);
            if (best == nullptr || best->verdict != Verdict::Ok)
                break;
            fit.worstDeviationPercent =
                std::max(fit.worstDeviationPercent, std::fabs(*best->deviationPercent));
            fit.rates.push_back(*best);
        }
        if (fit.rates.size() == rates.size())
            fits.push_back(std::move(fit));
    }
    // Stable, and the candidates come lowest first: equal worst deviations keep that order.
    std::stable_sort(fits.begin(), fits.end(), [](const CrystalFit& a, const CrystalFit& b) {
        return a.worstDeviationPercent < b.worstDeviationPercent;
    });
    return fits;
}

}  // namespace velmiro
