// The bulk replace with its history beside the same replace without it, on one job database
// (an SQLite file or a server database, --kx_db), with --kx_jobs jobs of which every
// --kx_every-th matches (1: all). Every round counts and sets [Material] of the matching jobs
// once without a record and once or twice recorded, in turn, so that all sides meet the same
// file, cache and server:
//   - by default, recorded with a history of 50 that is not full (nothing pruned), and with a
//     history of 1, so that every replace also prunes the entry of the replace before;
//   - with --kx_steady=1, the history is first filled to 50 entries of this size, and every
//     recorded replace prunes the oldest: the history's steady state.
// Then the last recorded replace is previewed and undone once, and both are timed.
// Prints the median seconds and the ratios; exits 1 when a ratio is above 1.5.
//   bench_replace --kx_db=DB [--kx_jobs=1000000] [--kx_every=1] [--kx_rounds=5] [--kx_steady=0]
//                 [--kx_rows=full|bare]
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/replace_column.h"
#include "platform/database.h"
#include "platform/job_schema.h"
#include "platform/replace_history.h"

namespace {

std::string Arg(int argc, char** argv, std::string_view name, std::string fallback) {
  const std::string prefix = "--" + std::string(name) + "=";
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a.substr(0, prefix.size()) == prefix) return std::string(a.substr(prefix.size()));
  }
  return fallback;
}

long long Count(kx::Database& db, const std::string& where = "1 = 1") {
  auto rs = db.OpenRecordset("select count(*) from NcData where " + where);
  const long long n = static_cast<long long>(rs->Fields(0).Value().ToNumber());
  rs->Close();
  return n;
}

