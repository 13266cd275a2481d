#include "platform/database_pg.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <deque>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/text.h"
#include "platform/pg_connection.h"
#include "platform/pg_schema.h"
#include "platform/sql_catalog.h"
#include "platform/sql_dialect.h"
#include "platform/table_defs.h"

namespace kx::detail {
namespace {

// Type OIDs of the server's built-in types (pg_type.h).
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kDate = 1082, kTime = 1083, kTimestamp = 1114, kTimestampTz = 1184, kNumeric = 1700;

std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

class PgRecordset;

// One open connection, shared by the database object and its record sets.
struct PgConnection {
  PgConnHandle conn;
  std::string name;
  int lockTimeoutMs = 0;
  SqlCatalog catalog;
  bool catalogStale = true;
  // Statements the dialog runs again and again, translated once for this catalog.
  std::unordered_map<std::string, std::string> translated;
  PgRecordset* streaming = nullptr;  // whose rows are still arriving on the connection
  std::vector<PgRecordset*> live;
  int transDepth = 0;
  // Only selects and row changes ran: the session is as it was opened (see Close).
  bool plainSession = true;
};

const char* const kCatalogSql =
    "SELECT c.relname, a.attname, t.typcategory, t.typcategory = 'S' AND EXISTS (SELECT 1 FROM pg_catalog.pg_index i"
    " JOIN pg_catalog.pg_collation l ON l.oid = i.indcollation[0] WHERE i.indrelid = c.oid AND i.indpred IS NULL"
    " AND l.collname = 'kx_root' AND pg_catalog.pg_get_indexdef(i.indexrelid, 1, true) ="
    " 'kx_fold(' || pg_catalog.quote_ident(a.attname) || ')') FROM pg_catalog.pg_class c"
    " JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid JOIN pg_catalog.pg_type t ON t.oid = a.atttypid"
    " WHERE c.relnamespace = pg_catalog.current_schema()::regnamespace AND c.relkind IN ('r', 'v', 'm', 'p', "
    "'f')"
    " AND a.attnum > 0 AND NOT a.attisdropped ORDER BY c.oid, a.attnum";

void ReadCatalog(PgConnection& c, const PGresult* res) {
  c.catalog.tables.clear();
  SqlCatalog::Table* table = nullptr;
  for (int row = 0, n = PQntuples(res); row < n; ++row) {
    const char* relname = PQgetvalue(res, row, 0);
    if (!table || table->name != relname) table = &c.catalog.AddTable(relname);
    table->columns.push_back({PQgetvalue(res, row, 1), ColumnKindOfCategory(PQgetvalue(res, row, 2)[0]),
                              PQgetvalue(res, row, 3)[0] == 't'});
  }
  c.catalogStale = false;
  c.translated.clear();
}

const SqlCatalog& Catalog(PgConnection& c) {
  if (c.catalogStale) ReadCatalog(c, ExecPg(c.conn.get(), kCatalogSql, c.name, "DAO.Database").get());
  return c.catalog;
}

template <class T>
T Parse(const char* text, std::size_t len) {
  T value{};
  std::from_chars(text, text + len, value);
  return value;
}

Variant ValueOf(const PGresult* res, int col, bool fromTable) {
  if (PQgetisnull(res, 0, col)) return Variant::Null();
  const char* text = PQgetvalue(res, 0, col);
  const auto len = static_cast<std::size_t>(PQgetlength(res, 0, col));
  switch (PQftype(res, col)) {
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
      return Variant(Parse<long long>(text, len));
    case kFloat4:
    case kFloat8:
    case kNumeric:
      return Variant(Parse<double>(text, len));
    case kBool:
      // A computed truth value reads as SQLite gives it, 1 or 0; a yes/no column as yes/no.
      return fromTable ? Variant(text[0] == 't') : Variant(text[0] == 't' ? 1LL : 0LL);
    case kDate:
      return Variant::Date(std::string(text, len) + " 00:00:00");
    case kTime:
    case kTimestamp:
    case kTimestampTz:
      return Variant::Date(std::string(text, len));
    default:
      return Variant(std::string(text, len));
  }
}

class PgRecordset final : public Recordset {
 public:
  PgRecordset(std::shared_ptr<PgConnection> conn, std::string statement)
      : conn_(std::move(conn)), statement_(std::move(statement)) {
    conn_->live.push_back(this);
  }
  ~PgRecordset() override {
    StopStreaming();
    Detach();
  }

