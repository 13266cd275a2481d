// A job database on a server (the throw-away one bench/compare_pg.sh starts, 1,000,000 jobs):
// the new-job dialog's statements through the engine, beside psql running the same server SQL.
//   BM_CountUnique         the uniqueness count of a program number, on an open connection
//   BM_MaxNumericFirstRow  strategy 2: the first row of the largest numeric file names
//   (--kx_median=count|max: the median of 2,000 calls of either, as the script compares them)
//   BM_NextValueOneQuery   strategy 0 from AB000000 with AB000001..AB100000 taken, whole
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/next_value_query.h"
#include "platform/database.h"
#include "platform/database_pg.h"

namespace {

std::string g_db;
constexpr const char* kCountSql = "select Count(*) from data where [ProgramNumber]='Q500000'";
constexpr const char* kMaxSql =
    "SELECT Filename FROM DATA WHERE IsNumeric(Filename) Order By CDbl(Filename) DESC";
constexpr const char* kNextSql =
    "SELECT Filename FROM Data Where Not IsNumeric(Filename) and Filename > \"AB\" And Filename like \"AB*\"";
constexpr const char* kStart = "AB000000";
constexpr const char* kExpected = "AB100001";

kx::Database& Db() {
  static std::unique_ptr<kx::Database> db = kx::Engine().OpenDatabase(g_db);
  return *db;
}

void BM_CountUnique(benchmark::State& state) {
  for (auto _ : state) {
    auto rs = Db().OpenRecordset(kCountSql);
    if (rs->Fields(0).Value().ToNumber() != 1) state.SkipWithError("the key is not there once");
    rs->Close();
  }
}
BENCHMARK(BM_CountUnique)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(0.5);

void BM_MaxNumericFirstRow(benchmark::State& state) {
  for (auto _ : state) {
    auto rs = Db().OpenRecordset(kMaxSql, kx::dbOpenForwardOnly, 0, 1);
    if (rs->Eof() || rs->Fields(0).Value().IsNull()) state.SkipWithError("no numeric file name");
    rs->Close();
  }
}
BENCHMARK(BM_MaxNumericFirstRow)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(2000);

void BM_NextValueOneQuery(benchmark::State& state) {
  for (auto _ : state) {
    const std::string v = kx::GetNewStrNextValue(g_db, kStart, 1, 0);
    if (v != kExpected) state.SkipWithError(("unexpected proposal " + v).c_str());
  }
}
BENCHMARK(BM_NextValueOneQuery)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);

}  // namespace

// The median of n calls one after the other, in ms: what psql's \timing lines give for a file
// of the same statement (no pause between the calls, in which the server would fall idle).
double MedianMs(const std::string& what, int n) {
  std::vector<double> ms;
  for (int i = 0; i < n; ++i) {
    const auto start = std::chrono::steady_clock::now();
    auto rs = what == "count" ? Db().OpenRecordset(kCountSql)
                              : Db().OpenRecordset(kMaxSql, kx::dbOpenForwardOnly, 0, 1);
    benchmark::DoNotOptimize(rs->Fields(0).Value());
    rs->Close();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(ms.begin(), ms.begin() + n / 2, ms.end());
  return ms[static_cast<std::size_t>(n / 2)];
}

int main(int argc, char** argv) {
  std::string print, median;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--kx_db=", 0) == 0) g_db = a.substr(8);
    if (a.rfind("--kx_print_sql=", 0) == 0) print = a.substr(15);
    if (a.rfind("--kx_median=", 0) == 0) median = a.substr(12);
  }
  if (g_db.empty()) {
    std::cerr << "usage: bench_pg --kx_db=CONNINFO [--kx_print_sql=count|max|next | --kx_median=count|max]"
                 " [benchmark options]\n";
    return 2;
  }
  if (!median.empty()) {
    std::cout << MedianMs(median, 2000) << "\n";
    return 0;
  }
  if (!print.empty()) {
    // The server SQL of a statement, for psql: what the engine sends (with its first-row limit).
    const bool max = print == "max";
    const char* sql = print == "count" ? kCountSql : max ? kMaxSql : kNextSql;
    std::cout << kx::detail::TranslateOnServer(g_db, sql, max ? 1 : 0) << ";\n";
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
