#include "dialogs/replace_column.h"

#include <pwd.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "config/config_keys.h"
#include "config/mdlPublic.h"
#include "core/error.h"
#include "core/text.h"
#include "platform/database.h"
#include "platform/replace_history.h"
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

ReplaceLog ReplaceLogOf(const TorvelSettings& torvel) {
  ReplaceLog log{torvel.UserId, torvel.ReplaceHistory};
  if (log.user.empty()) {
    // The login name, as the operating system knows the user.
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) log.user = pw->pw_name;
    if (log.user.empty()) {
      const char* env = std::getenv("USER");
      log.user = env ? env : "";
    }
  }
  return log;
}

long ReplaceMatching(Database& db, std::string_view column, std::string_view pattern, std::string_view value,
                     long options, const ReplaceLog& log) {
  const std::string statement = ReplaceUpdateStatement(column, pattern, value);  // checks the column
  if (log.keep <= 0) return db.Execute(statement, options);
  ReplaceRecord r;
  r.column = column;
  r.condition = ReplaceCondition(column, pattern);
  r.valueLiteral = ReplaceValueLiteral(value);
  r.pattern = pattern;
  r.value = value;
  r.user = log.user;
  r.keep = log.keep;
  return RecordedReplace(db, r);
}

std::vector<MatchedJob> MatchingJobs(Database& db, std::string_view column, std::string_view pattern,
                                     std::size_t limit, long options) {
  const std::string c = Bracketed(column);
  auto rs = db.OpenRecordset("select [Filename], [ProgramNumber], " + c + " from NcData where " +
                                 ReplaceCondition(column, pattern) + " order by [Filename]",
                             dbOpenForwardOnly, options, static_cast<long>(limit));
  std::vector<MatchedJob> out;
  for (; !rs->Eof(); rs->MoveNext())
    out.push_back({rs->Fields(0).Value(), rs->Fields(1).Value(), rs->Fields(2).Value()});
  rs->Close();
  return out;
}

long CountMatching(const std::string& dbName, std::string_view column, std::string_view pattern,
                   long options) {
  RequireReplaceable(column);  // before anything is opened
  auto db = Engine().OpenDatabase(dbName);
  Closer closer(*db);
  return CountMatching(*db, column, pattern, options);
}

long ReplaceMatching(const std::string& dbName, std::string_view column, std::string_view pattern,
                     std::string_view value, long options, const ReplaceLog& log) {
  ReplaceUpdateStatement(column, pattern, value);  // refuses a column before anything is opened
  auto db = Engine().OpenDatabase(dbName);
  Closer closer(*db);
  return ReplaceMatching(*db, column, pattern, value, options, log);
}

}  // namespace kx
