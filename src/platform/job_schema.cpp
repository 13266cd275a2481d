#include "platform/job_schema.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/error.h"
#include "platform/database.h"
#include "platform/database_sqlite.h"
#include "platform/db_name.h"
#include "platform/pg_schema.h"
#include "platform/replace_history.h"
#include "platform/sql_dialect_functions.h"

namespace kx {
namespace {

// The numeric indexes serve the "largest numeric value" statements
// (WHERE IsNumeric(x) ORDER BY CDbl(x) DESC): the first row comes from the index end.
constexpr const char* kSchema = R"sql(
CREATE TABLE NCDATA (
  ID INTEGER PRIMARY KEY,
  Filename TEXT COLLATE NOCASE_ICU,
  ProgramNumber TEXT COLLATE NOCASE_ICU,
  DataType INTEGER DEFAULT 0,
  Machine TEXT COLLATE NOCASE_ICU,
  Machineset TEXT COLLATE NOCASE_ICU,
  MachinesetMax TEXT COLLATE NOCASE_ICU,
  Text10 TEXT COLLATE NOCASE_ICU,
  ElecRefFilename TEXT COLLATE NOCASE_ICU,
  NestComment TEXT COLLATE NOCASE_ICU,
  Version INTEGER,
  Author TEXT COLLATE NOCASE_ICU,
  Programmer TEXT COLLATE NOCASE_ICU,
  Createdate DATETIME,
  DataArchive SMALLINT DEFAULT 0,
  Released SMALLINT DEFAULT 0,
  NestStatus SMALLINT DEFAULT 0,
  Adresstext TEXT COLLATE NOCASE_ICU,
  OrderNumber TEXT COLLATE NOCASE_ICU,
  Material TEXT COLLATE NOCASE_ICU,
  Materialthickness DOUBLE,
  Name TEXT COLLATE NOCASE_ICU,
  Customer TEXT COLLATE NOCASE_ICU,
  Comment TEXT COLLATE NOCASE_ICU,
  VEMIX_SEQUENCE INTEGER
);
CREATE UNIQUE INDEX NCDATA_Filename ON NCDATA (Filename);
CREATE UNIQUE INDEX NCDATA_ProgramNumber ON NCDATA (ProgramNumber);
CREATE INDEX NCDATA_Machine ON NCDATA (Machine);
CREATE INDEX NCDATA_Machineset ON NCDATA (Machineset);
CREATE INDEX NCDATA_Filename_Numeric ON NCDATA (CDbl(Filename)) WHERE IsNumeric(Filename);
CREATE INDEX NCDATA_ProgramNumber_Numeric ON NCDATA (CDbl(ProgramNumber)) WHERE IsNumeric(ProgramNumber);
CREATE TABLE MACHINE (
  Machine TEXT COLLATE NOCASE_ICU,
  DirectoryType SMALLINT DEFAULT 0,
  KelbDirectory TEXT COLLATE NOCASE_ICU,
  NcDirectory TEXT COLLATE NOCASE_ICU,
  OptNcDirectory TEXT COLLATE NOCASE_ICU,
  DatFileExtension TEXT COLLATE NOCASE_ICU,
  KelbFileExtension TEXT COLLATE NOCASE_ICU,
  KelbBakFileExtension TEXT COLLATE NOCASE_ICU,
  NcFileExtension TEXT COLLATE NOCASE_ICU,
  SetFileExtension TEXT COLLATE NOCASE_ICU,
  OptNcFileExtension TEXT COLLATE NOCASE_ICU,
  KelbCall TEXT COLLATE NOCASE_ICU,
  NCExportDirectory TEXT COLLATE NOCASE_ICU,
  NCExportFileExtensions TEXT COLLATE NOCASE_ICU,
  DncCall TEXT COLLATE NOCASE_ICU,
  TemplateFile TEXT COLLATE NOCASE_ICU,
  ExportDirectory TEXT COLLATE NOCASE_ICU
);
CREATE UNIQUE INDEX MACHINE_Machine ON MACHINE (Machine);
)sql";

struct DbCloser {
  void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};

struct StmtFinalizer {
  void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};

// The first column of the first row of a statement as a number, 0 when there is none.
long long QueryNumber(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) return 0;
  std::unique_ptr<sqlite3_stmt, StmtFinalizer> stmt(raw);
  return sqlite3_step(stmt.get()) == SQLITE_ROW ? sqlite3_column_int64(stmt.get(), 0) : 0;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// Number columns take only numbers that fit their type, as the job manager's engine has
// it: a text is a conversion error, a number out of range an overflow, and the statement
// changes nothing. The ranges follow the declared types of the job and machine tables, so
// a database made before the guards gets them for the columns it has.
std::string NumberGuardsSql(sqlite3* db) {
  std::string sql;
  for (const char* table : {"NCDATA", "MACHINE"}) {
    std::string insertChecks, updateChecks, updateColumns;
    sqlite3_stmt* raw = nullptr;
    const std::string info =
        std::string("SELECT name, upper(type), pk FROM pragma_table_info('") + table + "')";
    if (sqlite3_prepare_v2(db, info.c_str(), -1, &raw, nullptr) != SQLITE_OK) continue;
    std::unique_ptr<sqlite3_stmt, StmtFinalizer> stmt(raw);
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
      const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
      const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1));
      if (sqlite3_column_int(stmt.get(), 2) != 0) continue;  // the row id is a number anyway
      const char* range = type == "SMALLINT"  ? "-32768 AND 32767"
                          : type == "INTEGER" ? "-2147483648 AND 2147483647"
                          : type == "DOUBLE"  ? "-1.7976931348623157e308 AND 1.7976931348623157e308"
                                              : nullptr;
      if (!range) continue;
      auto checks = [&](const std::string& when) {
        const std::string v = "NEW." + Quoted(name);
        return "SELECT RAISE(ABORT, 'Data type conversion error (" + name + ").') WHERE typeof(" + v +
               ") IN ('text', 'blob')" + when + ";\n  SELECT RAISE(ABORT, 'Numeric field overflow (" + name +
               ").') WHERE typeof(" + v + ") IN ('integer', 'real') AND " + v + " NOT BETWEEN " + range +
               when + ";\n  ";
      };
      insertChecks += checks("");
      // Only a changed value is checked: a row with an old bad value stays editable.
      updateChecks += checks(" AND NEW." + Quoted(name) + " IS NOT OLD." + Quoted(name));
      updateColumns += (updateColumns.empty() ? "" : ", ") + Quoted(name);
    }
    if (updateColumns.empty()) continue;
    const std::string prefix = std::string("kx_") + table + "_numbers";
    sql += "CREATE TRIGGER IF NOT EXISTS " + prefix + "_insert BEFORE INSERT ON " + table + " BEGIN\n  " +
           insertChecks + "END;\n";
    sql += "CREATE TRIGGER IF NOT EXISTS " + prefix + "_update BEFORE UPDATE OF " + updateColumns + " ON " +
           table + " BEGIN\n  " + updateChecks + "END;\n";
  }
  return sql;
}

