// Statement builders for the job table and the machine table.
#include <gtest/gtest.h>

#include "job_database.h"
#include "jobdata/mdlDatabase.h"

namespace kx {
namespace {

TEST(GetSqlNcData, ConditionsJoinAfterTheDataTypeFilter) {
  EXPECT_EQ(GetSqlNcData("*", 5, "[Machine]='M1'", true, "[Filename] DESC", true),
            "SELECT * FROM NCDATA WHERE [DataType]=5 AND [Machine]='M1' ORDER BY [Filename] DESC");
  // Data type 0 is a filter; only -1 and below mean none.
  EXPECT_EQ(GetSqlNcData("Filename", 0, "", false, "", false),
            "SELECT Filename FROM NCDATA WHERE [DataType]=0");
  EXPECT_EQ(GetSqlNcData("Filename", -1, "", false, "", false), "SELECT Filename FROM NCDATA");
  EXPECT_EQ(GetSqlNcData("Filename", -7, "x=1", true, "", false), "SELECT Filename FROM NCDATA WHERE x=1");
  EXPECT_EQ(GetSqlNcData("a", 2147483647, "", true, "", true),
            "SELECT a FROM NCDATA WHERE [DataType]=2147483647");
}

TEST(GetSqlNcData, SwitchedOffOrEmptyPartsAddNothing) {
  EXPECT_EQ(GetSqlNcData("*", -1, "x=1", false, "y", false), "SELECT * FROM NCDATA");
  EXPECT_EQ(GetSqlNcData("*", -1, "", true, "", true), "SELECT * FROM NCDATA");
  EXPECT_EQ(GetSqlNcData("*", -1, "", true, "y", true), "SELECT * FROM NCDATA ORDER BY y");
  // The join looks for " FROM NCDATA WHERE " in any case, in what is built so far.
  EXPECT_EQ(GetSqlNcData("x from ncdata where 1=1 or y", -1, "z=2", true, "", false),
            "SELECT x from ncdata where 1=1 or y FROM NCDATA AND z=2");
}

TEST(GetSqlNcData, StatementsOfThePlaceholderExpansion) {
  EXPECT_EQ(GetSqlNcData("*", -1, "filename='" + std::string("A100") + "'", true, "", false),
            "SELECT * FROM NCDATA WHERE filename='A100'");
  EXPECT_EQ(GetSqlMachine("*", "Machine='" + std::string("M 1") + "'", true, "", false),
            "SELECT * FROM MACHINE WHERE Machine='M 1'");
}

TEST(GetSqlMachine, OptionalConditionAndSort) {
  EXPECT_EQ(GetSqlMachine("[Machine]", "", false, "", false), "SELECT [Machine] FROM MACHINE");
  EXPECT_EQ(GetSqlMachine("*", "a=1", true, "[Machine]", true),
            "SELECT * FROM MACHINE WHERE a=1 ORDER BY [Machine]");
  EXPECT_EQ(GetSqlMachine("*", "a=1", false, "[Machine]", false), "SELECT * FROM MACHINE");
  EXPECT_EQ(GetSqlMachine("*", "", true, "b", true), "SELECT * FROM MACHINE ORDER BY b");
}

using BuiltStatements = test::JobDbTest;

TEST_F(BuiltStatements, RunOnTheEngine) {
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

}  // namespace
}  // namespace kx
