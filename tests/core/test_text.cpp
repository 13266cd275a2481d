#include "core/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"

namespace kx {
namespace {

constexpr auto npos = std::string_view::npos;

TEST(TextCompareTest, CaseIgnoredAccentsNot) {
  EXPECT_EQ(CompareNoCase("ABCD", "abcd"), 0);
  EXPECT_EQ(CompareNoCase("Ä", "ä"), 0);
  EXPECT_NE(CompareNoCase("a", "á"), 0);
  EXPECT_EQ(CompareNoCase("a", "B"), -1);
  EXPECT_EQ(CompareNoCase("b", "A"), 1);
  EXPECT_EQ(CompareNoCase("", "a"), -1);
  EXPECT_TRUE(EqualsNoCase("Straße", "STRAßE"));
  EXPECT_FALSE(EqualsNoCase("file1", "file2"));
}

// Keys of plain and of accented, combining or control-character texts of any length sort
// and compare exactly as the collator does (a shortcut for plain texts must keep this).
TEST(TextCompareTest, KeysOfAllKindsOfTextShareOneOrder) {
  std::vector<std::string> alphabet;
  for (int ch = 0x20; ch <= 0x7E; ++ch) alphabet.emplace_back(1, static_cast<char>(ch));
  for (const char* other : {"é", "Ä", "ß", "\x01", "\t", "e\xCC\x81", "\x7F"}) alphabet.emplace_back(other);
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
  EXPECT_EQ(CollationKey("x").find('\0'), npos);
}

TEST(TextCaseTest, UpperAndLowerAreUnicode) {
  EXPECT_EQ(ToUpper("abc äöü ß"), "ABC ÄÖÜ SS");
  EXPECT_EQ(ToLower("ÄÖÜ ÉÈ X"), "äöü éè x");
  EXPECT_EQ(ToUpper(""), "");
}

TEST(TextSearchTest, OffsetsAreBytesInTheOriginal) {
  const std::string hay = "Größe/GRÖSSE/größe";
  EXPECT_EQ(FindNoCase(hay, "GRÖ"), 0u);
  EXPECT_EQ(FindNoCase(hay, "/gr"), 7u);  // "ö" and "ß" take two bytes each
  EXPECT_EQ(FindNoCase(hay, "grö", 1), 8u);
  EXPECT_EQ(FindLastNoCase(hay, "GRÖ"), 16u);
  EXPECT_EQ(FindNoCase(hay, "xyz"), npos);
  EXPECT_EQ(FindNoCase("abc", ""), 0u);
  EXPECT_EQ(FindNoCase("abc", "c", 4), npos);
  EXPECT_EQ(FindLastNoCase("abc", "abcd"), npos);
  EXPECT_TRUE(ContainsNoCase("C:\\Jobs\\ÄRGER", "\\ärger"));
  EXPECT_TRUE(StartsWithNoCase("ÄBC", "äb"));
  EXPECT_FALSE(StartsWithNoCase("ab", "abc"));
}

TEST(TextSearchTest, ReplaceWorksLeftToRight) {
  EXPECT_EQ(ReplaceNoCase("aXbxC", "x", "--"), "a--b--C");
  EXPECT_EQ(ReplaceNoCase("ÄäÄ", "ä", "e"), "eee");
  EXPECT_EQ(ReplaceNoCase("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceNoCase("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("aXbxC", "x", "-"), "aXb-C");
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
}

TEST(TextCharsTest, LengthsAndSlicesCountCharacters) {
  EXPECT_EQ(CharLength("äöü€"), 4u);
  EXPECT_EQ(LeftChars("äöü€", 2), "äö");
  EXPECT_EQ(RightChars("äöü€", 2), "ü€");
  EXPECT_EQ(RightChars("ab", 5), "ab");
  EXPECT_EQ(MidChars("äöü€", 2, 2), "öü");
  EXPECT_EQ(MidChars("äöü€", 3), "ü€");
  EXPECT_EQ(MidChars("abc", 9), "");
  EXPECT_THROW(MidChars("abc", 0), KxError);
}

TEST(TextTrimSplitTest, SpacesOnlyAndEmptyPartsKept) {
  EXPECT_EQ(Trim("  a b \t "), "a b \t");
  EXPECT_EQ(LTrim("  a "), "a ");
  EXPECT_EQ(RTrim("  a "), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Split("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(Split("a::b", "::"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(Split("", ",").empty());
  EXPECT_EQ(Join({"a", "", "b"}, ";"), "a;;b");
}

TEST(TextEncodingTest, Utf8CheckAndWindows1252) {
  EXPECT_TRUE(IsValidUtf8("plain äöü €"));
  EXPECT_FALSE(IsValidUtf8("\xE4"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_EQ(Cp1252ToUtf8("\x80 \xE4\x9F\x81"), "€ äŸ\xC2\x81");
  EXPECT_EQ(Cp1252ToUtf8("abc"), "abc");
}

TEST(TextSearchTest, FoldingThatChangesByteLengthKeepsOriginalOffsets) {
  // U+212A KELVIN SIGN (3 bytes) folds to "k", U+017F LONG S (2 bytes) to "s".
  const std::string hay = "a\u212Ab\u017Fx";
  EXPECT_EQ(FindNoCase(hay, "KB"), 1u);
  EXPECT_EQ(FindNoCase(hay, "SX"), 5u);
  EXPECT_EQ(FindLastNoCase(hay, "b"), 4u);
  EXPECT_EQ(ReplaceNoCase(hay, "k", "-"), "a-b\u017Fx");
  EXPECT_EQ(ReplaceNoCase(hay, "S", "[s]"), "a\u212Ab[s]x");
  EXPECT_TRUE(StartsWithNoCase("\u212Aelvin", "kel"));
}

TEST(TextSearchTest, InvalidBytesOnlyMatchThemselves) {
  const std::string ab = std::string("a\xFF") + "b";
  EXPECT_EQ(FindNoCase(ab, "\xFF"), 1u);
  EXPECT_EQ(FindNoCase(ab, "\xFE"), npos);
  EXPECT_EQ(FindNoCase(std::string("a\xC3") + "b", "b"), 2u);  // a cut-off sequence is one byte
  EXPECT_EQ(CharLength("a\xFF\xFE"), 3u);
  EXPECT_EQ(ReplaceNoCase("x\xFFy", "\xFF", "?"), "x?y");
  EXPECT_EQ(CompareNoCase("a\xFF", "A"), 1);  // an undecodable byte still counts
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

TEST(TextEncodingTest, Windows1252BothWays) {
  EXPECT_EQ(Utf8ToCp1252("€ é"), std::optional<std::string>("\x80 \xE9"));
  EXPECT_EQ(Utf8ToCp1252("\xC4\x80"), std::nullopt);  // U+0100 has no byte
  EXPECT_EQ(Cp1252ToUtf8("\x8A\x8C\x8E\x9A\x9C\x9E\x9F"), "ŠŒŽšœžŸ");
  EXPECT_EQ(Cp1252ToUtf8("\x91\x92\x93\x94\x96\x97\x85\x99"),
            "\u2018\u2019\u201C\u201D\u2013\u2014\u2026\u2122");
  EXPECT_EQ(Cp1252ToUtf8("\x8D\x8F\x90\x9D"), "\u008D\u008F\u0090\u009D");
  EXPECT_EQ(Cp1252ToUtf8("\xA0\xE9\xFF"), "\u00A0éÿ");
  EXPECT_TRUE(IsValidUtf8(Cp1252ToUtf8(std::string("\x00\x7F\x80\xFF", 4))));
}

}  // namespace
}  // namespace kx
