// Path text rules of both modes.
#include <gtest/gtest.h>
#include <unistd.h>

#include "core/error.h"
#include "fs_fixture.h"

namespace kx::test {
namespace {

using PathTextTest = FsTest;

TEST_F(PathTextTest, FallbackDriveName) {
  EXPECT_EQ(fallback.GetDriveName("\\\\srv\\share\\dir\\f"), "\\\\srv\\share");
  EXPECT_EQ(fallback.GetDriveName("\\\\srv\\share"), "\\\\srv\\share");
  EXPECT_EQ(fallback.GetDriveName("\\\\srv"), "\\\\srv");
  EXPECT_EQ(fallback.GetDriveName("\\\\srv\\"), "");
  EXPECT_EQ(fallback.GetDriveName("C:\\dir\\f"), "C:");
  EXPECT_EQ(fallback.GetDriveName("OO:"), "OO:");
  EXPECT_EQ(fallback.GetDriveName("x.txt"), "");
  EXPECT_EQ(fallback.GetDriveName(":x"), "");
}

TEST_F(PathTextTest, FallbackNameParts) {
  EXPECT_EQ(fallback.GetFileName("C:\\dir\\f.nc"), "f.nc");
  EXPECT_EQ(fallback.GetFileName("C:\\dir\\"), "");
  EXPECT_EQ(fallback.GetFileName("C:"), "");
  EXPECT_EQ(fallback.GetFileName("\\\\srv\\share\\d\\f.x"), "f.x");
  EXPECT_EQ(fallback.GetFileName("name"), "name");
  EXPECT_EQ(fallback.GetBaseName("C:\\dir\\a.b.c"), "a.b");
  EXPECT_EQ(fallback.GetBaseName("C:\\dir\\a.b\\\\"), "a");
  EXPECT_EQ(fallback.GetBaseName(".a"), "");
  EXPECT_EQ(fallback.GetExtensionName("C:\\d.x\\f"), "x\\f");  // the last "." of the whole path
  EXPECT_EQ(fallback.GetExtensionName("noext"), "");
  EXPECT_EQ(fallback.GetParentFolderName("C:\\dir\\f"), "C:\\dir");
  EXPECT_EQ(fallback.GetParentFolderName("C:\\dir\\"), "C:");
  EXPECT_EQ(fallback.GetParentFolderName("C:\\f"), "C:");
  EXPECT_EQ(fallback.GetParentFolderName("f"), "");
  EXPECT_EQ(fallback.BuildPath("C:", "n"), "C:\\n");
  EXPECT_EQ(fallback.BuildPath("C:\\p\\\\", "\\\\n"), "C:\\p\\n");
  EXPECT_EQ(fallback.GetAbsolutePathName("  C:\\x\\\\ "), "C:\\x");
  EXPECT_EQ(fallback.GetAbsolutePathName("  C:\\x\\\\"), "C:\\x");
}

TEST_F(PathTextTest, ObjectModeNamesFollowThePlatformObject) {
  EXPECT_EQ(fso.GetParentFolderName("C:\\dir\\f"), "C:\\dir");
  EXPECT_EQ(fso.GetParentFolderName("C:\\f"), "C:\\");
  EXPECT_EQ(fso.GetParentFolderName("C:\\dir\\"), "C:\\");
  for (const char* empty : {"C:\\", "C:", "f", ""}) EXPECT_EQ(fso.GetParentFolderName(empty), "") << empty;
  EXPECT_EQ(fso.GetParentFolderName("ac:\\a"), "ac:");
  EXPECT_EQ(fso.GetParentFolderName("\\\\srv\\share\\dir\\f"), "\\\\srv\\share\\dir");
  EXPECT_EQ(fso.GetParentFolderName("\\\\srv\\share"), "\\\\srv");
  EXPECT_EQ(fso.GetFileName("a/a.b"), "a.b");
  EXPECT_EQ(fso.GetFileName("a\\"), "a");
  EXPECT_EQ(fso.GetFileName("c:"), "");
  EXPECT_EQ(fso.GetFileName("C:\\dir\\"), "dir");
  EXPECT_EQ(fso.GetBaseName("a/a.b.c"), "a.b");
  EXPECT_EQ(fso.GetBaseName("a.b\\"), "a");
  EXPECT_EQ(fso.GetBaseName(".a"), "");
  EXPECT_EQ(fso.GetBaseName("c:"), "");
  EXPECT_EQ(fso.GetBaseName("file."), "file");
  EXPECT_EQ(fso.GetBaseName("\\\\srv\\share\\d\\f.x"), "f");
  EXPECT_EQ(fso.GetExtensionName("n.o.eXt"), "eXt");
  EXPECT_EQ(fso.GetExtensionName(".a"), "a");
  EXPECT_EQ(fso.GetExtensionName("C:\\d.x\\f"), "");
  EXPECT_EQ(fso.GetDriveName("C:\\1.tst"), "C:");
  EXPECT_EQ(fso.GetDriveName("o:"), "o:");
  EXPECT_EQ(fso.GetDriveName("OO:"), "");
  EXPECT_EQ(fso.GetDriveName("O"), "");
  EXPECT_EQ(fso.GetDriveName("\\\\srv\\share\\dir"), "\\\\srv\\share");
}

TEST_F(PathTextTest, ObjectModeBuildPath) {
  for (const char* p : {"C:\\path", "C:\\path\\"})
    for (const char* n : {"name", "\\name"}) EXPECT_EQ(fso.BuildPath(p, n), "C:\\path\\name");
  EXPECT_EQ(fso.BuildPath("C:", "n"), "C:n");
  EXPECT_EQ(fso.BuildPath("C:\\p", "..\\n"), "C:\\p\\..\\n");
  EXPECT_EQ(fso.BuildPath("", "n"), "n");
  EXPECT_EQ(fso.BuildPath("C:\\p", ""), "C:\\p");
}

TEST_F(PathTextTest, ObjectModeAbsolutePathName) {
  tmp.MakeDir("mydocuments/reports");
  ASSERT_EQ(::chdir((tmp.Path() / "mydocuments/reports").c_str()), 0);
  const std::string cwd = "T:\\mydocuments\\reports";
  EXPECT_EQ(fso.GetAbsolutePathName(""), cwd);
  EXPECT_EQ(fso.GetAbsolutePathName("T:"), cwd);
  EXPECT_EQ(fso.GetAbsolutePathName("T:.."), "T:\\mydocuments");
  EXPECT_EQ(fso.GetAbsolutePathName("region1"), cwd + "\\region1");
  EXPECT_EQ(fso.GetAbsolutePathName("T:*.*\\may97"), cwd + "\\*.*\\may97");
  EXPECT_EQ(fso.GetAbsolutePathName("T:\\..\\..\\mydocuments"), "T:\\mydocuments");
  EXPECT_EQ(fso.GetAbsolutePathName("D:x\\"), "D:\\x");
  EXPECT_EQ(fso.GetAbsolutePathName(" D:\\a\\.\\b\\..\\c "), "D:\\a\\c");
  ASSERT_EQ(::chdir("/"), 0);
}

TEST_F(PathTextTest, FileParts) {
  auto parts = fso.GetFileParts("C:\\jobs\\A100.nc");
  ASSERT_EQ(parts.Count(), 5);
  const char* keys[] = {"FullFile", "Drive", "Folder", "Filename", "Extension"};
  const char* values[] = {"C:\\jobs\\A100.nc", "C:", "C:\\jobs", "A100", "nc"};
  for (long i = 1; i <= 5; ++i) {
    EXPECT_EQ(*parts.KeyAt(i), keys[i - 1]);
    EXPECT_EQ(parts.Item(i), values[i - 1]);
  }
  EXPECT_EQ(fallback.GetFileParts("C:\\f").Item("Folder"), "C:");
  EXPECT_EQ(fso.GetFileParts("C:\\f").Item("Folder"), "C:\\");
}

TEST_F(PathTextTest, LongPathTakesStoredNames) {
  tmp.Write("Jobs/A100/Prog.NC", "x");
  EXPECT_EQ(fso.LongPath("T:\\jobs\\a100\\prog.nc"), "T:\\Jobs\\A100\\Prog.NC");
  EXPECT_EQ(fallback.LongPath("T:\\JOBS\\a1*"), "T:\\Jobs\\A100");
  EXPECT_EQ(fso.LongPath("T:\\jobs\\missing\\prog.nc"), "");
  EXPECT_EQ(fso.LongPath("C:"), "");
  EXPECT_EQ(fso.LongPath("C:\\"), "C:\\");
  EXPECT_EQ(fso.LongPath("\\\\srv\\share\\x"), "\\\\srv\\share\\x");
}

TEST_F(PathTextTest, InitializeReadsTheFsoSection) {
  auto ini = tmp.Write("k.ini", "[FSO]\nActive=0\n").string();
  clsFso f;
  f.Initialize(ini);
  EXPECT_FALSE(f.FsoActive());
  EXPECT_TRUE(f.FsoFoldersActive());
  f.Initialize(tmp.Write("t.ini", "[FSO]\nActive=TRUE\nFoldersActive=false\n").string());
  EXPECT_TRUE(f.FsoActive());
  EXPECT_FALSE(f.FsoFoldersActive());
  f.Initialize(tmp.Write("n.ini", "[Other]\nActive=0\n").string());
  EXPECT_TRUE(f.FsoActive());
  clsFso bad;
  try {
    bad.Initialize(tmp.Write("bad.ini", "[FSO]\nActive=maybe\nFoldersActive=0\n").string());
    FAIL() << "no error";
  } catch (const KxError& e) {
    EXPECT_EQ(e.Number(), err::TypeMismatch);
  }
  EXPECT_TRUE(bad.FsoFoldersActive());  // the rest of the file is not read
}

}  // namespace
}  // namespace kx::test
