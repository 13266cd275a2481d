// Drive map, case-insensitive resolution and the Windows form of native paths.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "fs_fixture.h"

namespace kx::test {
namespace {

using NativePathTest = FsTest;

std::string ReplaceSlashes(const std::filesystem::path& p) {
  std::string s = p.string();
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

TEST_F(NativePathTest, DefaultDriveZIsTheRoot) {
  ClearDriveMapOverrides();
  EXPECT_EQ(ToNative("Z:\\usr\\lib"), "/usr/lib");
  EXPECT_EQ(ToWindows("/srv/jobs/A1"), "Z:\\srv\\jobs\\A1");
  EXPECT_EQ(ToWindows("/"), "Z:\\");
  EXPECT_EQ(NormalizeInputPath("/srv/jobs"), "Z:\\srv\\jobs");
  EXPECT_EQ(NormalizeInputPath("D:\\x"), "D:\\x");
}

TEST_F(NativePathTest, MapFileGivesDrivesAndSharesLongestRootWins) {
  auto jobs = tmp.MakeDir("jobs");
  auto nc = tmp.MakeDir("nc");
  auto map = tmp.Write("drives.ini", "[Drives]\r\nd: = " + jobs.string() + "\r\n\\\\Srv\\NC=" + nc.string() +
                                         "\r\nQ:=relative/ignored\r\n");
  env.Set("KESTRAFIX_DRIVE_MAP", map.string());
  ClearDriveMapOverrides();
  EXPECT_EQ(DriveMapFile(), map);
  EXPECT_EQ(ToNative("D:\\A100\\x.nc"), jobs / "A100/x.nc");
  EXPECT_EQ(ToNative("\\\\srv\\nc\\P1"), nc / "P1");
  EXPECT_EQ(ToWindows(jobs / "A100"), "D:\\A100");
  EXPECT_EQ(ToWindows(jobs), "D:\\");
  EXPECT_EQ(ToWindows(nc / "P1"), "\\\\Srv\\NC\\P1");
  EXPECT_EQ(ToWindows(tmp.Path() / "other"), "Z:" + ReplaceSlashes(tmp.Path() / "other"));
  EXPECT_FALSE(DriveRoot("Q:").has_value());
  std::vector<std::string> letters;
  for (auto& [l, r] : MappedDrives()) letters.push_back(l);
  EXPECT_EQ(letters, (std::vector<std::string>{"D:", "Z:"}));
}

TEST_F(NativePathTest, MapFileFoundThroughXdgFolders) {
  env.Unset("KESTRAFIX_DRIVE_MAP");
  env.Set("XDG_CONFIG_HOME", (tmp.Path() / "home-cfg").string());
  env.Set("XDG_CONFIG_DIRS", (tmp.Path() / "sys1").string() + ":" + (tmp.Path() / "sys2").string());
  auto second = tmp.Write("sys2/kestrafix/drives.ini", "[Drives]\nE:=/srv\n");
  EXPECT_EQ(DriveMapFile(), second);
  auto home = tmp.Write("home-cfg/kestrafix/drives.ini", "[Drives]\nE:=/opt\n");
  EXPECT_EQ(DriveMapFile(), home);
  ClearDriveMapOverrides();
  EXPECT_EQ(ToNative("E:\\x"), "/opt/x");
}

TEST_F(NativePathTest, ComponentsResolveWithoutCase) {
  tmp.Write("Jobs/A100.NC", "1");
  tmp.Write("Jobs/sub/b.txt", "2");
  EXPECT_EQ(ToNative("T:\\jobs\\a100.nc"), tmp.Path() / "Jobs/A100.NC");
  EXPECT_EQ(ToNative("T:/JOBS/SUB/B.TXT"), tmp.Path() / "Jobs/sub/b.txt");
  // A missing tail is kept as typed, after the resolved part.
  EXPECT_EQ(ToNative("T:\\JOBS\\New\\Deep.nc"), tmp.Path() / "Jobs/New/Deep.nc");
  EXPECT_EQ(ToNative("T:\\jobs\\sub\\..\\.\\A100.nc"), tmp.Path() / "Jobs/A100.NC");
  EXPECT_EQ(ToNative("T:\\..\\..\\x"), tmp.Path() / "x");  // ".." stops at the drive's root
}

TEST_F(NativePathTest, AmbiguousCaseResolvesDeterministically) {
  tmp.Write("dup/README", "upper");
  tmp.Write("dup/readme", "lower");
  tmp.Write("dup/ReadMe", "mixed");
  const auto chosen = ToNative("T:\\dup\\rEADME");
  EXPECT_EQ(chosen.filename(), "README");  // equal without case: byte order decides
  EXPECT_EQ(ToNative("T:\\dup\\readme"), tmp.Path() / "dup/readme");  // the exact name first
  // Folders in two spellings: the one under which the rest exists, also past an exact name.
  tmp.Write("Jobs/A1/a.nc", "");
  tmp.Write("JOBS/B2/b.nc", "");
  EXPECT_EQ(ToNative("T:\\jobs\\b2\\B.NC"), tmp.Path() / "JOBS/B2/b.nc");
  EXPECT_EQ(ToNative("T:\\Jobs\\B2\\b.nc"), tmp.Path() / "JOBS/B2/b.nc");
  EXPECT_EQ(ToNative("T:\\JOBS\\a1\\a.nc"), tmp.Path() / "Jobs/A1/a.nc");
  EXPECT_EQ(ToNative("T:\\jobs\\A1\\new.nc"), tmp.Path() / "Jobs/A1/new.nc");  // most of it exists there
}

TEST_F(NativePathTest, UnmappedDrivesNeverExist) {
  auto p = ToNative("Y:\\");
  EXPECT_NE(p, "/");
  EXPECT_FALSE(std::filesystem::exists(p));
  EXPECT_FALSE(std::filesystem::exists(ToNative("\\\\nosrv\\noshare\\x")));
  EXPECT_FALSE(fso.FileExists("Y:\\etc\\passwd"));
  EXPECT_FALSE(fso.DriveExists("Y:"));
}

TEST_F(NativePathTest, RelativePathsUseTheCurrentFolder) {
  tmp.Write("cwd/Here.txt", "x");
  ASSERT_EQ(::chdir((tmp.Path() / "cwd").c_str()), 0);
  EXPECT_EQ(ToNative("here.txt"), tmp.Path() / "cwd/Here.txt");
  EXPECT_EQ(ToNative("T:here.txt"), tmp.Path() / "cwd/Here.txt");
  EXPECT_EQ(ToNative("\\cwd\\here.txt"), tmp.Path() / "cwd/Here.txt");  // the current drive's root
  ASSERT_EQ(::chdir("/"), 0);
}

}  // namespace
}  // namespace kx::test
