#include "platform/database_sqlite.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "platform/file_system_kind.h"
#include "platform/job_schema.h"
#include "platform/sql_dialect.h"
#include "platform/sqlite_packed_jobs.h"
#include "platform/table_defs.h"

namespace kx::detail {
namespace {

struct DbCloser {
  void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;

struct StmtFinalizer {
  void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};
using StmtHandle = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

class SqliteRecordset;

// One open connection, shared by the database object and its record sets.
struct Connection {
  DbHandle db;
  std::string name;
  int busyTimeoutMs = 0;
  DialectErrorSink sink;
  std::vector<SqliteRecordset*> live;
  int transDepth = 0;
  bool wal = true;             // the file system allows WAL
  bool journalChosen = false;  // ChooseJournal ran (before the first write)
  std::string readOnlyWhy;     // opened for reading only: why
};

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

[[noreturn]] void Raise(Connection& c, int rc, const char* source, std::string_view statement) {
  if (c.sink.number != 0) {
    // A dialect function failed; its own number and text tell more than SQLite's.
    KxError e(c.sink.number, source, c.sink.description);
    c.sink = {};
    throw e;
  }
  const std::string msg = c.db ? sqlite3_errmsg(c.db.get()) : sqlite3_errstr(rc);
  const std::string where = statement.empty() ? std::string() : " in statement " + Quoted(statement);
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw KxError(dberr::Locked, source,
                    "Could not lock file " + Quoted(c.name) + ": it is in use by another user (waited " +
                        std::to_string(c.busyTimeoutMs) + " ms).");
    case SQLITE_CONSTRAINT:
      if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw KxError(dberr::DuplicateKey, source,
                      "The change would create duplicate values in a unique index (" + msg + ").");
      if (rc == SQLITE_CONSTRAINT_NOTNULL)
        throw KxError(dberr::NullNotAllowed, source, "The field cannot contain a Null value (" + msg + ").");
      // The number guards of the job schema.
      if (rc == SQLITE_CONSTRAINT_TRIGGER && StartsWith(msg, "Numeric field overflow"))
        throw KxError(dberr::FieldOverflow, source, msg);
      if (rc == SQLITE_CONSTRAINT_TRIGGER && StartsWith(msg, "Data type conversion error"))
        throw KxError(dberr::ConversionError, source, msg);
      break;
    case SQLITE_READONLY:
      throw KxError(dberr::ReadOnly, source,
                    "Cannot update: database " + Quoted(c.name) + " is read-only" +
                        (c.readOnlyWhy.empty() ? std::string() : " (" + c.readOnlyWhy + ")") + ".");
    case SQLITE_FULL:
      throw KxError(dberr::DiskFull, source, "Not enough space on disk for " + Quoted(c.name) + ".");
    case SQLITE_IOERR:
      throw KxError(dberr::DiskOrNetwork, source,
                    "Disk or network error on " + Quoted(c.name) + ": " + msg + ".");
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      throw KxError(dberr::BadFormat, source, "Unrecognized database format " + Quoted(c.name) + ".");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      throw KxError(
          dberr::CannotOpen, source,
          "Cannot open database " + Quoted(c.name) + ": no permission, or it is not a database file.");
    case SQLITE_ERROR:
      if (StartsWith(msg, "no such column: "))
        throw KxError(dberr::UnknownName, source, "Unknown name " + Quoted(msg.substr(16)) + where + ".");
      if (StartsWith(msg, "no such table: "))
        throw KxError(dberr::TableNotFound, source,
                      "Cannot find the input table or query " + Quoted(msg.substr(15)) + ".");
      if (StartsWith(msg, "no such function: ") || StartsWith(msg, "wrong number of arguments"))
        throw KxError(dberr::UndefinedFunction, source,
                      "Undefined function in expression (" + msg + ")" + where + ".");
      if (msg.find("syntax error") != std::string::npos || StartsWith(msg, "incomplete input") ||
          StartsWith(msg, "unrecognized token"))
        throw KxError(dberr::Syntax, source, "Syntax error (" + msg + ")" + where + ".");
      break;
    default:
      break;
  }
  throw KxError(err::DatabaseError, source, "Database engine error: " + msg + where + ".");
}

StmtHandle Prepare(Connection& c, const std::string& sql, std::string_view original, const char* source) {
  c.sink = {};
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  const int rc = sqlite3_prepare_v2(c.db.get(), sql.data(), static_cast<int>(sql.size()), &raw, &tail);
  StmtHandle stmt(raw);
  if (rc != SQLITE_OK) Raise(c, rc, source, original);
  if (!stmt) throw KxError(dberr::Syntax, source, "Invalid SQL statement" + Quoted(original) + ".");
  for (; tail && *tail; ++tail) {
    if (!std::isspace(static_cast<unsigned char>(*tail)))
      throw KxError(dberr::TrailingText, source,
                    "Characters found after end of SQL statement " + Quoted(original) + ".");
  }
  return stmt;
}

enum class ColumnKind { Plain, Date, Bool };

ColumnKind KindOf(const char* decltype_) {
  if (!decltype_) return ColumnKind::Plain;
  std::string t(decltype_);
  for (char& ch : t) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (t.find("DATE") != std::string::npos || t.find("TIME") != std::string::npos) return ColumnKind::Date;
  if (t.find("BOOL") != std::string::npos || t.find("YESNO") != std::string::npos) return ColumnKind::Bool;
  return ColumnKind::Plain;
}

class SqliteRecordset final : public Recordset {
 public:
  SqliteRecordset(std::shared_ptr<Connection> conn, StmtHandle stmt, std::string statement)
      : conn_(std::move(conn)), stmt_(std::move(stmt)), statement_(std::move(statement)) {
    const int n = sqlite3_column_count(stmt_.get());
    for (int i = 0; i < n; ++i) {
      const char* name = sqlite3_column_name(stmt_.get(), i);
      names_.emplace_back(name ? name : "");
      kinds_.push_back(KindOf(sqlite3_column_decltype(stmt_.get(), i)));
    }
    conn_->live.push_back(this);
  }
  ~SqliteRecordset() override { Detach(); }

