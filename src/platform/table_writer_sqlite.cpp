// The table writer on a new SQLite file: one transaction, one prepared insert per table, the
// indexes after the rows. Text columns compare without case (NOCASE_ICU), as in every job
// database, so their indexes are without case too.
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

#include "core/error.h"
#include "platform/database.h"
#include "platform/database_sqlite.h"
#include "platform/job_schema.h"
#include "platform/table_copy.h"

namespace kx::detail {
namespace {

constexpr const char* kSource = "kestrafix.TableWriter";

struct DbCloser {
  void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct StmtFinalizer {
  void operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

std::string Ident(const std::string& name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string Literal(const Variant& v) {
  switch (v.GetKind()) {
    case Variant::Kind::Integer:
    case Variant::Kind::Double:
      return v.ToText();
    case Variant::Kind::Bool:
      return v.AsBool() ? "-1" : "0";
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
      return "NULL";
    default: {
      std::string out = "'";
      for (char c : v.ToText()) out += c == '\'' ? std::string("''") : std::string(1, c);
      return out + "'";
    }
  }
}

std::string TypeOf(const ColumnLayout& c, bool rowidKey) {
  if (rowidKey) return "INTEGER PRIMARY KEY";
  switch (c.type) {
    case FieldType::Bool:
      return "BOOLEAN";
    case FieldType::Int16:
      return "SMALLINT";
    case FieldType::Int32:
      return "INT";
    case FieldType::Int64:
      return "INTEGER";
    case FieldType::Double:
      return "DOUBLE";
    case FieldType::DateTime:
      return "DATETIME";
    case FieldType::Decimal:  // NUMERIC affinity: a whole number or a REAL (15 digits exact)
      return "DECIMAL(" + std::to_string(c.size) + "," + std::to_string(c.scale) + ")";
    case FieldType::Text:
      break;
  }
  return (c.size > 0 ? "VARCHAR(" + std::to_string(c.size) + ")" : std::string("TEXT")) + " COLLATE " +
         kNoCaseCollation;
}

class SqliteTableWriter final : public TableWriter {
 public:
  SqliteTableWriter(std::string name, std::string native, bool existed)
      : name_(std::move(name)), native_(std::move(native)), existed_(existed) {
    try {
      const SqlitePlacement placement = PlacementOf(name_, native_);
      sqlite3* raw = nullptr;
      int rc = sqlite3_open_v2(native_.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
      db_.reset(raw);
      if (rc == SQLITE_OK) rc = ConfigureConnection(db_.get(), Engine().BusyTimeoutMs(), nullptr);
      if (rc == SQLITE_OK) rc = ChooseJournal(db_.get(), placement.wal);
      if (rc != SQLITE_OK) Fail("Cannot create database '" + name_ + "'", rc);
      // The index builds sort in memory rather than in small steps on disk.
      Exec("PRAGMA cache_size = -65536; PRAGMA temp_store = MEMORY; BEGIN IMMEDIATE");
    } catch (...) {
      Discard();
      throw;
    }
  }

  ~SqliteTableWriter() override {
    if (!committed_) Discard();
  }

 private:
  void Discard() noexcept {
    db_.reset();  // rolls back
    std::error_code ec;
    for (const char* suffix : {"-wal", "-shm", "-journal"}) std::filesystem::remove(native_ + suffix, ec);
    if (existed_) {
      std::filesystem::resize_file(native_, 0, ec);
    } else {
      std::filesystem::remove(native_, ec);
    }
  }

 protected:
  void CreateTable(const TableLayout& t) override {
    std::string sql = "CREATE TABLE " + Ident(t.name) + " (";
    const bool rowidKey = t.primaryKey.size() == 1;
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
      const ColumnLayout& c = t.columns[i];
      const bool key = rowidKey && c.name == t.primaryKey[0] && c.autoNumber;
      sql += (i ? ", " : "") + Ident(c.name) + " " + TypeOf(c, key);
      if (c.required && !key) sql += " NOT NULL";
      if (c.defaultValue) sql += " DEFAULT " + Literal(*c.defaultValue);
    }
    const bool keyInColumn =
        rowidKey && std::any_of(t.columns.begin(), t.columns.end(), [&](const ColumnLayout& c) {
          return c.name == t.primaryKey[0] && c.autoNumber;
        });
    if (!t.primaryKey.empty() && !keyInColumn) {
      sql += ", PRIMARY KEY (";
      for (std::size_t i = 0; i < t.primaryKey.size(); ++i) sql += (i ? ", " : "") + Ident(t.primaryKey[i]);
      sql += ")";
    }
    Exec(sql + ")");
  }

  long long WriteRows(const TableLayout& t, const std::vector<ColumnLayout>& columns, RowSource& rows,
                      const std::function<void(long long)>& tick) override {
    std::string names, marks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      names += (i ? ", " : "") + Ident(columns[i].name);
      marks += i ? ", ?" : "?";
    }
    const std::string sql = "INSERT INTO " + Ident(t.name) + " (" + names + ") VALUES (" + marks + ")";
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
      Fail("Cannot write " + t.name);
    Stmt insert(raw);
    std::vector<Variant> row;
    long long n = 0;
    while (rows.Next(row)) {
      for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        Bind(insert.get(), i + 1, row[static_cast<std::size_t>(i)]);
      if (sqlite3_step(insert.get()) != SQLITE_DONE)
        Fail("Cannot write row " + std::to_string(n + 1) + " of table '" + t.name + "'");
      sqlite3_reset(insert.get());
      tick(++n);
    }
    return n;
  }

  void CreateIndexes(const TableLayout& t) override {
    for (const IndexLayout& ix : t.indexes) {
      std::string sql = std::string("CREATE ") + (ix.unique ? "UNIQUE " : "") + "INDEX " + Ident(ix.name) +
                        " ON " + Ident(t.name) + " (";
      if (ix.numeric) {
        sql += "CDbl(" + Ident(ix.columns[0]) + ")) WHERE IsNumeric(" + Ident(ix.columns[0]) + ")";
      } else {
        for (std::size_t i = 0; i < ix.columns.size(); ++i) sql += (i ? ", " : "") + Ident(ix.columns[i]);
        sql += ")";
      }
      Exec(sql);
    }
  }

  long long Count(const std::string& table) override {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_.get(), ("SELECT count(*) FROM " + Ident(table)).c_str(), -1, &raw, nullptr) !=
        SQLITE_OK)
      Fail("Cannot count the rows of '" + table + "'");
    Stmt stmt(raw);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW) Fail("Cannot count the rows of '" + table + "'");
    return sqlite3_column_int64(stmt.get(), 0);
  }

