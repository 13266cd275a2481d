// The message table: reading message files, looking texts up, saving the table, file
// encodings, and the error reports while loading or saving.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/shared_state.h"
#include "core/text.h"
#include "fs/native_path.h"
#include "kx_version.h"
#include "messages/clsResStrs.h"
#include "platform/ui_services.h"
#include "test_environment.h"

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

// ASCII text as UTF-16 LE with byte order mark.
std::string AsciiUtf16Le(std::string_view text) {
  std::string out = "\xFF\xFE";
  for (char c : text) {
    out += c;
    out += '\0';
  }
  return out;
}

class ResStrsFiles : public test::EnvTest {
 protected:
  std::string Write(std::string_view name, std::string_view content) const {
    return env.Write(name, content).string();
  }
};

// A group is the part of the key before the first dot or parenthesis.
TEST_F(ResStrsFiles, SaveWritesGroupsAsUtf16WithCrLf) {
  clsResStrs t;
  const std::string file =
      Write("torvel.049",
            "MSG(VarValExists)=/1 exists\nLabel1(0).Caption=Folder\nMSG(Question)=Question\n"
            "NcData.DataType(0).Caption=a\nPlain=c\n");
  ASSERT_TRUE(t.Load(file));
  t.Save(true);
  EXPECT_EQ(test::ReadAll(file), AsciiUtf16Le("//<<< Label1\r\n"
                                              "Label1(0).Caption=Folder\r\n"
                                              "//>>> Label1\r\n"
                                              "\r\n"
                                              "//<<< MSG\r\n"
                                              "MSG(Question)=Question\r\n"
                                              "MSG(VarValExists)=/1 exists\r\n"
                                              "//>>> MSG\r\n"
                                              "\r\n"
                                              "//<<< NcData\r\n"
                                              "NcData.DataType(0).Caption=a\r\n"
                                              "//>>> NcData\r\n"
                                              "\r\n"
                                              "//<<< Plain\r\n"
                                              "Plain=c\r\n"
                                              "//>>> Plain\r\n"));
  EXPECT_TRUE(env.Ui().shown.empty());
}

// Without a load nothing is written; an empty loaded table saves the closing marker only.
TEST_F(ResStrsFiles, SaveWithoutLoadWritesNothingAnEmptyTableTheClosingMarker) {
  const auto files = [&] {
    namespace fs = std::filesystem;
    return std::distance(fs::recursive_directory_iterator(env.Path()), fs::recursive_directory_iterator());
  };
  const auto before = files();
  clsResStrs t;
  t.Msg("MSG(Question)");
  t.Save(true);
  t.Save(false);
  EXPECT_EQ(files(), before);
  EXPECT_TRUE(env.Ui().shown.empty());
  const std::string file = Write("empty.049", "// nothing but a comment\n");
  ASSERT_TRUE(t.Load(file));
  t.Save(true);
  EXPECT_EQ(test::ReadAll(file), AsciiUtf16Le("//>>> \r\n"));
}

TEST_F(ResStrsFiles, SaveFalseWritesKestrafix999BesideTheFile) {
  clsResStrs t;
  const std::string original = "A=1\n";
  const std::string file = Write("ResStr/torvel.049", original);
  ASSERT_TRUE(t.Load(file));
  t.Msg("MSG(Added)");
  t.Save(false);
  EXPECT_EQ(test::ReadAll(file), original);
  EXPECT_EQ(test::ReadAll(env / "ResStr" / "Kestrafix.999"),
            AsciiUtf16Le("//<<< A\r\nA=1\r\n//>>> A\r\n\r\n//<<< MSG\r\nMSG(Added)=\r\n//>>> MSG\r\n"));
}

TEST_F(ResStrsFiles, SavedFileLoadsBackTheSameEntries) {
  clsResStrs t;
  const std::string file = Write("torvel.049",
                                 "MSG(Question)=Rückfrage\n"
                                 "MSG(X)= spaced  text \n"
                                 "Label2(0).Caption=Größe: /1 €\n"
                                 "Emoji=\xF0\x9F\x98\x80\n");
  ASSERT_TRUE(t.Load(file));
  t.Msg("MSG(New)");
  t.Save(true);
  clsResStrs back;
  ASSERT_TRUE(back.Load(file));
  ASSERT_EQ(back.Count(), t.Count());
  auto a = t.begin();
  for (auto b = back.begin(); b != back.end(); ++a, ++b) {
    EXPECT_EQ(a->Key(), b->Key());
    EXPECT_EQ(a->Text(), b->Text());
  }
  EXPECT_EQ(back.Item("Label2(0).Caption"), "Größe: /1 €");
  EXPECT_EQ(back.Item("Emoji"), "\xF0\x9F\x98\x80");
}

