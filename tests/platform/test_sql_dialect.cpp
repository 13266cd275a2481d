// Translation of the job manager's dialect into SQLite's, token by token.
#include <gtest/gtest.h>

#include "case_table.h"
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

// The cases of tests/data/cases/sql_dialect.txt, token by token.
TEST(SqlDialect, StatementsTranslate) {
  for (const test::Case& c : test::Cases("sql_dialect.txt"))
    EXPECT_EQ(T(c.in[1], std::stol(c.in[0])), c.out) << c.line;
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
