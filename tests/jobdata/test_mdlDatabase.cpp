// Statement builders for the job table and the machine table.
#include <gtest/gtest.h>

#include "case_table.h"
#include "job_database.h"
#include "jobdata/mdlDatabase.h"

namespace kx {
namespace {

// The cases of tests/data/cases/statements.txt.
TEST(StatementBuilders, BuildTheirCases) {
  for (const test::Case& c : test::Cases("statements.txt")) {
    const auto& in = c.in;
    EXPECT_EQ(in[0] == "GetSqlNcData"
                  ? GetSqlNcData(in[1], std::stoi(in[2]), in[3], in[4] == "1", in[5], in[6] == "1")
                  : GetSqlMachine(in[1], in[2], in[3] == "1", in[4], in[5] == "1"),
              c.out)
        << c.line;
  }
}

using BuiltStatements = test::OnEachEngine<test::JobDbTest>;

TEST_P(BuiltStatements, RunOnTheEngine) {
  auto conn = db.Open();
  conn->Execute(
      "INSERT INTO NCDATA (Filename, DataType, Machine) VALUES ('A1', 5, 'M1'), ('A2', 0, 'M1'), ('A3', 5, "
      "'M2')");
  conn->Execute("INSERT INTO MACHINE (Machine, NcDirectory) VALUES ('M1', 'D:\\Nc')");
  auto rs = conn->OpenRecordset(GetSqlNcData("Filename", 5, "[Machine]='m1'", true, "Filename", true));
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->Fields(0).Value().ToText(), "A1");
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  auto m = conn->OpenRecordset(GetSqlMachine("*", "Machine='M1'", true, "", false));
  EXPECT_EQ(m->Fields("NcDirectory").Value().ToText(), "D:\\Nc");
}

KX_ON_EACH_ENGINE(BuiltStatements);

}  // namespace
}  // namespace kx