  void DoCommit() override {
    // Statistics from a sample let the planner skip through an index's duplicates (the lists
    // of distinct machines and machine sets) in a copied table of any size.
    Exec(CurrentFormatSql(db_.get()) + "PRAGMA analysis_limit = 1000; ANALYZE; COMMIT");
    committed_ = true;
    db_.reset();
  }

 private:
  static void Bind(sqlite3_stmt* s, int at, const Variant& v) {
    switch (v.GetKind()) {
      case Variant::Kind::Empty:
      case Variant::Kind::Null:
        sqlite3_bind_null(s, at);
        break;
      case Variant::Kind::Bool:
        sqlite3_bind_int(s, at, v.AsBool() ? -1 : 0);  // the job manager's True
        break;
      case Variant::Kind::Integer:
        sqlite3_bind_int64(s, at, v.AsInteger());
        break;
      case Variant::Kind::Double:
        sqlite3_bind_double(s, at, v.AsDouble());
        break;
      case Variant::Kind::Text:
      case Variant::Kind::Date: {
        const std::string& text = v.AsText();
        sqlite3_bind_text64(s, at, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
      }
    }
  }

  void Exec(const std::string& sql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &msg);
    const std::string why = msg ? msg : "";
    sqlite3_free(msg);
    if (rc != SQLITE_OK) Fail(why + " in statement '" + sql + "'", rc);
  }

  [[noreturn]] void Fail(const std::string& what, int rc = 0) {
    if (rc == 0 && db_) rc = sqlite3_extended_errcode(db_.get());
    const std::string why = db_ ? sqlite3_errmsg(db_.get()) : sqlite3_errstr(rc);
    long number = err::DatabaseError;
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) number = dberr::DuplicateKey;
    if (rc == SQLITE_CONSTRAINT_NOTNULL) number = dberr::NullNotAllowed;
    if ((rc & 0xff) == SQLITE_FULL) number = dberr::DiskFull;
    if ((rc & 0xff) == SQLITE_CANTOPEN || (rc & 0xff) == SQLITE_READONLY) number = dberr::CannotOpen;
    throw KxError(number, kSource, what + ": " + why + ".");
  }

  std::string name_, native_;
  bool existed_ = false;
  bool committed_ = false;
  std::unique_ptr<sqlite3, DbCloser> db_;
};

}  // namespace

std::unique_ptr<TableWriter> CreateSqliteTableWriter(const std::string& name, const std::string& nativePath) {
  std::error_code ec;
  const auto status = std::filesystem::status(nativePath, ec);
  const bool existed = std::filesystem::exists(status);
  if (existed &&
      (!std::filesystem::is_regular_file(status) || std::filesystem::file_size(nativePath, ec) != 0))
    throw KxError(dberr::AlreadyExists, kSource,
                  "Database already exists: '" + name + "' (the copy goes into a new file only).");
  return std::make_unique<SqliteTableWriter>(name, nativePath, existed);
}

}  // namespace kx::detail
