// The dialect as the PostgreSQL engine writes it, and which DbName names which engine. No server
// needed: the server's catalog is made up here.
#include <gtest/gtest.h>

#include "platform/db_name.h"
#include "platform/sql_catalog.h"
#include "platform/sql_dialect.h"

namespace kx {
namespace {

SqlCatalog JobCatalog() {
  SqlCatalog c;
  auto& job = c.AddTable("NCDATA");
  job.columns = {{"ID", ColumnKind::Number},          {"Filename", ColumnKind::Text},
                 {"ProgramNumber", ColumnKind::Text}, {"DataType", ColumnKind::Number},
                 {"Material", ColumnKind::Text},      {"Createdate", ColumnKind::Date},
                 {"Machineset", ColumnKind::Text, true}};
  c.AddTable("MACHINE").columns = {{"Machine", ColumnKind::Text}};
  return c;
}

std::string T(std::string_view sql, long maxRows = 0) {
  static const SqlCatalog catalog = JobCatalog();
  return TranslateStatement(sql, {maxRows, SqlEngine::Postgres, &catalog});
}

TEST(PgDialect, NamesTakeTheStoredSpellingAndAliasesKeepTheirs) {
  EXPECT_EQ(T("select filename, [PROGRAMNUMBER], Other from data"),
            "select \"Filename\", \"ProgramNumber\", Other from \"NCDATA\"");
  EXPECT_EQ(T("SELECT V FROM (SELECT Filename as v FROM DATA) Order By CDbl([V]) DESC"),
            "SELECT \"v\" FROM (SELECT \"Filename\" as \"v\" FROM \"NCDATA\") AS kx_s1 Order By "
            "kx_cdbl(\"v\") DESC NULLS LAST");
  // Names of tables the statement does not read stay as written.
  EXPECT_EQ(T("select [name], [pk] from pragma_table_info('NCDATA')"),
            "select \"name\", \"pk\" from kx_table_info('NCDATA')");
  EXPECT_EQ(T("select rowid as [KxGridRowId], * from NcData where rowid = 5"),
            "select \"ID\" as \"KxGridRowId\", * from \"NCDATA\" where \"ID\" = 5");
  EXPECT_EQ(T("Machine"), "SELECT * FROM \"MACHINE\"");
  // A page of the job grid: the key in index order (never Null), then the page's bounds.
  EXPECT_EQ(T("select rowid as [KxGridRowId], * from NcData order by rowid desc limit 100 offset 200", 100),
            "select \"ID\" as \"KxGridRowId\", * from \"NCDATA\" order by \"ID\" desc limit 100 offset 200");
}

TEST(PgDialect, TextComparisonsAndSortsUseTheFolds) {
  EXPECT_EQ(
      T("select Count(*) from data where [ProgramNumber]='AB12'"),
      "select Count(*) from \"NCDATA\" where kx_fold(\"ProgramNumber\") COLLATE kx_root=kx_fold('AB12')");
  EXPECT_EQ(
      T("select Filename from data where Not IsNumeric(Filename) and Filename > \"AB\" And Filename like "
        "\"AB*\" order by Filename"),
      "select \"Filename\" from \"NCDATA\" where Not kx_isnumeric(\"Filename\") and kx_fold(\"Filename\") "
      "COLLATE kx_root > kx_fold('AB') And \"Filename\" ~~~ 'AB*' order by kx_fold(\"Filename\") COLLATE "
      "kx_root NULLS FIRST");
  EXPECT_EQ(
      T("select * from data where Material in ('a', \"B\") and not Material like 'x'"),
      "select * from \"NCDATA\" where kx_fold(\"Material\") COLLATE kx_root in (kx_fold('a'), kx_fold('B')) "
      "and not \"Material\" ~~~ 'x'");
  // Numbers stay numbers; a number column against a text follows SQLite's affinity.
  EXPECT_EQ(
      T("select * from data where IIF(IsNumeric(Filename), CDbl(Filename),-1) > 42"),
      "select * from \"NCDATA\" where CASE WHEN (kx_isnumeric(\"Filename\")) THEN ( kx_cdbl(\"Filename\")) "
      "ELSE (-1) END > 42");
  EXPECT_EQ(
      T("update NcData set [DataType] = \"\" where [DataType] = \"\" or [DataType] = ' 5 '"),
      "update \"NCDATA\" set \"DataType\" = '' where (CASE WHEN \"DataType\" IS NULL THEN NULL ELSE FALSE "
      "END) or \"DataType\" = (5)");
  EXPECT_EQ(T("select * from data where Createdate > '2024'"),
            "select * from \"NCDATA\" where (\"Createdate\")::text COLLATE \"C\" > '2024'");
}

TEST(PgDialect, DistinctAndUnionDropRowsEqualAfterFolding) {
  EXPECT_EQ(
      T("select Distinct [Machine] from machine order by [Machine] ASC"),
      "SELECT * FROM (SELECT DISTINCT ON (kx_fold(\"Machine\") COLLATE \"C\") \"Machine\" from \"MACHINE\") "
      "AS kx_q1 order by kx_fold(\"Machine\") COLLATE kx_root ASC NULLS FIRST");
  EXPECT_EQ(
      T("SELECT Filename FROM (SELECT Filename FROM Data union SELECT ProgramNumber as Filename FROM Data)",
        1),
      "SELECT \"Filename\" FROM (SELECT DISTINCT ON (kx_fold(kx_c1) COLLATE \"C\") kx_c1 AS \"Filename\" "
      "FROM "
      "(SELECT \"Filename\" FROM \"NCDATA\" UNION ALL SELECT \"ProgramNumber\" as \"Filename\" FROM "
      "\"NCDATA\") AS kx_u1 (kx_c1)) AS kx_s2 LIMIT 1");
  // A column with a fold index: one seek per distinct value instead of a read of every row; with
  // a condition, or a column without the index, the DISTINCT ON above.
  EXPECT_EQ(T("select Distinct [Machineset] from data order by [Machineset] ASC").rfind(
                "SELECT * FROM (WITH RECURSIVE kx_r (k) AS ((SELECT kx_fold(\"Machineset\") COLLATE kx_root FROM "
                "\"NCDATA\" WHERE ",
                0),
            0u);
  for (const char* other : {"select distinct Machineset from data where Filename > 'a'",
                            "select distinct Material from data", "select distinct data.Machineset from data",
                            "select distinct Machineset, Material from data"})
    EXPECT_NE(T(other).find("DISTINCT ON"), std::string::npos) << other;
  // Without a text column, or with more than unions, the set operation stays as it is.
  EXPECT_EQ(T("select DataType from data union all select 1 from data order by 1 desc"),
            "SELECT * FROM (select \"DataType\" from \"NCDATA\" union all select 1 from \"NCDATA\") AS kx_q1 "
            "order by 1 desc NULLS LAST");
}

TEST(PgDialect, ServerNamesAreConnectionStrings) {
  for (const char* name : {"postgresql://srv/jobs", "POSTGRES://srv:5433/jobs?sslmode=require",
                           "host=srv dbname=jobs", " service=shop", "dbname = jobs"})
    EXPECT_TRUE(IsServerDbName(name)) << name;
  for (const char* name : {"C:\\Jobs\\jobs.db", "D:\\a=b\\jobs.db", "/srv/jobs.db", "jobs.db", "hostname=x",
                           "x host=srv", "\\\\srv\\share\\dbname=x", "", "Host=srv"})
    EXPECT_FALSE(IsServerDbName(name)) << name;
}

}  // namespace
}  // namespace kx
