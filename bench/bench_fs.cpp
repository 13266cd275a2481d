// GetAllFiles over a generated tree of 100,000 files in 1,000 folders.
// The tree lives in KX_BENCH_TREE when set (compare_fs.sh builds it once for both sides),
// else in a temp folder made and removed by this program.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "fs/clsFso.h"
#include "fs/native_path.h"

namespace {

namespace fsys = std::filesystem;

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;

// GCC 12 warns (-Wrestrict, falsely) on "literal" + std::to_string(n).
std::string Named(const char* prefix, int n, const char* suffix = "") {
  std::string name(prefix);
  name += std::to_string(n);
  name += suffix;
  return name;
}

void MakeTree(const fsys::path& root) {
  for (int d = 0; d < kFolders; ++d) {
    // Two levels: 20 groups of 50 job folders.
    fsys::path dir = root / Named("G", d / 50) / Named("Job", d);
    fsys::create_directories(dir);
    for (int f = 0; f < kFilesPerFolder; ++f) std::ofstream(dir / Named("P", f, ".nc"));
  }
}

struct Tree {
  fsys::path root;
  bool owned = false;
  Tree() {
    if (const char* given = std::getenv("KX_BENCH_TREE"); given && *given) {
      root = given;
      return;
    }
    std::string tmpl = (fsys::temp_directory_path() / "kxbench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    root = tmpl;
    owned = true;
    MakeTree(root);
  }
  ~Tree() {
    std::error_code ec;
    if (owned) fsys::remove_all(root, ec);
  }
};

Tree& TheTree() {
  static Tree tree;
  return tree;
}

void BM_GetAllFiles(benchmark::State& state) {
  const std::string root = kx::ToWindows(TheTree().root);
  kx::clsFso fso;
  fso.FsoFoldersActive(state.range(0) != 0);
  long count = 0;
  for (auto _ : state) {
    kx::PathList files = fso.GetAllFiles(root, "*.*", -1);
    count = files.Count();
    benchmark::DoNotOptimize(count);
  }
  if (count != kFolders * kFilesPerFolder) state.SkipWithError("wrong file count");
  state.counters["files"] = static_cast<double>(count);
}
BENCHMARK(BM_GetAllFiles)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
