#include "core/like.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error.h"

namespace kx {
namespace {

TEST(LikeTest, SingleCharacterWildcards) {
  EXPECT_TRUE(LikeMatch("BAT123khg", "B?T*"));
  EXPECT_FALSE(LikeMatch("CAT123khg", "B?T*"));
  EXPECT_TRUE(LikeMatch("a2a", "a#a"));
  EXPECT_FALSE(LikeMatch("aaa", "a#a"));
  EXPECT_FALSE(LikeMatch("ab", "a?b"));  // "?" needs one character
  EXPECT_TRUE(LikeMatch("äöü", "???"));  // characters, not bytes
  EXPECT_FALSE(LikeMatch("äöü", "??????"));
  EXPECT_FALSE(LikeMatch("", "?"));
}

TEST(LikeTest, StarMatchesAnyRunIncludingNone) {
  EXPECT_TRUE(LikeMatch("aBBBa", "a*a"));
  EXPECT_TRUE(LikeMatch("aa", "a*a"));
  EXPECT_FALSE(LikeMatch("aBBBb", "a*a"));
  EXPECT_TRUE(LikeMatch("", "*"));
  EXPECT_TRUE(LikeMatch("", "**"));
  EXPECT_TRUE(LikeMatch("abcabd", "*abd"));  // the first "ab" is a false start
  EXPECT_TRUE(LikeMatch("job_0001.nc", "job_*.nc"));
  EXPECT_FALSE(LikeMatch("job_0001.nc.bak", "job_*.nc"));
  EXPECT_TRUE(LikeMatch("x1y2z", "*#*#*"));
}

TEST(LikeTest, GroupsRangesAndNegation) {
  EXPECT_TRUE(LikeMatch("F", "[A-Z]"));
  EXPECT_FALSE(LikeMatch("F", "[!A-Z]"));
  EXPECT_TRUE(LikeMatch("1", "[!A-Z]"));
  EXPECT_TRUE(LikeMatch("aM5b", "a[L-P]#[!c-e]"));
  EXPECT_FALSE(LikeMatch("aM5d", "a[L-P]#[!c-e]"));
  for (const char* in : {"A", "B", "C", "X", "Y", "Z"}) EXPECT_TRUE(LikeMatch(in, "[A-CX-Z]")) << in;
  for (const char* out : {"D", "W", "M"}) EXPECT_FALSE(LikeMatch(out, "[A-CX-Z]")) << out;
  EXPECT_TRUE(LikeMatch("b", "[abc]"));
  EXPECT_FALSE(LikeMatch("bc", "[abc]"));  // a group is one character
  EXPECT_TRUE(LikeMatch("ö", "[ä-ü]"));
}

TEST(LikeTest, HyphenIsLiteralFirstOrLast) {
  EXPECT_TRUE(LikeMatch("-", "[-a]"));
  EXPECT_TRUE(LikeMatch("-", "[a-]"));
  EXPECT_TRUE(LikeMatch("a", "[a-]"));
  EXPECT_FALSE(LikeMatch("b", "[a-]"));
  EXPECT_FALSE(LikeMatch("-", "[!-a]"));
  EXPECT_TRUE(LikeMatch("b", "[!-a]"));
}

TEST(LikeTest, SpecialCharactersInBracketsAreLiteral) {
  EXPECT_TRUE(LikeMatch("a[b", "a[[]b"));
  EXPECT_TRUE(LikeMatch("a?b", "a[?]b"));
  EXPECT_FALSE(LikeMatch("axb", "a[?]b"));
  EXPECT_TRUE(LikeMatch("a#b", "a[#]b"));
  EXPECT_FALSE(LikeMatch("a1b", "a[#]b"));
  EXPECT_TRUE(LikeMatch("a*b", "a[*]b"));
  EXPECT_FALSE(LikeMatch("axb", "a[*]b"));
  EXPECT_TRUE(LikeMatch("a]", "a]"));  // "]" outside a group
  EXPECT_TRUE(LikeMatch("!a", "!a"));  // "!" outside a group
  EXPECT_FALSE(LikeMatch("a", "!a"));
}

TEST(LikeTest, EmptyGroupMatchesNothingLong) {
  EXPECT_TRUE(LikeMatch("ab", "a[]b"));
  EXPECT_FALSE(LikeMatch("axb", "a[]b"));
  EXPECT_TRUE(LikeMatch("", "[]"));
  // "[!]": nothing is excluded, so it takes any one character (choice for an undocumented case).
  EXPECT_TRUE(LikeMatch("x", "[!]"));
  EXPECT_FALSE(LikeMatch("", "[!]"));
}

TEST(LikeTest, CaseFollowsTheMode) {
  EXPECT_TRUE(LikeMatch("HELLO", "hel*"));
  EXPECT_TRUE(LikeMatch("ÄRGER", "ä*"));
  EXPECT_TRUE(LikeMatch("f", "[A-Z]"));
  EXPECT_FALSE(LikeMatch("HELLO", "hel*", false));
  EXPECT_FALSE(LikeMatch("f", "[A-Z]", false));
  EXPECT_TRUE(LikeMatch("F", "[A-Z]", false));
  EXPECT_FALSE(LikeMatch("á", "a"));  // accents still count
}

TEST(LikeTest, MalformedPatternsThrow) {
  for (const char* p : {"[a", "abc[", "[", "a[!", "[Z-A]", "x[b-a]y"}) {
    try {
      LikeMatch("x", p);
      FAIL() << p;
    } catch (const KxError& e) {
      EXPECT_EQ(e.Number(), err::InvalidPatternString) << p;
      EXPECT_EQ(e.Description(), "Invalid pattern string");
    }
  }
  // The same range is ascending by code point but not once case is folded.
  EXPECT_NO_THROW(LikeMatch("x", "[Z-a]", false));
  EXPECT_THROW(LikeMatch("x", "[Z-a]", true), KxError);
}

TEST(LikeTest, ManyStarsDoNotBacktrackExponentially) {
  const std::string text(20000, 'a');
  EXPECT_FALSE(LikeMatch(text, "*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(LikeMatch(text + "b", "*a*a*a*a*a*a*a*a*a*a*b"));
}

// A compiled pattern is reused for many texts of different lengths (the database's rows).
TEST(LikeTest, CompiledPatternAgreesWithLikeMatchAcrossTexts) {
  const char* texts[] = {"AB12", "ab999999999999", "", "A", "XAB1", "ÄB1", "ab#", "AB12345678901234567890x"};
  for (const char* pattern : {"AB*", "a?#*", "*[!0-9]", "[a-c]B*#", "*"}) {
    const LikePattern compiled(pattern);
    for (const char* text : texts)
      EXPECT_EQ(compiled.Matches(text), LikeMatch(text, pattern)) << pattern << " / " << text;
  }
  const LikePattern exact("Ab", false);
  EXPECT_TRUE(exact.Matches("Ab"));
  EXPECT_FALSE(exact.Matches("AB"));
  EXPECT_THROW(LikePattern("[a-"), KxError);
}

TEST(DirPatternTest, StarDotStarAndStarDot) {
  EXPECT_TRUE(DirPatternMatch("readme", "*.*"));
  EXPECT_TRUE(DirPatternMatch("a.b.c", "*.*"));
  EXPECT_TRUE(DirPatternMatch("anything", "*"));
  EXPECT_TRUE(DirPatternMatch("Folder", "*."));
  EXPECT_FALSE(DirPatternMatch("Folder.old", "*."));
  EXPECT_TRUE(DirPatternMatch("abc", "abc."));
  EXPECT_FALSE(DirPatternMatch("abc.d", "abc."));
}

TEST(DirPatternTest, ExtensionsQuestionMarksAndCase) {
  EXPECT_TRUE(DirPatternMatch("JOB.NC", "job.*"));
  EXPECT_TRUE(DirPatternMatch("job", "job.*"));
  EXPECT_FALSE(DirPatternMatch("jobs", "job.*"));
  EXPECT_TRUE(DirPatternMatch("a1.txt", "a?.TXT"));
  EXPECT_FALSE(DirPatternMatch("a12.txt", "a?.txt"));
  EXPECT_TRUE(DirPatternMatch("Ärger.nc", "ä*.NC"));
  EXPECT_FALSE(DirPatternMatch("part.nc1", "*.nc"));
  EXPECT_TRUE(DirPatternMatch("[x].nc", "[x].nc"));  // no groups in directory patterns
  EXPECT_FALSE(DirPatternMatch("x.nc", "[x].nc"));
}

}  // namespace
}  // namespace kx