  void Start(const std::string& sql) {
    PGconn* c = conn_->conn.get();
    // The simple protocol: one message less to the server; the translator lets one statement through.
    if (!PQsendQuery(c, sql.c_str())) RaisePg(nullptr, c, conn_->name, "DAO.Database", statement_);
    streaming_ = true;
    conn_->streaming = this;
    if (!PQsetSingleRowMode(c)) {
      StopStreaming();
      throw KxError(err::DatabaseError, "DAO.Database",
                    "The server connection refused to send rows one by one.");
    }
    Next("DAO.Database");
  }

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
    const auto i = static_cast<std::size_t>(index);
    return eof_ ? Field(names_[i]) : Field(names_[i], row_[i]);
  }
  void MoveNext() override {
    CheckOpen();
    if (eof_) throw KxError(dberr::NoCurrentRecord, "DAO.Recordset", "No current record.");
    Next("DAO.Recordset");
  }
  void Close() override {
    StopStreaming();
    closed_ = true;
    Detach();
  }
  // The database closes: the record set goes with it (the connection ends its statement).
  void CloseFromDatabase() noexcept {
    streaming_ = false;
    closed_ = true;
    conn_.reset();
  }

  // Another statement needs the connection: the rows still to come are read into memory,
  // and an error among them waits for the MoveNext that reaches it.
  void Drain() noexcept {
    try {
      while (streaming_) {
        auto row = Receive("DAO.Recordset");
        if (row) buffered_.push_back(std::move(*row));
      }
    } catch (const KxError& e) {
      pending_ = e;
    } catch (const std::exception& e) {
      pending_ = KxError(err::DatabaseError, "DAO.Recordset", e.what());
    }
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

  void EndStreaming() noexcept {
    streaming_ = false;
    if (conn_ && conn_->streaming == this) conn_->streaming = nullptr;
  }

  // Closed before its last row: the server stops sending, and what was on the way is dropped.
  void StopStreaming() noexcept {
    if (!streaming_ || !conn_ || !conn_->conn) return;
    PGconn* c = conn_->conn.get();
    // What has arrived is read without waiting; only a server still sending is asked to stop,
    // as a cancel request costs a connection of its own.
    while (PQconsumeInput(c) && !PQisBusy(c)) {
      PGresult* r = PQgetResult(c);
      if (!r) return EndStreaming();
      PQclear(r);
    }
    if (PGcancel* cancel = PQgetCancel(c)) {
      char why[256];
      PQcancel(cancel, why, sizeof why);
      PQfreeCancel(cancel);
    }
    while (PGresult* r = PQgetResult(c)) PQclear(r);
    EndStreaming();
  }

  // The next row from the server, or nothing at the end of the rows.
  std::optional<std::vector<Variant>> Receive(const char* source) {
    PGconn* c = conn_->conn.get();
    PgResult res(PQgetResult(c));
    if (!res) {
      EndStreaming();
      return std::nullopt;
    }
    const ExecStatusType status = PQresultStatus(res.get());
    if (names_.empty() && (status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK)) {
      for (int i = 0, n = PQnfields(res.get()); i < n; ++i) {
        names_.emplace_back(PQfname(res.get(), i));
        fromTable_.push_back(PQftable(res.get(), i) != InvalidOid);
      }
    }
    if (status == PGRES_SINGLE_TUPLE) {
      std::vector<Variant> row;
      row.reserve(names_.size());
      for (int i = 0, n = static_cast<int>(names_.size()); i < n; ++i)
        row.push_back(ValueOf(res.get(), i, fromTable_[static_cast<std::size_t>(i)]));
      return row;
    }
    // The end of the rows, a statement without rows, or an error: the connection is free again.
    while (PGresult* rest = PQgetResult(c)) PQclear(rest);
    EndStreaming();
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
      RaisePg(res.get(), c, conn_->name, source, statement_, conn_->lockTimeoutMs);
    return std::nullopt;
  }

  void Next(const char* source) {
    if (!buffered_.empty()) {
      row_ = std::move(buffered_.front());
      buffered_.pop_front();
    } else if (pending_) {
      eof_ = true;
      const KxError e = *pending_;
      pending_.reset();
      throw e;
    } else if (auto row = streaming_ ? Receive(source) : std::nullopt) {
      row_ = std::move(*row);
    } else {
      eof_ = true;
      row_.clear();
      return;
    }
    eof_ = false;
    ++count_;
  }

  std::shared_ptr<PgConnection> conn_;
  std::string statement_;
  std::vector<std::string> names_;
  std::vector<bool> fromTable_;
  std::vector<Variant> row_;
  std::deque<std::vector<Variant>> buffered_;
  std::optional<KxError> pending_;
  bool streaming_ = false;
  bool eof_ = true;
  bool closed_ = false;
  long count_ = 0;
};

bool StartsWithWord(std::string_view sql, std::string_view word) {
  const std::size_t b = sql.find_first_not_of(" \t\r\n(");
  if (b == std::string_view::npos || sql.size() - b < word.size()) return false;
  return EqualsNoCase(sql.substr(b, word.size()), word) &&
         (sql.size() == b + word.size() || !std::isalnum(static_cast<unsigned char>(sql[b + word.size()])));
}

class PgDatabase final : public Database {
 public:
  explicit PgDatabase(std::shared_ptr<PgConnection> conn) : conn_(std::move(conn)) {}
  ~PgDatabase() override { Close(); }

