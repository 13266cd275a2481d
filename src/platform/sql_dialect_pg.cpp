#include "platform/sql_dialect_pg.h"

#include <algorithm>
#include <optional>

#include "core/error.h"
#include "core/numbers.h"
#include "platform/database.h"
#include "platform/sql_catalog.h"

namespace kx {
namespace {

using sql::EqualsAscii;
using sql::IsPunct;
using sql::IsWord;
using sql::Tok;
using sql::Token;

constexpr const char* kOrderCollation = " COLLATE kx_root";
// Equality after folding is equality of bytes: "C" sorts the fold keys fastest.
constexpr const char* kGroupCollation = " COLLATE \"C\"";

// What an operand is, as far as the text rules care.
enum class Cls { TextCol, NumCol, DateCol, BoolCol, TextLit, NumLit, Null, Other };

Cls ClsOf(ColumnKind kind) {
  switch (kind) {
    case ColumnKind::Text:
      return Cls::TextCol;
    case ColumnKind::Number:
      return Cls::NumCol;
    case ColumnKind::Date:
      return Cls::DateCol;
    case ColumnKind::Bool:
      return Cls::BoolCol;
    case ColumnKind::Other:
      break;
  }
  return Cls::Other;
}

// Words with a meaning of their own: never taken for a column name when written bare.
bool IsKeyword(std::string_view word) {
  static constexpr std::string_view kWords[] = {
      "add",    "all",       "alter",      "and",       "any",    "as",     "asc",    "between", "by",
      "case",   "cast",      "check",      "collate",   "column", "create", "cross",  "default", "delete",
      "desc",   "distinct",  "drop",       "else",      "end",    "escape", "except", "exists",  "false",
      "first",  "from",      "full",       "group",     "having", "if",     "in",     "index",   "inner",
      "insert", "intersect", "into",       "is",        "join",   "key",    "last",   "left",    "like",
      "limit",  "natural",   "not",        "null",      "nulls",  "offset", "on",     "or",      "order",
      "outer",  "primary",   "references", "returning", "right",  "select", "set",    "some",    "table",
      "then",   "true",      "union",      "unique",    "update", "using",  "values", "when",    "where",
      "with"};
  for (auto w : kWords)
    if (EqualsAscii(word, w)) return true;
  return false;
}

// Words that end a FROM list at their depth.
bool EndsFromList(const Token& t) {
  static constexpr std::string_view kWords[] = {"where",  "group",     "order",  "having", "union",
                                                "except", "intersect", "limit",  "on",     "set",
                                                "values", "window",    "offset", "using"};
  if (t.kind != Tok::Word) return false;
  for (auto w : kWords)
    if (EqualsAscii(t.text, w)) return true;
  return false;
}

bool IsName(const Token& t) {
  return t.kind == Tok::Bracketed || (t.kind == Tok::Word && !IsKeyword(t.text));
}

std::string Quote(std::string_view name) { return QuoteSqlText(name, '"'); }

bool IsComparison(std::string_view op) {
  return op == "=" || op == "<>" || op == "!=" || op == "<" || op == ">" || op == "<=" || op == ">=";
}

// Operators that bind tighter than a comparison: an operand next to one is part of a larger term.
bool BindsTighter(std::string_view op) {
  return op == "+" || op == "-" || op == "*" || op == "/" || op == "%" || op == "||" || op == "&" ||
         op == "|" || op == "^" || op == "~~~" || op == ".";
}

// One piece of an expression as written out: an operand (name, literal, call, parenthesis)
// or anything else (operator, keyword, comma).
struct Unit {
  std::string lead;  // blanks before it
  std::string text;
  bool operand = false;
  Cls cls = Cls::Other;
  std::string content;  // a text literal's value
};

class PgTranslator {
 public:
  PgTranslator(const std::vector<Token>& toks, const SqlCatalog& catalog) : toks_(toks), catalog_(catalog) {}

