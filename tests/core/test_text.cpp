#include "core/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "case_table.h"
#include "core/error.h"

namespace kx {
namespace {

constexpr auto npos = std::string_view::npos;

// Keys of plain and of accented, combining or control-character texts of any length sort
// and compare exactly as the collator does (a shortcut for plain texts must keep this).
TEST(TextCompareTest, KeysOfAllKindsOfTextShareOneOrder) {
  std::vector<std::string> alphabet;
  for (int ch = 0x20; ch <= 0x7E; ++ch) alphabet.emplace_back(1, static_cast<char>(ch));
  for (const char* other :
       {"é", "Ä", "ß", "\x01", "\t", "e\xCC\x81", "\x7F", "²", "\u00AD", "\u212A", "\xFF"})
    alphabet.emplace_back(other);
  std::mt19937 rng(7);
  std::vector<std::string> texts{"abc", "abcé", "abc\x01", "ABC", "a-b", "a_b", "a b", "Z:\\Jobs\\P1.nc",
                                 "b",   "A",    "a",       "Ä",   "á",   "Z",   "10",  "9",
                                 "",    "ab",   "Ab",      "äb",  "é"};
  for (int i = 0; i < 600; ++i) {
    std::string t;
    const bool plain = i % 2 == 0;
    const std::size_t len = rng() % 80;
    for (std::size_t k = 0; k < len; ++k) t += alphabet[rng() % (plain ? 95 : alphabet.size())];
    texts.push_back(t);
    texts.push_back(plain ? ToUpper(t) : t + "x");
  }
  int mismatches = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    for (std::size_t j = i; j < texts.size() && j < i + 40; ++j) {
      const int byKey = CollationKey(texts[i]).compare(CollationKey(texts[j]));
      const int sign = byKey < 0 ? -1 : (byKey > 0 ? 1 : 0);
      if (sign != CompareNoCase(texts[i], texts[j])) {
        ADD_FAILURE() << '"' << texts[i] << "\" vs \"" << texts[j] << '"';
        if (++mismatches > 5) return;
      }
    }
  }
  EXPECT_EQ(CollationKey("Äpfel"), CollationKey("äPFEL"));
}

// The cases of tests/data/cases/text.txt, by rule.
TEST(TextRules, GiveTheirCases) {
  const auto pos = [](std::size_t p) { return p == npos ? std::string("npos") : std::to_string(p); };
  const std::map<std::string, std::function<std::string(const std::vector<std::string>&)>> rules = {
      {"CompareNoCase", [](const auto& in) { return std::to_string(CompareNoCase(in[1], in[2])); }},
      {"EqualsNoCase", [](const auto& in) { return std::to_string(EqualsNoCase(in[1], in[2])); }},
      // Every form of the rule gives the same answer, and the order is antisymmetric.
      {"SameNoCase",
       [](const auto& in) {
         const bool equal = EqualsNoCase(in[1], in[2]),
                    all = equal == (CompareNoCase(in[1], in[2]) == 0) &&
                          equal == (CollationKey(in[1]) == CollationKey(in[2])) &&
                          equal == (FoldCase(in[1]) == FoldCase(in[2])) &&
                          CompareNoCase(in[1], in[2]) == -CompareNoCase(in[2], in[1]);
         return all ? std::to_string(equal) : "the forms disagree";
       }},
      {"FoldCase", [](const auto& in) { return FoldCase(in[1]); }},
      {"ToUpper", [](const auto& in) { return ToUpper(in[1]); }},
      {"ToLower", [](const auto& in) { return ToLower(in[1]); }},
      {"FindNoCase", [&](const auto& in) { return pos(FindNoCase(in[1], in[2], std::stoul(in[3]))); }},
      {"FindLastNoCase", [&](const auto& in) { return pos(FindLastNoCase(in[1], in[2])); }},
      {"ContainsNoCase", [](const auto& in) { return std::to_string(ContainsNoCase(in[1], in[2])); }},
      {"StartsWithNoCase", [](const auto& in) { return std::to_string(StartsWithNoCase(in[1], in[2])); }},
      {"ReplaceNoCase", [](const auto& in) { return ReplaceNoCase(in[1], in[2], in[3]); }},
      {"ReplaceAll", [](const auto& in) { return ReplaceAll(in[1], in[2], in[3]); }},
      {"CharLength", [](const auto& in) { return std::to_string(CharLength(in[1])); }},
      {"LeftChars", [](const auto& in) { return LeftChars(in[1], std::stol(in[2])); }},
      {"RightChars", [](const auto& in) { return RightChars(in[1], std::stol(in[2])); }},
      {"MidChars",
       [](const auto& in) {
         return in.size() > 3 ? MidChars(in[1], std::stol(in[2]), std::stol(in[3]))
                              : MidChars(in[1], std::stol(in[2]));
       }},
      {"Trim", [](const auto& in) { return Trim(in[1]); }},
      {"LTrim", [](const auto& in) { return LTrim(in[1]); }},
      {"RTrim", [](const auto& in) { return RTrim(in[1]); }},
      {"IsValidUtf8", [](const auto& in) { return std::to_string(IsValidUtf8(in[1])); }},
      {"Cp1252ToUtf8", [](const auto& in) { return Cp1252ToUtf8(in[1]); }},
      {"Utf8ToCp1252", [](const auto& in) { return Utf8ToCp1252(in[1]).value_or("none"); }}};
  for (const test::Case& c : test::Cases("text.txt")) EXPECT_EQ(rules.at(c.in[0])(c.in), c.out) << c.line;
  EXPECT_THROW(MidChars("abc", 0), KxError);
  EXPECT_EQ(Split("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(Split("a::b", "::"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(Split("", ",").empty());
  EXPECT_EQ(Join({"a", "", "b"}, ";"), "a;;b");
  EXPECT_TRUE(IsValidUtf8(Cp1252ToUtf8(std::string("\x00\x7F\x80\xFF", 4))));
}

TEST(TextTrimSplitTest, SplitAndJoinAreInverse) {
  for (const std::string text : {"a", ",", "a,b", ",a,,b,", "::x::"}) {
    for (const std::string sep : {",", "::"}) {
      EXPECT_EQ(Join(Split(text, sep), sep), text) << text << " / " << sep;
    }
  }
  EXPECT_EQ(Split("abc", ""), (std::vector<std::string>{"abc"}));
}

TEST(TextCompareTest, SharedCollatorWorksFromManyThreads) {
  const std::vector<std::string> words{"Zebra", "äpfel", "Apfel", "birne", "Über", "uber"};
  std::vector<std::string> expected;
  for (const auto& w : words) expected.push_back(CollationKey(w));
  std::vector<std::thread> threads;
  std::atomic<int> mismatches{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < 200; ++round) {
        for (std::size_t i = 0; i < words.size(); ++i) {
          if (CollationKey(words[i]) != expected[i]) ++mismatches;
          if (CompareNoCase(words[i], ToUpper(words[i])) != 0) ++mismatches;
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(mismatches.load(), 0);
}

TEST(TextEncodingTest, Utf16RoundTripsInBothByteOrdersWithSurrogatePairs) {
  const std::string text = "Mü€ \xF0\x9F\x94\xA7";  // "Mü€ 🔧"
  for (bool bigEndian : {false, true}) {
    const std::string units = Utf8ToUtf16(text, bigEndian);
    EXPECT_EQ(units.size(), 12u);  // five code units plus one pair
    EXPECT_EQ(Utf16ToUtf8(units, bigEndian), text);
  }
  EXPECT_EQ(Utf8ToUtf16("A", false), std::string("A\0", 2));
  EXPECT_EQ(Utf8ToUtf16("A", true), std::string("\0A", 2));
}

TEST(TextEncodingTest, DamagedInputReadsWithReplacementCharacters) {
  // A lone high surrogate, then "B"; an odd last byte is dropped.
  EXPECT_EQ(Utf16ToUtf8(std::string("\x00\xD8\x42\x00\x43", 5), false),
            "\xEF\xBF\xBD"
            "B");
  EXPECT_EQ(Utf8ToUtf16("\xFF", false), std::string("\xFD\xFF", 2));
}

}  // namespace
}  // namespace kx
