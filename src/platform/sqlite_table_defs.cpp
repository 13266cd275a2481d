// The tables of an SQLite job database as table descriptions: columns from their declared
// types, keys, defaults and the indexes, the numeric ones recognised by their expression.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "core/error.h"
#include "core/numbers.h"
#include "platform/database.h"
#include "platform/sql_tokens.h"
#include "platform/table_defs.h"

namespace kx::detail {
namespace {

struct StmtFinalizer {
  void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

Stmt Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
    throw KxError(err::DatabaseError, "DAO.TableDefs",
                  std::string("Cannot read the tables: ") + sqlite3_errmsg(db));
  return Stmt(raw);
}

std::string Text(sqlite3_stmt* s, int col) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
  return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s, col))) : std::string();
}

// A name as the text argument of a pragma function.
std::string Quote(const std::string& name) {
  std::string out = "'";
  for (char c : name) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

// SQLite's affinity rules, with the widths and kinds a job database's declarations carry.
ColumnLayout ColumnOfDecl(std::string name, const std::string& decl) {
  ColumnLayout c;
  c.name = std::move(name);
  const std::string t = sql::LowerAscii(decl);
  const auto has = [&](const char* s) { return t.find(s) != std::string::npos; };
  if (has("bool") || has("yesno") || has("bit")) {
    c.type = FieldType::Bool;
  } else if (has("smallint") || has("tinyint") || has("int2") || has("byte")) {
    c.type = FieldType::Int16;
  } else if (t == "int" || has("mediumint") || has("int4") || has("long")) {
    c.type = FieldType::Int32;
  } else if (has("int")) {
    c.type = FieldType::Int64;
  } else if (has("char") || has("clob") || has("text") || has("memo")) {
    c.type = FieldType::Text;
    const std::size_t open = t.find('(');
    if (open != std::string::npos) c.size = std::atoi(t.c_str() + open + 1);
  } else if (has("date") || has("time")) {
    c.type = FieldType::DateTime;
  } else if ((has("dec") || has("num")) && t.find('(') != std::string::npos) {
    c.type = FieldType::Decimal;
    const std::size_t open = t.find('(');
    c.size = std::atoi(t.c_str() + open + 1);
    const std::size_t comma = t.find(',', open);
    if (comma != std::string::npos) c.scale = std::atoi(t.c_str() + comma + 1);
  } else if (has("real") || has("floa") || has("doub") || has("num") || has("dec") || has("curr") ||
             has("single")) {
    c.type = FieldType::Double;
  }
  return c;
}

}  // namespace

std::optional<Variant> ConstantDefault(std::string_view expr) {
  std::string_view e = expr;
  while (!e.empty() && (e.front() == '(' || e.front() == ' ')) e.remove_prefix(1);
  while (!e.empty() && (e.back() == ')' || e.back() == ' ')) e.remove_suffix(1);
  if (const std::size_t cast = e.rfind("::"); cast != std::string_view::npos && e.front() == '\'')
    e = e.substr(0, cast);  // the server writes 'x'::text
  if (e.size() >= 2 && e.front() == '\'' && e.back() == '\'') {
    std::string out;
    for (std::size_t i = 1; i + 1 < e.size(); ++i) {
      out += e[i];
      if (e[i] == '\'') ++i;
    }
    return Variant(out);
  }
  if (!e.empty() && IsNumeric(e)) {
    const double v = CDbl(e);
    if (e.find_first_of(".eE") == std::string_view::npos) return Variant(static_cast<long long>(v));
    return Variant(v);
  }
  return std::nullopt;
}