  std::string Run(sql::Span span, long maxRows) {
    CollectTables(span);
    CollectAliases(span);
    const std::size_t b = span.first, e = span.end;
    if (b + 1 == e && (toks_[b].kind == Tok::Word || toks_[b].kind == Tok::Bracketed))
      return "SELECT * FROM " + TableName(toks_[b]);  // a table name alone opens the table
    std::string out;
    const Token& first = toks_[b];
    const bool query = IsWord(first, "select") || IsPunct(first, '(');
    if (query) {
      out = Query(b, e);
      if (maxRows > 0 && !sql::HasTopLevelLimit(toks_, span)) out += " LIMIT " + std::to_string(maxRows);
    } else if (IsWord(first, "update")) {
      out = Update(b, e);
    } else if (IsWord(first, "insert")) {
      const std::size_t sel = FindTop(b, e, "select");
      out = sel < e ? Expr(b, sel) + Query(sel, e) : Expr(b, e);
    } else {
      out = Expr(b, e);
    }
    if (out.find('\0') != std::string::npos)
      throw KxError(dberr::Syntax, "DAO.Database", "A statement cannot hold the character 0.");
    return out;
  }

 private:
  // ---- token helpers -------------------------------------------------------------------

  std::size_t Skip(std::size_t i, std::size_t e) const {
    while (i < e && toks_[i].kind == Tok::Space) ++i;
    return i;
  }
  std::string Lead(std::size_t i) const {
    return i > 0 && toks_[i - 1].kind == Tok::Space ? std::string(" ") : std::string();
  }
  // The ")" that closes the "(" at open, or e.
  std::size_t Close(std::size_t open, std::size_t e) const {
    int depth = 0;
    for (std::size_t i = open; i < e; ++i) {
      if (IsPunct(toks_[i], '(')) ++depth;
      if (IsPunct(toks_[i], ')') && --depth == 0) return i;
    }
    return e;
  }
  // First word outside every parenthesis of [b, e), or e.
  std::size_t FindTop(std::size_t b, std::size_t e, std::string_view word) const {
    int depth = 0;
    for (std::size_t i = b; i < e; ++i) {
      if (IsPunct(toks_[i], '(')) ++depth;
      if (IsPunct(toks_[i], ')')) --depth;
      if (depth == 0 && IsWord(toks_[i], word)) return i;
    }
    return e;
  }
  // [b, e) cut at the commas outside every parenthesis.
  std::vector<std::pair<std::size_t, std::size_t>> SplitTop(std::size_t b, std::size_t e) const {
    std::vector<std::pair<std::size_t, std::size_t>> parts;
    int depth = 0;
    std::size_t from = b;
    for (std::size_t i = b; i < e; ++i) {
      if (IsPunct(toks_[i], '(')) ++depth;
      if (IsPunct(toks_[i], ')')) --depth;
      if (depth == 0 && IsPunct(toks_[i], ',')) {
        parts.emplace_back(from, i);
        from = i + 1;
      }
    }
    parts.emplace_back(from, e);
    return parts;
  }
  // The last token of a name written alone in [b, e) ("x", "[x]", "t.x"), or nothing.
  std::optional<std::size_t> SingleName(std::size_t b, std::size_t e) const {
    std::size_t i = Skip(b, e);
    std::optional<std::size_t> last;
    while (i < e && IsName(toks_[i])) {
      last = i;
      i = Skip(i + 1, e);
      if (i < e && IsPunct(toks_[i], '.')) {
        i = Skip(i + 1, e);
        continue;
      }
      break;
    }
    if (!last || Skip(*last + 1, e) != e) return std::nullopt;
    return last;
  }

  // ---- names ---------------------------------------------------------------------------