int Exec(sqlite3* db, const std::string& sql, std::string* error = nullptr) {
  char* msg = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg);
  if (rc != SQLITE_OK && error) *error = msg ? msg : sqlite3_errmsg(db);
  sqlite3_free(msg);
  return rc;
}

std::string FormatPragma() {
  return "PRAGMA user_version = " + std::to_string(detail::kJobDatabaseFormat) + ";";
}

}  // namespace

const char* JobDatabaseSchemaSql() { return kSchema; }

namespace detail {

// A migration, run at open when the file is writable: the one write an opening makes, and only
// to a database of an older format, whose indexes would otherwise be read in the old order. A
// current database is not touched by a read; a file opened read-only is read as it is.
void UpgradeJobDatabase(sqlite3* db) {
  auto format = [db] { return QueryNumber(db, "PRAGMA user_version"); };
  auto current = [&] { return format() >= kJobDatabaseFormat; };
  if (current() || sqlite3_db_readonly(db, "main") != 0) return;
  if (QueryNumber(
          db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'NCDATA' COLLATE NOCASE") ==
      0)
    return;  // not a job database: nothing of ours to bring up to date
  if (Exec(db, "BEGIN IMMEDIATE") != SQLITE_OK) return;  // locked by another user: next time
  // Another workstation may have upgraded it while we waited for the lock.
  const bool done =
      current() ||
      ((format() >= 1 || (Exec(db, std::string("REINDEX ") + kNoCaseCollation) == SQLITE_OK &&
                          Exec(db, NumberGuardsSql(db)) == SQLITE_OK)) &&
       Exec(db, SqliteReplaceHistorySql()) == SQLITE_OK && Exec(db, FormatPragma()) == SQLITE_OK);
  // A failed upgrade leaves the file as it was; it is still read as before.
  Exec(db, done ? "COMMIT" : "ROLLBACK");
}

std::string CurrentFormatSql(sqlite3* db) { return NumberGuardsSql(db) + FormatPragma(); }

}  // namespace detail

void CreateJobDatabase(const std::string& path) {
  constexpr const char* kSource = "DAO.DBEngine";
  if (IsServerDbName(path)) return detail::CreatePgJobDatabase(path, Engine().BusyTimeoutMs());
  const std::string native = NativeDbPath(path);
  std::error_code ec;
  if (std::filesystem::exists(native, ec))
    throw KxError(dberr::AlreadyExists, kSource, "Database already exists: '" + path + "'.");

  const detail::SqlitePlacement placement = detail::PlacementOf(path, native);
  std::string error;
  {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(native.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, DbCloser> db(raw);
    if (rc == SQLITE_OK) rc = detail::ConfigureConnection(db.get(), Engine().BusyTimeoutMs(), nullptr);
    if (rc == SQLITE_OK) rc = detail::ChooseJournal(db.get(), placement.wal);
    if (rc == SQLITE_OK)
      rc = Exec(db.get(), std::string("BEGIN;") + kSchema + SqliteReplaceHistorySql(), &error);
    if (rc == SQLITE_OK) rc = Exec(db.get(), detail::CurrentFormatSql(db.get()) + "COMMIT;", &error);
    if (rc != SQLITE_OK && error.empty()) error = db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc);
  }
  if (!error.empty()) {
    // Leave nothing half-made behind.
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(native + suffix, ec);
    throw KxError(dberr::CannotOpen, kSource, "Cannot create database '" + path + "': " + error + ".");
  }
}

}  // namespace kx