std::vector<TableLayout> ReadSqliteTableDefs(sqlite3* db) {
  std::vector<TableLayout> tables;
  Stmt list = Prepare(db,
                      "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                      "ESCAPE '\\' ORDER BY rowid");
  while (sqlite3_step(list.get()) == SQLITE_ROW)
    tables.push_back(TableLayout{Text(list.get(), 0), {}, {}, {}});

  for (TableLayout& t : tables) {
    Stmt info = Prepare(db, "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(" +
                                Quote(t.name) + ") ORDER BY cid");
    std::vector<std::pair<int, std::string>> keys;
    while (sqlite3_step(info.get()) == SQLITE_ROW) {
      ColumnLayout c = ColumnOfDecl(Text(info.get(), 0), Text(info.get(), 1));
      c.required = sqlite3_column_int(info.get(), 2) != 0;
      if (sqlite3_column_type(info.get(), 3) != SQLITE_NULL)
        c.defaultValue = ConstantDefault(Text(info.get(), 3));
      if (const int pk = sqlite3_column_int(info.get(), 4); pk > 0) {
        keys.emplace_back(pk, c.name);
        c.required = false;  // as the key's, not a column rule of its own
      }
      t.columns.push_back(std::move(c));
    }
    std::sort(keys.begin(), keys.end());
    for (auto& k : keys) t.primaryKey.push_back(k.second);
    // A single INTEGER PRIMARY KEY is SQLite's row number.
    if (keys.size() == 1) {
      for (ColumnLayout& c : t.columns)
        if (c.name == t.primaryKey[0] && c.type == FieldType::Int64) c.autoNumber = true;
    }

    Stmt indexes =
        Prepare(db, "SELECT l.name, l.\"unique\", l.origin, s.sql FROM pragma_index_list(" + Quote(t.name) +
                        ") l LEFT JOIN sqlite_schema s ON s.type = 'index' AND s.name = l.name "
                        "ORDER BY l.seq DESC");
    while (sqlite3_step(indexes.get()) == SQLITE_ROW) {
      if (Text(indexes.get(), 2) == "pk") continue;  // the primary key is the table's
      IndexLayout ix;
      ix.name = Text(indexes.get(), 0);
      ix.unique = sqlite3_column_int(indexes.get(), 1) != 0;
      bool expression = false;
      Stmt cols =
          Prepare(db, "SELECT cid, name FROM pragma_index_info(" + Quote(ix.name) + ") ORDER BY seqno");
      while (sqlite3_step(cols.get()) == SQLITE_ROW) {
        if (sqlite3_column_int(cols.get(), 0) < 0) {
          expression = true;
        } else {
          ix.columns.push_back(Text(cols.get(), 1));
        }
      }
      if (expression) {
        // The only expression index of a job database: CDbl(x) ... WHERE IsNumeric(x).
        const std::string column = NumericIndexColumn(Text(indexes.get(), 3));
        if (column.empty() || !ix.columns.empty() || ix.unique) continue;
        ix.columns = {column};
        ix.numeric = true;
      }
      if (ix.name.rfind("sqlite_autoindex_", 0) == 0) ix.name = t.name + "_" + ix.columns.front();
      t.indexes.push_back(std::move(ix));
    }
  }
  ClassifyTables(tables);
  return tables;
}

std::string NumericIndexColumn(std::string_view sql) {
  const std::vector<sql::Token> toks = sql::Tokenize(sql);
  std::vector<const sql::Token*> words;  // without blanks
  for (const sql::Token& t : toks)
    if (t.kind != sql::Tok::Space) words.push_back(&t);
  const auto nameAt = [&](std::size_t i) -> std::string {
    if (i >= words.size()) return {};
    const sql::Token& t = *words[i];
    return t.kind == sql::Tok::Word || t.kind == sql::Tok::Bracketed || t.kind == sql::Tok::DoubleQuoted
               ? t.text
               : std::string();
  };
  // ... ( CDbl ( x ) ) WHERE IsNumeric ( x ), the function names in any case and schema.
  std::string cdbl, isnum;
  for (std::size_t i = 0; i + 3 < words.size(); ++i) {
    const std::string f = sql::LowerAscii(words[i]->text);
    if (words[i]->kind != sql::Tok::Word || !sql::IsPunct(*words[i + 1], '(') ||
        !sql::IsPunct(*words[i + 3], ')'))
      continue;
    if ((f == "cdbl" || f == "kx_cdbl") && cdbl.empty()) cdbl = nameAt(i + 2);
    if ((f == "isnumeric" || f == "kx_isnumeric") && isnum.empty()) isnum = nameAt(i + 2);
  }
  return !cdbl.empty() && cdbl == isnum ? cdbl : std::string();
}

}  // namespace kx::detail