  const SqlCatalog::Table* TableOf(std::string_view name) const {
    if (EqualsAscii(name, "data") || EqualsAscii(name, "ncdata")) name = kJobTable;
    return catalog_.FindTable(name);
  }
  std::string TableName(const Token& t) const {
    if (const auto* table = TableOf(t.text)) return Quote(table->name);
    return t.kind == Tok::Bracketed ? Quote(t.text) : t.text;
  }
  const SqlCatalog::Column* ColumnOf(std::string_view name) const {
    for (const auto* table : tables_)
      if (const auto* column = table->Find(name)) return column;
    return nullptr;
  }
  const std::pair<std::string, Cls>* AliasOf(std::string_view name) const {
    for (const auto& a : aliases_)
      if (EqualsAscii(a.first, name)) return &a;
    return nullptr;
  }
  bool ReadsJobTable() const {
    return std::any_of(tables_.begin(), tables_.end(),
                       [](const auto* t) { return EqualsAscii(t->name, kJobTable); });
  }
  // A name in column position: its spelling and what it holds.
  std::string ColumnName(const Token& t, Cls& cls) const {
    cls = Cls::Other;
    if (const auto* column = ColumnOf(t.text)) {
      cls = ClsOf(column->kind);
      return Quote(column->name);
    }
    if (const auto* alias = AliasOf(t.text)) {
      cls = alias->second;
      return Quote(alias->first);
    }
    if (t.kind == Tok::Word && EqualsAscii(t.text, "rowid") && ReadsJobTable()) {
      cls = Cls::NumCol;
      return Quote(catalog_.rowIdColumn);
    }
    return t.kind == Tok::Bracketed ? Quote(t.text) : t.text;
  }
  std::string QualifierName(const Token& t) const {
    if (TableOf(t.text)) return TableName(t);
    if (const auto* alias = AliasOf(t.text)) return Quote(alias->first);
    return t.kind == Tok::Bracketed ? Quote(t.text) : t.text;
  }

  // The tables the statement reads: their columns are the names it may mean.
  void CollectTables(sql::Span span) {
    std::size_t prev = span.end;
    for (std::size_t i = span.first; i < span.end; ++i) {
      if (toks_[i].kind == Tok::Space) continue;
      const bool tablePos = prev < span.end && (IsWord(toks_[prev], "from") || IsWord(toks_[prev], "join") ||
                                                IsWord(toks_[prev], "update") ||
                                                IsWord(toks_[prev], "into") || IsPunct(toks_[prev], ','));
      if (tablePos && (toks_[i].kind == Tok::Word || toks_[i].kind == Tok::Bracketed)) {
        const auto* table = TableOf(toks_[i].text);
        if (table && std::find(tables_.begin(), tables_.end(), table) == tables_.end())
          tables_.push_back(table);
      }
      prev = i;
    }
  }
  // "x AS name": the alias keeps the spelling of a column of that name, else its own, and
  // holds what x holds when x is a column.
  void CollectAliases(sql::Span span) {
    for (std::size_t i = span.first; i < span.end; ++i) {
      if (!IsWord(toks_[i], "as")) continue;
      const std::size_t n = Skip(i + 1, span.end);
      if (n >= span.end || !IsName(toks_[n])) continue;
      Cls cls = Cls::Other;
      std::size_t p = i;
      while (p > span.first && toks_[p - 1].kind == Tok::Space) --p;
      if (p > span.first && IsName(toks_[p - 1])) {
        std::size_t q = p - 1;
        while (q > span.first && toks_[q - 1].kind == Tok::Space) --q;
        const bool table = q > span.first && (IsWord(toks_[q - 1], "from") || IsWord(toks_[q - 1], "join"));
        if (!table)
          if (const auto* column = ColumnOf(toks_[p - 1].text)) cls = ClsOf(column->kind);
      }
      const auto* column = ColumnOf(toks_[n].text);
      aliases_.emplace_back(column ? column->name : toks_[n].text, cls);
    }
  }

  // ---- queries -------------------------------------------------------------------------

  struct Item {
    std::size_t b = 0, e = 0;  // the expression, without its alias
    std::string name;          // output column name; empty when the server would invent one
    Cls cls = Cls::Other;
  };
  struct Core {
    std::size_t b = 0, e = 0;
    std::vector<Item> items;  // empty when not a plain SELECT list
  };

  std::vector<Item> Items(std::size_t b, std::size_t e) const {
    std::vector<Item> items;
    for (auto [ib, ie] : SplitTop(b, e)) {
      Item item{ib, ie, {}, Cls::Other};
      const std::size_t as = FindTop(ib, ie, "as");
      if (as < ie) {
        item.e = as;
        const std::size_t n = Skip(as + 1, ie);
        if (n < ie) {
          const auto* alias = AliasOf(toks_[n].text);
          item.name = alias ? alias->first : toks_[n].text;
          item.cls = alias ? alias->second : Cls::Other;
        }
      } else if (auto last = SingleName(ib, ie)) {
        const auto* column = ColumnOf(toks_[*last].text);
        item.name = column ? column->name : toks_[*last].text;
        ColumnName(toks_[*last], item.cls);
      }
      if (item.name.empty() && !(as < ie)) return {};  // "*" or an unnamed expression
      items.push_back(item);
    }
    return items;
  }