  std::unique_ptr<Recordset> OpenRecordset(const std::string& statement, int type, long /*options*/,
                                           long maxRows) override {
    CheckOpen("DAO.Database");
    if (type != dbOpenTable && type != dbOpenDynaset && type != dbOpenSnapshot && type != dbOpenForwardOnly &&
        type != dbOpenDynamic)
      throw KxError(dberr::InvalidArgument, "DAO.Database",
                    "Invalid argument: record-set type " + std::to_string(type) + ".");
    const std::string sql = Translate(statement, maxRows);
    if (!StartsWithWord(sql, "select") && !StartsWithWord(sql, "with")) conn_->plainSession = false;
    auto rs = std::make_unique<PgRecordset>(conn_, statement);
    rs->Start(sql);
    return rs;
  }

  long Execute(const std::string& statement, long /*options*/) override {
    CheckOpen("DAO.Database");
    return Run(Translate(statement, 0), statement);
  }

  SqlEngine Kind() const override { return SqlEngine::Postgres; }
  std::string NativeSql(const std::string& statement) override {
    CheckOpen("DAO.Database");
    return Translate(statement, 0);
  }
  long ExecuteNative(const std::string& sql) override {
    CheckOpen("DAO.Database");
    Free();
    return Run(sql, sql);
  }
  std::unique_ptr<Recordset> OpenNative(const std::string& sql) override {
    CheckOpen("DAO.Database");
    Free();
    if (!StartsWithWord(sql, "select") && !StartsWithWord(sql, "with")) conn_->plainSession = false;
    auto rs = std::make_unique<PgRecordset>(conn_, sql);
    rs->Start(sql);
    return rs;
  }

 private:
  long Run(const std::string& sql, const std::string& statement) {
    if (StartsWithWord(sql, "select"))
      throw KxError(dberr::SelectNotExecutable, "DAO.Database",
                    "Cannot execute a select query " + Quoted(statement) + ".");
    PGconn* c = conn_->conn.get();
    PgResult res(PQexecParams(c, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0));
    const ExecStatusType status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
      RaisePg(res.get(), c, conn_->name, "DAO.Database", statement, conn_->lockTimeoutMs);
    if (StartsWithWord(sql, "create") || StartsWithWord(sql, "alter") || StartsWithWord(sql, "drop"))
      conn_->catalogStale = true;
    if (!StartsWithWord(sql, "insert") && !StartsWithWord(sql, "update") && !StartsWithWord(sql, "delete"))
      conn_->plainSession = false;
    const char* rows = PQcmdTuples(res.get());
    return rows && *rows ? std::atol(rows) : 0;
  }

 public:
  std::vector<TableLayout> TableDefs() override {
    CheckOpen("DAO.Database");
    Free();
    return ReadPgTableDefs(conn_->conn.get(), conn_->name);
  }

  void BeginTrans() override {
    Command(conn_->transDepth == 0 ? "BEGIN" : "SAVEPOINT kx" + std::to_string(conn_->transDepth));
    ++conn_->transDepth;
  }
  void CommitTrans() override {
    const int depth = EndTrans();
    if (depth > 0) {
      Command("RELEASE SAVEPOINT kx" + std::to_string(depth));
      return;
    }
    // The server answers COMMIT of a failed transaction with ROLLBACK, and no error.
    PgResult res = Command("COMMIT");
    if (std::strcmp(PQcmdStatus(res.get()), "ROLLBACK") == 0)
      throw KxError(err::DatabaseError, "DAO.Workspace",
                    "The transaction was rolled back: a statement in it had failed.");
  }
  void Rollback() override {
    const int depth = EndTrans();
    Command(depth == 0 ? "ROLLBACK"
                       : "ROLLBACK TO SAVEPOINT kx" + std::to_string(depth) + "; RELEASE SAVEPOINT kx" +
                             std::to_string(depth));
  }

  void Close() override {
    if (!conn_ || !conn_->conn) return;
    auto live = conn_->live;
    conn_->live.clear();
    for (auto* rs : live) rs->CloseFromDatabase();
    conn_->streaming = nullptr;
    // The next user gets the connection as it was opened: one with a transaction or rows in
    // progress, or whose session a statement may have changed (settings, temporary tables), is
    // closed, and the server rolls back what was open.
    if (conn_->plainSession) ParkPg(std::move(conn_->conn), conn_->name, conn_->lockTimeoutMs);
    conn_->conn.reset();
    conn_->transDepth = 0;
  }
  bool IsOpen() const override { return conn_ && conn_->conn; }
  const std::string& Name() const override { return conn_->name; }

