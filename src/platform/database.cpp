#include "platform/database.h"

#include "fs/native_path.h"
#include "platform/database_pg.h"
#include "platform/database_sqlite.h"
#include "platform/db_name.h"

namespace kx {

const Variant& Field::Value() const& {
  if (!current_)
    throw KxError(dberr::NoCurrentRecord, "DAO.Field", "No current record (field '" + name_ + "').");
  return value_;
}

Variant Field::Value() && {
  static_cast<const Field&>(*this).Value();  // the same check
  return std::move(value_);
}

Field Recordset::Fields(std::string_view name) const {
  const int index = FieldIndex(name);
  if (index < 0)
    throw KxError(dberr::ItemNotFound, "DAO.Fields",
                  "Item not found in this collection: no field '" + std::string(name) + "'.");
  return Fields(index);
}

std::vector<Field> Recordset::AllFields() const {
  std::vector<Field> out;
  const int n = FieldCount();
  out.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) out.push_back(Fields(i));
  return out;
}

Transaction::Transaction(Database& db) : db_(db) {
  db_.BeginTrans();
  active_ = true;
}

Transaction::~Transaction() {
  if (!active_) return;
  try {
    db_.Rollback();
  } catch (...) {
    // Nothing to report from a destructor; a closed connection has rolled back already.
  }
}

void Transaction::Commit() {
  if (!active_) throw KxError(dberr::NoTransaction, "DAO.Workspace", "The transaction is no longer active.");
  active_ = false;
  db_.CommitTrans();
}

std::string NativeDbPath(const std::string& dbName) { return ToNative(dbName).string(); }

std::unique_ptr<Database> DBEngine::OpenDatabase(const std::string& path) {
  if (IsServerDbName(path)) return detail::OpenPgDatabase(path, busyTimeoutMs_);
  return detail::OpenSqliteDatabase(path, NativeDbPath(path), busyTimeoutMs_);
}

DBEngine& Engine() {
  thread_local DBEngine engine;
  return engine;
}

}  // namespace kx
