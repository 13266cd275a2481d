#include "platform/pg_schema.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "platform/database.h"
#include "platform/pg_connection.h"
#include "platform/replace_history.h"
#include "platform/sql_dialect.h"

namespace kx::detail {
namespace {

std::string Utf8(UChar32 c) {
  char buf[4];
  int32_t len = 0;
  U8_APPEND_UNSAFE(buf, len, c);
  return std::string(buf, static_cast<std::size_t>(len));
}

std::string Ident(const std::string& name) { return QuoteSqlText(name, '"'); }

// The code points that the client's case folding (FoldCase) changes, by block. A fold never lands on a
// code point that folds again, so the blocks may be applied in any order.
struct FoldBlock {
  UChar32 lo, hi;
  std::string from, to;
};

std::vector<FoldBlock> FoldBlocks() {
  std::vector<FoldBlock> blocks = {{0x80, 0xFF, {}, {}},     {0x100, 0x17F, {}, {}},
                                   {0x180, 0x24F, {}, {}},   {0x250, 0x3FF, {}, {}},
                                   {0x400, 0x4FF, {}, {}},   {0x500, 0x1DFF, {}, {}},
                                   {0x1E00, 0x1EFF, {}, {}}, {0x1F00, 0x1FFF, {}, {}},
                                   {0x2000, 0xFFFF, {}, {}}, {0x10000, 0x10FFFF, {}, {}}};
  for (FoldBlock& b : blocks) {
    for (UChar32 c = b.lo; c <= b.hi; ++c) {
      if (U_IS_SURROGATE(c)) continue;
      const std::string one = Utf8(c);
      const std::string folded = FoldCase(one);
      if (folded == one) continue;
      b.from += one;
      b.to += folded;
    }
  }
  return blocks;
}

std::string UnicodeVersion() {
  UVersionInfo v;
  u_getUnicodeVersion(v);
  return std::to_string(v[0]) + "." + std::to_string(v[1]);
}

// Unicode simple case folding: ASCII by lower() under "C"; a text without any character that
// folds the same way; the rest through one translate() per block that the text touches, so a
// key is never scanned against the whole table of some 1,400 characters.
std::string FoldFunctions(const std::string& s) {
  const std::vector<FoldBlock> blocks = FoldBlocks();
  std::string all;
  std::string table =
      "CREATE FUNCTION " + s +
      ".kx_fold_blocks(s text) RETURNS text LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $f$\n"
      "DECLARE l text := pg_catalog.lower(s COLLATE \"C\");\nBEGIN\n";
  for (const FoldBlock& b : blocks) {
    if (b.from.empty()) continue;
    all += b.from;
    table += "  IF l COLLATE \"C\" ~ " + PgLiteral("[" + b.from + "]") +
             " THEN l := pg_catalog.translate(l, " + PgLiteral(b.from) + ", " + PgLiteral(b.to) +
             "); END IF;\n";
  }
  table += "  RETURN l;\nEND $f$;\n";
  return table + "CREATE FUNCTION " + s +
         ".kx_fold(s text) RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$\n"
         "SELECT CASE WHEN pg_catalog.octet_length(s) = pg_catalog.length(s) THEN pg_catalog.lower(s COLLATE "
         "\"C\")\n"
         "            WHEN s COLLATE \"C\" !~ " +
         PgLiteral("[" + all + "]") +
         " THEN pg_catalog.lower(s COLLATE \"C\")\n"
         "            ELSE " +
         s + ".kx_fold_blocks(s) END $f$;\n" + "COMMENT ON FUNCTION " + s +
         ".kx_fold(text) IS 'Unicode simple case folding (kx::FoldCase, Unicode " + UnicodeVersion() +
         ")';\n";
}

// IsNumeric and CDbl with the rules of the client's number module: outer blanks and tabs, a
// sign, digits with an optional "." part or "." and digits, an optional complete exponent, and
// a value that a double holds. A text under 300 characters without an exponent always fits; the
// rest are placed by the power of ten of their first significant digit, and at 10^308 compared
// with the largest double plus half a unit (what rounds to infinity overflows). A value too
// small for a double is 0, as on the client.
constexpr const char* kNumberFunctions = R"sql(
CREATE FUNCTION @.kx_number_form(s text) RETURNS boolean LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$
SELECT COALESCE(s COLLATE "C" ~ '^[ \t]*[+-]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*$', false) $f$;
CREATE FUNCTION @.kx_fits_double(s text) RETURNS boolean LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $f$
DECLARE
  m text[] := pg_catalog.regexp_match(s COLLATE "C", '^[ \t]*[+-]?([0-9]*)\.?([0-9]*)(?:[eE]([+-]?[0-9]+))?');
  digits text := pg_catalog.ltrim(m[1] || m[2], '0');
  e numeric := COALESCE(m[3], '0')::numeric + pg_catalog.length(m[1]) - 1
               - (pg_catalog.length(m[1] || m[2]) - pg_catalog.length(digits));
BEGIN
  IF digits = '' OR e < 308 THEN RETURN true; END IF;
  -- The digits of (2^54 - 1) * 2^970, half a unit above the largest double.
  RETURN e = 308 AND pg_catalog.rtrim(digits, '0') COLLATE "C" <
    '1797693134862315807937289714053034150799341327100378269361737789804449682927647509466490179775872070'
    '9633028641669288791094655554785194040263065748867150582068190890200070838367627385484581771153176447'
    '5730270069855571366959622842914819860834936475292719074168444365510704342711559699508093042880177904174497792';
END $f$;
CREATE FUNCTION @.kx_isnumeric(s text) RETURNS boolean LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$
SELECT @.kx_number_form(s) AND (pg_catalog.octet_length(s) < 300 AND s COLLATE "C" !~ '[eE]' OR @.kx_fits_double(s)) $f$;
CREATE FUNCTION @.kx_isnumeric(x double precision) RETURNS boolean LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$
SELECT x IS NOT NULL $f$;
CREATE FUNCTION @.kx_type_mismatch(s text) RETURNS double precision LANGUAGE plpgsql IMMUTABLE PARALLEL SAFE AS $f$
BEGIN
  RAISE EXCEPTION USING ERRCODE = '22018',
    MESSAGE = pg_catalog.format('Data type mismatch in criteria expression: CDbl(%L)', s);
END $f$;
CREATE FUNCTION @.kx_overflow(s text) RETURNS double precision LANGUAGE plpgsql IMMUTABLE PARALLEL SAFE AS $f$
BEGIN
  RAISE EXCEPTION USING ERRCODE = 'KX006',
    MESSAGE = pg_catalog.format('Overflow in criteria expression: CDbl(%L)', s);
END $f$;
CREATE FUNCTION @.kx_to_double(s text) RETURNS double precision LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $f$
BEGIN
  RETURN s::double precision;
EXCEPTION WHEN numeric_value_out_of_range THEN
  RETURN CASE WHEN s LIKE '-%' THEN '-0'::double precision ELSE 0 END;
END $f$;
CREATE FUNCTION @.kx_cdbl(s text) RETURNS double precision LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$
SELECT CASE WHEN s IS NULL THEN NULL
            WHEN NOT @.kx_number_form(s) THEN @.kx_type_mismatch(s)
            WHEN pg_catalog.octet_length(s) < 300 AND s COLLATE "C" !~ '[eE]'
              THEN pg_catalog.btrim(s, E' \t')::double precision
            WHEN @.kx_fits_double(s) THEN @.kx_to_double(pg_catalog.btrim(s, E' \t'))
            ELSE @.kx_overflow(s) END $f$;
CREATE FUNCTION @.kx_cdbl(x double precision) RETURNS double precision LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$
SELECT x $f$;
)sql";

std::string NumberFunctions(const std::string& s) { return ReplaceAll(kNumberFunctions, "@.", s + "."); }

// Like with * ? # [list] [!list], without case: the folded pattern as an anchored regular
// expression, every character written as \U escape so none of them is special there.
std::string LikeFunctions(const std::string& s) {
  return "CREATE FUNCTION " + s +
         ".kx_like_regex(p text) RETURNS text LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $f$\n"
         "DECLARE\n"
         "  r text := '^';\n  n int := pg_catalog.length(p);\n  i int := 1;\n  j int;\n  k int;\n"
         "  c text;\n  g text;\n  neg boolean;\n"
         "BEGIN\n"
         "  WHILE i <= n LOOP\n"
         "    c := pg_catalog.substr(p, i, 1);\n"
         "    IF c = '*' THEN r := r || '.*';\n"
         "    ELSIF c = '?' THEN r := r || '.';\n"
         "    ELSIF c = '#' THEN r := r || '[0-9]';\n"
         "    ELSIF c = '[' THEN\n"
         "      k := pg_catalog.strpos(pg_catalog.substr(p, i + 1), ']');\n"
         "      IF k = 0 THEN\n"
         "        RAISE EXCEPTION USING ERRCODE = '2201B', MESSAGE = pg_catalog.format('Invalid pattern "
         "string in Like: %L', p);\n"
         "      END IF;\n"
         "      k := i + k;\n"
         "      j := i + 1;\n"
         "      IF j < k THEN\n"
         "        neg := pg_catalog.substr(p, j, 1) = '!';\n"
         "        IF neg THEN j := j + 1; END IF;\n"
         "        g := '';\n"
         "        WHILE j < k LOOP\n"
         "          IF j + 2 < k AND pg_catalog.substr(p, j + 1, 1) = '-' THEN\n"
         "            IF pg_catalog.ascii(pg_catalog.substr(p, j, 1)) > "
         "pg_catalog.ascii(pg_catalog.substr(p, j + 2, 1)) THEN\n"
         "              RAISE EXCEPTION USING ERRCODE = '2201B', MESSAGE = pg_catalog.format('Invalid "
         "pattern string in Like: %L', p);\n"
         "            END IF;\n"
         "            g := g || '\\U' || "
         "pg_catalog.lpad(pg_catalog.to_hex(pg_catalog.ascii(pg_catalog.substr(p, j, 1))), 8, '0')\n"
         "                   || '-\\U' || "
         "pg_catalog.lpad(pg_catalog.to_hex(pg_catalog.ascii(pg_catalog.substr(p, j + 2, 1))), 8, '0');\n"
         "            j := j + 3;\n"
         "          ELSE\n"
         "            g := g || '\\U' || "
         "pg_catalog.lpad(pg_catalog.to_hex(pg_catalog.ascii(pg_catalog.substr(p, j, 1))), 8, '0');\n"
         "            j := j + 1;\n"
         "          END IF;\n"
         "        END LOOP;\n"
         "        r := r || CASE WHEN g = '' THEN '.' WHEN neg THEN '[^' || g || ']' ELSE '[' || g || ']' "
         "END;\n"
         "      END IF;\n"
         "      i := k;\n"
         "    ELSE r := r || '\\U' || pg_catalog.lpad(pg_catalog.to_hex(pg_catalog.ascii(c)), 8, '0');\n"
         "    END IF;\n"
         "    i := i + 1;\n"
         "  END LOOP;\n"
         "  RETURN r || '$';\n"
         "END $f$;\n"
         "CREATE FUNCTION " +
         s +
         ".kx_like(x text, p text) RETURNS boolean LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$\n"
         "SELECT " +
         s + ".kx_fold(x) COLLATE \"C\" ~ " + s + ".kx_like_regex(" + s +
         ".kx_fold(p)) $f$;\n"
         "CREATE FUNCTION " +
         s +
         ".kx_like(x anyelement, p text) RETURNS boolean LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$\n"
         "SELECT " +
         s +
         ".kx_like(x::text, p) $f$;\n"
         "CREATE OPERATOR " +
         s + ".~~~ (LEFTARG = text, RIGHTARG = text, FUNCTION = " + s +
         ".kx_like);\n"
         "CREATE OPERATOR " +
         s + ".~~~ (LEFTARG = anyelement, RIGHTARG = text, FUNCTION = " + s + ".kx_like);\n";
}

// Like on a double column matches the value as the grid shows it (the client's FormatNumber):
// whole numbers under 10^15 in full, the rest in the shorter of the fixed and the exponent form
// of the shortest digits that read back (fixed on a tie, whole numbers in fixed form exact),
// exponents as "E+20", "E-07".
constexpr const char* kGridTextFunctions = R"sql(
CREATE FUNCTION @.kx_exact_whole(x double precision) RETURNS text LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $f$
DECLARE
  m double precision := pg_catalog.abs(x);
  e int := 0;
  r numeric;
BEGIN
  WHILE m >= 9007199254740992 LOOP
    m := m / 2;
    e := e + 1;
  END LOOP;
  r := m::bigint;
  FOR j IN 1..e LOOP
    r := r * 2;
  END LOOP;
  RETURN r::text;
END $f$;
CREATE FUNCTION @.kx_grid_text(x double precision) RETURNS text LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE
SET extra_float_digits = 1 AS $f$
DECLARE
  m text[];
  i text;
  f text;
  d text;
  k int;
  n int;
  fixed text;
  sci text;
BEGIN
  IF x = 'NaN'::double precision THEN RETURN 'NaN'; END IF;
  IF x = 'Infinity'::double precision THEN RETURN 'Infinity'; END IF;
  IF x = '-Infinity'::double precision THEN RETURN '-Infinity'; END IF;
  IF x = pg_catalog.trunc(x) AND pg_catalog.abs(x) < 1e15 THEN RETURN x::bigint::text; END IF;
  m := pg_catalog.regexp_match(x::text, '^(-?)([0-9]+)(?:\.([0-9]+))?(?:e([+-][0-9]+))?$');
  i := pg_catalog.ltrim(m[2], '0');
  f := COALESCE(m[3], '');
  IF i <> '' THEN
    d := i || f;
    k := pg_catalog.length(i);
  ELSE
    d := pg_catalog.ltrim(f, '0');
    k := pg_catalog.length(d) - pg_catalog.length(f);
  END IF;
  k := k + COALESCE(m[4], '0')::int;
  d := pg_catalog.rtrim(d, '0');
  n := pg_catalog.length(d);
  IF k >= n AND pg_catalog.abs(x) >= 9007199254740992 THEN
    fixed := @.kx_exact_whole(x);
  ELSIF k <= 0 THEN
    fixed := '0.' || pg_catalog.repeat('0', -k) || d;
  ELSIF k >= n THEN
    fixed := d || pg_catalog.repeat('0', k - n);
  ELSE
    fixed := pg_catalog.substr(d, 1, k) || '.' || pg_catalog.substr(d, k + 1);
  END IF;
  sci := pg_catalog.substr(d, 1, 1) || CASE WHEN n > 1 THEN '.' || pg_catalog.substr(d, 2) ELSE '' END || 'E' ||
         CASE WHEN k < 1 THEN '-' ELSE '+' END ||
         CASE WHEN pg_catalog.abs(k - 1) < 10 THEN '0' ELSE '' END || pg_catalog.abs(k - 1)::text;
  RETURN m[1] || CASE WHEN pg_catalog.length(sci) < pg_catalog.length(fixed) THEN sci ELSE fixed END;
END $f$;
CREATE FUNCTION @.kx_like(x double precision, p text) RETURNS boolean LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$
SELECT @.kx_like(@.kx_grid_text(x), p) $f$;
CREATE OPERATOR @.~~~ (LEFTARG = double precision, RIGHTARG = text, FUNCTION = @.kx_like);
)sql";

