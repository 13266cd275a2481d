// Deletion guards: the text rules with their environment values, and the native predicate
// that keeps every delete out of the system's folders. Deletes tried on real system folders
// are in the attack suite, which runs them only inside a read-only mount namespace.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kx::test
