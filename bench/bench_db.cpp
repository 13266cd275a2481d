// Job database engine on a 1,000,000-job table.
//   bench_db --kx_db=FILE [--kx_generate] [--kx_print_count_sql] [benchmark flags]
// --kx_generate creates FILE when it is missing (about 5% numeric keys) and exits;
// --kx_print_count_sql prints the uniqueness count as the engine hands it to SQLite.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/database.h"
#include "platform/database_sqlite.h"
#include "platform/job_schema.h"
#include "platform/sql_dialect.h"

namespace {

constexpr long kRows = 1'000'000;
const std::string kCountKey = "P500001";
const std::string kCountSql = "select Count(*) from data where [ProgramNumber]='" + kCountKey + "'";
const std::string kMaxNumericSql =
    "SELECT Filename FROM DATA WHERE IsNumeric(Filename) Order By CDbl(Filename) DESC";
const std::string kMaxTextSql =
    "SELECT Filename FROM DATA WHERE Not IsNumeric(Filename) Order By Filename DESC";

std::string g_db;

// Realistic keys: prefixes in mixed case with running numbers; every 20th key numeric.
std::string FilenameOf(long i) {
  static const char* prefixes[] = {"A", "AB", "kx-", "Z9-", "Job_", "m", "PN", "Wz"};
  if (i % 20 == 0) return std::to_string(100000 + i * 3);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%07ld", prefixes[i % 8], i);
  return buf;
}
std::string ProgramNumberOf(long i) { return i % 20 == 10 ? std::to_string(i) : "P" + std::to_string(i); }

int Generate(const std::string& path) {
  if (std::filesystem::exists(path)) return 0;
  const std::string tmp = path + ".part";
  std::filesystem::remove(tmp);
  kx::CreateJobDatabase(tmp);
  sqlite3* db = nullptr;
  if (sqlite3_open(tmp.c_str(), &db) != SQLITE_OK) return 1;
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> guard(db, sqlite3_close);
  kx::detail::ConfigureConnection(db, 5000, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* ins = nullptr;
  sqlite3_prepare_v2(
      db,
      "INSERT INTO NCDATA (Filename, ProgramNumber, DataType, Machine, Machineset, Version, Author, "
      "Createdate, Material, Materialthickness, Customer) VALUES (?,?,?,?,?,?,?,?,?,?,?)",
      -1, &ins, nullptr);
  for (long i = 0; i < kRows; ++i) {
    const std::string f = FilenameOf(i), p = ProgramNumberOf(i);
    const std::string machine = "M" + std::to_string(i % 12), set = "S" + std::to_string(i % 30);
    const std::string author = "user" + std::to_string(i % 40), material = i % 3 ? "ST37" : "AlMg3";
    sqlite3_bind_text(ins, 1, f.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(ins, 2, p.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(ins, 3, static_cast<int>(i % 5));
    sqlite3_bind_text(ins, 4, machine.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(ins, 5, set.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(ins, 6, static_cast<int>(1 + i % 9));
    sqlite3_bind_text(ins, 7, author.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(ins, 8, "2024-05-06 07:08:09", -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 9, material.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(ins, 10, 0.5 + static_cast<double>(i % 20));
    sqlite3_bind_text(ins, 11, "Customer Ltd", -1, SQLITE_STATIC);
    if (sqlite3_step(ins) != SQLITE_DONE) {
      std::fprintf(stderr, "insert %ld failed: %s\n", i, sqlite3_errmsg(db));
      return 1;
    }
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  if (sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE); ANALYZE", nullptr, nullptr, nullptr) !=
      SQLITE_OK)
    return 1;
  guard.reset();
  std::filesystem::rename(tmp, path);
  return 0;
}

kx::Database& Db() {
  static std::unique_ptr<kx::Database> db = kx::Engine().OpenDatabase(g_db);
  return *db;
}

// (a) The uniqueness count on an open database.
void BM_CountUnique(benchmark::State& state) {
  for (auto _ : state) {
    auto rs = Db().OpenRecordset(kCountSql, kx::dbOpenForwardOnly);
    benchmark::DoNotOptimize(rs->Fields(0).Value().ToNumber());
    rs->Close();
  }
}
BENCHMARK(BM_CountUnique);

// The same with its own connection, as a caller that opens and closes per check.
void BM_CountUniqueWithOpen(benchmark::State& state) {
  for (auto _ : state) {
    auto db = kx::Engine().OpenDatabase(g_db);
    auto rs = db->OpenRecordset(kCountSql, kx::dbOpenForwardOnly);
    benchmark::DoNotOptimize(rs->Fields(0).Value().ToNumber());
    rs->Close();
    db->Close();
  }
}
BENCHMARK(BM_CountUniqueWithOpen);

// (b) Largest value: the first row only (with the hint) against the whole ordered result.
void FirstRow(benchmark::State& state, const std::string& sql) {
  for (auto _ : state) {
    auto rs = Db().OpenRecordset(sql, kx::dbOpenForwardOnly, 0, 1);
    benchmark::DoNotOptimize(rs->Fields(0).Value().ToText());
    rs->Close();
  }
}
void FullScan(benchmark::State& state, const std::string& sql) {
  for (auto _ : state) {
    auto rs = Db().OpenRecordset(sql, kx::dbOpenForwardOnly);
    long n = 0;
    for (; !rs->Eof(); rs->MoveNext()) {
      benchmark::DoNotOptimize(rs->Fields(0).Value());
      ++n;
    }
    rs->Close();
    state.counters["rows"] = static_cast<double>(n);
  }
}
void BM_MaxNumericFirstRow(benchmark::State& s) { FirstRow(s, kMaxNumericSql); }
void BM_MaxNumericFullScan(benchmark::State& s) { FullScan(s, kMaxNumericSql); }
void BM_MaxTextFirstRow(benchmark::State& s) { FirstRow(s, kMaxTextSql); }
void BM_MaxTextFullScan(benchmark::State& s) { FullScan(s, kMaxTextSql); }
BENCHMARK(BM_MaxNumericFirstRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MaxNumericFullScan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MaxTextFirstRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MaxTextFullScan)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  bool generate = false, printSql = false;
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--kx_db=", 8) == 0) {
      g_db = argv[i] + 8;
    } else if (std::strcmp(argv[i], "--kx_generate") == 0) {
      generate = true;
    } else if (std::strcmp(argv[i], "--kx_print_count_sql") == 0) {
      printSql = true;
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (printSql) {
    std::printf("%s;\n", kx::TranslateStatement(kCountSql).c_str());
    return 0;
  }
  if (g_db.empty()) {
    std::fprintf(stderr, "bench_db: --kx_db=FILE is required\n");
    return 2;
  }
  try {
    if (generate) return Generate(g_db);
    int n = static_cast<int>(rest.size());
    benchmark::Initialize(&n, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_db: %s\n", e.what());
    return 1;
  }
  return 0;
}
