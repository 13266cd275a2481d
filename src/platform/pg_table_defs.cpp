// The tables of a job database on the server as table descriptions, read from the catalog:
// columns by type, identity and constant defaults, the primary key, and the indexes, whose
// keys on kx_fold(x) are text indexes of x and on kx_cdbl(x) numeric ones.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/pg_connection.h"
#include "platform/sql_tokens.h"
#include "platform/table_defs.h"

namespace kx::detail {
namespace {

constexpr const char* kSource = "DAO.TableDefs";

ColumnLayout ColumnOfType(std::string name, std::string_view type, int typmod) {
  ColumnLayout c;
  c.name = std::move(name);
  if (type == "bool") {
    c.type = FieldType::Bool;
  } else if (type == "int2") {
    c.type = FieldType::Int16;
  } else if (type == "int4") {
    c.type = FieldType::Int32;
  } else if (type == "int8" || type == "oid") {
    c.type = FieldType::Int64;
  } else if (type == "numeric" && typmod >= 4) {
    c.type = FieldType::Decimal;  // typmod: ((precision << 16) | scale) + 4
    c.size = ((typmod - 4) >> 16) & 0xffff;
    c.scale = (typmod - 4) & 0xffff;
  } else if (type == "float4" || type == "float8" || type == "numeric" || type == "money") {
    c.type = FieldType::Double;
  } else if (type == "date" || type == "timestamp" || type == "timestamptz") {
    c.type = FieldType::DateTime;
  } else {
    c.type = FieldType::Text;  // text, varchar, bpchar; any other type as its text form
    if ((type == "varchar" || type == "bpchar") && typmod > 4) c.size = typmod - 4;
  }
  return c;
}

// A key expression or predicate of an index: "x", x, or f("x") (function f in lower case).
struct KeyExpr {
  std::string function;
  std::string column;  // "" when the expression is neither form
};

KeyExpr ParseKey(std::string_view key) {
  std::vector<sql::Token> toks;
  for (sql::Token& t : sql::Tokenize(key))
    if (t.kind != sql::Tok::Space) toks.push_back(std::move(t));
  const auto isName = [](const sql::Token& t) {
    return t.kind == sql::Tok::Word || t.kind == sql::Tok::DoubleQuoted;
  };
  if (toks.size() == 1 && isName(toks[0])) return {{}, toks[0].text};
  // The server may write the function with its schema and the argument with a cast:
  // s.kx_fold("x"::text).
  std::size_t at = toks.size() > 2 && sql::IsPunct(toks[1], '.') ? 2 : 0;
  if (toks.size() < at + 4 || toks[at].kind != sql::Tok::Word || !sql::IsPunct(toks[at + 1], '(') ||
      !isName(toks[at + 2]) || !sql::IsPunct(toks.back(), ')'))
    return {};
  for (std::size_t i = at + 3; i + 1 < toks.size(); ++i)
    if (!(i == at + 3 ? sql::IsPunct(toks[i], ':')
                      : toks[i].kind == sql::Tok::Word || sql::IsPunct(toks[i], ':')))
      return {};
  return {sql::LowerAscii(toks[at].text), toks[at + 2].text};
}

}  // namespace

std::vector<TableLayout> ReadPgTableDefs(PGconn* conn, const std::string& dbName) {
  std::vector<TableLayout> tables;
  std::vector<std::string> oids;
  {
    PgResult res = ExecPg(conn,
                          "SELECT c.oid, c.relname FROM pg_catalog.pg_class c"
                          " WHERE c.relnamespace = pg_catalog.current_schema()::regnamespace"
                          " AND c.relkind IN ('r', 'p') AND c.relname <> 'kx_schema' ORDER BY c.oid",
                          dbName, kSource);
    for (int r = 0; r < PQntuples(res.get()); ++r) {
      oids.emplace_back(PQgetvalue(res.get(), r, 0));
      tables.push_back(TableLayout{PQgetvalue(res.get(), r, 1), {}, {}, {}});
    }
  }
  for (std::size_t i = 0; i < tables.size(); ++i) {
    TableLayout& t = tables[i];
    const std::string& oid = oids[i];
    PgResult cols =
        ExecPg(conn,
               "SELECT a.attname, t.typname, a.atttypmod, a.attnotnull, a.attidentity <> '',"
               " pg_catalog.pg_get_expr(d.adbin, d.adrelid),"
               " COALESCE(pg_catalog.array_position(p.indkey::int2[], a.attnum)"
               " - pg_catalog.array_lower(p.indkey::int2[], 1) + 1, 0)"
               " FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_type t ON t.oid = a.atttypid"
               " LEFT JOIN pg_catalog.pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum"
               " LEFT JOIN pg_catalog.pg_index p ON p.indrelid = a.attrelid AND p.indisprimary"
               " WHERE a.attrelid = " +
                   oid + " AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
               dbName, kSource);
    std::vector<std::pair<int, std::string>> keys;
    for (int r = 0; r < PQntuples(cols.get()); ++r) {
      const auto text = [&](int c) { return std::string(PQgetvalue(cols.get(), r, c)); };
      ColumnLayout c = ColumnOfType(text(0), text(1), std::atoi(PQgetvalue(cols.get(), r, 2)));
      c.required = text(3) == "t";
      const std::string def = text(5);
      c.autoNumber = text(4) == "t" || def.rfind("nextval(", 0) == 0;
      if (!PQgetisnull(cols.get(), r, 5) && !c.autoNumber) c.defaultValue = ConstantDefault(def);
      if (const int pk = std::atoi(PQgetvalue(cols.get(), r, 6)); pk > 0) keys.emplace_back(pk, c.name);
      t.columns.push_back(std::move(c));
    }
    std::sort(keys.begin(), keys.end());
    for (auto& k : keys) t.primaryKey.push_back(k.second);
    // A key column is never Null: that is the key's, not a column rule of its own.
    for (const auto& k : keys)
      for (ColumnLayout& c : t.columns)
        if (c.name == k.second) c.required = false;

    PgResult ixs =
        ExecPg(conn,
               "SELECT ci.relname, i.indisunique, pg_catalog.pg_get_indexdef(i.indexrelid, k, true),"
               " pg_catalog.pg_get_expr(i.indpred, i.indrelid)"
               " FROM pg_catalog.pg_index i JOIN pg_catalog.pg_class ci ON ci.oid = i.indexrelid,"
               " pg_catalog.generate_series(1, i.indnkeyatts) k"
               " WHERE i.indrelid = " +
                   oid + " AND NOT i.indisprimary ORDER BY ci.oid, k",
               dbName, kSource);
    // An index with a key this description cannot hold (another expression, another
    // predicate) is left out: neither engine's statements would use it.
    bool skip = false;
    for (int r = 0; r < PQntuples(ixs.get()); ++r) {
      const std::string name = PQgetvalue(ixs.get(), r, 0);
      if (t.indexes.empty() || t.indexes.back().name != name) {
        if (skip) t.indexes.pop_back();
        skip = false;
        t.indexes.push_back(IndexLayout{name, {}, std::strcmp(PQgetvalue(ixs.get(), r, 1), "t") == 0, false});
      }
      IndexLayout& ix = t.indexes.back();
      const KeyExpr key = ParseKey(PQgetvalue(ixs.get(), r, 2));
      const bool hasPredicate = !PQgetisnull(ixs.get(), r, 3);
      if (key.function == "kx_cdbl") {
        const KeyExpr pred = hasPredicate ? ParseKey(PQgetvalue(ixs.get(), r, 3)) : KeyExpr{};
        ix.numeric = true;
        skip = skip || ix.unique || !ix.columns.empty() || pred.function != "kx_isnumeric" ||
               pred.column != key.column;
      } else {
        skip = skip || ix.numeric || hasPredicate || key.column.empty() ||
               !(key.function.empty() || key.function == "kx_fold");
      }
      ix.columns.push_back(key.column);
    }
    if (skip) t.indexes.pop_back();
  }
  ClassifyTables(tables);
  return tables;
}

}  // namespace kx::detail
