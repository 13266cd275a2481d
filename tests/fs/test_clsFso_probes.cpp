// Existence, drives, special folders, read-only, in-use probes and file times.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/error.h"
#include "fs_fixture.h"

namespace kx::test {
namespace {

using ProbeTest = FsTest;

// A child process that holds `file` the way `how` says until the pipe closes.
class Holder {
 public:
  Holder(const std::filesystem::path& file, int how) {
    int ready[2], quit[2];
    if (::pipe(ready) != 0 || ::pipe(quit) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(quit[1]);
      int fd = -1;
      if (how == 0) fd = ::open(file.c_str(), O_WRONLY);
      if (how == 1) {
        fd = ::open(file.c_str(), O_RDONLY);
        ::flock(fd, LOCK_SH);
      }
      if (how == 2) ::chdir(file.c_str());
      if (how == 3) fd = ::open(file.c_str(), O_RDONLY);
      char c = 1;
      (void)!::write(ready[1], &c, 1);
      (void)!::read(quit[0], &c, 1);
      ::_exit(fd < 0 && how != 2 ? 1 : 0);
    }
    ::close(ready[1]);
    ::close(quit[0]);
    quit_ = quit[1];
    char c;
    (void)!::read(ready[0], &c, 1);
    ::close(ready[0]);
  }
  ~Holder() {
    ::close(quit_);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
  int quit_ = -1;
};

TEST_F(ProbeTest, ExistenceTests) {
  tmp.Write("dir/File.nc", "x");
  for (clsFso* f : {&fso, &fallback}) {
    EXPECT_TRUE(f->FileExists("T:\\DIR\\file.NC"));
    EXPECT_FALSE(f->FileExists("T:\\dir"));
    EXPECT_TRUE(f->FolderExists("T:\\dir\\"));
    EXPECT_FALSE(f->FolderExists("T:\\dir\\File.nc"));
    EXPECT_FALSE(f->FileExists(""));
    EXPECT_FALSE(f->FileExists("T:\\dir\\*.nc"));
    EXPECT_FALSE(f->DriveExists(""));
  }
  EXPECT_EQ(fso.ShortPath("T:\\dir\\file.nc"), "T:\\dir\\file.nc");
  EXPECT_EQ(fso.ShortPath("T:\\dir\\none.nc"), "");
}

TEST_F(ProbeTest, DriveExistsBothModes) {
  for (const char* d : {"t", "T:", "t:\\", "z"}) EXPECT_TRUE(fso.DriveExists(d)) << d;
  for (const char* d : {"T?", "Q:", "TT"}) EXPECT_FALSE(fso.DriveExists(d)) << d;
  // Fallback: the text may match anywhere in the kernel's drive list "T:\<NUL>Z:\<NUL>".
  EXPECT_TRUE(fallback.DriveExists("t:\\"));
  EXPECT_TRUE(fallback.DriveExists(":"));
  EXPECT_FALSE(fallback.DriveExists("Q:"));
}

TEST_F(ProbeTest, DriveTypeOfMappedDrives) {
  std::string text = "unchanged";
  env.MapDrive("M:", "/dev/shm");
  if (std::filesystem::is_directory("/dev/shm")) {
    EXPECT_EQ(fso.DriveType("m", &text), 6);  // tmpfs is a RAM disk
    EXPECT_EQ(text, "RAM Disk");
  }
  EXPECT_EQ(fallback.DriveType("q", &text), 1);  // no root: "q:\" is not mapped
  EXPECT_EQ(text, "");
  EXPECT_EQ(ErrorOf([&] { fso.DriveType("Q:"); }).Number(), err::DeviceUnavailable);
  EXPECT_GE(fallback.DriveType(""), 2);  // the current drive
}

TEST_F(ProbeTest, SpecialFolders) {
  env.Set("KESTRAFIX_COMMON_DOCUMENTS", (tmp / "docs").string());  // not there yet
  EXPECT_EQ(fso.GetSHSpecialFolder(46), "T:\\docs");
  EXPECT_EQ(fso.GetSHSpecialFolder(46, false, true), "");  // verified: it does not exist yet
  EXPECT_EQ(fso.GetSHSpecialFolder(46, true, true), "T:\\docs");
  EXPECT_TRUE(std::filesystem::is_directory(tmp / "docs"));
  EXPECT_EQ(fso.GetSHSpecialFolder(38), "C:\\programs");
  EXPECT_EQ(fso.GetSHSpecialFolder(35), "C:\\appdata");
  env.Set("KESTRAFIX_COMMON_APPDATA", "T:\\win-form");
  EXPECT_EQ(fso.GetSHSpecialFolder(35), "T:\\win-form");
  EXPECT_EQ(fso.GetSHSpecialFolder(5), "");
  EXPECT_EQ(fso.GetSpecialFolder(11), "");
  EXPECT_EQ(fso.GetSpecialFolder(-1), "");
  env.Set("SystemRoot", "C:\\Windows");
  EXPECT_EQ(fso.GetSpecialFolder(6), "C:\\Windows");  // name without case
  env.Set("TEMP", (tmp.Path() / "t").string());
  EXPECT_EQ(fso.GetSpecialFolder(7), "T:\\t");  // native value in Windows form
  env.Unset("windir");
  env.Unset("WINDIR");
  EXPECT_EQ(fso.GetSpecialFolder(10), "Z:\\etc");  // the stand-in
}

TEST_F(ProbeTest, ReadOnlyAttribute) {
  tmp.Write("a.nc", "x");
  EXPECT_FALSE(fso.FileReadOnly("T:\\a.nc"));
  fso.FileReadOnly("T:\\a.nc", true);
  EXPECT_TRUE(fallback.FileReadOnly("T:\\a.nc"));
  struct stat st {};
  ::stat((tmp.Path() / "a.nc").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0222, 0u);
  fallback.FileReadOnly("T:\\a.nc", false);
  EXPECT_FALSE(fso.FileReadOnly("T:\\a.nc"));
  EXPECT_FALSE(fso.FileReadOnly("T:\\missing"));
  fso.FileReadOnly("T:\\missing", true);  // ignored
}

TEST_F(ProbeTest, FileInUseByAnotherProcess) {
  auto f = tmp.Write("a.nc", "x");
  EXPECT_FALSE(fso.FileInUse("T:\\a.nc"));
  {
    Holder h(f, 0);
    EXPECT_TRUE(fso.FileInUse("T:\\a.nc"));
  }
  {
    Holder h(f, 1);
    EXPECT_TRUE(fso.FileInUse("T:\\a.nc"));
  }
  {
    Holder h(f, 3);  // open for reading only, no lock
    EXPECT_FALSE(fso.FileInUse("T:\\a.nc"));
  }
  EXPECT_FALSE(fso.FileInUse("T:\\a.nc"));
  EXPECT_FALSE(fso.FileInUse("T:\\new.nc"));
  EXPECT_TRUE(std::filesystem::exists(tmp / "new.nc"));  // the probe's open creates it
}

TEST_F(ProbeTest, FolderInUseByAnotherProcess) {
  auto dir = tmp.MakeDir("job/sub");
  tmp.Write("job/f.nc", "x");
  EXPECT_FALSE(fso.FolderInUse("T:\\job"));
  {
    Holder h(dir, 2);
    EXPECT_TRUE(fso.FolderInUse("T:\\job"));
  }
  {
    Holder h(tmp / "job/f.nc", 3);
    EXPECT_TRUE(fso.FolderInUse("T:\\job"));
  }
  EXPECT_FALSE(fso.FolderInUse("T:\\job"));
  EXPECT_FALSE(fso.FolderInUse("T:\\missing"));
}

TEST_F(ProbeTest, FileDates) {
  tmp.Write("a.nc", "x");
  fso.FileDate("T:\\a.nc", 6, "2021-03-04 05:06:07");
  EXPECT_EQ(fso.FileDate("T:\\a.nc", 2), "2021-03-04 05:06:07");
  EXPECT_EQ(fso.FileDate("T:\\a.nc", 4), "2021-03-04 05:06:07");
  EXPECT_NE(fso.FileDate("T:\\a.nc", 1), "2021-03-04 05:06:07");  // creation stays
  fso.FileDate("T:\\a.nc", 4, "2022-12-31 23:59:58");
  EXPECT_EQ(fso.FileDate("T:\\a.nc", 4), "2022-12-31 23:59:58");
  EXPECT_EQ(fso.FileDate("T:\\a.nc", 2), "2021-03-04 05:06:07");
  for (const char* bad : {"2021-02-30 00:00:00", "not a date", "2021-13-01 00:00:00", "1500-01-01 00:00:00"})
    fso.FileDate("T:\\a.nc", 4, bad);
  EXPECT_EQ(fso.FileDate("T:\\a.nc", 4), "2022-12-31 23:59:58");
  EXPECT_EQ(fso.FileDate("T:\\missing", 4), "");
  EXPECT_EQ(fso.FileDate("T:\\a.nc", 3), "1601-01-01 00:00:00");
}

}  // namespace
}  // namespace kx::test