// Jobs J1..Jn on machine Laser1, every every-th of material ST37 and the others AL99, made on
// the engine in one statement. Full jobs have their other columns filled too, as a shop's jobs
// have; bare ones only keys, machine and material: the history's worst case, where recording the
// old values weighs most against an update of short rows.
void Fill(kx::Database& db, long long jobs, long long every, bool full) {
  const std::string n = std::to_string(jobs);
  const std::string material = "CASE WHEN x % " + std::to_string(every) + " = 0 THEN 'ST37' ELSE 'AL99' END";
  std::string columns = "\"Filename\", \"ProgramNumber\", \"Machine\", \"Material\"";
  std::string values = "'J' || x, 'Q' || x, 'Laser1', " + material;
  if (full) {
    columns +=
        ", \"DataType\", \"Machineset\", \"Version\", \"Author\", \"Createdate\", \"DataArchive\", "
        "\"Released\", \"Adresstext\", \"OrderNumber\", \"Materialthickness\", \"Name\", \"Customer\", "
        "\"Comment\"";
    values +=
        ", x % 5, CASE x % 3 WHEN 1 THEN 'S1' WHEN 2 THEN 'B1' END, 1 + x % 3, 'demo', '2024-05-06 07:08:09', 0, "
        "x % 2, CASE x % 3 WHEN 0 THEN 'Becker GmbH' WHEN 1 THEN 'Kunze AG' ELSE 'Nordblech' END, "
        "'2024-' || (1 + x % 400), 1.5, 'Teil ' || x, 'Kunze AG', 'Blech gekantet, entgratet'";
  }
  const std::string rows =
      db.Kind() == kx::SqlEngine::Postgres
          ? "SELECT " + values + " FROM generate_series(1, " + n + ") x"
          : "WITH RECURSIVE s(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM s WHERE x < " + n + ") SELECT " +
                values + " FROM s";
  kx::Transaction t(db);
  db.ExecuteNative("INSERT INTO \"NCDATA\" (" + columns + ") " + rows);
  t.Commit();
  if (db.Kind() == kx::SqlEngine::Postgres) db.ExecuteNative("VACUUM ANALYZE \"NCDATA\"");
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::string name = Arg(argc, argv, "kx_db", "");
  const long long jobs = std::atoll(Arg(argc, argv, "kx_jobs", "1000000").c_str());
  const long long every = std::atoll(Arg(argc, argv, "kx_every", "1").c_str());
  const int rounds = std::atoi(Arg(argc, argv, "kx_rounds", "5").c_str());
  const bool steady = Arg(argc, argv, "kx_steady", "0") == "1";
  const bool full = Arg(argc, argv, "kx_rows", "full") != "bare";
  if (name.empty() || jobs <= 0 || every <= 0 || rounds <= 0) {
    std::cerr << "usage: bench_replace --kx_db=DB [--kx_jobs=N] [--kx_rounds=N] [--kx_rows=full|bare]\n";
    return 2;
  }
  try {
    try {
      kx::CreateJobDatabase(name);
    } catch (const kx::KxError&) {
      // It exists: filled by an earlier run, or made by the caller.
    }
    auto db = kx::Engine().OpenDatabase(name);
    if (Count(*db) == 0) {
      std::cerr << "filling " << jobs << " jobs...\n";
      Fill(*db, jobs, every, full);
    }
    const long long total = Count(*db);
    const long long n = Count(*db, "Material like \"ST*\"");
    std::vector<double> plain, recorded, pruned, unused;
    const std::string values[2] = {"ST37", "ST52"};
    int from = 0;
    // Each side from the value the other left, so each round changes every matching job.
    const auto run = [&](int keep, std::vector<double>& times) {
      const auto start = std::chrono::steady_clock::now();
      const long count = kx::CountMatching(*db, "Material", values[from]);
      const long changed =
          kx::ReplaceMatching(*db, "Material", values[from], values[1 - from], 0, {"bench", keep});
      times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      if (count != n || changed != n) throw std::runtime_error("not every matching job changed");
      from = 1 - from;
    };
    constexpr int keep = kx::kDefaultReplaceHistory;
    if (steady) {
      const auto entries = [&] { return static_cast<int>(kx::ReplaceHistoryEntries(*db).size()); };
      if (entries() < keep) std::cerr << "filling the history to " << keep << " entries...\n";
      while (entries() < keep) run(keep, unused);
    }
    run(0, plain);  // warm-up: the pages of the job table in the cache
    plain.clear();
    for (int r = 0; r < rounds; ++r) {
      run(0, plain);
      run(keep, recorded);
      if (!steady) run(1, pruned);
    }
    // The undo of the last recorded replace, as the host window runs it: the preview, then the undo.
    // Then the replace again, unrecorded, so the file ends as it would without this.
    const auto timed = [](auto f) {
      const auto start = std::chrono::steady_clock::now();
      f();
      return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const long long last = kx::LastUndoableReplace(*db).value().id;
    long long restored = 0;
    const double preview = timed([&] { kx::PreviewUndo(*db, last); });
    const double undo = timed([&] { restored = kx::UndoReplace(*db, last, "bench", keep).restored; });
    if (restored != n) throw std::runtime_error("the undo did not set back every job");
    from = 1 - from;
    run(0, unused);
    const double p = Median(plain), h = Median(recorded);
    std::cout << (db->Kind() == kx::SqlEngine::Postgres ? "PostgreSQL" : "SQLite") << ", " << total
              << (full ? " full" : " bare") << " jobs, count + replace of the " << n << " that match, median of "
              << rounds << ":\n"
              << "  without history                             " << p << " s\n";
    if (steady) {
      std::cout << "  history full at " << keep << ", the oldest entry pruned  " << h << " s  ratio " << h / p
                << '\n';
    } else {
      std::cout << "  history of " << keep << ", nothing pruned             " << h << " s  ratio " << h / p
                << '\n'
                << "  history of 1, the last entry pruned         " << Median(pruned) << " s  ratio "
                << Median(pruned) / p << '\n';
    }
    std::cout << "  undo of the last, preview " << preview << " s, undo " << undo << " s (" << (preview + undo) / p
              << "x the replace without history)\n";
    db->Close();
    return h / p <= 1.5 && (steady || Median(pruned) / p <= 1.5) ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << "bench_replace: " << e.what() << '\n';
    return 2;
  }
}
