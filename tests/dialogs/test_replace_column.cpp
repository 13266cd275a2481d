// Setting one column for every matching job, on a real job database: the whole replace road
// below the dialog and the command line.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "case_table.h"
#include "core/error.h"
#include "dialogs/replace_column.h"
#include "job_database.h"
#include "platform/database.h"

namespace kx {
namespace {

using Strings = std::vector<std::string>;

// The jobs A to E with the materials ST52, ST37, AL99, Null and "".
class ReplaceColumnWorld : public test::JobDbTest {
 protected:
  ReplaceColumnWorld() { db.Seed("materials.sql"); }
  Strings Materials() const { return db.Rows("select Filename, Material from NcData order by ID"); }
};
using ReplaceColumnTest = test::OnEachEngine<ReplaceColumnWorld>;

TEST(ReplaceColumnNames, KeyColumnsInAnyCaseAndNamesThatCouldLeaveTheirBracketsAreRefused) {
  for (const char* key :
       {"Filename", "FILENAME", "filename", "ProgramNumber", "PROGRAMNUMBER", "programnumber"}) {
    EXPECT_TRUE(IsKeyColumn(key)) << key;
    EXPECT_FALSE(IsReplaceableColumn(key)) << key;
    EXPECT_EQ(test::ErrorOf([&] { ReplaceCondition(key, "x"); }).Number(), err::InvalidProcedureCall) << key;
  }
  EXPECT_FALSE(IsKeyColumn("Filename2"));
  EXPECT_TRUE(IsReplaceableColumn("Material"));
  EXPECT_FALSE(IsReplaceableColumn("Material] = 1; --"));
  EXPECT_FALSE(IsReplaceableColumn(""));
  EXPECT_THROW(ReplaceUpdateStatement("a]b", "x", "y"), KxError);
  EXPECT_THROW(ReplaceCountStatement("", "x"), KxError);
}

// The cases of tests/data/cases/replace_statements.txt.
TEST(ReplaceColumnStatements, ConditionValueAndQuestionText) {
  const std::map<std::string, std::function<std::string(const std::vector<std::string>&)>> rules = {
      {"ReplaceCountStatement", [](const auto& in) { return ReplaceCountStatement(in[1], in[2]); }},
      {"ReplaceUpdateStatement", [](const auto& in) { return ReplaceUpdateStatement(in[1], in[2], in[3]); }},
      {"ReplaceCondition", [](const auto& in) { return ReplaceCondition(in[1], in[2]); }},
      {"ReplaceValueLiteral", [](const auto& in) { return ReplaceValueLiteral(in[1]); }},
      {"ReplaceQuestionText", [](const auto& in) { return ReplaceQuestionText(in[1], std::stol(in[2])); }}};
  for (const test::Case& c : test::Cases("replace_statements.txt"))
    EXPECT_EQ(rules.at(c.in[0])(c.in), c.out) << c.line;
}

TEST_P(ReplaceColumnTest, PatternsCountAndSetOnlyTheMatchingJobs) {
  const struct {
    const char* pattern;
    long count;
  } patterns[] = {{"st*", 2},   {"ST##", 2}, {"S?", 0}, {"[a-c]*", 1},
                  {"[!s]*", 1}, {"ST%", 0},  {"S_", 0}, {"", 2}};  // SQL wildcards are plain text
  for (const auto& p : patterns)
    EXPECT_EQ(CountMatching(db.Path(), "Material", p.pattern), p.count) << p.pattern;
  EXPECT_EQ(ReplaceMatching(db.Path(), "Material", "ST*", "X1"), 2);
  EXPECT_EQ(Materials(), (Strings{"A|X1", "B|X1", "C|AL99", "D|<Null>", "E|"}));
  // The empty pattern takes empty and Null; the empty value stores Null.
  EXPECT_EQ(ReplaceMatching(db.Path(), "Material", "", "new"), 2);
  EXPECT_EQ(ReplaceMatching(db.Path(), "Material", "x1", ""), 2);
  EXPECT_EQ(Materials(), (Strings{"A|<Null>", "B|<Null>", "C|AL99", "D|new", "E|new"}));
  EXPECT_EQ(ReplaceMatching(db.Path(), "Material", "AL*x", "X"), 0);
}

TEST_P(ReplaceColumnTest, QuotesInPatternAndValueAreTakenAsTyped) {
  db.AddJob({{"Filename", "F"}, {"Material", "12\" pipe"}});
  // A pattern that would close its literal and widen the condition matches only its own text.
  EXPECT_EQ(CountMatching(db.Path(), "Material", "x\" or \"\"=\""), 0);
  EXPECT_EQ(CountMatching(db.Path(), "Material", "12\"*"), 1);
  EXPECT_EQ(ReplaceMatching(db.Path(), "Material", "12\" pipe", "3/4\" \"hose\""), 1);
  EXPECT_EQ(Materials().back(), "F|3/4\" \"hose\"");
}

TEST_P(ReplaceColumnTest, EngineErrorsReachTheCaller) {
  EXPECT_EQ(test::ErrorOf([&] { CountMatching(db.Path(), "NoSuchColumn", "x"); }).Number(),
            dberr::UnknownName);
  const std::string missing = (env / "gone.db").string();
  EXPECT_EQ(test::ErrorOf([&] { ReplaceMatching(missing, "Material", "x", "y"); }).Number(),
            dberr::FileNotFound);
  // A key column is refused before the database is touched.
  EXPECT_EQ(test::ErrorOf([&] { ReplaceMatching(missing, "filename", "x", "y"); }).Number(),
            err::InvalidProcedureCall);
}

TEST_P(ReplaceColumnTest, OpenDatabaseOverloadsRunOnTheGivenConnection) {
  auto conn = db.Open();
  EXPECT_EQ(CountMatching(*conn, "Material", "ST5#"), 1);
  EXPECT_EQ(ReplaceMatching(*conn, "Material", "ST[35]*", "X"), 2);
  conn->Close();
  EXPECT_EQ(db.Count("select count(*) from NcData where Material = 'X'"), 2);
}

KX_ON_EACH_ENGINE(ReplaceColumnTest);

}  // namespace
}  // namespace kx
