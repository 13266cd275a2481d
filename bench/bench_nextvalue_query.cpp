// Next free value (strategy 0) on a 1,000,000-job table whose 100,000 values above the start
// are all taken: one query and a search in memory, against one count query per candidate.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "dialogs/next_value.h"
#include "dialogs/next_value_query.h"
#include "platform/database.h"
#include "platform/job_schema.h"
#include "platform/sql_dialect.h"

namespace {

std::string g_db;
constexpr const char* kStart = "AB000000";
constexpr const char* kExpected = "AB100001";
// The statement the proposal runs for this start value, as the dialect writes it.
constexpr const char* kNextSql =
    "SELECT Filename FROM Data Where Not IsNumeric(Filename) and Filename > \"AB\" And Filename like \"AB*\"";

void Generate(const std::string& path) {
  if (std::filesystem::exists(path)) return;
  kx::CreateJobDatabase(path);
  auto db = kx::Engine().OpenDatabase(path);
  kx::Transaction tx(*db);
  // The taken run AB000001..AB100000, then 900,000 other jobs (about 5% numeric keys).
  db->Execute(
      "INSERT INTO NCDATA (Filename, ProgramNumber) WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 "
      "FROM c WHERE x<100000) SELECT 'AB' || substr('000000' || x, -6), 'P' || x FROM c");
  db->Execute(
      "INSERT INTO NCDATA (Filename, ProgramNumber) WITH RECURSIVE c(x) AS (SELECT 100001 UNION ALL SELECT "
      "x+1 FROM c WHERE x<1000000) SELECT CASE WHEN x % 20 = 0 THEN '' || x ELSE 'J' || x END, 'P' || x FROM "
      "c");
  tx.Commit();
}

void BM_NextValueOneQuery(benchmark::State& state) {
  for (auto _ : state) {
    std::string v = kx::GetNewStrNextValue(g_db, kStart, 1, 0);
    if (v != kExpected) state.SkipWithError(("unexpected proposal " + v).c_str());
    benchmark::DoNotOptimize(v);
  }
}
// Single runs, repeated: the compare script takes the best, as it does for the shell.
BENCHMARK(BM_NextValueOneQuery)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// The same search asking the database once per candidate.
void BM_NextValueCountPerCandidate(benchmark::State& state) {
  for (auto _ : state) {
    auto db = kx::Engine().OpenDatabase(g_db);
    std::string candidate = kStart;
    for (;;) {
      candidate = kx::IncrementStrValue(candidate);
      auto rs =
          db->OpenRecordset("select Count(*) from data where [Filename]=" + kx::QuoteSqlText(candidate));
      if (rs->Fields(0).Value().ToNumber() == 0) break;
    }
    if (candidate != kExpected) state.SkipWithError(("unexpected proposal " + candidate).c_str());
  }
}
BENCHMARK(BM_NextValueCountPerCandidate)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(2);

}  // namespace

int main(int argc, char** argv) {
  bool printSql = false, peak = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--kx_db=", 0) == 0) g_db = a.substr(8);
    if (a == "--kx_print_sql") printSql = true;
    if (a == "--kx_peak") peak = true;
  }
  if (printSql) {
    std::cout << kx::TranslateStatement(kNextSql) << ";\n";
    return 0;
  }
  if (g_db.empty()) {
    std::cerr << "usage: bench_nextvalue_query --kx_db=FILE [--kx_print_sql|--kx_peak]\n";
    return 2;
  }
  Generate(g_db);
  if (peak) {  // one proposal in a fresh process: its peak resident memory
    const std::string v = kx::GetNewStrNextValue(g_db, kStart, 1, 0);
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%s %.1f\n", v.c_str(), static_cast<double>(ru.ru_maxrss) / 1024.0);
    return v == kExpected ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
