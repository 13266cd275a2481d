// kestrafix db import: an Access (Jet) job database into a new job database, with a report of
// what the target could not take.
#include <fmt/format.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "json_writer.h"
#include "platform/database.h"
#include "platform/table_import.h"

namespace kx::cli {
namespace {

struct ImportArgs {
  std::string source, target;
  ImportOptions options;
  bool json = false;
};

const char* KindName(ImportConflict::Kind k) {
  switch (k) {
    case ImportConflict::Kind::DuplicateKey:
      return "duplicate key";
    case ImportConflict::Kind::ValueDoesNotFit:
      return "value does not fit";
    case ImportConflict::Kind::TableNameClash:
      return "table name clash";
  }
  return "";
}

long long TotalRows(const ImportReport& r) {
  long long n = 0;
  for (const ImportedTable& t : r.tables) n += t.rows;
  return n;
}

Json ReportJson(const ImportReport& r, const std::string& source, const std::string& target, bool dryRun) {
  Json::Array tables, conflicts, renamed, notes;
  for (const ImportedTable& t : r.tables)
    tables.emplace_back(Json::Object{{"source", t.source},
                                     {"table", t.target},
                                     {"rows", t.rows},
                                     {"kind", t.isJobTable       ? "job"
                                              : t.isMachineTable ? "machine"
                                                                 : "other"}});
  for (const ImportConflict& c : r.conflicts)
    conflicts.emplace_back(Json::Object{{"kind", KindName(c.kind)},
                                        {"table", c.table},
                                        {"column", c.column.empty() ? Json() : Json(c.column)},
                                        {"row", c.row ? Json(c.row) : Json()},
                                        {"text", c.text}});
  for (const RenamedKey& k : r.renamed)
    renamed.emplace_back(Json::Object{
        {"table", k.table}, {"column", k.column}, {"row", k.row}, {"from", k.from}, {"to", k.to}});
  for (const std::string& n : r.notes) notes.emplace_back(n);
  return Json(Json::Object{{"source", source},
                           {"target", target},
                           {"dryRun", dryRun},
                           {"imported", r.written},
                           {"tables", Json(std::move(tables))},
                           {"rows", TotalRows(r)},
                           {"conflicts", Json(std::move(conflicts))},
                           {"renamed", Json(std::move(renamed))},
                           {"notes", Json(std::move(notes))}});
}

void PrintReport(std::ostream& out, const ImportReport& r) {
  for (const ImportedTable& t : r.tables) {
    const char* kind = t.isJobTable ? " (job table)" : t.isMachineTable ? " (machine table)" : "";
    out << (t.source == t.target ? fmt::format("{}{}\t{} rows\n", t.target, kind, t.rows)
                                 : fmt::format("{} <- {}{}\t{} rows\n", t.target, t.source, kind, t.rows));
  }
  if (!r.conflicts.empty()) out << fmt::format("Conflicts ({}):\n", r.conflicts.size());
  for (const ImportConflict& c : r.conflicts) out << fmt::format("  {}: {}\n", KindName(c.kind), c.text);
  if (!r.renamed.empty()) out << fmt::format("Renamed keys ({}):\n", r.renamed.size());
  for (const RenamedKey& k : r.renamed)
    out << fmt::format("  table '{}', row {}, column '{}': '{}' -> '{}'\n", k.table, k.row, k.column, k.from,
                       k.to);
  if (!r.notes.empty()) out << "Notes:\n";
  for (const std::string& n : r.notes) out << "  " << n << '\n';
}

void RunImport(const ImportArgs& a, CliIo& io) {
  const std::string source = InputPath(a.source);
  const std::string target = InputPath(a.target);
  auto file = OpenJetFile(NativeDbPath(source));

  // Progress only for a person watching: one line per table, rewritten at most a few times a second.
  ImportProgress progress;
  auto last = std::chrono::steady_clock::time_point{};
  if (isatty(STDERR_FILENO)) {
    progress = [&](const std::string& step, const std::string& table, long long rows, long long expected) {
      const auto now = std::chrono::steady_clock::now();
      const bool done = rows == expected;
      if (!done && now - last < std::chrono::milliseconds(200)) return;
      last = now;
      io.err << (expected < 0 ? fmt::format("\r{} {}: {} rows", step, table, rows)
                              : fmt::format("\r{} {}: {} of {} rows", step, table, rows, expected))
             << (done ? "\n" : "") << std::flush;
    };
  }
  ImportReport report;
  try {
    report = ImportTables(*file, target, a.options, progress);
  } catch (const KxError& e) {
    if (e.Number() == dberr::TableNotFound) throw UsageError(fmt::format("{}: {}", source, e.Description()));
    if (e.Number() == dberr::AlreadyExists) throw UsageError(e.Description());
    throw;
  }
  if (a.json) {
    io.out << ReportJson(report, source, target, a.options.dryRun).Dump() << '\n';
  } else {
    PrintReport(io.out, report);
    const std::string counts = fmt::format("{} tables, {} rows, {} conflicts", report.tables.size(),
                                           TotalRows(report), report.conflicts.size());
    if (report.written) {
      io.out << fmt::format("Imported {} from {} into {}\n", counts, source, target);
    } else {
      io.out << fmt::format("{}: {}; nothing was written\n", a.options.dryRun ? "Dry run" : "Not imported",
                            counts);
    }
  }
  if (!a.options.dryRun && !report.written)
    throw UsageError(fmt::format(
        "the report holds {} conflict{}; nothing was imported{}", report.conflicts.size(),
        report.conflicts.size() == 1 ? "" : "s",
        a.options.renameDuplicates ? "" : " (--rename-duplicates gives keys equal without case a suffix)"));
}

}  // namespace

void AddDbImportCommand(CLI::App& db, CommandList& commands) {
  auto args = std::make_shared<ImportArgs>();
  CLI::App* app = db.add_subcommand(
      "import",
      "Import an Access (Jet 3, Jet 4, ACCDB) job database, read only, into a new job database: the job "
      "table "
      "(Data, NCDATA or NcData) and the machine table become the job database's own, with their unique keys "
      "and "
      "indexes; every other table comes along as it is. Every row is read first for a report of what the "
      "target "
      "cannot take (keys equal without regard to case, values that do not fit, table names that clash); with "
      "a "
      "conflict nothing is written (exit 2). Otherwise everything is written in one transaction. A file "
      "without "
      "a job table, or a target that exists, is refused (exit 2); a file that cannot be read gives one error "
      "(exit 1) and no target.");
  app->add_option("SOURCE", args->source, "The Access file (.mdb, .accdb); it is never written")->required();
  app->add_option(
         "TARGET", args->target,
         "A new database file (absent or empty), or a PostgreSQL connection string whose current schema "
         "is empty")
      ->required();
  app->add_flag("--dry-run", args->options.dryRun, "Print the whole report and change nothing");
  app->add_flag("--tables-only", args->options.tablesOnly,
                "Copy the tables also when the file holds no job table");
  app->add_flag(
      "--rename-duplicates", args->options.renameDuplicates,
      "Give a key that equals an earlier one without regard to case a suffix (~2, ~3, ...) and list it");
  app->add_flag("--json", args->json, "Print the report as JSON");
  commands.push_back({app, [args](CliIo& io) { RunImport(*args, io); }});
}

}  // namespace kx::cli
