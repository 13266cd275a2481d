// Reading message files and looking texts up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "kx_version.h"
#include "messages/clsResStrs.h"
#include "temp_dir.h"

namespace kx {
namespace {

std::vector<std::pair<std::string, std::string>> Entries(const clsResStrs& t) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const ClsResStr& e : t) out.emplace_back(e.Key(), e.Text());
  return out;
}

class ResStrsLookup : public ::testing::Test {
 protected:
  clsResStrs LoadText(std::string_view content) {
    clsResStrs t;
    EXPECT_TRUE(t.Load(dir_.Write("torvel.049", content).string()));
    return t;
  }
  test::TempDir dir_;
};

TEST_F(ResStrsLookup, LineRulesSplitAtFirstEqualsAndKeepTextVerbatim) {
  clsResStrs t = LoadText(
      "  Caption\tText=Hello = World\r\n"
      "Key= value \r\n"
      "   JustAKey   \r\n"
      "// a comment=ignored\r\n"
      "    // indented comment=ignored\r\n"
      "\r\n"
      "     \r\n"
      "a//b=c\r\n");
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(Entries(t),
            (std::vector<P>{
                {"a//b", "c"}, {"CaptionText", "Hello = World"}, {"JustAKey", ""}, {"Key", " value "}}));
}

TEST_F(ResStrsLookup, FirstDefinitionWinsLinesSplitAtEveryEndAndEntriesEnumerateInKeyOrder) {
  clsResStrs t = LoadText("Title=One\nTITLE=Two\ntitle=Three\n");
  EXPECT_EQ(t.Count(), 1);
  EXPECT_EQ(t.Item("TiTlE"), "One");
  EXPECT_EQ(t.begin()->Key(), "Title");
  t = LoadText("A=1\r\nB=2\nC=3\rD=4");
  EXPECT_EQ(t.Count(), 4);
  EXPECT_EQ(t.Item("C"), "3");
  EXPECT_EQ(t.Item("D"), "4");
  t = LoadText("b=2\nMSG(x)=3\nA=1\nc=4\nLabel1(0).Caption=5\n");
  std::vector<std::string> keys;
  for (const ClsResStr& e : t) keys.push_back(e.Key());
  EXPECT_EQ(keys, (std::vector<std::string>{"A", "b", "c", "Label1(0).Caption", "MSG(x)"}));
  EXPECT_EQ(t.Item(1L), "1");
  EXPECT_EQ(t.Item(5L), "3");
  EXPECT_EQ(t.Item(6L), "");
  EXPECT_EQ(t.Count(), 5);
}

TEST_F(ResStrsLookup, EscapesAndArgumentTokensFromTheHighestNumberDownArgumentsUnprocessed) {
  clsResStrs t = LoadText("M=first/nsecond\nT=a/tb\nV=v/v!\n");
  EXPECT_EQ(t.Msg("M"), "first\r\nsecond");
  EXPECT_EQ(t.Msg("T"), "a\tb");
  const std::string version = std::to_string(KX_VERSION_MAJOR) + "." + std::to_string(KX_VERSION_MINOR) +
                              "." + std::to_string(KX_VERSION_PATCH);
  EXPECT_EQ(t.Msg("V"), "v" + version + "!");
  // Item gives the stored text untouched.
  EXPECT_EQ(t.Item("M"), "first/nsecond");
  t = LoadText("TEN=/1|/10|/2\nTWO=/1 and /2\n");
  EXPECT_EQ(t.Msg("TEN", "one", "two", "3", "4", "5", "6", "7", "8", "9", "ten"), "one|ten|two");
  // Too few arguments: the missing token stays.
  EXPECT_EQ(t.Msg("TWO", "x"), "x and /2");
  // With one argument "/10" is "/1" followed by "0".
  EXPECT_EQ(t.Msg("TEN", "x"), "x|x0|/2");
  t = LoadText("Q=File /1 from /2?\n");
  EXPECT_EQ(t.Msg("Q", "C:\\a/nb", "/1"), "File C:\\a/nb from /1?");
  EXPECT_EQ(t.Msg("Q", Variant::Null(), 42), "File  from 42?");
  EXPECT_EQ(t.Msg("Q", Variant(), 2.5), "File  from 2.5?");
}

TEST_F(ResStrsLookup, AbsentKeyIsAddedOnceItemSetAndRemoveIgnoreAbsentKeys) {
  clsResStrs t = LoadText("A=1\n");
  EXPECT_EQ(t.Msg("MSG(Missing)", "x"), "");
  EXPECT_EQ(t.Count(), 2);
  EXPECT_EQ(t.Msg("msg(missing)"), "");
  EXPECT_EQ(t.Item("MSG(MISSING)"), "");
  EXPECT_EQ(t.Count(), 2);
  // The added entry keeps the letter case of its first use.
  std::vector<std::string> keys;
  for (const ClsResStr& e : t) keys.push_back(e.Key());
  EXPECT_EQ(keys.back(), "MSG(Missing)");
  t = LoadText("A=1\nB=2\n");
  t.Item("b", "two");
  t.Item("Z", "ignored");
  t.Item(1L, "one");
  t.Item(9L, "ignored");
  EXPECT_EQ(t.Count(), 2);
  EXPECT_EQ(t.Item("B"), "two");
  EXPECT_EQ(t.Item("a"), "one");
  t.Remove("nope");
  t.Remove(7L);
  EXPECT_EQ(t.Count(), 2);
  t.Remove("a");
  EXPECT_EQ(t.Count(), 1);
  t.Remove(1L);
  EXPECT_EQ(t.Count(), 0);
}

TEST_F(ResStrsLookup, LoadReplacesTheWholeTableAMissingFileLeavesItEmpty) {
  clsResStrs t = LoadText("A=1\nB=2\n");
  t.Msg("Extra");
  ASSERT_TRUE(t.Load(dir_.Write("other.049", "C=3\n").string()));
  EXPECT_EQ(t.Count(), 1);
  EXPECT_EQ(t.Item("C"), "3");
  t = LoadText("A=1\n");
  const std::string missing = (dir_ / "ResStr" / "torvel.044").string();
  EXPECT_FALSE(t.Load(missing));
  EXPECT_EQ(t.Count(), 0);
  EXPECT_EQ(t.FileName(), missing);
  EXPECT_EQ(t.Msg("MSG(Question)"), "");
  EXPECT_EQ(t.Count(), 1);
}

TEST_F(ResStrsLookup, LargeUnsortedFileLoadsSortedWithoutDuplicates) {
  std::string content;
  for (int i = 0; i < 2000; ++i) {
    const int n = (i * 7919) % 2000;  // a permutation of 0..1999
    content += "Key" + std::to_string(n) + "=" + std::to_string(n) + "\n";
    if (i % 10 == 0) content += "KEY" + std::to_string(n) + "=dup\n";
  }
  clsResStrs t = LoadText(content);
  ASSERT_EQ(t.Count(), 2000);
  std::string previous;
  for (const ClsResStr& e : t) {
    EXPECT_NE(e.Text(), "dup");
    if (!previous.empty()) {
      EXPECT_LT(CompareNoCase(previous, e.Key()), 0) << previous << " " << e.Key();
    }
    previous = e.Key();
  }
}

}  // namespace
}  // namespace kx