  void Start() { Step(); }

  bool Eof() const override {
    CheckOpen();
    return eof_;
  }
  long RecordCount() const override {
    CheckOpen();
    return count_;
  }
  int FieldCount() const override {
    CheckOpen();
    return static_cast<int>(names_.size());
  }
  int FieldIndex(std::string_view name) const override {
    CheckOpen();
    for (std::size_t i = 0; i < names_.size(); ++i)
      if (EqualsNoCase(names_[i], name)) return static_cast<int>(i);
    return -1;
  }
  Field Fields(int index) const override {
    CheckOpen();
    if (index < 0 || index >= static_cast<int>(names_.size()))
      throw KxError(dberr::ItemNotFound, "DAO.Fields",
                    "Item not found in this collection: no field at position " + std::to_string(index) + ".");
    if (eof_) return Field(names_[static_cast<std::size_t>(index)]);
    return Field(names_[static_cast<std::size_t>(index)], ValueAt(index));
  }
  void MoveNext() override {
    CheckOpen();
    if (eof_) throw KxError(dberr::NoCurrentRecord, "DAO.Recordset", "No current record.");
    Step();
  }
  void Close() override {
    stmt_.reset();
    closed_ = true;
    Detach();
  }
  // The database closes: the record set goes with it.
  void CloseFromDatabase() noexcept {
    stmt_.reset();
    closed_ = true;
    conn_.reset();
  }

 private:
  void CheckOpen() const {
    if (closed_)
      throw KxError(dberr::ObjectClosed, "DAO.Recordset",
                    "Object invalid or no longer set (record set closed).");
  }

  void Detach() noexcept {
    if (!conn_) return;
    auto& live = conn_->live;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    conn_.reset();
  }

