// Path text rules of both modes.
#include <gtest/gtest.h>
#include <unistd.h>

#include "core/error.h"
#include "fs_fixture.h"

namespace kx::test {
namespace {

using PathTextTest = FsTest;

// One name rule applied to a path, and what it gives.
struct NameCase {
  std::string (clsFso::*rule)(const std::string&) const;
  const char* path;
  const char* expected;
};

void ExpectNames(const clsFso& f, std::initializer_list<NameCase> cases) {
  for (const NameCase& c : cases) EXPECT_EQ((f.*c.rule)(c.path), c.expected) << c.path;
}

TEST_F(PathTextTest, FallbackNamePartsAreTextRules) {
  using F = clsFso;
  // clang-format off
  ExpectNames(fallback, {
      {&F::GetDriveName, "\\\\srv\\share\\dir\\f", "\\\\srv\\share"}, {&F::GetDriveName, "\\\\srv\\share", "\\\\srv\\share"},
      {&F::GetDriveName, "\\\\srv", "\\\\srv"}, {&F::GetDriveName, "\\\\srv\\", ""}, {&F::GetDriveName, "C:\\dir\\f", "C:"},
      {&F::GetDriveName, "OO:", "OO:"}, {&F::GetDriveName, "x.txt", ""}, {&F::GetDriveName, ":x", ""},
      {&F::GetFileName, "C:\\dir\\f.nc", "f.nc"}, {&F::GetFileName, "C:\\dir\\", ""}, {&F::GetFileName, "C:", ""},
      {&F::GetFileName, "\\\\srv\\share\\d\\f.x", "f.x"}, {&F::GetFileName, "name", "name"},
      {&F::GetBaseName, "C:\\dir\\a.b.c", "a.b"}, {&F::GetBaseName, "C:\\dir\\a.b\\\\", "a"}, {&F::GetBaseName, ".a", ""},
      {&F::GetExtensionName, "C:\\d.x\\f", "x\\f"},  // the last "." of the whole path
      {&F::GetExtensionName, "noext", ""}, {&F::GetParentFolderName, "C:\\dir\\f", "C:\\dir"},
      {&F::GetParentFolderName, "C:\\dir\\", "C:"}, {&F::GetParentFolderName, "C:\\f", "C:"},
      {&F::GetParentFolderName, "f", ""}, {&F::GetAbsolutePathName, "  C:\\x\\\\ ", "C:\\x"},
      {&F::GetAbsolutePathName, "  C:\\x\\\\", "C:\\x"}});
  // clang-format on
  EXPECT_EQ(fallback.BuildPath("C:", "n"), "C:\\n");
  EXPECT_EQ(fallback.BuildPath("C:\\p\\\\", "\\\\n"), "C:\\p\\n");
}

TEST_F(PathTextTest, ObjectModeNamesFollowThePlatformObject) {
  using F = clsFso;
  // clang-format off
  ExpectNames(fso, {
      {&F::GetParentFolderName, "C:\\dir\\f", "C:\\dir"}, {&F::GetParentFolderName, "C:\\f", "C:\\"},
      {&F::GetParentFolderName, "C:\\dir\\", "C:\\"}, {&F::GetParentFolderName, "C:\\", ""},
      {&F::GetParentFolderName, "C:", ""}, {&F::GetParentFolderName, "f", ""}, {&F::GetParentFolderName, "", ""},
      {&F::GetParentFolderName, "ac:\\a", "ac:"}, {&F::GetParentFolderName, "\\\\srv\\share\\dir\\f", "\\\\srv\\share\\dir"},
      {&F::GetParentFolderName, "\\\\srv\\share", "\\\\srv"}, {&F::GetFileName, "a/a.b", "a.b"},
      {&F::GetFileName, "a\\", "a"}, {&F::GetFileName, "c:", ""}, {&F::GetFileName, "C:\\dir\\", "dir"},
      {&F::GetBaseName, "a/a.b.c", "a.b"}, {&F::GetBaseName, "a.b\\", "a"}, {&F::GetBaseName, ".a", ""},
      {&F::GetBaseName, "c:", ""}, {&F::GetBaseName, "file.", "file"}, {&F::GetBaseName, "\\\\srv\\share\\d\\f.x", "f"},
      {&F::GetExtensionName, "n.o.eXt", "eXt"}, {&F::GetExtensionName, ".a", "a"}, {&F::GetExtensionName, "C:\\d.x\\f", ""},
      {&F::GetDriveName, "C:\\1.tst", "C:"}, {&F::GetDriveName, "o:", "o:"}, {&F::GetDriveName, "OO:", ""},
      {&F::GetDriveName, "O", ""}, {&F::GetDriveName, "\\\\srv\\share\\dir", "\\\\srv\\share"}});
  // clang-format on
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
  EXPECT_EQ(ErrorOf([&] {
              bad.Initialize(tmp.Write("bad.ini", "[FSO]\nActive=maybe\nFoldersActive=0\n").string());
            }).Number(),
            err::TypeMismatch);
  EXPECT_TRUE(bad.FsoFoldersActive());  // the rest of the file is not read
}

}  // namespace
}  // namespace kx::test