  Core ParseCore(std::size_t b, std::size_t e) const {
    Core core{b, e, {}};
    const std::size_t s = Skip(b, e);
    if (s >= e || !IsWord(toks_[s], "select")) return core;
    std::size_t itemsBegin = Skip(s + 1, e);
    if (itemsBegin < e && (IsWord(toks_[itemsBegin], "distinct") || IsWord(toks_[itemsBegin], "all")))
      ++itemsBegin;
    core.items = Items(itemsBegin, FindTop(itemsBegin, e, "from"));
    return core;
  }

  std::string FoldKey(const std::string& expr, Cls cls, const char* collation) const {
    const bool text = cls == Cls::TextCol || cls == Cls::TextLit;
    return "kx_fold(" + (text ? expr : "(" + expr + ")::text") + ")" + collation;
  }

  // One SELECT: DISTINCT keeps one row of those equal after folding.
  std::string SelectCore(std::size_t b, std::size_t e, bool& rewritten) {
    rewritten = false;
    const std::size_t s = Skip(b, e);
    if (s >= e || !IsWord(toks_[s], "select")) return Expr(b, e);
    const std::size_t d = Skip(s + 1, e);
    if (d >= e || !IsWord(toks_[d], "distinct")) return Expr(b, e);
    const std::size_t itemsEnd = FindTop(d + 1, e, "from");
    const std::vector<Item> items = Items(d + 1, itemsEnd);
    const bool anyText =
        std::any_of(items.begin(), items.end(), [](const Item& i) { return i.cls == Cls::TextCol; });
    if (items.empty() || !anyText) return Expr(b, e);
    std::string keys;
    for (const Item& item : items) {
      if (!keys.empty()) keys += ", ";
      const std::string expr = Trimmed(Expr(item.b, item.e));
      keys += item.cls == Cls::TextCol ? FoldKey(expr, item.cls, kGroupCollation) : expr;
    }
    rewritten = true;
    return Lead(s) + "SELECT DISTINCT ON (" + keys + ")" + Expr(d + 1, e);
  }

  // A query: SELECTs joined by UNION/INTERSECT/EXCEPT, then ORDER BY and LIMIT.
  std::string Query(std::size_t b, std::size_t e) {
    std::vector<Core> cores;
    std::vector<std::string> ops;
    std::size_t tail = e;
    int depth = 0;
    std::size_t from = b;
    for (std::size_t i = b; i < e && tail == e; ++i) {
      const Token& t = toks_[i];
      if (IsPunct(t, '(')) ++depth;
      if (IsPunct(t, ')')) --depth;
      if (depth != 0 || t.kind != Tok::Word) continue;
      if (IsWord(t, "union") || IsWord(t, "intersect") || IsWord(t, "except")) {
        cores.push_back({from, i, {}});
        std::string op = sql::LowerAscii(t.text);
        const std::size_t n = Skip(i + 1, e);
        if (n < e && (IsWord(toks_[n], "all") || IsWord(toks_[n], "distinct"))) {
          op += " " + sql::LowerAscii(toks_[n].text);
          i = n;
        }
        ops.push_back(op);
        from = i + 1;
      } else if ((IsWord(t, "order") && Skip(i + 1, e) < e && IsWord(toks_[Skip(i + 1, e)], "by")) ||
                 IsWord(t, "limit") || IsWord(t, "offset")) {
        tail = i;
      }
    }
    cores.push_back({from, tail, {}});

    std::string body;
    bool wrap = false;
    if (cores.size() == 1) {
      body = CoreText(cores[0], wrap);
      // ORDER BY an alias inside an expression would name the input column: order the result.
      wrap = wrap || (tail < e && OrdersByAlias(cores[0], tail, e));
    } else {
      wrap = true;  // an ORDER BY on a compound query may only name its columns
      body = Compound(cores, ops);
    }
    if (tail == e) return body;
    const std::string orderBy = Tail(tail, e);
    body.erase(body.find_last_not_of(' ') + 1);
    if (!wrap) return body + " " + orderBy;
    return "SELECT * FROM (" + Trimmed(body) + ") AS kx_q" + std::to_string(++serial_) + " " + orderBy;
  }

