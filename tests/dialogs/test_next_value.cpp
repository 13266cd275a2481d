// Successor of a key, the bounds of the taken-value search, and the letter-case rule.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "dialogs/next_value.h"

namespace kx {
namespace {

TEST(IncrementStrValue, LettersStepOrGrow) {
  EXPECT_EQ(IncrementStrValue("A"), "B");
  EXPECT_EQ(IncrementStrValue("Y"), "Z");
  EXPECT_EQ(IncrementStrValue("Z"), "ZA");
  EXPECT_EQ(IncrementStrValue("z"), "za");
  EXPECT_EQ(IncrementStrValue("y"), "z");
  EXPECT_EQ(IncrementStrValue("AZ"), "AZA");
  EXPECT_EQ(IncrementStrValue("ab"), "ac");
  EXPECT_EQ(IncrementStrValue(""), "");
}

TEST(IncrementStrValue, OtherLastCharactersGetAnA) {
  EXPECT_EQ(IncrementStrValue("X-"), "X-A");
  EXPECT_EQ(IncrementStrValue("a b "), "a b A");
  EXPECT_EQ(IncrementStrValue("Stra\xC3\x9F"
                              "e\xC3\x84"),
            "Stra\xC3\x9F"
            "e\xC3\x84"
            "A");  // ends in Ä
}

TEST(IncrementStrValue, DigitRunsCountUpKeepingTheirWidth) {
  EXPECT_EQ(IncrementStrValue("9"), "10");
  EXPECT_EQ(IncrementStrValue("099"), "100");
  EXPECT_EQ(IncrementStrValue("0099"), "0100");
  EXPECT_EQ(IncrementStrValue("007"), "008");
  EXPECT_EQ(IncrementStrValue("A09"), "A10");
  EXPECT_EQ(IncrementStrValue("A99"), "A100");
  EXPECT_EQ(IncrementStrValue("AB999"), "AB1000");
  EXPECT_EQ(IncrementStrValue("1.9"), "1.10");
  EXPECT_EQ(IncrementStrValue("-5"), "-6");
  EXPECT_EQ(IncrementStrValue("X12Y0"), "X12Y1");
}

TEST(IncrementStrValue, LongRunsLoseNoDigit) {
  EXPECT_EQ(IncrementStrValue(std::string(40, '9')), "1" + std::string(40, '0'));
  EXPECT_EQ(IncrementStrValue("P" + std::string(39, '0') + "9"), "P" + std::string(38, '0') + "10");
}

std::pair<std::string, std::string> Bounds(std::string_view s) {
  std::string lower = "stale", pattern = "stale";
  GetStrSearchBounds(s, lower, pattern);
  return {lower, pattern};
}

TEST(GetStrSearchBounds, TextValues) {
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(Bounds("AB12"), (P{"AB", "AB*"}));
  EXPECT_EQ(Bounds("ABC"), (P{"ABC", "AB*"}));
  EXPECT_EQ(Bounds("123X9"), (P{"123X", "123X*"}));
  EXPECT_EQ(Bounds("X"), (P{"X", "*"}));
  EXPECT_EQ(Bounds("A-"), (P{"A-", "A*"}));
  EXPECT_EQ(Bounds("1.2.3"), (P{"1.2.", "1.2.*"}));
  EXPECT_EQ(Bounds("Ma\xC3\x9F"), (P{"Ma\xC3\x9F", "Ma*"}));  // the last character, not its last byte
}

TEST(GetStrSearchBounds, NumericAndEmptyValues) {
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(Bounds("0042"), (P{"42", ""}));
  EXPECT_EQ(Bounds("12"), (P{"12", ""}));
  EXPECT_EQ(Bounds("1.50"), (P{"1.5", ""}));
  EXPECT_EQ(Bounds("-7"), (P{"-7", ""}));
  EXPECT_EQ(Bounds(""), (P{"", ""}));
}

TEST(CollectionHasKey, TakenValuesIgnoreCase) {
  KeyedCollection<std::string> taken;
  taken.Add("ABC", "ABC");
  taken.Add("ab13", "ab13");
  EXPECT_TRUE(CollectionHasKey(taken, "abc"));
  EXPECT_TRUE(CollectionHasKey(taken, "AB13"));
  EXPECT_FALSE(CollectionHasKey(taken, "abd"));
  EXPECT_FALSE(CollectionHasKey(taken, ""));
}

TEST(ApplyKeyValueCase, UpperLowerOrUnchanged) {
  EXPECT_EQ(ApplyKeyValueCase("ab12", 1), "AB12");
  EXPECT_EQ(ApplyKeyValueCase("AB12", 2), "ab12");
  EXPECT_EQ(ApplyKeyValueCase("aB12", 0), "aB12");
  EXPECT_EQ(ApplyKeyValueCase("aB12", 3), "aB12");
  EXPECT_EQ(ApplyKeyValueCase("gr\xC3\xBCn \xC3\xA4", 1), "GR\xC3\x9CN \xC3\x84");
}

}  // namespace
}  // namespace kx
