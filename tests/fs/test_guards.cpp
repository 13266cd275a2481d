// Deletion guards: the text rules with their environment values, and the native predicate
// that keeps every delete out of the system's folders.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "fs/internal/fs_guard.h"
#include "fs_fixture.h"

namespace kx::test {
namespace {

using fs_detail::IsProtectedLocation;

class GuardTest : public FsTest {
 protected:
  void SetUp() override {
    env.Set("SystemDrive", "C:");
    env.Set("SystemRoot", "T:\\Windows");
    env.Set("windir", "T:\\WinDir");
    env.Set("ProgramFiles", "T:\\Program Files");
  }
};

TEST_F(GuardTest, ProtectedLocationPredicate) {
  namespace fsys = std::filesystem;
  for (const char* p : {"/", "/usr", "/usr/lib/x", "/etc", "/var/tmp/x", "/lib64", "/libfoo/x", "/proc/1",
                        "/bin", "/sys", "/run/user", "/boot", "/dev/null", "/sbin", "/home", "/tmp", "/root"})
    EXPECT_TRUE(IsProtectedLocation(p)) << p;
  EXPECT_TRUE(IsProtectedLocation(tmp.Path() / "../../usr/share"));
  EXPECT_TRUE(IsProtectedLocation(tmp.Path() / ".." / ".."));
  fsys::create_directory_symlink("/usr", tmp.Path() / "sneaky");
  EXPECT_TRUE(IsProtectedLocation(tmp.Path() / "sneaky"));
  EXPECT_TRUE(IsProtectedLocation(tmp.Path() / "sneaky/bin"));
  env.Set("HOME", (tmp.Path() / "home").string());
  tmp.MakeDir("home/docs");
  EXPECT_TRUE(IsProtectedLocation(tmp.Path() / "home"));
  EXPECT_TRUE(IsProtectedLocation(tmp.Path() / "home/docs/.."));
  EXPECT_FALSE(IsProtectedLocation(tmp.Path() / "home/docs"));
  EXPECT_FALSE(IsProtectedLocation(tmp.Path() / "job"));
  EXPECT_FALSE(IsProtectedLocation(tmp.Path() / "missing/deeper"));
}

TEST_F(GuardTest, TextGuardsRefuseAndDeleteNothing) {
  tmp.Write("windows/system.dll", "x");
  tmp.Write("WinDir/a.txt", "x");
  tmp.Write("Program Files/App/a.exe", "x");
  tmp.Write("star/a*b", "x");
  for (clsFso* f : {&fso, &fallback}) {
    EXPECT_EQ(f->DeleteFile("T:\\WINDOWS\\system.dll"), 0);  // SystemRoot in any case
    EXPECT_EQ(f->DeleteFile("T:\\windir\\a.txt"), 0);
    EXPECT_EQ(f->DeleteFolder("T:\\program files\\App"), 0);
    EXPECT_EQ(f->DeleteFile("T:\\star\\a*b", false, 0x94), 0);
    EXPECT_EQ(f->DeleteFile("nobackslash.txt"), 0);
  }
  EXPECT_TRUE(fso.FileExists("T:\\windows\\system.dll"));
  EXPECT_TRUE(fso.FileExists("T:\\WinDir\\a.txt"));
  EXPECT_TRUE(fso.FolderExists("T:\\Program Files\\App"));
  EXPECT_TRUE(std::filesystem::exists(tmp.Path() / "star/a*b"));
}

TEST_F(GuardTest, SystemDriveRootAndEmptyValuesRefuse) {
  auto f = tmp.Write("job/a.nc", "x");
  env.MapDrive("C:", tmp.Path() / "job");
  // The parent text is the mode's own: "C:" in fallback mode equals the system drive.
  EXPECT_EQ(fallback.DeleteFile("C:\\a.nc"), 0);
  EXPECT_TRUE(std::filesystem::exists(f));
  env.Set("windir", "");  // an empty value is contained in every path
  EXPECT_EQ(fso.DeleteFile("T:\\job\\a.nc"), 0);
  EXPECT_TRUE(std::filesystem::exists(f));
  env.Unset("windir");  // unset: the stand-in "Z:\etc" applies
  EXPECT_EQ(fso.DeleteFile("T:\\job\\a.nc"), 0);
  EXPECT_FALSE(std::filesystem::exists(f));
}

TEST_F(GuardTest, NoDeleteReachesSystemFoldersThroughMapsLinksOrDots) {
  // Drive letters mapped onto system folders: the text guards see nothing, the native one does.
  env.MapDrive("R:", "/");
  env.MapDrive("U:", "/usr");
  for (clsFso* f : {&fso, &fallback}) {
    EXPECT_EQ(f->DeleteFolder("R:\\etc"), 0);
    EXPECT_EQ(f->DeleteFolder("U:\\share"), 0);
    EXPECT_EQ(f->DeleteFolder("T:\\..\\..\\..\\usr\\share"), 0);
  }
  EXPECT_TRUE(std::filesystem::exists("/etc/passwd"));
  EXPECT_TRUE(std::filesystem::exists("/usr/share"));
  // A link inside a work folder that points at a system folder.
  std::filesystem::create_directory_symlink("/usr/share", tmp.Path() / "link");
  EXPECT_EQ(fso.DeleteFolder("T:\\link"), 0);
  EXPECT_EQ(fallback.DeleteFolder("T:\\link", true), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(tmp.Path() / "link"));
  EXPECT_TRUE(std::filesystem::exists("/usr/share"));
}

TEST_F(GuardTest, DeleteFilesOnlyInsideTheWorkAreas) {
  env.Set("Temp", (tmp.Path() / "temp").string());  // a native value is taken in Windows form
  tmp.Write("temp/Plovnik/a.nc", "x");
  tmp.Write("temp/Plovnik/b.nc", "x");
  tmp.Write("temp/Plovnik/keep.txt", "x");
  tmp.Write("data/a.nc", "x");
  EXPECT_EQ(fso.DeleteFiles("T:\\data\\*.nc"), 0);
  EXPECT_TRUE(std::filesystem::exists(tmp.Path() / "data/a.nc"));
  EXPECT_EQ(fso.DeleteFiles("T:\\temp\\Plovnik\\*.NC"), 0);
  EXPECT_FALSE(std::filesystem::exists(tmp.Path() / "temp/Plovnik/a.nc"));
  EXPECT_FALSE(std::filesystem::exists(tmp.Path() / "temp/Plovnik/b.nc"));
  EXPECT_TRUE(std::filesystem::exists(tmp.Path() / "temp/Plovnik/keep.txt"));
  // ".." out of the work area into a system folder.
  env.MapDrive("R:", "/");
  env.Set("Temp", "R:\\tmp");
  EXPECT_EQ(fallback.DeleteFiles("R:\\tmp\\Plovnik\\..\\..\\etc\\*"), 0);
  EXPECT_TRUE(std::filesystem::exists("/etc/passwd"));
}

TEST_F(GuardTest, LayoutFolderIsAWorkArea) {
  // The test program's folder plays the add-in folder: its name under the common documents.
  char exe[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  const std::string addIn = std::filesystem::path(exe).parent_path().filename().string();
  auto layout = env.MakeDir("documents/" + addIn + "/Layout");
  env.Write("documents/" + addIn + "/Layout/a.lay", "x");
  env.Write("documents/" + addIn + "/Layout/b.lay", "x");
  EXPECT_EQ(fallback.DeleteFiles("C:\\documents\\" + addIn + "\\Layout\\a.lay"), 0);
  EXPECT_FALSE(std::filesystem::exists(layout / "a.lay"));
  EXPECT_TRUE(std::filesystem::exists(layout / "b.lay"));
}

}  // namespace
}  // namespace kx::test
