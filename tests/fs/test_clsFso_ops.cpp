// Copy, move, delete, trash and folder creation in both modes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "core/error.h"
#include "fs/internal/file_ops.h"
#include "fs_fixture.h"

namespace kx::test {
namespace {

namespace fsys = std::filesystem;

class OpsTest : public FsTest {
 protected:
  long ErrorOf(const std::function<void()>& fn) {
    try {
      fn();
    } catch (const KxError& e) {
      EXPECT_EQ(e.Source(), "clsFso");
      return e.Number();
    }
    return 0;
  }
};

TEST_F(OpsTest, CopyFileOverwriteRules) {
  tmp.Write("src/a.nc", "new");
  auto dst = tmp.Write("dst/a.nc", "old");
  EXPECT_EQ(fallback.CopyFile("T:\\src\\a.nc", "T:\\dst\\a.nc"), 0);  // skipped
  EXPECT_EQ(ReadAll(dst), "old");
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile("T:\\src\\a.nc", "T:\\dst\\a.nc"); }), err::FileAlreadyExists);
  EXPECT_EQ(ReadAll(dst), "old");
  EXPECT_EQ(fso.CopyFile("T:\\src\\a.nc", "T:\\dst\\a.nc", true), 0);
  EXPECT_EQ(ReadAll(dst), "new");
  EXPECT_EQ(ReadAll(tmp / "src/a.nc"), "new");
  // A read-only target: the object refuses even with OverWrite.
  tmp.Write("dst/ro.nc", "ro");
  fso.FileReadOnly("T:\\dst\\ro.nc", true);
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile("T:\\src\\a.nc", "T:\\dst\\ro.nc", true); }), err::PermissionDenied);
  EXPECT_EQ(ReadAll(tmp / "dst/ro.nc"), "ro");
}

TEST_F(OpsTest, CopyFileErrorsAndTargets) {
  tmp.Write("src/a.nc", "A");
  tmp.Write("src/b.nc", "B");
  tmp.MakeDir("dst");
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile("T:\\src\\none.nc", "T:\\dst\\x"); }), err::FileNotFound);
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile("T:\\src", "T:\\dst\\x"); }), err::FileNotFound);
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile("T:\\src\\z*.nc", "T:\\dst\\"); }), err::FileNotFound);
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile("T:\\src\\a.nc", "T:\\dst"); }), err::PermissionDenied);
  EXPECT_EQ(ErrorOf([&] { fso.CopyFile("T:\\src\\a.nc", "T:\\nofolder\\"); }), err::PathNotFound);
  EXPECT_EQ(fso.CopyFile("T:\\src\\*.NC", "T:\\dst\\"), 0);
  EXPECT_EQ(ReadAll(tmp / "dst/a.nc") + ReadAll(tmp / "dst/b.nc"), "AB");
  EXPECT_EQ(fso.CopyFile("T:\\SRC\\A.NC", "T:\\dst\\renamed.nc"), 0);
  EXPECT_EQ(ReadAll(tmp / "dst/renamed.nc"), "A");
  // The shell's copy in fallback mode: into an existing folder, or as a new name.
  EXPECT_EQ(fallback.CopyFile("T:\\src\\a.nc", "T:\\shell\\deep\\c.nc"), 0);
  EXPECT_EQ(ReadAll(tmp / "shell/deep/c.nc"), "A");
  EXPECT_NE(fallback.CopyFile("T:\\src\\none.nc", "T:\\shell\\x.nc"), 0);
}

