#pragma once
// The PostgreSQL translator (internal to the platform layer): queries in sql_dialect_pg.cpp,
// names and expressions in sql_pg_expr.cpp.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sql_catalog.h"
#include "platform/sql_tokens.h"

namespace kx::pgsql {

inline constexpr const char* kOrderCollation = " COLLATE kx_root";
// Equality after folding is equality of bytes: "C" sorts the fold keys fastest.
inline constexpr const char* kGroupCollation = " COLLATE \"C\"";

// What an operand is, as far as the text rules care.
enum class Cls { TextCol, NumCol, DateCol, BoolCol, TextLit, NumLit, Null, Other };

// One piece of an expression as written out: an operand (name, literal, call, parenthesis)
// or anything else (operator, keyword, comma).
struct Unit {
  std::string lead;  // blanks before it
  std::string text;
  bool operand = false;
  Cls cls = Cls::Other;
  std::string content;  // a text literal's value
};

// A name, not a word of the language ([x] always is one).
bool IsName(const sql::Token& t);
// A quoted identifier.
std::string Quote(std::string_view name);

class PgTranslator {
 public:
  PgTranslator(const std::vector<sql::Token>& toks, const SqlCatalog& catalog)
      : toks_(toks), catalog_(catalog) {}
  std::string Run(sql::Span span, long maxRows);

 private:
  struct Item {
    std::size_t b = 0, e = 0;  // the expression, without its alias
    std::string name;          // output column name; empty when the server would invent one
    Cls cls = Cls::Other;
  };
  struct Core {
    std::size_t b = 0, e = 0;
    std::vector<Item> items;  // empty when not a plain SELECT list
  };

  // Tokens (sql_pg_expr.cpp).
  std::size_t Skip(std::size_t i, std::size_t e) const;  // the next token that is no blank
  std::string Lead(std::size_t i) const;                 // " " when a blank comes before i
  // The ")" that closes the "(" at open, or e.
  std::size_t Close(std::size_t open, std::size_t e) const;
  // First word outside every parenthesis of [b, e), or e.
  std::size_t FindTop(std::size_t b, std::size_t e, std::string_view word) const;
  // [b, e) cut at the commas outside every parenthesis.
  std::vector<std::pair<std::size_t, std::size_t>> SplitTop(std::size_t b, std::size_t e) const;
  // The last token of a name written alone in [b, e) ("x", "[x]", "t.x"), or nothing.
  std::optional<std::size_t> SingleName(std::size_t b, std::size_t e) const;
  static std::string Trimmed(const std::string& s);
  static std::string Unquote(const std::string& raw);  // the value of a '...' literal

  // Names (sql_pg_expr.cpp).
  const SqlCatalog::Table* TableOf(std::string_view name) const;
  std::string TableName(const sql::Token& t) const;
  const SqlCatalog::Column* ColumnOf(std::string_view name) const;
  const std::pair<std::string, Cls>* AliasOf(std::string_view name) const;
  bool ReadsJobTable() const;
  // A name in column position: its spelling and what it holds.
  std::string ColumnName(const sql::Token& t, Cls& cls) const;
  std::string QualifierName(const sql::Token& t) const;
  // The tables the statement reads: their columns are the names it may mean.
  void CollectTables(sql::Span span);
  // "x AS name": the alias keeps the spelling of a column of that name, else its own, and
  // holds what x holds when x is a column.
  void CollectAliases(sql::Span span);
  bool HasAlias(std::size_t i, std::size_t e) const;

  // Queries (sql_dialect_pg.cpp).
  std::vector<Item> Items(std::size_t b, std::size_t e) const;
  Core ParseCore(std::size_t b, std::size_t e) const;
  std::string FoldKey(const std::string& expr, Cls cls, const char* collation) const;
  // One SELECT: DISTINCT keeps one row of those equal after folding.
  std::string SelectCore(std::size_t b, std::size_t e, bool& rewritten);
  // "SELECT DISTINCT c FROM job table" on a column with a fold index: a walk over the index's distinct
  // keys (one seek each), a spelling of each, then Null when any; nothing for other queries.
  std::optional<std::string> IndexedDistinct(const Core& core) const;
  // A query: SELECTs joined by UNION/INTERSECT/EXCEPT, then ORDER BY and LIMIT.
  std::string Query(std::size_t b, std::size_t e);
  bool OrdersByAlias(const Core& core, std::size_t b, std::size_t e) const;
  std::string CoreText(const Core& core, bool& rewritten);
  // UNION keeps one row of those equal after folding: UNION ALL under a DISTINCT ON the folds.
  std::string Compound(std::vector<Core>& cores, const std::vector<std::string>& ops);
  // ORDER BY: texts by their folds, Null first ascending and last descending; then LIMIT.
  std::string Tail(std::size_t b, std::size_t e);
  // UPDATE t SET a = x, ... WHERE c: the "=" of an assignment is no comparison.
  std::string Update(std::size_t b, std::size_t e);

  // Expressions (sql_pg_expr.cpp).
  // Writes [b, e) out; single, when given, learns the class of an expression that is one operand.
  std::string Expr(std::size_t b, std::size_t e, Cls* single = nullptr);
  // A function call at i (name, "(" at open, ")" at close).
  std::string Call(std::size_t i, std::size_t open, std::size_t close);
  // "textcolumn IN (": the list is compared folded, and so is the column.
  static bool InList(std::vector<Unit>& units);
  // An operator of one or two characters; "--" and "/*" would open comments on the server.
  std::string Operator(std::size_t& i, std::size_t e) const;
  // Comparisons of texts compare folds; a number column against a text literal follows SQLite.
  void FoldComparisons(std::vector<Unit>& units) const;

  const std::vector<sql::Token>& toks_;
  const SqlCatalog& catalog_;
  std::vector<const SqlCatalog::Table*> tables_;
  std::vector<std::pair<std::string, Cls>> aliases_;
  int serial_ = 0;  // numbers the aliases made up
};

}  // namespace kx::pgsql
