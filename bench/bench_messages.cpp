// Loading a large message file: sorted insertion of every key.
// KX_BENCH_MESSAGES_FILE names the file to load (compare_messages.sh sets it); without it a
// file of 50,000 random keys is generated in the temp folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "messages/clsResStrs.h"

namespace {

std::string GeneratedFile() {
  static const std::string path = [] {
    const auto file =
        std::filesystem::temp_directory_path() / ("kx_bench_messages_" + std::to_string(::getpid()) + ".049");
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> letter(0, 25), len(6, 24);
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < 50000; ++i) {
      std::string key;
      for (int k = len(rng); k > 0; --k) key += static_cast<char>((k % 2 ? 'a' : 'A') + letter(rng));
      out << key << "." << i << ".Caption=Text of " << key << "\r\n";
    }
    return file.string();
  }();
  return path;
}

void BM_LoadMessageFile(benchmark::State& state) {
  const char* env = std::getenv("KX_BENCH_MESSAGES_FILE");
  const std::string file = env ? env : GeneratedFile();
  for (auto _ : state) {
    kx::clsResStrs table;
    benchmark::DoNotOptimize(table.Load(file));
    state.counters["keys"] = table.Count();
  }
}
BENCHMARK(BM_LoadMessageFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!std::getenv("KX_BENCH_MESSAGES_FILE")) std::filesystem::remove(GeneratedFile());
  return 0;
}