 private:
  void CheckOpen(const char* source) const {
    if (!IsOpen())
      throw KxError(dberr::ObjectClosed, source, "Object invalid or no longer set (database closed).");
  }
  // The connection for a new statement: a record set still streaming reads its rest first.
  void Free() {
    if (conn_->streaming) conn_->streaming->Drain();
  }
  std::string Translate(const std::string& statement, long maxRows) {
    Free();
    const SqlCatalog& catalog = Catalog(*conn_);
    auto& cache = conn_->translated;
    std::string key = std::to_string(maxRows) + '\n' + statement;
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    std::string sql = TranslateStatement(statement, {maxRows, SqlEngine::Postgres, &catalog});
    if (cache.size() >= 64) cache.clear();
    cache.emplace(std::move(key), sql);
    return sql;
  }
  int EndTrans() {
    CheckOpen("DAO.Workspace");
    if (conn_->transDepth == 0)
      throw KxError(dberr::NoTransaction, "DAO.Workspace",
                    "You tried to commit or roll back a transaction without first beginning one.");
    return --conn_->transDepth;
  }
  PgResult Command(const std::string& sql) {
    CheckOpen("DAO.Workspace");
    Free();
    return ExecPg(conn_->conn.get(), sql, conn_->name, "DAO.Workspace");
  }

  std::shared_ptr<PgConnection> conn_;
};

// The schema's functions are this release's, and what the translator needs to know of it.
void CheckSchema(PgConnection& c) {
  constexpr const char* kSource = "DAO.DBEngine";
  PGconn* conn = c.conn.get();
  if (!PQsendQuery(
          conn,
          (std::string(PgSchemaCheckSql()) + ";" + kCatalogSql + "; SELECT version FROM kx_schema").c_str()))
    RaisePg(nullptr, conn, c.name, kSource, {});
  std::vector<PgResult> results;
  while (PGresult* r = PQgetResult(conn)) results.emplace_back(r);
  if (results.empty() || PQresultStatus(results[0].get()) != PGRES_TUPLES_OK)
    RaisePg(results.empty() ? nullptr : results[0].get(), conn, c.name, kSource, {});
  const PGresult* check = results[0].get();
  const std::string refuse = "Unrecognized database format " + Quoted(c.name) + ": ";
  if (PQgetisnull(check, 0, 0))
    throw KxError(dberr::BadFormat, kSource, refuse + "its search_path names no schema that exists.");
  const std::string schema = PQgetvalue(check, 0, 0);
  if (std::strcmp(PQgetvalue(check, 0, 1), "t") != 0)
    throw KxError(
        dberr::BadFormat, kSource,
        refuse + "schema \"" + schema + "\" holds no job database (create one with kestrafix db init).");
  if (std::strcmp(PQgetvalue(check, 0, 2), "t") != 0)
    throw KxError(
        dberr::BadFormat, kSource,
        refuse + "the server functions of schema \"" + schema + "\" are missing (kx_fold, kx_like, ...).");
  if (results.size() < 3 || PQresultStatus(results[1].get()) != PGRES_TUPLES_OK ||
      PQresultStatus(results[2].get()) != PGRES_TUPLES_OK || PQntuples(results[2].get()) != 1)
    throw KxError(dberr::BadFormat, kSource, refuse + "its kx_schema table holds no single version.");
  const int version = std::atoi(PQgetvalue(results[2].get(), 0, 0));
  if (version != kPgSchemaVersion)
    throw KxError(dberr::BadFormat, kSource,
                  refuse + "its server functions are of version " + std::to_string(version) +
                      ", this release works with version " + std::to_string(kPgSchemaVersion) + ".");
  ReadCatalog(c, results[1].get());
}

}  // namespace

std::unique_ptr<Database> OpenPgDatabase(const std::string& name, int busyTimeoutMs) {
  auto conn = std::make_shared<PgConnection>();
  conn->name = name;
  conn->lockTimeoutMs = busyTimeoutMs;
  if ((conn->conn = UnparkPg(name, busyTimeoutMs))) {
    try {
      CheckSchema(*conn);  // it may have changed meanwhile
      return std::make_unique<PgDatabase>(std::move(conn));
    } catch (const KxError& e) {
      if (e.Number() != dberr::DiskOrNetwork) throw;  // the server closed it meanwhile: connect anew
    }
  }
  conn->conn = ConnectPg(name, busyTimeoutMs);
  CheckSchema(*conn);
  return std::make_unique<PgDatabase>(std::move(conn));
}

std::string TranslateOnServer(const std::string& name, const std::string& statement, long maxRows) {
  PgConnection c;
  c.name = name;
  c.conn = ConnectPg(name, 0);
  return TranslateStatement(statement, {maxRows, SqlEngine::Postgres, &Catalog(c)});
}

}  // namespace kx::detail
