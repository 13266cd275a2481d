#include "core/like.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error.h"

namespace kx {
namespace {

struct LikeCase {
  const char* text;
  const char* pattern;
  bool match;
};

// A hyphen first or last in a group is literal; so are special characters in brackets, and "]"
// and "!" outside a group. "[]" matches nothing long; "[!]" excludes nothing, so it takes any
// one character. Case is ignored in the default mode, accents never.
TEST(LikeTest, WildcardsGroupsAndCase) {
  // clang-format off
  const LikeCase cases[] = {
      {"BAT123khg", "B?T*", true}, {"CAT123khg", "B?T*", false}, {"a2a", "a#a", true}, {"aaa", "a#a", false},
      {"ab", "a?b", false}, {"äöü", "???", true}, {"äöü", "??????", false}, {"", "?", false},
      {"aBBBa", "a*a", true}, {"aa", "a*a", true}, {"aBBBb", "a*a", false}, {"", "*", true}, {"", "**", true},
      {"abcabd", "*abd", true}, {"job_0001.nc", "job_*.nc", true}, {"job_1.nc.bak", "job_*.nc", false},
      {"x1y2z", "*#*#*", true}, {"F", "[A-Z]", true}, {"F", "[!A-Z]", false}, {"1", "[!A-Z]", true},
      {"aM5b", "a[L-P]#[!c-e]", true}, {"aM5d", "a[L-P]#[!c-e]", false}, {"A", "[A-CX-Z]", true},
      {"Y", "[A-CX-Z]", true}, {"M", "[A-CX-Z]", false}, {"W", "[A-CX-Z]", false}, {"b", "[abc]", true},
      {"bc", "[abc]", false}, {"ö", "[ä-ü]", true}, {"-", "[-a]", true}, {"-", "[a-]", true},
      {"b", "[a-]", false}, {"-", "[!-a]", false}, {"b", "[!-a]", true}, {"a[b", "a[[]b", true},
      {"a?b", "a[?]b", true}, {"axb", "a[?]b", false}, {"a#b", "a[#]b", true}, {"a1b", "a[#]b", false},
      {"a*b", "a[*]b", true}, {"axb", "a[*]b", false}, {"a]", "a]", true}, {"!a", "!a", true},
      {"a", "!a", false}, {"ab", "a[]b", true}, {"axb", "a[]b", false}, {"", "[]", true}, {"x", "[!]", true},
      {"", "[!]", false}, {"HELLO", "hel*", true}, {"ÄRGER", "ä*", true}, {"f", "[A-Z]", true},
      {"á", "a", false}};
  // clang-format on
  for (const LikeCase& c : cases)
    EXPECT_EQ(LikeMatch(c.text, c.pattern), c.match) << c.text << " " << c.pattern;
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
  // clang-format off
  const LikeCase cases[] = {
      {"readme", "*.*", true}, {"a.b.c", "*.*", true}, {"anything", "*", true}, {"Folder", "*.", true},
      {"Folder.old", "*.", false}, {"abc", "abc.", true}, {"abc.d", "abc.", false}, {"JOB.NC", "job.*", true},
      {"job", "job.*", true}, {"jobs", "job.*", false}, {"a1.txt", "a?.TXT", true}, {"a12.txt", "a?.txt", false},
      {"Ärger.nc", "ä*.NC", true}, {"part.nc1", "*.nc", false},
      {"[x].nc", "[x].nc", true}, {"x.nc", "[x].nc", false}};  // no groups in directory patterns
  // clang-format on
  for (const LikeCase& c : cases)
    EXPECT_EQ(DirPatternMatch(c.text, c.pattern), c.match) << c.text << " " << c.pattern;
}

}  // namespace
}  // namespace kx
