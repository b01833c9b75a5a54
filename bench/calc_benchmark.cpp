#include <benchmark/benchmark.h>

#include "velmiro/calc.h"
#include "velmiro/link.h"

namespace {

void BM_ComputeGenerator(benchmark::State& state) {
    std::int32_t frequency = 20000000;
    std::int32_t rate = 19200;
    std::int16_t divisor = 16;
    for (auto _ : state) {
        benchmark::DoNotOptimize(frequency);
        benchmark::DoNotOptimize(rate);
        benchmark::DoNotOptimize(divisor);
        benchmark::DoNotOptimize(velmiro::computeGenerator(frequency, rate, divisor));
    }
}
BENCHMARK(BM_ComputeGenerator);

void BM_IntegerFromText(benchmark::State& state) {
    const std::string text = "20.000.000";
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmiro::integerFromText(text));
    }
}
BENCHMARK(BM_IntegerFromText);

void BM_TextOfDeviation(benchmark::State& state) {
    float percent = 0.16145833f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(percent);
        benchmark::DoNotOptimize(velmiro::textOfDeviation(percent));
    }
}
BENCHMARK(BM_TextOfDeviation);

// The calculation behind `velmiro-cli link QUARZO --peer ft232r`: both ends
// and both directions at every standard rate.
void BM_LinkAllRates(benchmark::State& state) {
    const velmiro::Adapter& adapter = *velmiro::findAdapter("ft232r");
    const velmiro::Peripheral pic(*velmiro::findFamily("usart"));
    const velmiro::Frame frame;
    for (auto _ : state) {
        for (const std::int32_t rate : velmiro::standardLinkRates()) {
            const velmiro::Comparison modes = velmiro::compareModes(pic, 20000000, rate, {}, {});
            const auto end = velmiro::picEnd(*pic.family, *modes.bestMode(), 0.0);
            const auto peerRate = adapter.rateFor(rate);
            const velmiro::LinkEnd peer{peerRate->achieved, 0.0, 0.0, adapter.sampling};
            benchmark::DoNotOptimize(velmiro::directionOf(*end, peer, frame, 1.0));
            benchmark::DoNotOptimize(velmiro::directionOf(peer, *end, frame, 1.0));
        }
    }
}
BENCHMARK(BM_LinkAllRates);

}  // namespace
