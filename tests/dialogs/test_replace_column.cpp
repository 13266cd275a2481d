// Setting one column for every matching job, on a real job database.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../platform/job_db_fixture.h"
#include "core/error.h"
#include "dialogs/replace_column.h"
#include "platform/database.h"

namespace kx {
namespace {
using test::kNull;

class ReplaceColumnTest : public test::JobDbTest {
 protected:
  void AddMaterial(const std::string& key, const test::Cell& material) const {
    AddJob({{"Filename", key}, {"ProgramNumber", key}, {"Material", material}});
  }
  // "key=material" of every job in table order.
  std::vector<std::string> Materials() const {
    auto db = Open();
    auto rs = db->OpenRecordset("select Filename, Material from NcData order by ID");
    std::vector<std::string> out;
    for (; !rs->Eof(); rs->MoveNext()) {
      const Variant m = rs->Fields(1).Value();
      out.push_back(rs->Fields(0).Value().ToText() + "=" + (m.IsNull() ? "<Null>" : m.ToText()));
    }
    return out;
  }
};

TEST(ReplaceColumnNames, KeyColumnsInAnyCaseAreNeverReplaceable) {
  for (const char* key :
       {"Filename", "FILENAME", "filename", "ProgramNumber", "PROGRAMNUMBER", "programnumber"}) {
    EXPECT_TRUE(IsKeyColumn(key)) << key;
    EXPECT_FALSE(IsReplaceableColumn(key)) << key;
    EXPECT_EQ(test::ErrorOf([&] { ReplaceCondition(key, "x"); }).Number(), err::InvalidProcedureCall) << key;
  }
  EXPECT_FALSE(IsKeyColumn("Filename2"));
  EXPECT_TRUE(IsReplaceableColumn("Material"));
}

TEST(ReplaceColumnNames, ANameThatCouldLeaveItsBracketsIsRefused) {
  EXPECT_FALSE(IsReplaceableColumn("Material] = 1; --"));
  EXPECT_FALSE(IsReplaceableColumn(""));
  EXPECT_THROW(ReplaceUpdateStatement("a]b", "x", "y"), KxError);
  EXPECT_THROW(ReplaceCountStatement("", "x"), KxError);
}

TEST(ReplaceColumnStatements, ConditionValueAndQuestionText) {
  EXPECT_EQ(ReplaceCountStatement("Material", "ST*"),
            "select count(*) from NcData where [Material] like \"ST*\"");
  EXPECT_EQ(ReplaceUpdateStatement("Material", "ST*", "ST37"),
            "Update NcData SET [Material] = \"ST37\" where [Material] like \"ST*\"");
  EXPECT_EQ(ReplaceCondition("Material", ""), "[Material] = \"\" or [Material] Is Null");
  EXPECT_EQ(ReplaceValueLiteral(""), "Null");
  EXPECT_EQ(ReplaceValueLiteral("12\" pipe"), "\"12\"\" pipe\"");
  EXPECT_EQ(ReplaceQuestionText("/1 jobs change. Change /1 jobs?", 12), "12 jobs change. Change 12 jobs?");
  EXPECT_EQ(ReplaceQuestionText("no count", 3), "no count");
}

TEST_F(ReplaceColumnTest, PatternWithWildcardsSetsOnlyTheMatchingJobs) {
  AddMaterial("A", "ST52");
  AddMaterial("B", "st37");  // text compares without case
  AddMaterial("C", "AL99");
  AddMaterial("D", kNull);
  EXPECT_EQ(CountMatching(path_, "Material", "ST*"), 2);
  EXPECT_EQ(ReplaceMatching(path_, "Material", "ST*", "X1"), 2);
  EXPECT_EQ(Materials(), (std::vector<std::string>{"A=X1", "B=X1", "C=AL99", "D=<Null>"}));
}

TEST_F(ReplaceColumnTest, EmptyPatternMatchesEmptyAndNullAndEmptyValueSetsNull) {
  AddMaterial("A", "");
  AddMaterial("B", kNull);
  AddMaterial("C", "ST52");
  EXPECT_EQ(CountMatching(path_, "Material", ""), 2);
  EXPECT_EQ(ReplaceMatching(path_, "Material", "", "new"), 2);
  EXPECT_EQ(Materials(), (std::vector<std::string>{"A=new", "B=new", "C=ST52"}));

  EXPECT_EQ(ReplaceMatching(path_, "Material", "new", ""), 2);
  EXPECT_EQ(Count("select count(*) from NcData where [Material] Is Null"), 2);
  EXPECT_EQ(Count("select count(*) from NcData where [Material] = \"\""), 0);
}

TEST_F(ReplaceColumnTest, QuotesInPatternAndValueAreTakenAsTyped) {
  AddMaterial("A", "12\" pipe");
  AddMaterial("B", "12");
  // A pattern that would close its literal and widen the condition matches only its own text.
  EXPECT_EQ(CountMatching(path_, "Material", "x\" or \"\"=\""), 0);
  EXPECT_EQ(CountMatching(path_, "Material", "12\"*"), 1);
  EXPECT_EQ(ReplaceMatching(path_, "Material", "12\" pipe", "3/4\" \"hose\""), 1);
  EXPECT_EQ(Materials(), (std::vector<std::string>{"A=3/4\" \"hose\"", "B=12"}));
}

TEST_F(ReplaceColumnTest, NoMatchCountsZeroAndChangesNothing) {
  AddMaterial("A", "ST52");
  EXPECT_EQ(CountMatching(path_, "Material", "AL*"), 0);
  EXPECT_EQ(ReplaceMatching(path_, "Material", "AL*", "X"), 0);
  EXPECT_EQ(Materials(), (std::vector<std::string>{"A=ST52"}));
}

TEST_F(ReplaceColumnTest, EngineErrorsReachTheCaller) {
  AddMaterial("A", "ST52");
  EXPECT_EQ(test::ErrorOf([&] { CountMatching(path_, "NoSuchColumn", "x"); }).Number(), dberr::UnknownName);
  const std::string missing = (dir_ / "gone.db").string();
  EXPECT_EQ(test::ErrorOf([&] { CountMatching(missing, "Material", "x"); }).Number(), dberr::FileNotFound);
  EXPECT_EQ(test::ErrorOf([&] { ReplaceMatching(missing, "Material", "x", "y"); }).Number(),
            dberr::FileNotFound);
  // A key column is refused before the database is touched.
  EXPECT_EQ(test::ErrorOf([&] { ReplaceMatching(missing, "filename", "x", "y"); }).Number(),
            err::InvalidProcedureCall);
  EXPECT_EQ(Materials(), (std::vector<std::string>{"A=ST52"}));
}

TEST_F(ReplaceColumnTest, OpenDatabaseOverloadsRunOnTheGivenConnection) {
  AddMaterial("A", "ST52");
  AddMaterial("B", "ST60");
  auto db = Open();
  EXPECT_EQ(CountMatching(*db, "Material", "ST5#"), 1);
  EXPECT_EQ(ReplaceMatching(*db, "Material", "ST[56]*", "X"), 2);
  db->Close();
  EXPECT_EQ(Materials(), (std::vector<std::string>{"A=X", "B=X"}));
}

}  // namespace
}  // namespace kx