  bool OrdersByAlias(const Core& core, std::size_t b, std::size_t e) const {
    std::vector<std::string> aliases;
    const Core parsed = ParseCore(core.b, core.e);
    for (const Item& item : parsed.items)
      if (item.e < core.e && IsWord(toks_[item.e], "as")) aliases.push_back(item.name);
    for (std::size_t i = b; i < e; ++i)
      if (IsName(toks_[i]))
        for (const std::string& a : aliases)
          if (EqualsAscii(a, toks_[i].text)) return true;
    return false;
  }

  std::string CoreText(const Core& core, bool& rewritten) {
    const std::size_t s = Skip(core.b, core.e);
    std::size_t last = core.e;
    while (last > s && toks_[last - 1].kind == Tok::Space) --last;
    rewritten = false;
    if (s < core.e && IsPunct(toks_[s], '(') && Close(s, core.e) + 1 == last)
      return Lead(s) + "(" + Query(s + 1, last - 1) + ")";
    return SelectCore(core.b, core.e, rewritten);
  }

  // UNION keeps one row of those equal after folding: UNION ALL under a DISTINCT ON the folds.
  std::string Compound(std::vector<Core>& cores, const std::vector<std::string>& ops) {
    const bool unions = std::all_of(ops.begin(), ops.end(), [](const std::string& op) {
      return op == "union" || op == "union distinct";
    });
    std::vector<Cls> kinds;
    bool named = unions;
    for (Core& core : cores) {
      core = {core.b, core.e, ParseCore(core.b, core.e).items};
      if (core.items.empty() || core.items.size() != cores[0].items.size()) named = false;
    }
    bool anyText = false;
    if (named) {
      for (std::size_t c = 0; c < cores[0].items.size(); ++c) {
        bool text = false;
        for (const Core& core : cores) text = text || core.items[c].cls == Cls::TextCol;
        kinds.push_back(text ? Cls::TextCol : Cls::Other);
        anyText = anyText || text;
      }
    }
    std::string joined;
    for (std::size_t i = 0; i < cores.size(); ++i) {
      bool unused = false;
      if (i > 0) joined += " " + (named && anyText ? std::string("UNION ALL") : ops[i - 1]) + " ";
      joined += Trimmed(CoreText(cores[i], unused));
    }
    if (!named || !anyText) return joined;
    const std::string u = "kx_u" + std::to_string(++serial_);
    std::string keys, columns, names;
    for (std::size_t c = 0; c < kinds.size(); ++c) {
      const std::string col = "kx_c" + std::to_string(c + 1);
      const std::string sep = c ? ", " : "";
      keys += sep + (kinds[c] == Cls::TextCol ? FoldKey(col, Cls::TextCol, kGroupCollation) : col);
      names += sep + col + " AS " + Quote(cores[0].items[c].name);
      columns += sep + col;
    }
    return "SELECT DISTINCT ON (" + keys + ") " + names + " FROM (" + joined + ") AS " + u + " (" + columns +
           ")";
  }

