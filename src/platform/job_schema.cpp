#include "platform/job_schema.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>

#include "core/error.h"
#include "platform/database.h"
#include "platform/database_sqlite.h"

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

}  // namespace

const char* JobDatabaseSchemaSql() { return kSchema; }

void CreateJobDatabase(const std::string& path) {
  constexpr const char* kSource = "DAO.DBEngine";
  const std::string native = NativeDbPath(path);
  std::error_code ec;
  if (std::filesystem::exists(native, ec))
    throw KxError(dberr::AlreadyExists, kSource, "Database already exists: '" + path + "'.");

  std::string error;
  {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(native.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, DbCloser> db(raw);
    if (rc == SQLITE_OK) rc = detail::ConfigureConnection(db.get(), Engine().BusyTimeoutMs(), nullptr);
    if (rc == SQLITE_OK) rc = detail::UseWal(db.get());
    char* msg = nullptr;
    if (rc == SQLITE_OK) {
      rc = sqlite3_exec(db.get(), (std::string("BEGIN;") + kSchema + "COMMIT;").c_str(), nullptr, nullptr,
                        &msg);
    }
    if (rc != SQLITE_OK) error = msg ? msg : (db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc));
    sqlite3_free(msg);
  }
  if (!error.empty()) {
    // Leave nothing half-made behind.
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(native + suffix, ec);
    throw KxError(dberr::CannotOpen, kSource, "Cannot create database '" + path + "': " + error + ".");
  }
}

}  // namespace kx
