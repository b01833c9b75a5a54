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

// With a key, that mode alone competes; otherwise the asynchronous or the
// synchronous ones. A mode an erratum avoids never does.
bool competes(const Peripheral& peripheral, const ModeInfo& mode, const ModeChoice& choice) {
    if (peripheral.avoided(mode))
        return false;
    if (!choice.key.empty())
        return mode.key == choice.key;
    return (mode.mode.sync != 0) == choice.sync;
}

// The generator's divisor seen from the clock the user gives: the chain's
// ratio folded in keeps the law exact over integers (Fosc / 2 may be odd).
// n = round(F * r / (B * D) - offset) with r = multiplier / divider.
struct Scaled {
    std::int64_t frequency;  // F * multiplier
    std::int64_t divisor;    // D * divider
};

Scaled scaled(const Peripheral& peripheral, std::int32_t frequency, const ModeInfo& mode) {
    const ClockRatio r = peripheral.ratio();
    return {frequency * r.multiplier, mode.divisor * r.divider};
}

}  // namespace

double worstCasePercent(double deviationPercent, double clockErrorPercent) {
    // (1 + p)(1 +- c) - 1 is largest in size at p + c(1 + p) or p - c(1 + p), and
    // 1 + p = A / B > 0: so |p| + c(1 + p). Exactly |P| when c is 0.
    return std::fabs(deviationPercent) + clockErrorPercent * (1.0 + deviationPercent / 100.0);
}

namespace {

// A register value taken forwards: the rate it gives and, with a target, its judgement.
void takeForwards(const Peripheral& peripheral, ModeResult& result, std::int32_t frequency,
                  std::optional<std::int32_t> rate, const Judgement& judgement) {
    const Scaled f = scaled(peripheral, frequency, *result.mode);
    const std::int64_t product = (result.registerValue + result.mode->offset) * f.divisor;
    result.achieved = law::rateOf(f.frequency, product);
    if (!rate)
        return;
    // (A - B) / B with A = F / m, over integers: (F - B * m) / (B * m). Both
    // stay below 2^53 for every classic register, so they are exact doubles
    // and equal ratios give equal deviations. A 20-bit n, a slow PLL divider
    // and a huge rate could pass 2^63: then in long double, never wrapped.
    std::int64_t target = 0;
    if (__builtin_mul_overflow(std::int64_t{*rate}, product, &target)) {
        const long double wide = static_cast<long double>(*rate) * product;
        result.deviationPercent =
            static_cast<double>((static_cast<long double>(f.frequency) - wide) / wide * 100.0L);
    } else {
        result.deviationPercent = law::percentOff(f.frequency - target, target);
    }
    result.worstCasePercent =
        worstCasePercent(*result.deviationPercent, judgement.clockErrorPercent);
    if (peripheral.avoided(*result.mode))
        result.verdict = Verdict::Avoided;
    else if (law::withinTolerance(*result.worstCasePercent, judgement.tolerancePercent))
        result.verdict = Verdict::Ok;
    else
        result.verdict = Verdict::OutOfTolerance;
}

Comparison withBest(const Peripheral& peripheral, std::vector<ModeResult> results,
                    const ModeChoice& choice) {
    Comparison comparison{std::move(results), std::nullopt};
    for (std::size_t i = 0; i < comparison.modes.size(); ++i) {
        const ModeResult& r = comparison.modes[i];
        if (!r.worstCasePercent || !competes(peripheral, *r.mode, choice))
            continue;
        const ModeResult* best = comparison.bestMode();
        // On a tie, a mode with majority detection reads noisy lines better.
        if (best == nullptr || *r.worstCasePercent < *best->worstCasePercent ||
            (*r.worstCasePercent == *best->worstCasePercent && best->mode->samplesOnce &&
             !r.mode->samplesOnce))
            comparison.best = i;
    }
    return comparison;
}

}  // namespace

