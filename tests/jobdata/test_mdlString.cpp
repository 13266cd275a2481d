// Cutting forms, pattern lists and the special-folder placeholders on plain texts.
#include <gtest/gtest.h>

#include "jobdata/mdlString.h"

namespace kx {
namespace {

TEST(CuttingForms, LeftRightMidTakeTheirPieces) {
  EXPECT_EQ(ReplaceLeftParams("$(Left(3))", "A12345"), "A12");
  EXPECT_EQ(ReplaceRightParams("$(Right(2))", "A12345"), "45");
  EXPECT_EQ(ReplaceMidParams("$(Mid(2,3))", "A12345"), "123");
  EXPECT_EQ(ReplaceMidParams("$(Mid(4,0))", "A12345"), "345");
  EXPECT_EQ(ReplaceMidParams("$(Mid(4))", "A12345"), "345");
  EXPECT_EQ(ReplaceMidParams("x$(Mid(9,2))y", "A12345"), "xy");
  EXPECT_EQ(ReplaceLeftParams("D:\\$(Left(1))\\x", "A12345"), "D:\\A\\x");
}

TEST(CuttingForms, LowerCaseFormsAndEveryOccurrence) {
  EXPECT_EQ(ReplaceLeftParams("$(left(2))", "A12345"), "A1");
  EXPECT_EQ(ReplaceRightParams("$(RIGHT(1))-$(right(1))", "A12345"), "5-5");
  EXPECT_EQ(ReplaceMidParams("$(mid(2,2))", "A12345"), "12");
}

TEST(CuttingForms, CountsRoundHalfToEvenAndSkipBlanks) {
  EXPECT_EQ(ReplaceLeftParams("$(Left( 2))", "A12345"), "A1");
  EXPECT_EQ(ReplaceLeftParams("$(Left(2.5))", "A12345"), "A1");
  EXPECT_EQ(ReplaceLeftParams("$(Left(3.5))", "A12345"), "A123");
  EXPECT_EQ(ReplaceLeftParams("$(Left(2abc))", "A12345"), "A1");
}

TEST(CuttingForms, TwoFormsInOneText) {
  std::string t = ReplaceLeftParams("$(Left(2))\\$(Right(2))", "A12345");
  t = ReplaceRightParams(t, "A12345");
  EXPECT_EQ(t, "A1\\45");
  EXPECT_EQ(ReplaceLeftParams("$(Left(1))$(Left(3))", "A12345"), "AA12");
}

TEST(CuttingForms, InvalidFormsStayAsWritten) {
  EXPECT_EQ(ReplaceLeftParams("$(Left(0))", "A12345"), "$(Left(0))");
  EXPECT_EQ(ReplaceLeftParams("$(Left(-2))", "A12345"), "$(Left(-2))");
  EXPECT_EQ(ReplaceLeftParams("$(Left(3)", "A12345"), "$(Left(3)");
  EXPECT_EQ(ReplaceLeftParams("$(Left(x))", "A12345"), "$(Left(x))");
  EXPECT_EQ(ReplaceLeftParams("no form here))", "A12345"), "no form here))");
  EXPECT_EQ(ReplaceRightParams("$(Right(", "A12345"), "$(Right(");
  // The unclosed first form does not swallow the closed second one.
  EXPECT_EQ(ReplaceLeftParams("$(Left(3)-$(Left(2))", "A12345"), "$(Left(3)-A1");
}

TEST(CuttingForms, MidRejectsStartBelowOneNegativeLengthAndText) {
  EXPECT_EQ(ReplaceMidParams("$(Mid(0,2))", "A12345"), "$(Mid(0,2))");
  EXPECT_EQ(ReplaceMidParams("$(Mid(0.4,2))", "A12345"), "$(Mid(0.4,2))");
  EXPECT_EQ(ReplaceMidParams("$(Mid(-1,2))", "A12345"), "$(Mid(-1,2))");
  EXPECT_EQ(ReplaceMidParams("$(Mid(2,-1))", "A12345"), "$(Mid(2,-1))");
  EXPECT_EQ(ReplaceMidParams("$(Mid(a,b))", "A12345"), "$(Mid(a,b))");
  EXPECT_EQ(ReplaceMidParams("$(Mid(2,b))", "A12345"), "12345");  // no length: to the end
  EXPECT_EQ(ReplaceMidParams("$(Mid(2,1,9))", "A12345"), "1");    // further parts ignored
}

TEST(CuttingForms, HugeCountsTakeTheWholeValue) {
  EXPECT_EQ(ReplaceLeftParams("$(Left(99999999999))", "A12345"), "A12345");
  EXPECT_EQ(ReplaceRightParams("$(Right(1e300))", "A12345"), "A12345");
  EXPECT_EQ(ReplaceMidParams("$(Mid(2,99999999999999999999))", "A12345"), "12345");
  EXPECT_EQ(ReplaceMidParams("$(Mid(99999999999999,1))", "A12345"), "");
}

TEST(CuttingForms, CountInCharactersNotBytes) {
  EXPECT_EQ(ReplaceLeftParams("$(Left(2))", "ÄÖÜ"), "ÄÖ");
  EXPECT_EQ(ReplaceRightParams("$(Right(1))", "ÄÖÜ"), "Ü");
  EXPECT_EQ(ReplaceMidParams("$(Mid(2,1))", "ÄÖÜ"), "Ö");
}

TEST(PatternList, MatchesAnyNonEmptyEntryWithoutCase) {
  EXPECT_TRUE(MatchesPatternList("A.NC", "*.txt;*.nc"));
  EXPECT_TRUE(MatchesPatternList("a.nc", "*.TXT;*.NC"));
  EXPECT_FALSE(MatchesPatternList("A.NC", "*.txt; *.nc"));  // entries are not trimmed
  EXPECT_FALSE(MatchesPatternList("A.NC", ""));
  EXPECT_FALSE(MatchesPatternList("A.NC", ";;"));
  EXPECT_TRUE(MatchesPatternList("A1.nc", ";A#.nc"));
  EXPECT_FALSE(MatchesPatternList("AB.nc", "A#.nc"));
  EXPECT_TRUE(MatchesPatternList("B.nc", "[a-c].nc"));
  EXPECT_FALSE(MatchesPatternList("B.nc", "[!a-c].nc"));
  EXPECT_TRUE(MatchesPatternList("x.n", "?.?"));
}

TEST(PatternList, MalformedEntryCountsAsNoMatch) {
  EXPECT_FALSE(MatchesPatternList("A.NC", "[a.nc"));
  EXPECT_TRUE(MatchesPatternList("A.NC", "[a.nc;*.nc"));
  EXPECT_FALSE(MatchesPatternList("b", "[z-a]"));
}

}  // namespace
}  // namespace kx
