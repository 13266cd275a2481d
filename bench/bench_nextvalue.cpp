// Successor of a key with a long trailing digit run: the cost must grow linearly.
#include <benchmark/benchmark.h>

#include <string>

#include "dialogs/next_value.h"

namespace {

void BM_IncrementDigitRun(benchmark::State& state) {
  // "AB" then a run ending in nines, so the carry crosses a few digits as well.
  std::string value = "AB" + std::string(static_cast<std::size_t>(state.range(0)) - 3, '4') + "999";
  for (auto _ : state) {
    std::string next = kx::IncrementStrValue(value);
    benchmark::DoNotOptimize(next);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_IncrementDigitRun)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
