// kestrafix db init / sql / copy: a job database made, queried and copied through the add-in's engine.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "core/text.h"
#include "json_writer.h"
#include "platform/database.h"
#include "platform/job_schema.h"
#include "platform/table_copy.h"

namespace kx::cli {

namespace {

// Statements that give rows; everything else runs as an action. A single word is a table
// name, which the dialect opens as "select * from" it.
bool ReturnsRows(const std::string& statement) {
  const std::string s = Trim(statement);
  const std::size_t end = s.find_first_of(" \t\r\n(");
  const std::string first = ToLower(s.substr(0, end));
  if (end == std::string::npos) return true;
  return first == "select" || first == "with";
}

std::string CellText(const Variant& v) { return v.IsNull() ? std::string("Null") : v.ToText(); }

void RunSql(const std::string& file, const std::string& statement, bool json, CliIo& io) {
  auto db = Engine().OpenDatabase(InputPath(file));
  if (!ReturnsRows(statement)) {
    const long n = db->Execute(statement);
    db->Close();
    if (json) {
      io.out << Json(Json::Object{{"rowsAffected", n}}).Dump() << '\n';
    } else {
      io.out << fmt::format("{} row{} affected\n", n, n == 1 ? "" : "s");
    }
    return;
  }
  auto rs = db->OpenRecordset(statement, dbOpenForwardOnly);
  Json::Array columns;
  std::string header;
  for (int i = 0; i < rs->FieldCount(); ++i) {
    const std::string name = rs->Fields(i).Name();
    columns.emplace_back(name);
    header += (i ? "\t" : "") + name;
  }
  if (!json) io.out << header << '\n';
  Json::Array rows;
  long count = 0;
  for (; !rs->Eof(); rs->MoveNext(), ++count) {
    Json::Array row;
    std::string line;
    for (int i = 0; i < rs->FieldCount(); ++i) {
      const Variant v = rs->Fields(i).Value();
      if (json) {
        row.push_back(Json::FromVariant(v));
      } else {
        line += (i ? "\t" : "") + CellText(v);
      }
    }
    if (json) {
      rows.emplace_back(std::move(row));
    } else {
      io.out << line << '\n';
    }
  }
  rs->Close();
  db->Close();
  if (json) {
    io.out
        << Json(Json::Object{{"columns", Json(std::move(columns))}, {"rows", Json(std::move(rows))}}).Dump()
        << '\n';
  } else {
    io.out << fmt::format("({} row{})\n", count, count == 1 ? "" : "s");
  }
}

void RunCopy(const std::string& fromArg, const std::string& toArg, bool json, CliIo& io) {
  const std::string from = InputPath(fromArg);
  const std::string to = InputPath(toArg);
  // A progress line only for a person watching: rewritten in place, at most a few times a second.
  CopyProgress progress;
  auto last = std::chrono::steady_clock::time_point{};
  if (io.console.errIsTerminal) {
    progress = [&](const TableLayout& t, long long rows, long long expected) {
      const auto now = std::chrono::steady_clock::now();
      const bool done = rows == expected;
      if (!done && now - last < std::chrono::milliseconds(200)) return;
      last = now;
      io.err << fmt::format("\rcopying {}: {} of {} rows", t.name, rows, expected) << (done ? "\n" : "")
             << std::flush;
    };
  }
  std::vector<CopiedTable> tables;
  try {
    tables = CopyJobDatabase(from, to, progress);
  } catch (const KxError& e) {
    if (e.Number() == dberr::AlreadyExists) throw UsageError(e.Description());
    throw;
  }
  long long rows = 0;
  Json::Array list;
  for (const CopiedTable& t : tables) {
    rows += t.rows;
    list.emplace_back(Json::Object{{"table", t.name}, {"rows", t.rows}});
  }
  if (json) {
    io.out << Json(Json::Object{{"from", from}, {"to", to}, {"tables", Json(std::move(list))}}).Dump()
           << '\n';
    return;
  }
  for (const CopiedTable& t : tables) io.out << fmt::format("{}\t{} rows\n", t.name, t.rows);
  io.out << fmt::format("Copied {} tables, {} rows, from {} to {}\n", tables.size(), rows, from, to);
}

}  // namespace

void AddDbCommands(CLI::App& app, CommandList& commands) {
  CLI::App* db = app.add_subcommand(
      "db", "Create a job database, run a statement on one, copy one, or import one from an Access file");
  db->require_subcommand(1);

  struct InitOptions {
    std::string file;
    bool json = false;
  };
  auto init = std::make_shared<InitOptions>();
  CLI::App* initApp = db->add_subcommand(
      "init",
      "Create a new, empty job database with its job table and machine table; an existing file, or "
      "a server schema that holds them, is never touched");
  initApp
      ->add_option("DATABASE", init->file,
                   "Job database file (/srv/jobs.db or D:\\jobs.db), or a PostgreSQL connection string "
                   "(postgresql://host/db or host=... dbname=...; the tables go into its current schema)")
      ->required();
  initApp->add_flag("--json", init->json, "Print the result as JSON");
  commands.push_back({initApp, [init](CliIo& io) {
                        const std::string path = InputPath(init->file);
                        CreateJobDatabase(path);
                        if (init->json) {
                          io.out << Json(Json::Object{{"database", path}}).Dump() << '\n';
                        } else {
                          io.out << "Created job database " << path << '\n';
                        }
                      }});

  struct SqlOptions {
    std::string file, statement;
    bool json = false;
  };
  auto sql = std::make_shared<SqlOptions>();
  CLI::App* sqlApp = db->add_subcommand(
      "sql",
      "Run one statement in the job manager's own SQL: \"text\" in double quotes, [names] in "
      "brackets, Like with * ? # [list], IsNumeric, CDbl and IIF; Data and NcData name the job table. "
      "A select (or a table name alone) prints its rows, tab-separated, Null for an empty value; any "
      "other statement prints how many rows it changed.");
  sqlApp
      ->add_option("DATABASE", sql->file,
                   "Job database file (/srv/jobs.db or D:\\jobs.db), or a PostgreSQL connection string")
      ->required();
  sqlApp->add_option("STATEMENT", sql->statement, "One statement")->required();
  sqlApp->add_flag("--json", sql->json, "Print the result as JSON");
  commands.push_back({sqlApp, [sql](CliIo& io) { RunSql(sql->file, sql->statement, sql->json, io); }});

  struct CopyOptions {
    std::string from, to;
    bool json = false;
  };
  auto copy = std::make_shared<CopyOptions>();
  CLI::App* copyApp = db->add_subcommand(
      "copy",
      "Copy a job database into a new one, between any two engines (an SQLite file, a PostgreSQL connection "
      "string): every table with its columns, types, keys and indexes, and every row, in one transaction on "
      "the target. The rows of each table are counted at the end; a difference rolls the copy back (exit 1). "
      "A target that exists already is refused (exit 2).");
  copyApp->add_option("FROM", copy->from, "The job database to copy (file or connection string)")->required();
  copyApp
      ->add_option(
          "TO", copy->to,
          "A new database file (absent or empty), or a connection string whose current schema is empty")
      ->required();
  copyApp->add_flag("--json", copy->json, "Print the tables and their rows as JSON");
  commands.push_back({copyApp, [copy](CliIo& io) { RunCopy(copy->from, copy->to, copy->json, io); }});
  AddDbImportCommand(*db, commands);
}

}  // namespace kx::cli
