// Saving the table, file encodings, and error reports while loading or saving.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "config/shared_state.h"
#include "fs/native_path.h"
#include "messages/clsResStrs.h"
#include "platform/ui_services.h"
#include "test_environment.h"

namespace kx {
namespace {

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

TEST_F(ResStrsFiles, SaveWritesGroupsAsUtf16WithCrLf) {
  clsResStrs t;
  const std::string file =
      Write("torvel.049", "MSG(VarValExists)=/1 exists\nLabel1(0).Caption=Folder\nMSG(Question)=Question\n");
  ASSERT_TRUE(t.Load(file));
  t.Save(true);
  EXPECT_EQ(test::ReadAll(file), AsciiUtf16Le("//<<< Label1\r\n"
                                              "Label1(0).Caption=Folder\r\n"
                                              "//>>> Label1\r\n"
                                              "\r\n"
                                              "//<<< MSG\r\n"
                                              "MSG(Question)=Question\r\n"
                                              "MSG(VarValExists)=/1 exists\r\n"
                                              "//>>> MSG\r\n"));
  EXPECT_TRUE(env.Ui().shown.empty());
}

TEST_F(ResStrsFiles, GroupIsThePartBeforeTheFirstDotOrParenthesis) {
  clsResStrs t;
  ASSERT_TRUE(t.Load(Write("t.049", "NcData.DataType(0).Caption=a\nNcData.Filename.Caption=b\nPlain=c\n")));
  t.Save(true);
  EXPECT_EQ(test::ReadAll(env / "t.049"), AsciiUtf16Le("//<<< NcData\r\n"
                                                       "NcData.DataType(0).Caption=a\r\n"
                                                       "NcData.Filename.Caption=b\r\n"
                                                       "//>>> NcData\r\n"
                                                       "\r\n"
                                                       "//<<< Plain\r\n"
                                                       "Plain=c\r\n"
                                                       "//>>> Plain\r\n"));
}

TEST_F(ResStrsFiles, EmptyTableSavesTheClosingMarkerOnly) {
  clsResStrs t;
  const std::string file = Write("empty.049", "// nothing but a comment\n");
  ASSERT_TRUE(t.Load(file));
  t.Save(true);
  EXPECT_EQ(test::ReadAll(file), AsciiUtf16Le("//>>> \r\n"));
}

TEST_F(ResStrsFiles, SaveWithoutLoadWritesNothing) {
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