  void Step() {
    conn_->sink = {};
    const int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_ROW) {
      eof_ = false;
      ++count_;
    } else if (rc == SQLITE_DONE) {
      eof_ = true;
      stmt_.reset();  // ends the read transaction at once
    } else {
      eof_ = true;
      Raise(*conn_, rc, "DAO.Recordset", statement_);
    }
  }

  Variant ValueAt(int i) const {
    sqlite3_stmt* s = stmt_.get();
    switch (sqlite3_column_type(s, i)) {
      case SQLITE_NULL:
        return Variant::Null();
      case SQLITE_INTEGER: {
        const long long v = sqlite3_column_int64(s, i);
        if (kinds_[static_cast<std::size_t>(i)] == ColumnKind::Bool) return Variant(v != 0);
        return Variant(v);
      }
      case SQLITE_FLOAT:
        return Variant(sqlite3_column_double(s, i));
      default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        std::string text(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(s, i)));
        if (kinds_[static_cast<std::size_t>(i)] == ColumnKind::Date) return Variant::Date(std::move(text));
        return Variant(std::move(text));
      }
    }
  }

  std::shared_ptr<Connection> conn_;
  StmtHandle stmt_;
  std::string statement_;
  std::vector<std::string> names_;
  std::vector<ColumnKind> kinds_;
  bool eof_ = true;
  bool closed_ = false;
  long count_ = 0;
};

class SqliteDatabase final : public Database {
 public:
  explicit SqliteDatabase(std::shared_ptr<Connection> conn) : conn_(std::move(conn)) {}
  ~SqliteDatabase() override { Close(); }

  std::unique_ptr<Recordset> OpenRecordset(const std::string& statement, int type, long /*options*/,
                                           long maxRows) override {
    CheckOpen("DAO.Database");
    if (type != dbOpenTable && type != dbOpenDynaset && type != dbOpenSnapshot && type != dbOpenForwardOnly &&
        type != dbOpenDynamic)
      throw KxError(dberr::InvalidArgument, "DAO.Database",
                    "Invalid argument: record-set type " + std::to_string(type) + ".");
    TranslateOptions options = Options();
    options.maxRows = maxRows;
    const std::string sql = TranslateStatement(statement, options);
    auto rs =
        std::make_unique<SqliteRecordset>(conn_, Prepare(*conn_, sql, statement, "DAO.Database"), statement);
    rs->Start();
    return rs;
  }

  long Execute(const std::string& statement, long /*options*/) override {
    CheckOpen("DAO.Database");
    return Run(Prepare(*conn_, TranslateStatement(statement, Options()), statement, "DAO.Database"),
               statement);
  }

  SqlEngine Kind() const override { return SqlEngine::Sqlite; }
  std::string NativeSql(const std::string& statement) override {
    CheckOpen("DAO.Database");
    return TranslateStatement(statement, Options());
  }
  long ExecuteNative(const std::string& sql) override {
    CheckOpen("DAO.Database");
    return Run(Prepare(*conn_, sql, sql, "DAO.Database"), sql);
  }
  std::unique_ptr<Recordset> OpenNative(const std::string& sql) override {
    CheckOpen("DAO.Database");
    StmtHandle stmt = Prepare(*conn_, sql, sql, "DAO.Database");
    if (!sqlite3_stmt_readonly(stmt.get())) BeforeWrite();
    auto rs = std::make_unique<SqliteRecordset>(conn_, std::move(stmt), sql);
    rs->Start();
    return rs;
  }

  std::vector<TableLayout> TableDefs() override {
    CheckOpen("DAO.Database");
    return ReadSqliteTableDefs(conn_->db.get());
  }

