#pragma once
// The job manager's SQL dialect and its translation to SQLite (below) or to PostgreSQL
// (sql_dialect_pg.h).
//
// The translator tokenises the statement (it never replaces text blindly):
//   "text" (with "" inside)  -> 'text' (single quotes doubled)
//   'text'                   -> kept
//   [name]                   -> "name" (a quoted identifier; a column name with non-ASCII
//                               letters in the spelling the table has)
//   Data, DATA, NcData, NCDATA in table position (after FROM, JOIN, UPDATE, INTO, or a
//   comma of a FROM list, and as a qualifier Data.x) -> NCDATA; Machine -> MACHINE
//   a Like b                 -> a MATCH b: SQLite hands MATCH to the function match(),
//                               which the dialect registers with its own wildcards; the
//                               built-in LIKE (used by sqlite3 shell commands) stays as is
//   IIF(c, a, b)             -> CASE WHEN c THEN a ELSE b END (only the chosen branch runs)
//   a bare table name        -> SELECT * FROM table
// IsNumeric and CDbl are functions of the connection (sql_dialect_functions.h); Is Null,
// Not, Distinct, UNION, Count(*), ORDER BY ... ASC/DESC are the same in both dialects.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

inline constexpr std::string_view kJobTable = "NCDATA";
inline constexpr std::string_view kMachineTable = "MACHINE";

enum class SqlEngine { Sqlite, Postgres };
struct SqlCatalog;

struct TranslateOptions {
  long maxRows = 0;  // > 0: a SELECT gets LIMIT maxRows unless it has a LIMIT already
  SqlEngine engine = SqlEngine::Sqlite;
  const SqlCatalog* catalog = nullptr;  // the server's tables and columns (Postgres only)
  // SQLite: the stored spelling of the column a name means, ignoring case (kx::EqualsNoCase);
  // asked for names with non-ASCII letters only, as the engine matches ASCII letters itself:
  // [LÄNGE] -> "Länge". Nothing when no column has that name.
  std::function<std::optional<std::string>(std::string_view)> columnName = nullptr;
};

// Raises KxError(dberr::Syntax) for an unterminated literal or bracket and
// KxError(dberr::TrailingText) for text after a closing ";".
std::string TranslateStatement(std::string_view statement, const TranslateOptions& options = {});

// A text literal of the dialect: the value between quote characters, each quote
// character inside doubled. QuoteSqlText("O'Brien", '\'') -> 'O''Brien';
// QuoteSqlText("1\"", '"') -> "1""". Use it for every typed value put into a statement.
std::string QuoteSqlText(std::string_view value, char quote = '\'');

}  // namespace kx