// SQLite's table information for the job grid: name, position in the primary key, type, where
// an identity key reads INTEGER as SQLite's row id does.
std::string TableInfoFunction(const std::string& s) {
  return "CREATE FUNCTION " + s +
         ".kx_table_info(tbl text) RETURNS TABLE (name text, pk integer, type text) LANGUAGE sql STABLE AS "
         "$f$\n"
         "SELECT a.attname::text,\n"
         "       COALESCE(pg_catalog.array_position(i.indkey::int2[], a.attnum)"
         " - pg_catalog.array_lower(i.indkey::int2[], 1) + 1, 0)::integer,\n"
         "       CASE WHEN a.attidentity <> '' THEN 'INTEGER' ELSE "
         "pg_catalog.upper(pg_catalog.format_type(a.atttypid, a.atttypmod)) END\n"
         "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid\n"
         "LEFT JOIN pg_catalog.pg_index i ON i.indrelid = c.oid AND i.indisprimary\n"
         "WHERE c.relnamespace = " +
         PgLiteral(s) +
         "::regnamespace AND c.relname = tbl AND a.attnum > 0 AND NOT a.attisdropped\n"
         "ORDER BY a.attnum $f$;\n";
}

constexpr const char* kTables = R"sql(
CREATE TABLE "NCDATA" (
  "ID" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  "Filename" text,
  "ProgramNumber" text,
  "DataType" integer DEFAULT 0,
  "Machine" text,
  "Machineset" text,
  "MachinesetMax" text,
  "Text10" text,
  "ElecRefFilename" text,
  "NestComment" text,
  "Version" integer,
  "Author" text,
  "Programmer" text,
  "Createdate" timestamp(0) without time zone,
  "DataArchive" smallint DEFAULT 0,
  "Released" smallint DEFAULT 0,
  "NestStatus" smallint DEFAULT 0,
  "Adresstext" text,
  "OrderNumber" text,
  "Material" text,
  "Materialthickness" double precision,
  "Name" text,
  "Customer" text,
  "Comment" text,
  "VEMIX_SEQUENCE" integer
);
CREATE UNIQUE INDEX "NCDATA_Filename" ON "NCDATA" ((kx_fold("Filename")) COLLATE kx_root NULLS FIRST);
CREATE UNIQUE INDEX "NCDATA_ProgramNumber" ON "NCDATA" ((kx_fold("ProgramNumber")) COLLATE kx_root NULLS FIRST);
CREATE INDEX "NCDATA_Machine" ON "NCDATA" ((kx_fold("Machine")) COLLATE kx_root NULLS FIRST);
CREATE INDEX "NCDATA_Machineset" ON "NCDATA" ((kx_fold("Machineset")) COLLATE kx_root NULLS FIRST);
CREATE INDEX "NCDATA_Filename_Numeric" ON "NCDATA" ((kx_cdbl("Filename")) NULLS FIRST) WHERE kx_isnumeric("Filename");
CREATE INDEX "NCDATA_ProgramNumber_Numeric" ON "NCDATA" ((kx_cdbl("ProgramNumber")) NULLS FIRST)
  WHERE kx_isnumeric("ProgramNumber");
