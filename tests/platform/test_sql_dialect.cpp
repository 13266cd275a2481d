// Translation of the job manager's dialect into SQLite's, token by token.
#include <gtest/gtest.h>

#include "core/error.h"
#include "error_of.h"
#include "platform/database.h"
#include "platform/sql_dialect.h"

namespace kx {
namespace {

std::string T(std::string_view sql, long maxRows = 0) { return TranslateStatement(sql, {maxRows}); }

long ErrorNumber(std::string_view sql) {
  return test::ErrorOf([&] { T(sql); }).Number();
}

TEST(SqlDialect, LiteralsAndNames) {
  EXPECT_EQ(T("select * from x where a = \"O'Brien\""), "select * from x where a = 'O''Brien'");
  EXPECT_EQ(T("select * from x where a = \"say \"\"hi\"\"\""), "select * from x where a = 'say \"hi\"'");
  EXPECT_EQ(T("select * from x where a = 'it''s \"x\"'"), "select * from x where a = 'it''s \"x\"'");
  EXPECT_EQ(T("select [Order Number], [a\"b] from x"), "select \"Order Number\", \"a\"\"b\" from x");
  // Words inside literals are never rewritten.
  EXPECT_EQ(T("select * from x where a = \"data like iif(\""), "select * from x where a = 'data like iif('");
}

TEST(SqlDialect, TableNamesOnlyInTablePosition) {
  EXPECT_EQ(T("select Data from data"), "select Data from NCDATA");
  EXPECT_EQ(T("SELECT * FROM [NcData] WHERE x=1"), "SELECT * FROM \"NCDATA\" WHERE x=1");
  EXPECT_EQ(T("Update NcData SET [Machine] = Null"), "Update NCDATA SET \"Machine\" = Null");
  EXPECT_EQ(T("select Machine from machine, Data d where Data.Machine = d.Machine"),
            "select Machine from MACHINE, NCDATA d where NCDATA.Machine = d.Machine");
  EXPECT_EQ(T("insert into DATA (Filename) values ('a')"), "insert into NCDATA (Filename) values ('a')");
  EXPECT_EQ(T("SELECT V FROM (SELECT Filename as V FROM DATA UNION SELECT Programnumber as V FROM Data) "
              "Order By [V]"),
            "SELECT V FROM (SELECT Filename as V FROM NCDATA UNION SELECT Programnumber as V FROM NCDATA) "
            "Order By \"V\"");
  // A bare table name opens the table.
  EXPECT_EQ(T(" Data "), "SELECT * FROM \"NCDATA\"");
}

TEST(SqlDialect, LikeAndIif) {
  EXPECT_EQ(T("select * from x where a like \"AB*\" and not b Like 'c'"),
            "select * from x where a MATCH 'AB*' and not b MATCH 'c'");
  EXPECT_EQ(T("select IIF(IsNumeric(a), CDbl(a),-1) from x"),
            "select CASE WHEN (IsNumeric(a)) THEN ( CDbl(a)) ELSE (-1) END from x");
  EXPECT_EQ(T("select iif(a, iif(b, 1, 2), f(3, 4)) from x"),
            "select CASE WHEN (a) THEN ( CASE WHEN (b) THEN ( 1) ELSE ( 2) END) ELSE ( f(3, 4)) END from x");
  // Not the three-argument shape: left to the engine, which reports it.
  EXPECT_EQ(T("select iif(a, b) from x"), "select iif(a, b) from x");
}

TEST(SqlDialect, FirstRowHintAndStatementEnd) {
  EXPECT_EQ(T("select a from x order by a desc;", 1), "select a from x order by a desc LIMIT 1");
  EXPECT_EQ(T("select a from (select a from x limit 5) order by a", 1),
            "select a from (select a from x limit 5) order by a LIMIT 1");
  EXPECT_EQ(T("select a from x limit 3", 1), "select a from x limit 3");
  EXPECT_EQ(T("update x set a = 1", 1), "update x set a = 1");
  EXPECT_EQ(T("select 5--3 from x"), "select 5- -3 from x");
}

TEST(SqlDialect, MalformedStatements) {
  EXPECT_EQ(ErrorNumber("select * from x where a = \"open"), dberr::Syntax);
  EXPECT_EQ(ErrorNumber("select * from x where a = 'open"), dberr::Syntax);
  EXPECT_EQ(ErrorNumber("select [open from x"), dberr::Syntax);
  EXPECT_EQ(ErrorNumber("   "), dberr::Syntax);
  EXPECT_EQ(ErrorNumber("select 1; select 2"), dberr::TrailingText);
  EXPECT_NO_THROW(T("select 1; ;  "));
}

TEST(SqlDialect, QuotingHelperDoublesTheQuoteCharacter) {
  EXPECT_EQ(QuoteSqlText("O'Brien", '\''), "'O''Brien'");
  EXPECT_EQ(QuoteSqlText("1\"", '"'), "\"1\"\"\"");
  EXPECT_EQ(QuoteSqlText("", '\''), "''");
  // A quoted value reads back as itself through the translator.
  EXPECT_EQ(T("select " + QuoteSqlText("a\"'b", '"')), "select 'a\"''b'");
}

}  // namespace
}  // namespace kx
