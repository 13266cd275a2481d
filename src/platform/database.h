#pragma once
// The job database engine, modelled on the DAO objects the job manager's code calls:
// a per-thread engine opens a Database; a Database opens Recordsets and executes
// statements; a Recordset is read once from its first row to its last.
//
// Statements are written in the job manager's SQL dialect (double-quoted literals,
// [bracketed] names, Like with * ? # [list], IsNumeric, CDbl, IIF); the backend
// translates them (platform/sql_dialect.h). The backends are SQLite (a file) and
// PostgreSQL (a libpq connection string), chosen by the DbName (platform/db_name.h).
//
// Error numbers raised (KxError, source "DAO.DBEngine", "DAO.Database", "DAO.Recordset"
// or "DAO.Fields"): see namespace dberr.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "core/variant.h"
#include "platform/sql_dialect.h"
#include "platform/table_layout.h"

namespace kx {

// Record-set types of OpenRecordset. Every type is read forward only by this engine.
inline constexpr int dbOpenTable = 1;
inline constexpr int dbOpenDynaset = 2;
inline constexpr int dbOpenSnapshot = 4;
inline constexpr int dbOpenForwardOnly = 8;
inline constexpr int dbOpenDynamic = 16;

// Record-set types of a bound data source (DataSource::RecordsetType).
inline constexpr int vbRSTypeTable = 0;
inline constexpr int vbRSTypeDynaset = 1;
inline constexpr int vbRSTypeSnapShot = 2;

namespace dberr {
inline constexpr long InvalidArgument = 3001;
inline constexpr long NoCurrentRecord = 3021;  // field read at EOF
inline constexpr long DuplicateKey = 3022;     // a unique index refused the change
inline constexpr long FileNotFound = 3024;     // the database file does not exist
inline constexpr long DiskFull = 3026;
inline constexpr long ReadOnly = 3027;  // database or file is read-only
inline constexpr long InvalidAccount = 3029;
inline constexpr long NoTransaction = 3034;  // commit or rollback without BeginTrans
inline constexpr long DiskOrNetwork = 3043;  // I/O error, server out of reach, connection lost
inline constexpr long Locked = 3050;         // still locked after the busy timeout
inline constexpr long CannotOpen = 3051;     // no permission, not a file, ...
inline constexpr long UnknownName = 3061;    // a name in the statement is no column
inline constexpr long SelectNotExecutable = 3065;
inline constexpr long Syntax = 3075;  // bad statement, bad Like pattern
inline constexpr long TableNotFound = 3078;
inline constexpr long UndefinedFunction = 3085;
inline constexpr long TrailingText = 3142;   // characters after the end of the statement
inline constexpr long AlreadyExists = 3204;  // CreateJobDatabase on an existing file
inline constexpr long ItemNotFound = 3265;   // Fields(name) with no such field
inline constexpr long NullNotAllowed = 3314;
inline constexpr long BadFormat = 3343;        // the file is no database
inline constexpr long FieldOverflow = 3349;    // a number too large for its column
inline constexpr long ObjectClosed = 3420;     // use of a closed database or record set
inline constexpr long ConversionError = 3421;  // a text for a number column
inline constexpr long TypeMismatch = 3464;     // CDbl of a non-numeric text
}  // namespace dberr

// One column of the current row.
class Field {
 public:
  Field(std::string name, Variant value) : name_(std::move(name)), value_(std::move(value)), current_(true) {}
  // A field read while no row is current: it has a name, and Value() raises NoCurrentRecord.
  explicit Field(std::string name) : name_(std::move(name)) {}
  const std::string& Name() const { return name_; }
  // Null for a database Null; integers, doubles, texts; Date for DATE/TIME columns.
  // A temporary field (rs->Fields(0).Value()) hands out a copy, never a dangling reference.
  const Variant& Value() const&;
  Variant Value() &&;

 private:
  std::string name_;
  Variant value_;
  bool current_ = false;
};

class Recordset {
 public:
  virtual ~Recordset() = default;
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // DAO's EOF: true when no row is current. (Spelled Eof: EOF is a C library macro.)
  virtual bool Eof() const = 0;
  // Rows reached so far: 1 right after opening when there is a row, 0 when there is none.
  virtual long RecordCount() const = 0;
  virtual int FieldCount() const = 0;
  // Fields of the current row by position (from 0) or by name without regard to case;
  // an unknown name or position raises dberr::ItemNotFound. At EOF the field has its name
  // and its Value() raises dberr::NoCurrentRecord.
  virtual Field Fields(int index) const = 0;
  Field Fields(std::string_view name) const;
  // -1 when no field has that name.
  virtual int FieldIndex(std::string_view name) const = 0;
  // The fields of the current row in statement column order.
  std::vector<Field> AllFields() const;
  virtual void MoveNext() = 0;
  virtual void Close() = 0;

 protected:
  Recordset() = default;
};

class Database {
 public:
  virtual ~Database() = default;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens a statement of the dialect (or a bare table name). options are the host's
  // OpenRecordsetOptions, accepted unchanged and without effect here. maxRows > 0 is a
  // hint for callers that read only the first rows: the statement gets a LIMIT, so the
  // engine can stop early (e.g. a top-N sort instead of a full sort).
  virtual std::unique_ptr<Recordset> OpenRecordset(const std::string& statement, int type = dbOpenForwardOnly,
                                                   long options = 0, long maxRows = 0) = 0;
  // Runs an action statement (Update, Insert, Delete, DDL); returns the rows affected.
  virtual long Execute(const std::string& statement, long options = 0) = 0;

  // DAO's TableDefs: the tables of the job database with their columns, keys and indexes, in
  // the order they were made (the engine's own bookkeeping tables left out).
  virtual std::vector<TableLayout> TableDefs() = 0;

  // The add-in's own bookkeeping (the replace history) in the engine's SQL, untranslated:
  // which engine it is, what a statement of the dialect becomes there, and running such SQL.
  // ExecuteNative returns the rows affected; OpenNative reads rows (also of INSERT ... RETURNING).
  virtual SqlEngine Kind() const = 0;
  virtual std::string NativeSql(const std::string& statement) = 0;
  virtual long ExecuteNative(const std::string& sql) = 0;
  virtual std::unique_ptr<Recordset> OpenNative(const std::string& sql) = 0;

  virtual void BeginTrans() = 0;
  virtual void CommitTrans() = 0;
  virtual void Rollback() = 0;

  // Closes the record sets still open on it, then the connection. Closing twice is harmless.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // The name it was opened with.
  virtual const std::string& Name() const = 0;

 protected:
  Database() = default;
};

// Begins a transaction; rolls it back on destruction unless committed. Never throws there.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Database& db_;
  bool active_ = false;
};

// The engine object: one per thread, created on first use (Engine()).
class DBEngine {
 public:
  // DbName: a Windows-form path ("C:\Jobs\jobs.db", mapped through the drive map) or a
  // native path of an SQLite file, or a libpq connection string of a PostgreSQL database.
  // A missing file or database raises dberr::FileNotFound; nothing is ever created here.
  std::unique_ptr<Database> OpenDatabase(const std::string& path);

  // How long a connection waits for another user's lock before dberr::Locked (ms); taken
  // when a database is opened.
  int BusyTimeoutMs() const { return busyTimeoutMs_; }
  void BusyTimeoutMs(int ms) { busyTimeoutMs_ = ms < 0 ? 0 : ms; }

 private:
  int busyTimeoutMs_ = 5000;
};

DBEngine& Engine();

// Native file name of a DbName (Windows form through the drive map, native as it is).
std::string NativeDbPath(const std::string& dbName);

}  // namespace kx
