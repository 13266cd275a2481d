// Cutting forms and pattern lists on plain texts.
#include <gtest/gtest.h>

#include "expect_each.h"
#include "jobdata/mdlString.h"

namespace kx {
namespace {

using test::ExpectEach;

// Each form of the template cut from "A12345" (or "ÄÖÜ": characters, not bytes) by all three
// replacements in turn. Counts round half to even, skip blanks and read leading numbers; huge
// counts take the whole value; invalid forms stay as written, an unclosed one swallows no later
// form; further Mid parts are ignored and a Mid without length runs to the end.
TEST(CuttingForms, LeftRightAndMidTakeTheirPieces) {
  const auto cut = [](const std::string& t) {
    const std::string value = t.find("Ä") == std::string::npos ? "A12345" : "ÄÖÜ";
    return ReplaceMidParams(ReplaceRightParams(ReplaceLeftParams(t, value), value), value);
  };
  // clang-format off
  ExpectEach(cut, {
      {"$(Left(3))", "A12"}, {"$(Right(2))", "45"}, {"$(Mid(2,3))", "123"}, {"$(Mid(4,0))", "345"},
      {"$(Mid(4))", "345"}, {"x$(Mid(9,2))y", "xy"}, {"D:\\$(Left(1))\\x", "D:\\A\\x"}, {"$(left(2))", "A1"},
      {"$(RIGHT(1))-$(right(1))", "5-5"}, {"$(mid(2,2))", "12"}, {"$(Left( 2))", "A1"}, {"$(Left(2.5))", "A1"},
      {"$(Left(3.5))", "A123"}, {"$(Left(2abc))", "A1"}, {"$(Left(2))\\$(Right(2))", "A1\\45"},
      {"$(Left(1))$(Left(3))", "AA12"}, {"$(Left(0))", "$(Left(0))"}, {"$(Left(-2))", "$(Left(-2))"},
      {"$(Left(3)", "$(Left(3)"}, {"$(Left(x))", "$(Left(x))"}, {"no form here))", "no form here))"},
      {"$(Right(", "$(Right("}, {"$(Left(3)-$(Left(2))", "$(Left(3)-A1"}, {"$(Mid(0,2))", "$(Mid(0,2))"},
      {"$(Mid(0.4,2))", "$(Mid(0.4,2))"}, {"$(Mid(-1,2))", "$(Mid(-1,2))"}, {"$(Mid(2,-1))", "$(Mid(2,-1))"},
      {"$(Mid(a,b))", "$(Mid(a,b))"}, {"$(Mid(2,b))", "12345"}, {"$(Mid(2,1,9))", "1"},
      {"$(Left(99999999999))", "A12345"}, {"$(Right(1e300))", "A12345"},
      {"$(Mid(2,99999999999999999999))", "12345"}, {"$(Mid(99999999999999,1))", ""},
      {"Ä$(Left(2))", "ÄÄÖ"}, {"Ä$(Right(1))", "ÄÜ"}, {"Ä$(Mid(2,1))", "ÄÖ"}});
  // clang-format on
}

// Any non-empty entry without case, entries not trimmed; a malformed entry is no match.
TEST(PatternList, MatchesAnyNonEmptyEntryWithoutCase) {
  const auto matches = [](const std::pair<std::string, std::string>& p) {
    return MatchesPatternList(p.first, p.second);
  };
  // clang-format off
  ExpectEach<bool, std::pair<std::string, std::string>>(matches, {
      {{"A.NC", "*.txt;*.nc"}, true}, {{"a.nc", "*.TXT;*.NC"}, true}, {{"A.NC", "*.txt; *.nc"}, false},
      {{"A.NC", ""}, false}, {{"A.NC", ";;"}, false}, {{"A1.nc", ";A#.nc"}, true}, {{"AB.nc", "A#.nc"}, false},
      {{"B.nc", "[a-c].nc"}, true}, {{"B.nc", "[!a-c].nc"}, false}, {{"x.n", "?.?"}, true},
      {{"A.NC", "[a.nc"}, false}, {{"A.NC", "[a.nc;*.nc"}, true}, {{"b", "[z-a]"}, false}});
  // clang-format on
}

}  // namespace
}  // namespace kx