TEST_F(ResStrsFiles, EncodingsAreRecognised) {
  clsResStrs t;
  // UTF-8 with and without byte order mark.
  ASSERT_TRUE(t.Load(Write("u8.049", "K=Über Größe\n")));
  EXPECT_EQ(t.Item("K"), "Über Größe");
  ASSERT_TRUE(t.Load(Write("u8bom.049", "\xEF\xBB\xBFK=Ä\n")));
  EXPECT_EQ(t.Item("K"), "Ä");
  // UTF-16 little and big endian with byte order mark: "K=Ä\r\n".
  ASSERT_TRUE(t.Load(Write("le.049", std::string("\xFF\xFEK\0=\0\xC4\0\r\0\n\0", 12))));
  EXPECT_EQ(t.Count(), 1);
  EXPECT_EQ(t.Item("K"), "Ä");
  ASSERT_TRUE(t.Load(Write("be.049", std::string("\xFE\xFF\0K\0=\0\xC4\0\r\0\n", 12))));
  EXPECT_EQ(t.Item("K"), "Ä");
  // Windows-1252 bytes that are not UTF-8: "Größe €".
  ASSERT_TRUE(t.Load(Write("cp.049",
                           "K=Gr\xF6\xDF"
                           "e \x80\n")));
  EXPECT_EQ(t.Item("K"), "Größe €");
}

TEST_F(ResStrsFiles, WindowsFormPathsGoThroughTheDriveMap) {
  env.Write("host/ResStr/torvel.049", "A=1\n");
  clsResStrs t;
  // Names are found without regard to case, as on the workstations the paths come from.
  ASSERT_TRUE(t.Load("C:\\HOST\\RESSTR\\Torvel.049"));
  t.Save(false);
  EXPECT_EQ(t.Item("A"), "1");
  EXPECT_EQ(test::ReadAll(env / "host/ResStr/Kestrafix.999"), AsciiUtf16Le("//<<< A\r\nA=1\r\n//>>> A\r\n"));
  EXPECT_TRUE(env.Ui().shown.empty());
}

TEST_F(ResStrsFiles, UnreadableFileIsReportedOnceAndLoadGivesFalse) {
  std::string file;
  if (::geteuid() == 0) {
    // Permissions do not stop root; this file exists but every read of it fails.
    file = "/proc/self/mem";
  } else {
    file = Write("locked.049", "A=1\n");
    ::chmod(file.c_str(), 0);
  }
  clsResStrs t;
  EXPECT_FALSE(t.Load(file));
  EXPECT_EQ(t.Count(), 0);
  ASSERT_EQ(env.Shown().size(), 1u);
  EXPECT_TRUE(env.Shown()[0].starts_with("Kestrafix / Kestrafix.clsResStrs / Load: ")) << env.Shown()[0];
  // The table still works afterwards.
  EXPECT_EQ(t.Msg("A"), "");
  EXPECT_EQ(t.Count(), 1);
}

TEST_F(ResStrsFiles, UnwritableTargetIsReportedOnce) {
  clsResStrs t;
  const std::string file = Write("ResStr/torvel.049", "A=1\n");
  ASSERT_TRUE(t.Load(file));
  env.MakeDir("ResStr/Kestrafix.999");  // a folder where the file should go
  t.Save(false);
  EXPECT_EQ(env.Shown(), std::vector<std::string>{"Kestrafix / Kestrafix.clsResStrs / Save: 75 [critical]"});
  EXPECT_EQ(t.Count(), 1);
  // The folder of the remembered file is gone: saving there fails too, with one report.
  std::filesystem::remove_all(env / "ResStr");
  t.Save(true);
  EXPECT_EQ(env.Ui().shown.size(), 2u);
}

TEST_F(ResStrsFiles, SharedTableIsCreatedOnceOnFirstUse) {
  Shared().goResStrs.reset();
  clsResStrs& first = ResStrs();
  first.Msg("MSG(Question)");
  EXPECT_EQ(Shared().goResStrs.get(), &first);
  EXPECT_EQ(&ResStrs(), &first);
  EXPECT_EQ(ResStrs().Count(), 1);
  Shared().goResStrs.reset();
}

}  // namespace
}  // namespace kx
