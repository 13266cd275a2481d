// Cutting forms and pattern lists on plain texts.
#include <gtest/gtest.h>

#include "case_table.h"
#include "jobdata/mdlString.h"

namespace kx {
namespace {

// The cases of tests/data/cases/cutting_forms.txt: counts round half to even, skip blanks and
// read leading numbers; huge counts take the whole value; invalid forms stay as written and an
// unclosed one swallows no later form; further Mid parts are ignored and a Mid without length
// runs to the end; counts are characters, not bytes.
TEST(CuttingForms, LeftRightAndMidTakeTheirPieces) {
  for (const test::Case& c : test::Cases("cutting_forms.txt")) {
    const std::string value = c.in[0].find("Ä") == std::string::npos ? "A12345" : "ÄÖÜ";
    EXPECT_EQ(ReplaceMidParams(ReplaceRightParams(ReplaceLeftParams(c.in[0], value), value), value), c.out)
        << c.line;
  }
}

// tests/data/cases/pattern_lists.txt: any non-empty entry without case, entries not trimmed; a
// malformed entry is no match.
TEST(PatternList, MatchesAnyNonEmptyEntryWithoutCase) {
  for (const test::Case& c : test::Cases("pattern_lists.txt"))
    EXPECT_EQ(MatchesPatternList(c.in[0], c.in[1]), c.out == "true") << c.line;
}

}  // namespace
}  // namespace kx
