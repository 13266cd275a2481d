#include "core/like.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace kx {
namespace {

TEST(LikeTest, WildcardsAndGroups) {
  EXPECT_TRUE(LikeMatch("aBBBa", "a*a"));
  EXPECT_TRUE(LikeMatch("F", "[A-Z]"));
  EXPECT_FALSE(LikeMatch("F", "[!A-Z]"));
  EXPECT_TRUE(LikeMatch("a2a", "a#a"));
  EXPECT_TRUE(LikeMatch("aM5b", "a[L-P]#[!c-e]"));
  EXPECT_TRUE(LikeMatch("BAT123khg", "B?T*"));
  EXPECT_FALSE(LikeMatch("CAT123khg", "B?T*"));
  EXPECT_TRUE(LikeMatch("ab", "a*b"));
  EXPECT_TRUE(LikeMatch("a*b", "a[*]b"));
  EXPECT_FALSE(LikeMatch("axb", "a[*]b"));
  EXPECT_TRUE(LikeMatch("ab", "a[]b"));
  EXPECT_TRUE(LikeMatch("a-", "a[b-]"));
}

TEST(LikeTest, MalformedPatternsThrow) {
  for (const char* p : {"[a", "abc[", "[Z-A]"}) {
    try {
      LikeMatch("x", p);
      FAIL() << p;
    } catch (const KxError& e) {
      EXPECT_EQ(e.Number(), err::InvalidPatternString) << p;
    }
  }
}

TEST(DirPatternTest, DosWildcards) {
  EXPECT_TRUE(DirPatternMatch("readme", "*.*"));
  EXPECT_TRUE(DirPatternMatch("a.b.c", "*.*"));
  EXPECT_TRUE(DirPatternMatch("Folder", "*."));
  EXPECT_FALSE(DirPatternMatch("Folder.old", "*."));
  EXPECT_TRUE(DirPatternMatch("JOB.NC", "job.*"));
  EXPECT_TRUE(DirPatternMatch("job", "job.*"));
  EXPECT_FALSE(DirPatternMatch("jobs", "job.*"));
  EXPECT_TRUE(DirPatternMatch("a1.txt", "a?.TXT"));
  EXPECT_FALSE(DirPatternMatch("a12.txt", "a?.txt"));
}

}  // namespace
}  // namespace kx
