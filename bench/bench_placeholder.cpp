#include <benchmark/benchmark.h>

#include "platform/random.h"

// Keeps the benchmark target building until the first real kernels exist.
static void BM_Rand(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(plat::Rand());
}
BENCHMARK(BM_Rand);