  // ORDER BY: texts by their folds, Null first ascending and last descending; then LIMIT.
  std::string Tail(std::size_t b, std::size_t e) {
    std::size_t limit = FindTop(b, e, "limit");
    limit = std::min(limit, FindTop(b, e, "offset"));
    if (!IsWord(toks_[b], "order")) return Expr(b, e);
    const std::size_t by = Skip(b + 1, e);
    std::string out = toks_[b].text + Lead(by) + toks_[by].text;
    bool firstKey = true;
    for (auto [kb, ke] : SplitTop(by + 1, limit)) {
      std::size_t end = ke;
      bool desc = false, nulls = false;
      for (;;) {
        std::size_t last = end;
        while (last > kb && toks_[last - 1].kind == Tok::Space) --last;
        if (last == kb) break;
        const Token& w = toks_[last - 1];
        if (IsWord(w, "asc") || IsWord(w, "desc")) {
          desc = IsWord(w, "desc");
        } else if (IsWord(w, "first") || IsWord(w, "last")) {
          nulls = true;
        } else if (!IsWord(w, "nulls")) {
          break;
        }
        end = last - 1;
      }
      std::string key;
      Cls cls = Cls::Other;
      if (auto name = SingleName(kb, end)) {
        key = Trimmed(Expr(kb, end, &cls));
        if (cls == Cls::TextCol) key = FoldKey(key, cls, kOrderCollation);
      } else {
        key = Trimmed(Expr(kb, end));
      }
      const std::string order = Trimmed(Expr(end, ke));
      out += (firstKey ? " " : ", ") + key + (order.empty() ? "" : " " + order);
      if (!nulls) out += desc ? " NULLS LAST" : " NULLS FIRST";
      firstKey = false;
    }
    return out + Expr(limit, e);
  }

  // UPDATE t SET a = x, ... WHERE c: the "=" of an assignment is no comparison.
  std::string Update(std::size_t b, std::size_t e) {
    const std::size_t set = FindTop(b, e, "set");
    if (set == e) return Expr(b, e);
    const std::size_t where = FindTop(set, e, "where");
    std::string out = Expr(b, set) + toks_[set].text;
    bool first = true;
    for (auto [ab, ae] : SplitTop(set + 1, where)) {
      std::size_t eq = ab;
      while (eq < ae && !IsPunct(toks_[eq], '=')) ++eq;
      if (!first) out += ",";
      out += eq < ae ? Expr(ab, eq) + "=" + Expr(eq + 1, ae) : Expr(ab, ae);
      first = false;
    }
    return out + Expr(where, e);
  }

  // ---- expressions ---------------------------------------------------------------------

  static std::string Trimmed(const std::string& s) {
    const std::size_t b = s.find_first_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(' ') - b + 1);
  }

  // A function call at i (name, "(" at open, ")" at close).
  std::string Call(std::size_t i, std::size_t open, std::size_t close) {
    const std::string& name = toks_[i].text;
    if (EqualsAscii(name, "iif")) {
      auto args = SplitTop(open + 1, close);
      if (args.size() == 3)
        return "CASE WHEN (" + Expr(args[0].first, args[0].second) + ") THEN (" +
               Expr(args[1].first, args[1].second) + ") ELSE (" + Expr(args[2].first, args[2].second) +
               ") END";
    }
    std::string fn = name;
    if (EqualsAscii(name, "isnumeric")) fn = "kx_isnumeric";
    if (EqualsAscii(name, "cdbl")) fn = "kx_cdbl";
    if (EqualsAscii(name, "last_insert_rowid")) fn = "lastval";
    if (EqualsAscii(name, "pragma_table_info")) fn = "kx_table_info";
    return fn + "(" + Expr(open + 1, close) + ")";
  }

