// Names and expressions of the PostgreSQL translation (sql_pg_translator.h).
#include <algorithm>

#include "core/numbers.h"
#include "core/text.h"
#include "platform/sql_dialect.h"
#include "platform/sql_pg_translator.h"

namespace kx::pgsql {
namespace {

using sql::EqualsAscii;
using sql::IsPunct;
using sql::IsWord;
using sql::Tok;
using sql::Token;

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

bool IsComparison(std::string_view op) {
  return op == "=" || op == "<>" || op == "!=" || op == "<" || op == ">" || op == "<=" || op == ">=";
}

// Operators that bind tighter than a comparison: an operand next to one is part of a larger term.
bool BindsTighter(std::string_view op) {
  return op == "+" || op == "-" || op == "*" || op == "/" || op == "%" || op == "||" || op == "&" ||
         op == "|" || op == "^" || op == "~~~" || op == ".";
}

}  // namespace

bool IsName(const Token& t) {
  return t.kind == Tok::Bracketed || (t.kind == Tok::Word && !IsKeyword(t.text));
}

std::string Quote(std::string_view name) { return QuoteSqlText(name, '"'); }

std::size_t PgTranslator::Skip(std::size_t i, std::size_t e) const {
  while (i < e && toks_[i].kind == Tok::Space) ++i;
  return i;
}

std::string PgTranslator::Lead(std::size_t i) const {
  return i > 0 && toks_[i - 1].kind == Tok::Space ? std::string(" ") : std::string();
}

std::size_t PgTranslator::Close(std::size_t open, std::size_t e) const {
  int depth = 0;
  for (std::size_t i = open; i < e; ++i) {
    if (IsPunct(toks_[i], '(')) ++depth;
    if (IsPunct(toks_[i], ')') && --depth == 0) return i;
  }
  return e;
}

std::size_t PgTranslator::FindTop(std::size_t b, std::size_t e, std::string_view word) const {
  int depth = 0;
  for (std::size_t i = b; i < e; ++i) {
    if (IsPunct(toks_[i], '(')) ++depth;
    if (IsPunct(toks_[i], ')')) --depth;
    if (depth == 0 && IsWord(toks_[i], word)) return i;
  }
  return e;
}

std::vector<std::pair<std::size_t, std::size_t>> PgTranslator::SplitTop(std::size_t b, std::size_t e) const {
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

std::optional<std::size_t> PgTranslator::SingleName(std::size_t b, std::size_t e) const {
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

const SqlCatalog::Table* PgTranslator::TableOf(std::string_view name) const {
  if (EqualsAscii(name, "data") || EqualsAscii(name, "ncdata")) name = kJobTable;
  return catalog_.FindTable(name);
}

std::string PgTranslator::TableName(const Token& t) const {
  if (const auto* table = TableOf(t.text)) return Quote(table->name);
  return t.kind == Tok::Bracketed ? Quote(t.text) : t.text;
}

const SqlCatalog::Column* PgTranslator::ColumnOf(std::string_view name) const {
  for (const auto* table : tables_)
    if (const auto* column = table->Find(name)) return column;
  return nullptr;
}

const std::pair<std::string, Cls>* PgTranslator::AliasOf(std::string_view name) const {
  for (const auto& a : aliases_)
    if (EqualsNoCase(a.first, name)) return &a;
  return nullptr;
}

bool PgTranslator::ReadsJobTable() const {
  return std::any_of(tables_.begin(), tables_.end(),
                     [](const auto* t) { return EqualsAscii(t->name, kJobTable); });
}

std::string PgTranslator::ColumnName(const Token& t, Cls& cls) const {
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

std::string PgTranslator::QualifierName(const Token& t) const {
  if (TableOf(t.text)) return TableName(t);
  if (const auto* alias = AliasOf(t.text)) return Quote(alias->first);
  return t.kind == Tok::Bracketed ? Quote(t.text) : t.text;
}

void PgTranslator::CollectTables(sql::Span span) {
  std::size_t prev = span.end;
  for (std::size_t i = span.first; i < span.end; ++i) {
    if (toks_[i].kind == Tok::Space) continue;
    const bool tablePos = prev < span.end && (IsWord(toks_[prev], "from") || IsWord(toks_[prev], "join") ||
                                              IsWord(toks_[prev], "update") || IsWord(toks_[prev], "into") ||
                                              IsWord(toks_[prev], "table") ||
                                              IsPunct(toks_[prev], ','));
    if (tablePos && (toks_[i].kind == Tok::Word || toks_[i].kind == Tok::Bracketed)) {
      const auto* table = TableOf(toks_[i].text);
      if (table && std::find(tables_.begin(), tables_.end(), table) == tables_.end())
        tables_.push_back(table);
    }
    prev = i;
  }
}

void PgTranslator::CollectAliases(sql::Span span) {
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

std::string PgTranslator::Trimmed(const std::string& s) {
  const std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string PgTranslator::Call(std::size_t i, std::size_t open, std::size_t close) {
  const std::string& name = toks_[i].text;
  if (EqualsAscii(name, "iif")) {
    auto args = SplitTop(open + 1, close);
    if (args.size() == 3)
      return "CASE WHEN (" + Expr(args[0].first, args[0].second) + ") THEN (" +
             Expr(args[1].first, args[1].second) + ") ELSE (" + Expr(args[2].first, args[2].second) + ") END";
  }
  std::string fn = name;
  if (EqualsAscii(name, "isnumeric")) fn = "kx_isnumeric";
  if (EqualsAscii(name, "cdbl")) fn = "kx_cdbl";
  if (EqualsAscii(name, "last_insert_rowid")) fn = "lastval";
  if (EqualsAscii(name, "pragma_table_info")) fn = "kx_table_info";
  return fn + "(" + Expr(open + 1, close) + ")";
}

std::string PgTranslator::Expr(std::size_t b, std::size_t e, Cls* single) {
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
      if (IsWord(t, "join") || IsWord(t, "update") || IsWord(t, "into") || IsWord(t, "table")) tablePos = true;
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

std::string PgTranslator::Unquote(const std::string& raw) {
  std::string out;
  for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
    out += raw[i];
    if (raw[i] == '\'') ++i;
  }
  return out;
}

bool PgTranslator::HasAlias(std::size_t i, std::size_t e) const {
  const std::size_t n = Skip(i, e);
  return n < e && (IsWord(toks_[n], "as") || IsName(toks_[n]));
}

bool PgTranslator::InList(std::vector<Unit>& units) {
  std::size_t n = units.size();
  if (n >= 1 && EqualsAscii(units[n - 1].text, "not")) --n;
  if (n < 2 || !EqualsAscii(units[n - 1].text, "in") || !units[n - 2].operand ||
      units[n - 2].cls != Cls::TextCol)
    return false;
  units[n - 2].text = "kx_fold(" + units[n - 2].text + ")" + kOrderCollation;
  return true;
}

std::string PgTranslator::Operator(std::size_t& i, std::size_t e) const {
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

void PgTranslator::FoldComparisons(std::vector<Unit>& units) const {
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

}  // namespace kx::pgsql
