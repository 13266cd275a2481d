#include "core/like.h"

#include <gtest/gtest.h>

#include <string>

#include "case_table.h"
#include "core/error.h"

namespace kx {
namespace {

// The cases of tests/data/cases/like.txt: wildcards count characters; a hyphen first or last
// in a group is literal, so are special characters in brackets, and "]" and "!" outside a
// group; "[]" matches nothing long and "[!]" any one character; case is ignored, accents not.
TEST(LikeTest, WildcardsGroupsAndCase) {
  for (const test::Case& c : test::Cases("like.txt"))
    EXPECT_EQ(LikeMatch(c.in[0], c.in[1]), c.out == "true") << c.line;
  EXPECT_FALSE(LikeMatch("HELLO", "hel*", false));
  EXPECT_FALSE(LikeMatch("f", "[A-Z]", false));
  EXPECT_TRUE(LikeMatch("F", "[A-Z]", false));
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

TEST(DirPatternTest, StarDotStarStarDotExtensionsAndCase) {
  for (const test::Case& c : test::Cases("dir_pattern.txt"))
    EXPECT_EQ(DirPatternMatch(c.in[0], c.in[1]), c.out == "true") << c.line;
}

}  // namespace
}  // namespace kx
