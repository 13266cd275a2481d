// Value proposals read from a real job database.
#include <gtest/gtest.h>

#include "../platform/job_db_fixture.h"
#include "config/shared_state.h"
#include "dialogs/next_value_query.h"

namespace kx {
namespace {
using test::kNull;

class NextValueQueryTest : public test::JobDbTest {
 protected:
  void Configure(const std::string& torvel) {
    Shared().gsIniFile = dir_.Write("torvel.cfg", "[TORVEL]\r\n" + torvel).string();
  }
  ~NextValueQueryTest() override { Shared().gsIniFile.clear(); }
};

TEST_F(NextValueQueryTest, NumericMaximumIsZeroFilledOnlyWhenShorter) {
  AddKeys("AB1", "12");
  AddKeys("AB2", "9");
  AddKeys("AB3", "x77");
  EXPECT_EQ(GetNewStrMaxValue(path_, 2, 2, 5), "00013");
  AddKeys("AB4", "123");
  EXPECT_EQ(GetNewStrMaxValue(path_, 2, 2, 2), "124");
}

TEST_F(NextValueQueryTest, AlphanumericMaximumIgnoresNumbersInOneColumnButNotAcrossBoth) {
  AddKeys("AB", "P1");
  AddKeys("ac", "P2");
  AddKeys("100", "P3");
  // Text order ignores case: ac is the largest file name.
  EXPECT_EQ(GetNewStrMaxValue(path_, 1, 1, 0), "ad");

  Open()->Execute("DELETE FROM NCDATA");
  AddKeys("99", kNull);
  AddKeys("100", kNull);
  // Over both columns the largest in text order is continued: "99" sorts above "100".
  EXPECT_EQ(GetNewStrMaxValue(path_, 0, 1, 0), "100");
}

TEST_F(NextValueQueryTest, EmptyTableProposesNothing) {
  EXPECT_EQ(GetNewStrMaxValue(path_, 1, 1, 4), "");
  EXPECT_EQ(GetNewStrMaxValue(path_, 0, 2, 4), "");
  EXPECT_EQ(GetNewStrNextValue(path_, "", 1, 0), "");
}

TEST_F(NextValueQueryTest, NextFreeValueFillsGapsWithoutRegardToCase) {
  AddKeys("AB13", "1");
  AddKeys("ab14", "2");
  AddKeys("AB16", "3");
  AddKeys("XY15", "4");
  EXPECT_EQ(GetNewStrNextValue(path_, "AB12", 1, 0), "AB15");

  AddKeys("ABC", "5");
  EXPECT_EQ(GetNewStrNextValue(path_, "abb", 1, 0), "abd");
}

TEST_F(NextValueQueryTest, NonAsciiValuesAreTakenWithoutRegardToCaseToo) {
  AddKeys("äb13", "1");
  AddKeys("ÄB14", "2");
  AddKeys("ab15", "3");
  EXPECT_EQ(GetNewStrNextValue(path_, "ÄB12", 1, 0), "ÄB15");
  // An accent is no case: "ab13" is not taken by "äb13".
  EXPECT_EQ(GetNewStrNextValue(path_, "AB12", 1, 0), "AB13");
}

// The index returns "AB_9" before "AB-1" before "AB1", while in plain byte order "_" comes
// after the digits: the search must still find every taken value.
TEST_F(NextValueQueryTest, TakenValuesAreFoundWhateverOrderTheIndexGivesThem) {
  for (int i = 1; i <= 200; ++i) AddKeys("AB_" + std::to_string(i), "Q" + std::to_string(i));
  for (int i = 1; i <= 40; ++i) {
    AddKeys("AB" + std::to_string(i), "P" + std::to_string(i));
    AddKeys("ab-" + std::to_string(i), "R" + std::to_string(i));
  }
  EXPECT_EQ(GetNewStrNextValue(path_, "AB0", 1, 0), "AB41");
  EXPECT_EQ(GetNewStrNextValue(path_, "AB-0", 1, 0), "AB-41");
  EXPECT_EQ(GetNewStrNextValue(path_, "AB_0", 1, 0), "AB_201");
}

TEST_F(NextValueQueryTest, NumericCandidatesArePaddedBeforeTheyAreTested) {
  AddKeys("F1", "0012");
  EXPECT_EQ(GetNewStrNextValue(path_, "0011", 2, 4), "0013");

  Open()->Execute("DELETE FROM NCDATA");
  AddKeys("F1", "12");
  // 0012 is not the stored text 12, so it is free.
  EXPECT_EQ(GetNewStrNextValue(path_, "0011", 2, 4), "0012");
}

TEST_F(NextValueQueryTest, BothColumnsFormOnePoolAndNullsAndDuplicatesAreTolerated) {
  AddKeys("A2", kNull);
  AddKeys("A3", "A4");
  AddKeys(kNull, "A5");
  AddKeys("B1", "A2x");
  EXPECT_EQ(GetNewStrNextValue(path_, "A1", 0, 0), "A6");
  EXPECT_EQ(GetNewStrNextValue(path_, "", 0, 0), "");
}

TEST_F(NextValueQueryTest, DoubleQuoteInTheStartValueIsQuotedInTheStatement) {
  AddKeys("X\"2", "1");
  EXPECT_EQ(GetNewStrNextValue(path_, "X\"1", 1, 0), "X\"3");
}

TEST_F(NextValueQueryTest, DispatcherReadsStrategyLengthAndCaseAtEachCall) {
  AddKeys("ab12", "7");
  Configure("AutoValueType=0\r\nKeyValueUpperAndLowerCase=1\r\n");
  EXPECT_EQ(GetNewStrValue(path_, "ab11", 1), "AB13");
  Configure("AutoValueType=2\r\nAutoValueNumericLength=3\r\nKeyValueUpperAndLowerCase=2\r\n");
  EXPECT_EQ(GetNewStrValue(path_, "ignored", 2), "008");
  // An unknown strategy proposes the next free value.
  Configure("AutoValueType=7\r\n");
  EXPECT_EQ(GetNewStrValue(path_, "ab11", 1), "ab13");
}

TEST_F(NextValueQueryTest, MissingDatabaseIsReportedToTheCaller) {
  EXPECT_THROW(GetNewStrMaxValue((dir_ / "none.db").string(), 1, 1, 0), KxError);
}

}  // namespace
}  // namespace kx