TEST_F(OpsTest, CopyFolderMergesAndKeepsClashes) {
  tmp.Write("src1/a.txt", "new a");
  tmp.Write("src1/sub/b.txt", "b");
  tmp.Write("x/dst/a.txt", "old a");
  EXPECT_EQ(ErrorOf([&] { fso.CopyFolder("T:\\src1", "T:\\x\\dst"); }), err::FileAlreadyExists);
  EXPECT_EQ(ReadAll(tmp / "x/dst/a.txt"), "old a");
  EXPECT_EQ(fso.CopyFolder("T:\\src1", "T:\\x\\dst", true), 0);
  EXPECT_EQ(ReadAll(tmp / "x/dst/a.txt"), "new a");
  EXPECT_EQ(ReadAll(tmp / "x/dst/sub/b.txt"), "b");
  EXPECT_EQ(fso.CopyFolder("T:\\src1", "T:\\x\\dst\\"), 0);  // trailing "\": inside
  EXPECT_EQ(ReadAll(tmp / "x/dst/src1/sub/b.txt"), "b");
  EXPECT_EQ(ErrorOf([&] { fso.CopyFolder("T:\\nothere", "T:\\x\\y"); }), err::PathNotFound);
  EXPECT_EQ(ErrorOf([&] { fso.CopyFolder("T:\\src1", "T:\\x\\dst\\a.txt"); }), err::FileAlreadyExists);
  EXPECT_EQ(fallback.CopyFolder("T:\\src1", "T:\\x\\dst"), 0);  // exists, no OverWrite: skipped
  EXPECT_EQ(fallback.CopyFolder("T:\\src1", "T:\\fresh"), 0);
  EXPECT_EQ(ReadAll(tmp / "fresh/sub/b.txt"), "b");
  EXPECT_TRUE(fsys::exists(tmp / "src1/sub/b.txt"));
}

TEST_F(OpsTest, MoveFileRules) {
  tmp.Write("a.nc", "A");
  tmp.Write("b.nc", "B");
  EXPECT_EQ(fso.MoveFile("T:\\a.nc", "T:\\b.nc"), 0);  // existing target, no OverWrite: nothing
  EXPECT_EQ(ReadAll(tmp / "a.nc"), "A");
  EXPECT_EQ(ReadAll(tmp / "b.nc"), "B");
  EXPECT_EQ(fso.MoveFile("T:\\a.nc", "T:\\b.nc", true), 0);
  EXPECT_FALSE(fsys::exists(tmp / "a.nc"));
  EXPECT_EQ(ReadAll(tmp / "b.nc"), "A");
  EXPECT_EQ(ErrorOf([&] { fso.MoveFile("T:\\none.nc", "T:\\c.nc"); }), err::FileNotFound);
  tmp.MakeDir("into");
  EXPECT_EQ(fallback.MoveFile("T:\\b.nc", "T:\\into"), 0);
  EXPECT_EQ(ReadAll(tmp / "into/b.nc"), "A");
  EXPECT_NE(fallback.MoveFile("T:\\none.nc", "T:\\c.nc"), 0);
}

TEST_F(OpsTest, MoveFolderRules) {
  tmp.Write("job/a.nc", "A");
  tmp.Write("other/x", "X");
  EXPECT_EQ(fso.MoveFolder("T:\\job", "T:\\other"), 0);
  EXPECT_TRUE(fsys::exists(tmp / "job/a.nc"));
  EXPECT_EQ(fso.MoveFolder("T:\\job", "T:\\moved"), 0);
  EXPECT_EQ(ReadAll(tmp / "moved/a.nc"), "A");
  EXPECT_FALSE(fsys::exists(tmp / "job"));
  EXPECT_EQ(fso.MoveFolder("T:\\moved", "T:\\other", true), 0);  // the old target is deleted first
  EXPECT_EQ(ReadAll(tmp / "other/a.nc"), "A");
  EXPECT_FALSE(fsys::exists(tmp / "other/x"));
}

