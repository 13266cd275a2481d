#include "platform/sql_dialect_pg.h"

#include <algorithm>

#include "core/error.h"
#include "core/numbers.h"
#include "core/text.h"
#include "platform/database.h"
#include "platform/sql_pg_translator.h"

namespace kx {
namespace pgsql {

using sql::EqualsAscii;
using sql::IsPunct;
using sql::IsWord;
using sql::Tok;
using sql::Token;

std::string PgTranslator::Run(sql::Span span, long maxRows) {
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

std::vector<PgTranslator::Item> PgTranslator::Items(std::size_t b, std::size_t e) const {
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

PgTranslator::Core PgTranslator::ParseCore(std::size_t b, std::size_t e) const {
  Core core{b, e, {}};
  const std::size_t s = Skip(b, e);
  if (s >= e || !IsWord(toks_[s], "select")) return core;
  std::size_t itemsBegin = Skip(s + 1, e);
  if (itemsBegin < e && (IsWord(toks_[itemsBegin], "distinct") || IsWord(toks_[itemsBegin], "all")))
    ++itemsBegin;
  core.items = Items(itemsBegin, FindTop(itemsBegin, e, "from"));
  return core;
}

std::string PgTranslator::FoldKey(const std::string& expr, Cls cls, const char* collation) const {
  const bool text = cls == Cls::TextCol || cls == Cls::TextLit;
  return "kx_fold(" + (text ? expr : "(" + expr + ")::text") + ")" + collation;
}

std::string PgTranslator::SelectCore(std::size_t b, std::size_t e, bool& rewritten) {
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

std::optional<std::string> PgTranslator::IndexedDistinct(const Core& core) const {
  const std::size_t s = Skip(core.b, core.e);
  if (s >= core.e || !IsWord(toks_[s], "select")) return std::nullopt;
  const std::size_t d = Skip(s + 1, core.e);
  if (d >= core.e || !IsWord(toks_[d], "distinct")) return std::nullopt;
  const std::size_t from = FindTop(d + 1, core.e, "from");
  const auto name = SingleName(d + 1, from);
  if (from >= core.e || !name || toks_[*name - 1].kind != Tok::Space) return std::nullopt;  // no "t.c"
  const std::size_t t = Skip(from + 1, core.e);
  if (t >= core.e || Skip(t + 1, core.e) != core.e) return std::nullopt;  // one table, nothing after it
  // Only the job table grows; on a small one the walk costs more than it saves.
  const SqlCatalog::Table* table = TableOf(toks_[t].text);
  if (!table || !EqualsAscii(table->name, kJobTable)) return std::nullopt;
  const SqlCatalog::Column* column = table ? table->Find(toks_[*name].text) : nullptr;
  if (!column || !column->foldIndexed || column->kind != ColumnKind::Text) return std::nullopt;
  const std::string tab = Quote(table->name), col = Quote(column->name);
  const std::string key = "kx_fold(" + col + ")" + kOrderCollation;
  const std::string next = "SELECT " + key + " FROM " + tab + " WHERE ";
  const std::string first = " ORDER BY " + key + " NULLS FIRST LIMIT 1";
  return "WITH RECURSIVE kx_r (k) AS ((" + next + key + " IS NOT NULL" + first + ") UNION ALL SELECT (" + next +
         key + " > kx_r.k" + first + ") FROM kx_r WHERE kx_r.k IS NOT NULL) SELECT (SELECT " + col + " FROM " +
         tab + " WHERE " + key + " = kx_r.k LIMIT 1) AS " + col +
         " FROM kx_r WHERE kx_r.k IS NOT NULL UNION ALL SELECT NULL WHERE EXISTS (SELECT 1 FROM " + tab +
         " WHERE " + key + " IS NULL)";
}

std::string PgTranslator::Query(std::size_t b, std::size_t e) {
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
  if (cores.size() == 1 && (body = IndexedDistinct(cores[0]).value_or("")) != "") {
    wrap = true;
  } else if (cores.size() == 1) {
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

bool PgTranslator::OrdersByAlias(const Core& core, std::size_t b, std::size_t e) const {
  std::vector<std::string> aliases;
  const Core parsed = ParseCore(core.b, core.e);
  for (const Item& item : parsed.items)
    if (item.e < core.e && IsWord(toks_[item.e], "as")) aliases.push_back(item.name);
  for (std::size_t i = b; i < e; ++i)
    if (IsName(toks_[i]))
      for (const std::string& a : aliases)
        if (EqualsNoCase(a, toks_[i].text)) return true;
  return false;
}

std::string PgTranslator::CoreText(const Core& core, bool& rewritten) {
  const std::size_t s = Skip(core.b, core.e);
  std::size_t last = core.e;
  while (last > s && toks_[last - 1].kind == Tok::Space) --last;
  rewritten = false;
  if (s < core.e && IsPunct(toks_[s], '(') && Close(s, core.e) + 1 == last)
    return Lead(s) + "(" + Query(s + 1, last - 1) + ")";
  return SelectCore(core.b, core.e, rewritten);
}

std::string PgTranslator::Compound(std::vector<Core>& cores, const std::vector<std::string>& ops) {
  const bool unions = std::all_of(
      ops.begin(), ops.end(), [](const std::string& op) { return op == "union" || op == "union distinct"; });
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

std::string PgTranslator::Tail(std::size_t b, std::size_t e) {
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
      // The key stands in for SQLite's rowid and is never Null: a Nulls order would keep the
      // server from reading it in index order.
      if (IsWord(toks_[*name], "rowid")) nulls = true;
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
  // The last key's range ends before the blank that led to LIMIT or OFFSET.
  return limit < e ? out + " " + Trimmed(Expr(limit, e)) : out;
}

std::string PgTranslator::Update(std::size_t b, std::size_t e) {
  const std::size_t set = FindTop(b, e, "set");
  if (set == e) return Expr(b, e);
  const std::size_t where = FindTop(set, e, "where");
  std::string out = Expr(b, set) + toks_[set].text;
  bool first = true;
  for (auto [ab, ae] : SplitTop(set + 1, where)) {
    std::size_t eq = ab;
    while (eq < ae && !IsPunct(toks_[eq], '=')) ++eq;
    if (!first) out += ",";
    first = false;
    if (eq == ae) {
      out += Expr(ab, ae);
      continue;
    }
    Cls target = Cls::Other;
    out += Expr(ab, eq, &target) + "=";
    // A number in a text literal goes into a number column as the number, as SQLite stores
    // "7.0" or "1e3" in a whole-number column (the server's input of the column's type would not).
    const std::size_t v = Skip(eq + 1, ae);
    if (target == Cls::NumCol && v < ae && Skip(v + 1, ae) == ae &&
        (toks_[v].kind == sql::Tok::DoubleQuoted || toks_[v].kind == sql::Tok::SingleQuoted)) {
      const std::string value = toks_[v].kind == sql::Tok::DoubleQuoted ? toks_[v].text : Unquote(toks_[v].text);
      if (IsNumeric(value)) {
        const std::size_t f = value.find_first_not_of(" \t");
        out += Lead(v) + "(" + value.substr(f, value.find_last_not_of(" \t") - f + 1) + ")";
        continue;
      }
    }
    out += Expr(eq + 1, ae);
  }
  return out + Expr(where, e);
}

}  // namespace pgsql

std::string TranslateForPostgres(const std::vector<sql::Token>& toks, sql::Span span,
                                 const TranslateOptions& options) {
  static const SqlCatalog kEmpty;
  return pgsql::PgTranslator(toks, options.catalog ? *options.catalog : kEmpty).Run(span, options.maxRows);
}

}  // namespace kx
