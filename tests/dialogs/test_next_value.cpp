// Value proposals: the successor of a key, the bounds of the taken-value search, the letter-case
// rule, and the proposals read from a real job database.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "case_table.h"
#include "config/shared_state.h"
#include "core/text.h"
#include "dialogs/mdlArithmeticBigNumbers.h"
#include "dialogs/next_value.h"
#include "dialogs/next_value_query.h"
#include "job_database.h"
#include "platform/job_table_grid.h"

namespace kx {
namespace {

// The cases of tests/data/cases/next_value.txt: successors, search bounds and the arithmetic
// on digit strings of any length.
TEST(NextValueArithmetic, RulesGiveTheirCases) {
  const std::map<std::string, std::function<std::string(const test::Case&)>> rules = {
      {"IncrementStrValue", [](const test::Case& c) { return IncrementStrValue(c.in[1]); }},
      {"GetStrSearchBounds",
       [](const test::Case& c) {
         std::string lower = "stale", pattern = "stale";
         GetStrSearchBounds(c.in[1], lower, pattern);
         return lower + "|" + pattern;
       }},
      {"AddBigNumbers", [](const test::Case& c) { return AddBigNumbers(c.in[1], c.in[2]); }},
      {"CompareBigNumbers",
       [](const test::Case& c) { return std::to_string(CompareBigNumbers(c.in[1], c.in[2])); }},
      {"NormalizeBigNumber", [](const test::Case& c) { return NormalizeBigNumber(c.in[1]); }},
      {"PadBigNumber", [](const test::Case& c) { return PadBigNumber(c.in[1], c.in[2]); }},
      {"GetBigNumberSign", [](const test::Case& c) { return std::to_string(GetBigNumberSign(c.in[1])); }},
      {"GetBigNumberAbs", [](const test::Case& c) { return GetBigNumberAbs(c.in[1]); }}};
  for (const test::Case& c : test::Cases("next_value.txt")) EXPECT_EQ(rules.at(c.in[0])(c), c.out) << c.line;
}

TEST(NextValueHelpers, TakenValuesIgnoreCaseAndTheKeyCaseRule) {
  KeyedCollection<std::string> taken;
  taken.Add("ABC", "ABC");
  taken.Add("ab13", "ab13");
  EXPECT_TRUE(CollectionHasKey(taken, "abc"));
  EXPECT_TRUE(CollectionHasKey(taken, "AB13"));
  EXPECT_FALSE(CollectionHasKey(taken, "abd"));
  EXPECT_FALSE(CollectionHasKey(taken, ""));
  EXPECT_EQ(ApplyKeyValueCase("ab12", 1), "AB12");
  EXPECT_EQ(ApplyKeyValueCase("AB12", 2), "ab12");
  EXPECT_EQ(ApplyKeyValueCase("aB12", 0), "aB12");
  EXPECT_EQ(ApplyKeyValueCase("aB12", 3), "aB12");
  EXPECT_EQ(ApplyKeyValueCase("grün ä", 1), "GRÜN Ä");
}

using test::kNull;

using NextValueQueryTest = test::OnEachEngine<test::JobDbTest>;

// Each column by value, texts left out; both columns as one pool.
TEST_P(NextValueQueryTest, NumericMaximumComparesValuesAndIsZeroFilledOnlyWhenShorter) {
  db.AddKeys("9", "12");
  db.AddKeys("10", "9");
  db.AddKeys("x77", "x99");
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 1, 2, 3), "011");
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 2, 2, 5), "00013");
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 0, 2, 0), "13");
  db.AddKeys("AB4", "123");
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 2, 2, 2), "124");
}

TEST_P(NextValueQueryTest, AlphanumericMaximumIgnoresNumbersInOneColumnButNotAcrossBoth) {
  db.AddKeys("AB", "P1");
  db.AddKeys("ac", "P2");
  db.AddKeys("100", "P3");
  // Text order ignores case: ac is the largest file name.
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 1, 1, 0), "ad");

  db.Execute("DELETE FROM NCDATA");
  db.AddKeys("99", kNull);
  db.AddKeys("100", kNull);
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 1, 1, 0), "");
  // Over both columns the largest in text order is continued: "99" sorts above "100",
  // whose successor is stored, so the next free value follows.
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 0, 1, 0), "101");
}

TEST_P(NextValueQueryTest, EmptyTableProposesNothing) {
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 1, 1, 4), "");
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 0, 2, 4), "");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "", 1, 0), "");
}

TEST_P(NextValueQueryTest, NextFreeValueFillsGapsWithoutRegardToCase) {
  db.AddKeys("AB13", "1");
  db.AddKeys("ab14", "2");
  db.AddKeys("AB16", "3");
  db.AddKeys("XY15", "4");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "AB12", 1, 0), "AB15");

  db.AddKeys("ABC", "5");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "abb", 1, 0), "abd");
}

TEST_P(NextValueQueryTest, NonAsciiValuesAreTakenWithoutRegardToCaseToo) {
  db.AddKeys("äb13", "1");
  db.AddKeys("ÄB14", "2");
  db.AddKeys("ab15", "3");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "ÄB12", 1, 0), "ÄB15");
  // An accent is no case: "ab13" is not taken by "äb13".
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "AB12", 1, 0), "AB13");
}