  void BeginTrans() override {
    CheckOpen("DAO.Workspace");
    const int depth = conn_->transDepth;
    if (depth == 0) BeforeWrite();
    Exec(depth == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT kx" + std::to_string(depth));
    ++conn_->transDepth;
  }
  void CommitTrans() override {
    const int depth = EndTrans();
    Exec(depth == 0 ? "COMMIT" : "RELEASE kx" + std::to_string(depth));
  }
  void Rollback() override {
    const int depth = EndTrans();
    if (depth == 0) {
      Exec("ROLLBACK");
    } else {
      Exec("ROLLBACK TO kx" + std::to_string(depth));
      Exec("RELEASE kx" + std::to_string(depth));
    }
  }

  void Close() override {
    if (!conn_ || !conn_->db) return;
    auto live = conn_->live;
    conn_->live.clear();
    for (auto* rs : live) rs->CloseFromDatabase();
    conn_->db.reset();  // an open transaction is rolled back by SQLite
    conn_->transDepth = 0;
  }
  bool IsOpen() const override { return conn_ && conn_->db; }
  const std::string& Name() const override { return conn_->name; }

 private:
  void CheckOpen(const char* source) const {
    if (!IsOpen())
      throw KxError(dberr::ObjectClosed, source, "Object invalid or no longer set (database closed).");
  }
  // Column names with non-ASCII letters, which SQLite matches only in their own case.
  TranslateOptions Options() const {
    TranslateOptions options;
    options.columnName = [db = conn_->db.get()](std::string_view name) -> std::optional<std::string> {
      sqlite3_stmt* raw = nullptr;
      sqlite3_prepare_v2(db,
                         "SELECT p.name FROM sqlite_master m, pragma_table_info(m.name) p "
                         "WHERE m.type IN ('table', 'view')",
                         -1, &raw, nullptr);
      StmtHandle stmt(raw);
      while (stmt && sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
        if (p && EqualsNoCase(p, name)) return std::string(p);
      }
      return std::nullopt;
    };
    return options;
  }
  // The journal is chosen once, outside a transaction (SQLite cannot switch inside one). A switch
  // that fails (another connection reading) leaves the journal as it was; the write goes on.
  long Run(StmtHandle stmt, const std::string& statement) {
    if (sqlite3_column_count(stmt.get()) > 0 && sqlite3_stmt_readonly(stmt.get()))
      throw KxError(dberr::SelectNotExecutable, "DAO.Database",
                    "Cannot execute a select query " + Quoted(statement) + ".");
    if (!sqlite3_stmt_readonly(stmt.get())) BeforeWrite();
    sqlite3* db = conn_->db.get();
    const auto before = sqlite3_total_changes64(db);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) Raise(*conn_, rc, "DAO.Database", statement);
    // DDL changes no rows; DML reports its own rows, not those of triggers.
    return sqlite3_total_changes64(db) == before ? 0 : static_cast<long>(sqlite3_changes64(db));
  }
  void BeforeWrite() {
    if (conn_->journalChosen || conn_->transDepth > 0 || !conn_->readOnlyWhy.empty()) return;
    conn_->journalChosen = true;
    ChooseJournal(conn_->db.get(), conn_->wal);
  }
  int EndTrans() {
    CheckOpen("DAO.Workspace");
    if (conn_->transDepth == 0)
      throw KxError(dberr::NoTransaction, "DAO.Workspace",
                    "You tried to commit or roll back a transaction without first beginning one.");
    return --conn_->transDepth;
  }
  void Exec(const std::string& sql) {
    StmtHandle stmt = Prepare(*conn_, sql, sql, "DAO.Workspace");
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) Raise(*conn_, rc, "DAO.Workspace", sql);
  }

  std::shared_ptr<Connection> conn_;
};

}  // namespace

int ConfigureConnection(sqlite3* db, int busyTimeoutMs, DialectErrorSink* sink) {
  sqlite3_extended_result_codes(db, 1);
  int rc = sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_busy_timeout(db, busyTimeoutMs);
  if (rc == SQLITE_OK) rc = RegisterDialect(db, sink);
  if (rc == SQLITE_OK) rc = RegisterPackedJobs(db);
  return rc;
}