TEST_F(OpsTest, MoveAcrossFileSystemsKeepsSourceUntilCopied) {
  // /dev/shm is another file system than the temp folder on most machines.
  if (!fsys::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
  TempDir other;
  fsys::path shmDir = fsys::path("/dev/shm") / other.Path().filename();
  fsys::create_directory(shmDir);
  tmp.Write("src/f.bin", std::string(100000, 'q'));
  tmp.Write("src/tree/g.txt", "g");
  EXPECT_EQ(fs_detail::Move(tmp / "src/f.bin", shmDir / "f.bin", false), 0);
  EXPECT_EQ(ReadAll(shmDir / "f.bin"), std::string(100000, 'q'));
  EXPECT_FALSE(fsys::exists(tmp / "src/f.bin"));
  EXPECT_EQ(fs_detail::Move(tmp / "src/tree", shmDir / "tree", false), 0);
  EXPECT_EQ(ReadAll(shmDir / "tree/g.txt"), "g");
  EXPECT_FALSE(fsys::exists(tmp / "src/tree"));
  // A failure part-way (target folder missing) leaves the source as it was.
  tmp.Write("src/h.txt", "h");
  EXPECT_NE(fs_detail::Move(tmp / "src/h.txt", shmDir / "missing/h.txt", false), 0);
  EXPECT_EQ(ReadAll(tmp / "src/h.txt"), "h");
  fsys::remove_all(shmDir);
}

TEST_F(OpsTest, FailedCopyLeavesSourceAndTargetIntact) {
  tmp.Write("src/a.nc", "source");
  auto dst = tmp.Write("ro/a.nc", "target");
  // A target folder we cannot write into: the temp copy cannot be made.
  ::chmod((tmp.Path() / "ro").c_str(), 0555);
  if (::access((tmp.Path() / "ro").c_str(), W_OK) == 0) {
    ::chmod((tmp.Path() / "ro").c_str(), 0755);
    GTEST_SKIP() << "running with rights that ignore folder permissions";
  }
  EXPECT_NE(fs_detail::CopyFile(tmp / "src/a.nc", dst, true), 0);
  EXPECT_EQ(ReadAll(dst), "target");
  EXPECT_EQ(ReadAll(tmp / "src/a.nc"), "source");
  ::chmod((tmp.Path() / "ro").c_str(), 0755);
}

// Both ways a copy is made (a new name; a replaced file) keep times and permissions and
// leave nothing else behind.
TEST_F(OpsTest, CopyNeverLeavesTempFilesAndKeepsTimes) {
  auto src = tmp.Write("src/a.nc", "data");
  ::chmod(src.c_str(), 0640);
  struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, src.c_str(), times, 0);
  tmp.MakeDir("dst");
  tmp.Write("dst/b.nc", "old");
  ::chmod((tmp.Path() / "dst/b.nc").c_str(), 0600);
  EXPECT_EQ(fso.CopyFile("T:\\src\\a.nc", "T:\\dst\\"), 0);
  EXPECT_EQ(fs_detail::CopyFile(src, tmp / "dst/b.nc", true), 0);
  std::vector<std::string> names;
  for (auto& e : fsys::directory_iterator(tmp / "dst")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.nc", "b.nc"}));
  for (const char* name : {"dst/a.nc", "dst/b.nc"}) {
    struct stat st {};
    ASSERT_EQ(::stat((tmp.Path() / name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000) << name;
    EXPECT_EQ(st.st_mode & 0777, 0640u) << name;
    EXPECT_EQ(ReadAll(tmp / name), "data") << name;
  }
  EXPECT_EQ(fs_detail::CopyFile(src, src, true), EINVAL);  // onto itself: refused, data kept
  EXPECT_EQ(ReadAll(src), "data");
}

TEST_F(OpsTest, DeleteFileAndFolder) {
  tmp.Write("job/a.nc", "x");
  tmp.Write("job/sub/ro.nc", "x");
  ::chmod((tmp.Path() / "job/sub/ro.nc").c_str(), 0444);
  EXPECT_EQ(fso.DeleteFile("T:\\job\\A.NC"), 0);
  EXPECT_FALSE(fsys::exists(tmp / "job/a.nc"));
  EXPECT_EQ(fso.DeleteFile("T:\\job\\missing.nc"), 0);
  EXPECT_EQ(fso.DeleteFile("T:\\job\\sub\\ro.nc"), 0);  // read-only goes too
  EXPECT_FALSE(fsys::exists(tmp / "job/sub/ro.nc"));
  EXPECT_EQ(fallback.DeleteFolder("T:\\job"), 0);
  EXPECT_FALSE(fsys::exists(tmp / "job"));
}

TEST_F(OpsTest, RecycleMovesIntoTheTrash) {
  tmp.Write("job/a.nc", "first");
  EXPECT_EQ(fso.DeleteFile("T:\\job\\a.nc", true), 0);
  tmp.Write("job/a.nc", "second");
  EXPECT_EQ(fallback.DeleteFile("T:\\job\\a.nc", false, 0x40), 0);  // the shell flag alone
  const fsys::path trash = env / "xdg-data/Trash";
  EXPECT_EQ(ReadAll(trash / "files/a.nc"), "first");
  EXPECT_EQ(ReadAll(trash / "files/a.nc.2"), "second");
  const std::string info = ReadAll(trash / "info/a.nc.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u);
  EXPECT_NE(info.find("Path=" + (tmp.Path() / "job/a.nc").string() + "\n"), std::string::npos);
  EXPECT_NE(info.find("DeletionDate="), std::string::npos);
  tmp.Write("job/sub/b.nc", "b");
  EXPECT_EQ(fso.DeleteFolder("T:\\job", true), 0);
  EXPECT_EQ(ReadAll(trash / "files/job/sub/b.nc"), "b");
  EXPECT_FALSE(fsys::exists(tmp / "job"));
}

TEST_F(OpsTest, CreateFolderCreatesEveryMissingPart) {
  EXPECT_TRUE(fso.CreateFolder("T:\\a\\b\\c.nc"));
  EXPECT_TRUE(fsys::is_directory(tmp / "a/b"));
  EXPECT_FALSE(fsys::exists(tmp / "a/b/c.nc"));
  EXPECT_TRUE(fallback.CreateFolder("\"T:\\a\\b\\c\"", true));
  EXPECT_TRUE(fsys::is_directory(tmp / "a/b/c"));
  EXPECT_TRUE(fso.CreateFolder("T:\\A\\B\\C\\", true));  // exists without regard to case
  EXPECT_FALSE(fsys::exists(tmp / "A"));
  EXPECT_FALSE(fso.CreateFolder(""));
  tmp.Write("file", "x");
  EXPECT_EQ(ErrorOf([&] { fso.CreateFolder("T:\\file\\sub", true); }), err::PathFileAccessError);
  EXPECT_EQ(ErrorOf([&] { fso.CreateFolder("Y:\\unmapped\\x", true); }), err::PathNotFound);
}

// A name holding "*" or "?" is a name on Linux: such a file is copied and moved as itself.
TEST_F(OpsTest, WildcardCharactersInAnExistingNameAreNoPattern) {
  for (const char* name : {"a*b.nc", "axb.nc", "q?.nc"}) tmp.Write(std::string("job/") + name, name);
  tmp.MakeDir("out");
  for (clsFso* f : {&fso, &fallback}) {
    SCOPED_TRACE(f == &fso ? "object" : "fallback");
    EXPECT_TRUE(f->FileExists("T:\\job\\a*b.nc"));
    EXPECT_EQ(f->CopyFile("T:\\job\\a*b.nc", "T:\\out\\new.nc", true), 0);
    EXPECT_EQ(ReadAll(tmp / "out/new.nc"), "a*b.nc");  // a file, not a folder of matches
    EXPECT_EQ(f->CopyFile("T:\\job\\q?.nc", "T:\\out\\", true), 0);
    EXPECT_EQ(ReadAll(tmp / "out/q?.nc"), "q?.nc");
    EXPECT_EQ(f->DeleteFile("T:\\out\\q?.nc"), 0);
    EXPECT_FALSE(fsys::exists(tmp / "out/q?.nc"));
    EXPECT_EQ(f->MoveFile("T:\\out\\new.nc", "T:\\out\\a?.nc"), 0);
    EXPECT_EQ(ReadAll(tmp / "out/a?.nc"), "a*b.nc");
    fsys::remove(tmp / "out/a?.nc");
  }
  EXPECT_EQ(ReadAll(tmp / "job/axb.nc"), "axb.nc");
}

}  // namespace
}  // namespace kx::test