CREATE TABLE "MACHINE" (
  "Machine" text,
  "DirectoryType" smallint DEFAULT 0,
  "KelbDirectory" text,
  "NcDirectory" text,
  "OptNcDirectory" text,
  "DatFileExtension" text,
  "KelbFileExtension" text,
  "KelbBakFileExtension" text,
  "NcFileExtension" text,
  "SetFileExtension" text,
  "OptNcFileExtension" text,
  "KelbCall" text,
  "NCExportDirectory" text,
  "NCExportFileExtensions" text,
  "DncCall" text,
  "TemplateFile" text,
  "ExportDirectory" text
);
CREATE UNIQUE INDEX "MACHINE_Machine" ON "MACHINE" ((kx_fold("Machine")) COLLATE kx_root NULLS FIRST);
)sql";

}  // namespace

const char* PgSchemaCheckSql() {
  return "SELECT pg_catalog.current_schema(), pg_catalog.to_regclass('kx_schema') IS NOT NULL,"
         " pg_catalog.to_regprocedure('kx_fold(text)') IS NOT NULL"
         " AND pg_catalog.to_regprocedure('kx_isnumeric(text)') IS NOT NULL"
         " AND pg_catalog.to_regprocedure('kx_cdbl(text)') IS NOT NULL"
         " AND pg_catalog.to_regprocedure('kx_like(text,text)') IS NOT NULL"
         " AND pg_catalog.to_regprocedure('kx_table_info(text)') IS NOT NULL"
         " AND EXISTS (SELECT 1 FROM pg_catalog.pg_collation WHERE collname = 'kx_root'"
         " AND collnamespace = pg_catalog.current_schema()::regnamespace)";
}