namespace {

std::string PragmaText(sqlite3* db, const char* sql, int& rc) {
  sqlite3_stmt* raw = nullptr;
  rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
  StmtHandle stmt(raw);
  if (rc != SQLITE_OK) return {};
  rc = sqlite3_step(stmt.get());
  std::string out;
  if (rc == SQLITE_ROW) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
    out = p ? p : "";
  }
  rc = rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
  return out;
}

}  // namespace

int ChooseJournal(sqlite3* db, bool wal) {
  int rc = SQLITE_OK;
  const std::string mode = PragmaText(db, "PRAGMA journal_mode", rc);
  if (rc != SQLITE_OK) return rc;
  if (wal && mode != "wal" && mode != "memory" && mode != "off")
    PragmaText(db, "PRAGMA journal_mode=WAL", rc);
  if (!wal && mode == "wal") PragmaText(db, "PRAGMA journal_mode=DELETE", rc);
  return rc;
}

SqlitePlacement PlacementOf(const std::string& name, const std::string& nativePath) {
  std::filesystem::path folder = std::filesystem::path(nativePath).parent_path();
  if (folder.empty()) folder = ".";
  const FileSystemInfo fs = ProbeFileSystem(folder.string());
  SqlitePlacement p;
  p.readOnlyFileSystem = fs.readOnly;
  p.network = NetworkFileSystemName(fs);
  p.wal = p.network.empty();
  if (!p.network.empty()) WarnNetworkShare(name, p.network);
  return p;
}

std::unique_ptr<Database> OpenSqliteDatabase(const std::string& name, const std::string& nativePath,
                                             int busyTimeoutMs) {
  constexpr const char* kSource = "DAO.DBEngine";
  std::error_code ec;
  const auto status = std::filesystem::status(nativePath, ec);
  if (!std::filesystem::exists(status))
    throw KxError(dberr::FileNotFound, kSource, "Could not find file " + Quoted(name) + ".");
  if (!std::filesystem::is_regular_file(status))
    throw KxError(dberr::CannotOpen, kSource, "Cannot open database " + Quoted(name) + ": it is not a file.");
  // SQLite would take an empty file for an empty database and write into it.
  if (std::filesystem::file_size(nativePath, ec) == 0 && !ec)
    throw KxError(dberr::BadFormat, kSource,
                  "Unrecognized database format " + Quoted(name) + " (empty file).");

  auto conn = std::make_shared<Connection>();
  conn->name = name;
  conn->busyTimeoutMs = busyTimeoutMs;
  const SqlitePlacement placement = PlacementOf(name, nativePath);
  conn->wal = placement.wal;
  // A read-only file system is also immutable to SQLite, which then needs no -shm file beside a
  // WAL database (none could be made there).
  std::string uri = "file:";
  for (char ch : std::filesystem::absolute(nativePath, ec).string()) {
    const auto u = static_cast<unsigned char>(ch);
    if (std::isalnum(u) || ch == '/' || ch == '.' || ch == '-' || ch == '_') {
      uri += ch;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", u);
      uri += hex;
    }
  }
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
  if (placement.readOnlyFileSystem) {
    conn->readOnlyWhy = "on a read-only file system";
    uri += "?immutable=1";
  } else if (access(nativePath.c_str(), W_OK) != 0) {
    conn->readOnlyWhy = "the file is not writable";
  }
  if (!conn->readOnlyWhy.empty()) flags = (flags & ~SQLITE_OPEN_READWRITE) | SQLITE_OPEN_READONLY;
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(uri.c_str(), &raw, flags, nullptr);
  conn->db.reset(raw);
  if (rc != SQLITE_OK) Raise(*conn, rc, kSource, {});
  rc = ConfigureConnection(conn->db.get(), busyTimeoutMs, &conn->sink);
  if (rc != SQLITE_OK) Raise(*conn, rc, kSource, {});
  UpgradeJobDatabase(conn->db.get());
  return std::make_unique<SqliteDatabase>(std::move(conn));
}

}  // namespace kx::detail
