// Keyed collection at scale: sorted insertion of N distinct random keys (N = 10,000 and
// 1,000,000), lookups by key and by position.
// `bench_core --peak-rss N` instead builds one collection of N keys in this process and
// prints its peak resident size, so the figure is the collection's own.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/keyed_collection.h"

namespace {

// Short keys of mixed case, 8 to 12 letters, the same every run.
class KeyMaker {
 public:
  std::string Next() {
    std::string k;
    for (int n = len_(rng_); n > 0; --n) k.push_back(static_cast<char>((n % 2 ? 'a' : 'A') + letter_(rng_)));
    return k;
  }

 private:
  std::mt19937_64 rng_{20240611};
  std::uniform_int_distribution<int> letter_{0, 25};
  std::uniform_int_distribution<int> len_{8, 12};
};

const std::vector<std::string>& Keys(std::size_t n) {
  static std::vector<std::string> keys;
  if (keys.size() != n) {
    // Distinct without regard to case: build once through the collection itself.
    kx::KeyedCollection<int> seen;
    KeyMaker maker;
    keys.clear();
    keys.reserve(n);
    while (keys.size() < n) {
      std::string k = maker.Next();
      if (!seen.HasKey(k)) {
        seen.Add(0, k);
        keys.push_back(std::move(k));
      }
    }
  }
  return keys;
}

void BM_InsertSorted(benchmark::State& state) {
  const auto& keys = Keys(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    auto* c = new kx::KeyedCollection<std::string>;
    for (const auto& k : keys) benchmark::DoNotOptimize(c->InsertSorted(k, k));
    state.PauseTiming();
    delete c;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_InsertSorted)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

const kx::KeyedCollection<std::string>& Built(std::size_t n) {
  static kx::KeyedCollection<std::string> c;
  static std::size_t builtFor = 0;
  if (builtFor != n) {
    c.Clear();
    for (const auto& k : Keys(n)) c.InsertSorted(k, k);
    builtFor = n;
  }
  return c;
}

void BM_LookupByKey(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto& c = Built(n);
  const auto& keys = Keys(n);
  std::mt19937 rng(1);
  for (auto _ : state) benchmark::DoNotOptimize(c.Find(keys[rng() % n]));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupByKey)->Arg(10000)->Arg(1000000);

void BM_LookupByPosition(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto& c = Built(n);
  std::mt19937 rng(2);
  for (auto _ : state) benchmark::DoNotOptimize(&c.Item(static_cast<long>(rng() % n) + 1));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupByPosition)->Arg(10000)->Arg(1000000);

int PeakRss(long n) {
  KeyMaker maker;
  kx::KeyedCollection<std::string> c;
  while (c.Count() < n) {
    std::string k = maker.Next();
    std::string item = k;
    c.InsertSorted(std::move(item), k);
  }
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("items %ld peak_rss_mb %.1f\n", c.Count(), static_cast<double>(ru.ru_maxrss) / 1024.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--peak-rss") == 0) return PeakRss(std::atol(argv[2]));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