ModeResult rateForRegister(const Peripheral& peripheral, std::int32_t frequency,
                           std::int64_t registerValue, std::optional<std::int32_t> rate,
                           const ModeInfo& mode, const Judgement& judgement) {
    ModeResult result;
    result.mode = &mode;
    result.registerValue = registerValue;
    result.neededRegister = registerValue;
    if (registerValue < peripheral.registerMinimum(mode) || registerValue > registerMaximum(mode)) {
        result.verdict = Verdict::RegisterTooSmall;
        return result;
    }
    takeForwards(peripheral, result, frequency, rate, judgement);
    return result;
}

ModeResult registerForRate(const Peripheral& peripheral, std::int32_t frequency, std::int32_t rate,
                           const ModeInfo& mode, const Judgement& judgement) {
    ModeResult result;
    result.mode = &mode;
    const Scaled f = scaled(peripheral, frequency, mode);
    result.neededRegister = law::nearestRegister(f.frequency, rate * f.divisor, mode.offset);
    // The register holds what it can: its limits give the nearest rate it can reach.
    result.registerValue = std::clamp<std::int64_t>(
        result.neededRegister, peripheral.registerMinimum(mode), registerMaximum(mode));
    takeForwards(peripheral, result, frequency, rate, judgement);
    return result;
}

Comparison compareModes(const Peripheral& peripheral, std::int32_t frequency, std::int32_t rate,
                        const Judgement& judgement, const ModeChoice& choice) {
    std::vector<ModeResult> results;
    results.reserve(peripheral.family->modes.size());
    for (const ModeInfo& mode : peripheral.family->modes) {
        if (isListed(mode, choice))
            results.push_back(registerForRate(peripheral, frequency, rate, mode, judgement));
    }
    return withBest(peripheral, std::move(results), choice);
}

Comparison compareRegister(const Peripheral& peripheral, std::int32_t frequency,
                           std::int64_t registerValue, std::optional<std::int32_t> rate,
                           const Judgement& judgement, const ModeChoice& choice) {
    std::vector<ModeResult> results;
    for (const ModeInfo& mode : peripheral.family->modes) {
        if (isListed(mode, choice))
            results.push_back(
                rateForRegister(peripheral, frequency, registerValue, rate, mode, judgement));
    }
    return withBest(peripheral, std::move(results), choice);
}

Fastest fastestRate(const Peripheral& peripheral, std::int32_t frequency) {
    Fastest fastest;
    for (const ModeInfo& mode : peripheral.family->modes) {
        const std::int64_t n = peripheral.registerMinimum(mode);
        const std::int64_t divisor = mode.divisor * (n + mode.offset);
        if (fastest.divisor == 0 || divisor < fastest.divisor)
            fastest = {0.0, divisor, n};
    }
    fastest.rate = peripheral.generatorClock(frequency) / static_cast<double>(fastest.divisor);
    return fastest;
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

namespace {

// A crystal that would run the part's clock beyond its group's maximum.
bool beyondPart(const Peripheral& peripheral, std::int32_t crystal) {
    const PartClock* part = peripheral.partClock;
    return part != nullptr && part->maximum > 0 &&
           &peripheral.source() == &peripheral.family->sources.front() &&
           peripheral.inputClock(crystal) > static_cast<double>(part->maximum);
}

}  // namespace

std::vector<CrystalFit> crystalsFor(const Peripheral& peripheral,
                                    std::span<const std::int32_t> rates, const Judgement& judgement,
                                    const ModeChoice& choice, std::int32_t minimum,
                                    std::int32_t maximum) {
    std::vector<CrystalFit> fits;
    for (const std::int32_t crystal : commonCrystals()) {
        if (crystal < minimum || crystal > maximum || beyondPart(peripheral, crystal))
            continue;
        CrystalFit fit;
        fit.crystal = crystal;
        for (const std::int32_t rate : rates) {
            const Comparison modes = compareModes(peripheral, crystal, rate, judgement, choice);
            const ModeResult* best = modes.bestMode();
            if (best == nullptr || best->verdict != Verdict::Ok)
                break;
            fit.worstDeviationPercent =
                std::max(fit.worstDeviationPercent, *best->worstCasePercent);
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
