#include <benchmark/benchmark.h>

#include "velmiro/calc.h"

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

}  // namespace