  // Writes [b, e) out; single, when given, learns the class of an expression that is one operand.
  std::string Expr(std::size_t b, std::size_t e, Cls* single = nullptr) {
    std::vector<Unit> units;
    std::string lead;
    bool inFrom = false, tablePos = false;
    for (std::size_t i = b; i < e; ++i) {
      const Token& t = toks_[i];
      if (t.kind == Tok::Space) {
        lead += t.text;
        continue;
      }
      Unit u;
      u.lead = std::move(lead);
      lead.clear();
      const bool atTable = tablePos;
      tablePos = false;
      const std::size_t next = Skip(i + 1, e);
      const bool call = next < e && IsPunct(toks_[next], '(') && t.kind == Tok::Word && !IsKeyword(t.text);
      if (t.kind == Tok::Word && atTable && TableOf(t.text)) {
        u.text = TableName(t);
        u.operand = true;
      } else if (t.kind == Tok::Word && IsKeyword(t.text) && !call) {
        if (IsWord(t, "from")) inFrom = tablePos = true;
        if (IsWord(t, "join") || IsWord(t, "update") || IsWord(t, "into")) tablePos = true;
        if (EndsFromList(t)) inFrom = false;
        u.text = t.text;
        if (IsWord(t, "null")) {
          u.operand = true;
          u.cls = Cls::Null;
        } else if (IsWord(t, "like")) {
          // "a Not Like b" is "Not a Like b".
          if (units.size() >= 2 && EqualsAscii(units.back().text, "not") && units[units.size() - 2].operand) {
            u.lead = units.back().lead;
            units.pop_back();
            units.back().text = "NOT " + units.back().text;
          }
          u.text = "~~~";
        }
      } else if (call) {
        const std::size_t close = Close(next, e);
        u.text = Call(i, next, close);
        u.operand = true;
        i = close;
      } else if (t.kind == Tok::Word || t.kind == Tok::Bracketed) {
        if (atTable) {
          u.text = TableName(t);
        } else {
          // A name, possibly qualified: t.x, [t].[x].
          std::size_t last = i;
          while (Skip(last + 1, e) < e && IsPunct(toks_[Skip(last + 1, e)], '.')) {
            const std::size_t part = Skip(Skip(last + 1, e) + 1, e);
            if (part >= e || !(IsName(toks_[part]) || IsPunct(toks_[part], '*'))) break;
            u.text += QualifierName(toks_[last]) + ".";
            last = part;
          }
          if (IsPunct(toks_[last], '*')) {
            u.text += "*";
          } else {
            u.text += ColumnName(toks_[last], u.cls);
          }
          i = last;
        }
        u.operand = true;
      } else if (t.kind == Tok::Number) {
        u.text = t.text;
        u.operand = true;
        u.cls = Cls::NumLit;
      } else if (t.kind == Tok::SingleQuoted || t.kind == Tok::DoubleQuoted) {
        u.content = t.kind == Tok::DoubleQuoted ? t.text : Unquote(t.text);
        u.text = t.kind == Tok::DoubleQuoted ? QuoteSqlText(t.text, '\'') : t.text;
        u.operand = true;
        u.cls = Cls::TextLit;
      } else if (IsPunct(t, '(')) {
        const std::size_t close = Close(i, e);
        const std::size_t inner = Skip(i + 1, close);
        if (inner < close && IsWord(toks_[inner], "select")) {
          u.text = "(" + Query(i + 1, close) + ")";
          if (atTable && !HasAlias(close + 1, e)) u.text += " AS kx_s" + std::to_string(++serial_);
        } else if (InList(units)) {
          u.text = "(";
          bool first = true;
          for (auto [ib, ie] : SplitTop(i + 1, close)) {
            Cls cls = Cls::Other;
            const std::string item = Trimmed(Expr(ib, ie, &cls));
            u.text += (first ? "" : ", ") + FoldKey(item, cls, "");
            first = false;
          }
          u.text += ")";
        } else {
          Cls cls = Cls::Other;
          u.text = "(" + Expr(i + 1, close, &cls) + ")";
          u.cls = cls;
        }
        u.operand = true;
        i = close;
      } else {
        u.text = Operator(i, e);
      }
      if (u.text == "," && inFrom) tablePos = true;
      units.push_back(std::move(u));
    }
    FoldComparisons(units);
    std::string out;
    for (const Unit& u : units) out += u.lead + u.text;
    if (single) *single = units.size() == 1 && units[0].operand ? units[0].cls : Cls::Other;
    return out + lead;
  }

  static std::string Unquote(const std::string& raw) {
    std::string out;
    for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
      out += raw[i];
      if (raw[i] == '\'') ++i;
    }
    return out;
  }

  bool HasAlias(std::size_t i, std::size_t e) const {
    const std::size_t n = Skip(i, e);
    return n < e && (IsWord(toks_[n], "as") || IsName(toks_[n]));
  }

  // "textcolumn IN (": the list is compared folded, and so is the column.
  static bool InList(std::vector<Unit>& units) {
    std::size_t n = units.size();
    if (n >= 1 && EqualsAscii(units[n - 1].text, "not")) --n;
    if (n < 2 || !EqualsAscii(units[n - 1].text, "in") || !units[n - 2].operand ||
        units[n - 2].cls != Cls::TextCol)
      return false;
    units[n - 2].text = "kx_fold(" + units[n - 2].text + ")" + kOrderCollation;
    return true;
  }

