// The file-system object in both modes: path text rules, folder and file enumeration, and the
// probes (existence, drives, special folders, read-only, in use, file times).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "case_table.h"
#include "core/error.h"
#include "fs_fixture.h"

namespace kx::test {
namespace {

using PathTextTest = FsTest;

// The cases of tests/data/cases/path_names.txt: the name rules in both modes.
TEST_F(PathTextTest, NameRulesOfBothModes) {
  const std::map<std::string, std::string (clsFso::*)(const std::string&) const> rules = {
      {"GetDriveName", &clsFso::GetDriveName},
      {"GetFileName", &clsFso::GetFileName},
      {"GetBaseName", &clsFso::GetBaseName},
      {"GetExtensionName", &clsFso::GetExtensionName},
      {"GetParentFolderName", &clsFso::GetParentFolderName},
      {"GetAbsolutePathName", &clsFso::GetAbsolutePathName}};
  for (const Case& c : Cases("path_names.txt")) {
    const clsFso& f = c.in[0] == "object" ? fso : fallback;
    EXPECT_EQ(c.in[1] == "BuildPath" ? f.BuildPath(c.in[2], c.in[3]) : (f.*rules.at(c.in[1]))(c.in[2]), c.out)
        << c.line;
  }
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

std::vector<std::string> Items(const PathList& list) {
  std::vector<std::string> out;
  for (const std::string& s : list) out.push_back(s);
  return out;
}

bool fsoIs(const clsFso* f) { return f->FsoFoldersActive(); }

class EnumTest : public FsTest {
 protected:
  void SetUp() override {
    tmp.Write("Jobs/b.nc", "");
    tmp.Write("Jobs/A.NC", "");
    tmp.Write("Jobs/c.txt", "");
    tmp.Write("Jobs/readme", "");
    tmp.Write("Jobs/A100/p.nc", "");
    tmp.Write("Jobs/A100/deep/q.nc", "");
    tmp.Write("Jobs/a200/r.nc", "");
    tmp.Write("Jobs/A100.old/s.nc", "");
  }
};

TEST_F(EnumTest, GetFilesFiltersSortsAndDedups) {
  EXPECT_EQ(fso.GetFiles("T:\\Jobs").Count(), 0);  // no filter, no file
  EXPECT_EQ(Items(fso.GetFiles("T:\\Jobs\\", "*.nc;*.txt")),
            (std::vector<std::string>{"T:\\Jobs\\A.NC", "T:\\Jobs\\b.nc", "T:\\Jobs\\c.txt"}));
  EXPECT_EQ(fso.GetFiles("T:\\Jobs", "*.nc;A*;;*.NC").Count(), 2);  // each file once
  EXPECT_EQ(Items(fso.GetFiles("T:\\jobs", "*.")), (std::vector<std::string>{"T:\\jobs\\readme"}));
  EXPECT_EQ(fso.GetFiles("T:\\Jobs", "*.*", 1).Count(), 1);
  EXPECT_EQ(fso.GetFiles("T:\\Jobs", "*.*").Count(), 4);  // folders are not files
  EXPECT_EQ(fso.GetFiles("T:\\Missing", "*.*").Count(), 0);
  // Names that differ in more than letter case are different paths, each listed.
  for (const char* n :
       {"A1", "\uFF211", "A\u00B2", "\uFB01le", "file", "a\u00ADb", "ab", "caf\u00E9", "cafe\u0301"})
    tmp.Write(std::string("Sim/") + n, "");
  EXPECT_EQ(fso.GetFiles("T:\\Sim", "*").Count(), 9);
}

TEST_F(EnumTest, GetFoldersDottedNamesOnlyInObjectMode) {
  EXPECT_EQ(Items(fso.GetFolders("T:\\Jobs")),
            (std::vector<std::string>{"T:\\Jobs\\A100", "T:\\Jobs\\A100.old", "T:\\Jobs\\a200"}));
  EXPECT_EQ(Items(fallback.GetFolders("T:\\Jobs")),
            (std::vector<std::string>{"T:\\Jobs\\A100", "T:\\Jobs\\a200"}));
  EXPECT_EQ(fso.GetFolders("T:\\Jobs", 1).Count(), 1);
  EXPECT_EQ(fallback.GetFolders("T:\\Missing").Count(), 0);
  EXPECT_EQ(ErrorOf([&] { fso.GetFolders("T:\\Missing"); }).Number(), err::PathNotFound);
}

TEST_F(EnumTest, GetAllFoldersLevelsAndOverlappingRoots) {
  for (clsFso* f : {&fso, &fallback}) {
    EXPECT_EQ(Items(f->GetAllFolders("T:\\Jobs;T:\\Jobs\\A100", 0)),
              (std::vector<std::string>{"T:\\Jobs", "T:\\Jobs\\A100"}));
    EXPECT_EQ(f->GetAllFolders("T:\\Jobs;T:\\Jobs\\A100", 1).Count(), fsoIs(f) ? 5 : 4);
    EXPECT_EQ(f->GetAllFolders("T:\\Jobs", -1).Count(), fsoIs(f) ? 5 : 4);
  }
  EXPECT_EQ(
      Items(fallback.GetAllFolders("T:\\Jobs", -1)),
      (std::vector<std::string>{"T:\\Jobs", "T:\\Jobs\\A100", "T:\\Jobs\\A100\\deep", "T:\\Jobs\\a200"}));
  EXPECT_EQ(Items(fso.GetAllFolders("T:\\Jobs", 1)),
            (std::vector<std::string>{"T:\\Jobs", "T:\\Jobs\\A100", "T:\\Jobs\\A100.old", "T:\\Jobs\\a200"}));
  EXPECT_THROW(fso.GetAllFolders("T:\\Missing", 1), KxError);
  EXPECT_EQ(Items(fallback.GetAllFolders("T:\\Missing", 1)), (std::vector<std::string>{"T:\\Missing"}));
}

TEST_F(EnumTest, GetAllFilesOverTheTree) {
  EXPECT_EQ(fso.GetAllFiles("T:\\Jobs", "", -1).Count(), 0);
  EXPECT_EQ(Items(fallback.GetAllFiles("T:\\Jobs", "*.nc", -1)),
            (std::vector<std::string>{"T:\\Jobs\\A.NC", "T:\\Jobs\\A100\\deep\\q.nc", "T:\\Jobs\\A100\\p.nc",
                                      "T:\\Jobs\\a200\\r.nc", "T:\\Jobs\\b.nc"}));
  EXPECT_EQ(fso.GetAllFiles("T:\\Jobs", "*.nc", -1).Count(), 6);  // with A100.old
  EXPECT_EQ(fso.GetAllFiles("T:\\Jobs", "*.nc", 0).Count(), 2);
}

TEST_F(EnumTest, LinkLoopsEndTheWalk) {
  std::filesystem::create_directory_symlink(tmp.Path() / "Jobs", tmp.Path() / "Jobs/A100/loop");
  EXPECT_EQ(fso.GetAllFolders("T:\\Jobs", -1).Count(), 6);
  EXPECT_EQ(fallback.GetAllFolders("T:\\Jobs", -1).Count(), 5);
}

// A root inside another root is walked to the level from itself; a real folder already
// reached through a link is still walked (only a folder on its own way down is not).
TEST_F(EnumTest, NestedRootsAndLinkedFoldersAreWalkedInFull) {
  tmp.Write("Jobs/A100/deep/deeper/x.nc", "");
  EXPECT_EQ(fso.GetAllFolders("T:\\Jobs;T:\\Jobs\\A100", 2).Count(), 6);  // with A100\deep\deeper
  tmp.Write("r/x/y/b/c/f.nc", "");
  std::filesystem::create_directory_symlink(tmp.Path() / "r/x/y/b", tmp.Path() / "r/tob");
  std::filesystem::create_directory_symlink(tmp.Path() / "r", tmp.Path() / "r/x/y/b/c/up");
  for (clsFso* f : {&fso, &fallback}) {
    const std::vector<std::string> all = Items(f->GetAllFolders("T:\\r", -1));
    EXPECT_NE(std::find(all.begin(), all.end(), "T:\\r\\x\\y\\b\\c"), all.end()) << fsoIs(f);
    EXPECT_NE(std::find(all.begin(), all.end(), "T:\\r\\tob\\c"), all.end()) << fsoIs(f);
  }
}

TEST_F(EnumTest, GetDrivesListsMappedLetters) {
  env.MapDrive("E:", tmp.Path());
  for (clsFso* f : {&fso, &fallback})
    EXPECT_EQ(Items(f->GetDrives()), (std::vector<std::string>{"C:", "D:", "E:", "T:", "Z:"}));
}

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
  ::chmod(tmp.Write("a.nc", "x").c_str(), 0664);
  EXPECT_FALSE(fso.FileReadOnly("T:\\a.nc"));
  fso.FileReadOnly("T:\\a.nc", true);
  EXPECT_TRUE(fallback.FileReadOnly("T:\\a.nc"));
  struct stat st {};
  ::stat((tmp.Path() / "a.nc").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  fallback.FileReadOnly("T:\\a.nc", false);
  EXPECT_FALSE(fso.FileReadOnly("T:\\a.nc"));
  ::stat((tmp.Path() / "a.nc").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0664u);  // the write bits it had
  EXPECT_FALSE(fso.FileReadOnly("T:\\missing"));
  fso.FileReadOnly("T:\\missing", true);  // ignored
}

TEST_F(ProbeTest, FileInUseByAnotherProcess) {
  auto f = tmp.Write("a.nc", "x");
  EXPECT_FALSE(fso.FileInUse("T:\\a.nc"));
  for (const auto& [how, inUse] : {std::pair{0, true}, {1, true}, {3, false}}) {  // written, locked, read
    Holder h(f, how);
    EXPECT_EQ(fso.FileInUse("T:\\a.nc"), inUse) << how;
  }
  EXPECT_FALSE(fso.FileInUse("T:\\a.nc"));
  EXPECT_FALSE(fso.FileInUse("T:\\new.nc"));
  EXPECT_TRUE(std::filesystem::exists(tmp / "new.nc"));  // the probe's open creates it
}

TEST_F(ProbeTest, FolderInUseByAnotherProcess) {
  auto dir = tmp.MakeDir("job/sub");
  tmp.Write("job/f.nc", "x");
  EXPECT_FALSE(fso.FolderInUse("T:\\job"));
  for (const auto& [held, how] :
       {std::pair{dir, 2}, {tmp / "job/f.nc", 3}}) {  // a working folder, an open file
    Holder h(held, how);
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