std::string PgFunctionsSql(const std::string& schema) {
  const std::string s = Ident(schema);
  return "CREATE COLLATION " + s + ".kx_root (provider = icu, locale = 'und');\n" + FoldFunctions(s) +
         NumberFunctions(s) + LikeFunctions(s) +
         ReplaceAll(kGridTextFunctions, "@.", s + ".") + TableInfoFunction(s) + "SET LOCAL search_path TO " + s +
         ";\n";
}

std::string PgVersionSql() {
  return "CREATE TABLE kx_schema (\n  version integer NOT NULL,\n  unicode_version text NOT NULL,\n"
         "  created timestamp with time zone NOT NULL DEFAULT now()\n);\n"
         "INSERT INTO kx_schema (version, unicode_version) VALUES (" +
         std::to_string(kPgSchemaVersion) + ", " + PgLiteral(UnicodeVersion()) + ");\n";
}

std::string PgJobSchemaSql(const std::string& schema) {
  return PgFunctionsSql(schema) + kTables + PgReplaceHistorySql() + PgVersionSql();
}

std::string PgTargetSchema(PGconn* conn, const std::string& name, bool refuseAnyTable) {
  constexpr const char* kSource = "DAO.DBEngine";
  PgResult check = ExecPg(
      conn,
      std::string("SELECT pg_catalog.current_schema(),"
                  " (SELECT pg_catalog.pg_encoding_to_char(encoding) FROM pg_catalog.pg_database"
                  " WHERE datname = pg_catalog.current_database()),") +
          (refuseAnyTable
               ? " EXISTS (SELECT 1 FROM pg_catalog.pg_class WHERE relnamespace ="
                 " pg_catalog.current_schema()::regnamespace) OR pg_catalog.to_regprocedure('kx_fold(text)')"
                 " IS NOT NULL,"
               : " pg_catalog.to_regclass('kx_schema') IS NOT NULL OR pg_catalog.to_regclass('\"NCDATA\"')"
                 " IS NOT NULL OR pg_catalog.to_regclass('\"MACHINE\"') IS NOT NULL,") +
          " EXISTS (SELECT 1 FROM pg_catalog.pg_collation WHERE collprovider = 'i')",
      name, kSource);
  const auto text = [&](int col) { return std::string(PQgetvalue(check.get(), 0, col)); };
  const std::string where = "'" + name + "'";
  if (PQgetisnull(check.get(), 0, 0))
    throw KxError(
        dberr::CannotOpen, kSource,
        "Cannot create a job database in " + where + ": its search_path names no schema that exists.");
  const std::string schema = text(0);
  if (text(1) != "UTF8")
    throw KxError(dberr::CannotOpen, kSource,
                  "Cannot create a job database in " + where + ": the database uses the encoding " + text(1) +
                      "; a job database needs UTF8.");
  if (text(2) == "t")
    throw KxError(dberr::AlreadyExists, kSource,
                  "Database already exists: schema \"" + schema + "\" of " + where +
                      (refuseAnyTable ? " is not empty." : " holds a job database or its tables."));
  if (text(3) != "t")
    throw KxError(
        dberr::CannotOpen, kSource,
        "Cannot create a job database in " + where + ": the server was built without ICU collations.");
  return schema;
}

void CreatePgJobDatabase(const std::string& name, int lockTimeoutMs) {
  PgConnHandle conn = ConnectPg(name, lockTimeoutMs);
  const std::string schema = PgTargetSchema(conn.get(), name, false);
  ExecPg(conn.get(), "BEGIN;\n" + PgJobSchemaSql(schema) + "COMMIT;", name, "DAO.DBEngine");
}

}  // namespace kx::detail
