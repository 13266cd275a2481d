// Successor of a key, the bounds of the taken-value search, and the letter-case rule.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "dialogs/next_value.h"
#include "expect_each.h"

namespace kx {
namespace {

using test::ExpectEach;

// Letters step or grow, other last characters get an "A", digit runs count up keeping their
// width and lose no digit however long.
TEST(IncrementStrValue, LettersDigitsAndOtherEnds) {
  const auto next = [](const std::string& s) { return IncrementStrValue(s); };
  // clang-format off
  ExpectEach(next, {
      {"A", "B"}, {"Y", "Z"}, {"Z", "ZA"}, {"z", "za"}, {"y", "z"}, {"AZ", "AZA"}, {"ab", "ac"}, {"", ""},
      {"X-", "X-A"}, {"a b ", "a b A"}, {"StraßeÄ", "StraßeÄA"}, {"9", "10"}, {"099", "100"}, {"0099", "0100"},
      {"007", "008"}, {"A09", "A10"}, {"A99", "A100"}, {"AB999", "AB1000"}, {"1.9", "1.10"}, {"-5", "-6"},
      {"X12Y0", "X12Y1"}, {std::string(40, '9'), "1" + std::string(40, '0')},
      {"P" + std::string(39, '0') + "9", "P" + std::string(38, '0') + "10"}});
  // clang-format on
}

// Text values: what comes before the last character, and the pattern of that prefix (the last
// character, not its last byte); numbers: their value and no pattern.
TEST(GetStrSearchBounds, TextAndNumericValues) {
  using P = std::pair<std::string, std::string>;
  const auto bounds = [](const std::string& s) {
    P p{"stale", "stale"};
    GetStrSearchBounds(s, p.first, p.second);
    return p;
  };
  // clang-format off
  ExpectEach<P>(bounds, {
      {"AB12", {"AB", "AB*"}}, {"ABC", {"ABC", "AB*"}}, {"123X9", {"123X", "123X*"}}, {"X", {"X", "*"}},
      {"A-", {"A-", "A*"}}, {"1.2.3", {"1.2.", "1.2.*"}}, {"Maß", {"Maß", "Ma*"}}, {"0042", {"42", ""}},
      {"12", {"12", ""}}, {"1.50", {"1.5", ""}}, {"-7", {"-7", ""}}, {"", {"", ""}}});
  // clang-format on
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

}  // namespace
}  // namespace kx
