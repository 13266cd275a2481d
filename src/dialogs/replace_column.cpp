#include "dialogs/replace_column.h"

#include <cmath>
#include <memory>

#include "config/mdlPublic.h"
#include "core/error.h"
#include "core/text.h"
#include "platform/database.h"
#include "platform/sql_dialect.h"

namespace kx {

namespace {

void RequireReplaceable(std::string_view column) {
  if (!IsReplaceableColumn(column)) {
    throw KxError(err::InvalidProcedureCall, "Kestrafix",
                  "The column '" + std::string(column) + "' cannot be replaced.");
  }
}

std::string Bracketed(std::string_view column) {
  RequireReplaceable(column);
  std::string bracketed = "[";  // not "[" + std::string(...): GCC 12 -O3 warns falsely there
  bracketed.append(column).append("]");
  return bracketed;
}

// Closes the database on every path; a close that fails after an error must not hide it.
class Closer {
 public:
  explicit Closer(Database& db) : db_(db) {}
  ~Closer() {
    try {
      db_.Close();
    } catch (...) {
      // The connection is gone either way; the caller's own error (if any) is what counts.
    }
  }
  Closer(const Closer&) = delete;
  Closer& operator=(const Closer&) = delete;

 private:
  Database& db_;
};

}  // namespace

bool IsKeyColumn(std::string_view name) {
  const std::string lower = ToLower(name);
  return lower == "filename" || lower == "programnumber";
}

bool IsReplaceableColumn(std::string_view name) {
  return !name.empty() && !IsKeyColumn(name) && name.find(']') == std::string_view::npos;
}

std::string ReplaceCondition(std::string_view column, std::string_view pattern) {
  const std::string c = Bracketed(column);
  if (pattern.empty()) return c + " = \"\" or " + c + " Is Null";
  return c + " like " + QuoteSqlText(pattern, '"');
}

std::string ReplaceValueLiteral(std::string_view value) {
  return value.empty() ? std::string("Null") : QuoteSqlText(value, '"');
}

std::string ReplaceCountStatement(std::string_view column, std::string_view pattern) {
  return "select count(*) from NcData where " + ReplaceCondition(column, pattern);
}

std::string ReplaceUpdateStatement(std::string_view column, std::string_view pattern,
                                   std::string_view value) {
  return "Update NcData SET " + Bracketed(column) + " = " + ReplaceValueLiteral(value) + " where " +
         ReplaceCondition(column, pattern);
}

std::string ReplaceQuestionText(std::string_view updateText, long count) {
  return ReplaceAll(updateText, "/1", std::to_string(count));
}

long CountMatching(Database& db, std::string_view column, std::string_view pattern, long options) {
  const std::string statement = ReplaceCountStatement(column, pattern);
  auto rs = db.OpenRecordset(statement, dbOpenForwardOnly, options);
  const Variant k = IfNull(rs->Fields(0).Value(), Variant(0));
  rs->Close();
  return std::lround(k.ToNumber());
}

long ReplaceMatching(Database& db, std::string_view column, std::string_view pattern, std::string_view value,
                     long options) {
  return db.Execute(ReplaceUpdateStatement(column, pattern, value), options);
}

long CountMatching(const std::string& dbName, std::string_view column, std::string_view pattern,
                   long options) {
  RequireReplaceable(column);  // before anything is opened
  auto db = Engine().OpenDatabase(dbName);
  Closer closer(*db);
  return CountMatching(*db, column, pattern, options);
}

long ReplaceMatching(const std::string& dbName, std::string_view column, std::string_view pattern,
                     std::string_view value, long options) {
  const std::string statement = ReplaceUpdateStatement(column, pattern, value);
  auto db = Engine().OpenDatabase(dbName);
  Closer closer(*db);
  return db->Execute(statement, options);
}

}  // namespace kx