  // An operator of one or two characters; "--" and "/*" would open comments on the server.
  std::string Operator(std::size_t& i, std::size_t e) const {
    const char c = toks_[i].text[0];
    const char d = i + 1 < e && toks_[i + 1].kind == Tok::Punct ? toks_[i + 1].text[0] : '\0';
    if ((c == '<' && (d == '=' || d == '>')) || (c == '>' && d == '=') || (c == '!' && d == '=') ||
        (c == '|' && d == '|')) {
      ++i;
      return std::string{c, d};
    }
    if ((c == '-' && d == '-') || (c == '/' && d == '*')) return std::string{c, ' '};
    return std::string(1, c);
  }

  // Comparisons of texts compare folds; a number column against a text literal follows SQLite.
  void FoldComparisons(std::vector<Unit>& units) const {
    for (std::size_t k = 1; k + 1 < units.size(); ++k) {
      if (!IsComparison(units[k].text)) continue;
      Unit& op = units[k];
      Unit& l = units[k - 1];
      if ((units[k + 1].text == "-" || units[k + 1].text == "+") && k + 2 < units.size() &&
          units[k + 2].cls == Cls::NumLit) {
        units[k + 1].text += units[k + 2].lead + units[k + 2].text;
        units[k + 1].operand = true;
        units[k + 1].cls = Cls::NumLit;
        units.erase(units.begin() + static_cast<std::ptrdiff_t>(k + 2));
      }
      Unit& r = units[k + 1];
      if (!l.operand || !r.operand) continue;
      if ((k >= 2 && BindsTighter(units[k - 2].text)) ||
          (k + 2 < units.size() && BindsTighter(units[k + 2].text)))
        continue;
      const Cls a = l.cls, b = r.cls;
      if (a == Cls::Null || b == Cls::Null) continue;
      if (a == Cls::TextCol || b == Cls::TextCol) {
        l.text = FoldKey(l.cls == Cls::NumLit ? QuoteSqlText(l.text, '\'') : l.text,
                         l.cls == Cls::NumLit ? Cls::TextLit : l.cls, kOrderCollation);
        r.text = FoldKey(r.cls == Cls::NumLit ? QuoteSqlText(r.text, '\'') : r.text,
                         r.cls == Cls::NumLit ? Cls::TextLit : r.cls, "");
      } else if ((a == Cls::DateCol && b == Cls::TextLit) || (a == Cls::TextLit && b == Cls::DateCol)) {
        Unit& date = a == Cls::DateCol ? l : r;
        date.text = "(" + date.text + ")::text" + kGroupCollation;
      } else if ((a == Cls::NumCol && b == Cls::TextLit) || (a == Cls::TextLit && b == Cls::NumCol)) {
        Unit& lit = a == Cls::TextLit ? l : r;
        if (IsNumeric(lit.content)) {
          const std::size_t s = lit.content.find_first_not_of(" \t");
          lit.text = "(" + lit.content.substr(s, lit.content.find_last_not_of(" \t") - s + 1) + ")";
          continue;
        }
        // Never equal; every number sorts below every text.
        const bool numLeft = a == Cls::NumCol;
        const std::string& o = op.text;
        const bool below = o == "<" || o == "<=";
        const bool above = o == ">" || o == ">=";
        const bool value = o == "<>" || o == "!=" || (numLeft ? below : above);
        const Unit& num = numLeft ? l : r;
        l.text = "(CASE WHEN " + num.text + " IS NULL THEN NULL ELSE " + (value ? "TRUE" : "FALSE") + " END)";
        op.text.clear();
        op.lead.clear();
        r.text.clear();
        r.lead.clear();
      }
    }
  }

  const std::vector<Token>& toks_;
  const SqlCatalog& catalog_;
  std::vector<const SqlCatalog::Table*> tables_;
  std::vector<std::pair<std::string, Cls>> aliases_;
  int serial_ = 0;
};

}  // namespace

std::string TranslateForPostgres(const std::vector<Token>& toks, sql::Span span,
                                 const TranslateOptions& options) {
  static const SqlCatalog kEmpty;
  return PgTranslator(toks, options.catalog ? *options.catalog : kEmpty).Run(span, options.maxRows);
}

}  // namespace kx