// The index returns "AB_9" before "AB-1" before "AB1", while in plain byte order "_" comes
// after the digits: the search must still find every taken value.
TEST_P(NextValueQueryTest, TakenValuesAreFoundWhateverOrderTheIndexGivesThem) {
  for (int i = 1; i <= 200; ++i) db.AddKeys("AB_" + std::to_string(i), "Q" + std::to_string(i));
  for (int i = 1; i <= 40; ++i) {
    db.AddKeys("AB" + std::to_string(i), "P" + std::to_string(i));
    db.AddKeys("ab-" + std::to_string(i), "R" + std::to_string(i));
  }
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "AB0", 1, 0), "AB41");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "AB-0", 1, 0), "AB-41");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "AB_0", 1, 0), "AB_201");
}

TEST_P(NextValueQueryTest, NumericCandidatesArePaddedBeforeTheyAreTested) {
  db.AddKeys("F1", "0012");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "0011", 2, 4), "0013");

  db.Open()->Execute("DELETE FROM NCDATA");
  db.AddKeys("F1", "12");
  // 0012 is not the stored text 12, so it is free.
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "0011", 2, 4), "0012");
}

TEST_P(NextValueQueryTest, BothColumnsFormOnePoolAndNullsAndDuplicatesAreTolerated) {
  db.AddKeys("A2", kNull);
  db.AddKeys("A3", "A4");
  db.AddKeys(kNull, "A5");
  db.AddKeys("B1", "A2x");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "A1", 0, 0), "A6");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "", 0, 0), "");
}

TEST_P(NextValueQueryTest, DoubleQuoteInTheStartValueIsQuotedInTheStatement) {
  db.AddKeys("X\"2", "1");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "X\"1", 1, 0), "X\"3");
}

TEST_P(NextValueQueryTest, DispatcherReadsStrategyLengthAndCaseAtEachCall) {
  db.AddKeys("ab12", "7");
  env.WriteHostConfig("AutoValueType=0\r\nKeyValueUpperAndLowerCase=1\r\n");
  EXPECT_EQ(GetNewStrValue(db.Path(), "ab11", 1), "AB13");
  env.WriteHostConfig("AutoValueType=2\r\nAutoValueNumericLength=3\r\nKeyValueUpperAndLowerCase=2\r\n");
  EXPECT_EQ(GetNewStrValue(db.Path(), "ignored", 2), "008");
  // An unknown strategy proposes the next free value.
  env.WriteHostConfig("AutoValueType=7\r\n");
  EXPECT_EQ(GetNewStrValue(db.Path(), "ab11", 1), "ab13");
}

// What the validation's uniqueness test would refuse is never proposed: wildcards in the
// start are the user's characters, digit runs beyond a double compare exactly, text order
// does not hide a stored successor, and keys no double holds are continued.
TEST_P(NextValueQueryTest, NoStrategyProposesAStoredValue) {
  const std::string nines(400, '9'), big = "1" + std::string(400, '0');
  for (const std::string& k : {std::string("A#2"), std::string("B[2"), std::string("12345678901234567891"),
                               std::string("A9"), std::string("A10"), big, std::string("1E401")})
    db.AddKeys(k, "P" + k);
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "A#1", 1, 0), "A#3");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "B[1", 1, 0), "B[3");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "12345678901234567890", 1, 0), "12345678901234567892");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), nines, 1, 0), big.substr(0, 400) + "1");
  EXPECT_EQ(GetNewStrNextValue(db.Path(), "1E400", 1, 0), "1E402");
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 1, 2, 0), "12345678901234567892");
  db.Execute("DELETE FROM NCDATA WHERE Filename <> 'A9' AND Filename <> 'A10'");
  EXPECT_EQ(GetNewStrMaxValue(db.Path(), 1, 1, 0), "A11");  // A9 is the largest text
}

// Random stores and starts (fixed seed): no proposal is a stored key ignoring case.
TEST_P(NextValueQueryTest, RandomProposalsAreNeverStoredKeys) {
  std::mt19937 rng(18);
  const std::vector<std::string> parts{"A", "a", "b", "Z", "z",  "ä",  "Ä", "#",      "[", "?", "*", "-",
                                       ".", "0", "1", "9", "00", "99", "2", "\u212A", "E", "e", "5"};
  auto random = [&](std::size_t n) {
    std::string t;
    for (std::size_t i = 1 + rng() % n; i > 0; --i) t += parts[rng() % parts.size()];
    return t;
  };
  std::vector<std::string> stored;
  const auto isStored = [&](const std::string& k) {
    return std::any_of(stored.begin(), stored.end(),
                       [&](const std::string& s) { return EqualsNoCase(s, k); });
  };
  {
    auto conn = db.Open();
    Transaction tx(*conn);
    for (int i = 0; i < 400; ++i) {
      const std::string k = random(4);
      if (isStored(k)) continue;
      conn->Execute("INSERT INTO NCDATA (Filename, ProgramNumber) VALUES (" + SqlLiteral(k) + ", " +
                    SqlLiteral(k) + ")");
      stored.push_back(k);
    }
    tx.Commit();
  }
  for (int i = 0; i < 150; ++i) {
    const std::string start = i % 2 ? stored[rng() % stored.size()] : random(4);
    const auto synchron = static_cast<std::int16_t>(rng() % 3);
    const auto length = static_cast<std::int16_t>(rng() % 4);
    for (const std::string& p :
         {GetNewStrNextValue(db.Path(), start, synchron, length),
          GetNewStrMaxValue(db.Path(), synchron, static_cast<std::int16_t>(1 + i % 2), length)})
      EXPECT_FALSE(isStored(p)) << "start " << start << " proposes the stored " << p;
  }
}

TEST_P(NextValueQueryTest, MissingDatabaseIsReportedToTheCaller) {
  EXPECT_THROW(GetNewStrMaxValue((env / "none.db").string(), 1, 1, 0), KxError);
}

KX_ON_EACH_ENGINE(NextValueQueryTest);

}  // namespace
}  // namespace kx
