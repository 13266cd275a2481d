// Where an SQLite job database lies decides its journal: WAL on a local file system, a rollback
// journal on a network one; a read never changes the file, and a read-only one can be read.
#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>

#include "error_of.h"
#include "platform/database.h"
#include "platform/file_system_kind.h"
#include "platform/job_schema.h"
#include "temp_dir.h"

namespace kx::test {
namespace {

constexpr unsigned long kExt4 = 0xEF53, kNfs = 0x6969, kFuse = 0x65735546;

std::string JournalMode(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &s, nullptr);
  std::string mode =
      sqlite3_step(s) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0)) : "";
  sqlite3_finalize(s);
  sqlite3_close(db);
  return mode;
}

// Every file system the probe reports is the given one; the warnings are recorded.
class Placement : public ::testing::Test {
 protected:
  Placement() {
    SetNetworkShareWarning([this](const std::string&, const std::string& fs) { warnings.push_back(fs); });
  }
  ~Placement() override {
    SetFileSystemProbe({});
    SetNetworkShareWarning({});
  }
  void On(unsigned long magic, const std::string& fuseType = {}) {
    SetFileSystemProbe([=](const std::string&) { return FileSystemInfo{magic, fuseType, false}; });
  }
  void Write(const std::string& path) {
    Engine().OpenDatabase(path)->Execute("insert into data (Filename) values (null)");
  }

  TempDir dir_;
  std::vector<std::string> warnings;
};

TEST_F(Placement, WalOnlyOnALocalFileSystem) {
  const struct {
    unsigned long magic;
    const char* fuse;
    const char* network;
  } cases[] = {{kExt4, "", ""},
               {kNfs, "", "nfs"},
               {0xFF534D42, "", "cifs"},
               {0xFE534D42, "", "smb2"},
               {kFuse, "sshfs", "fuse.sshfs"},
               {kFuse, "encfs", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.network);
    EXPECT_EQ(NetworkFileSystemName({c.magic, c.fuse, false}), c.network);
  }

  const std::string path = (dir_ / "jobs.db").string();
  On(kNfs);
  CreateJobDatabase(path);
  EXPECT_EQ(JournalMode(path), "delete");
  EXPECT_EQ(warnings, std::vector<std::string>{"nfs"});
  On(kExt4);
  Write(path);  // the first write on a local file system turns WAL on
  EXPECT_EQ(JournalMode(path), "wal");
  On(kFuse, "sshfs");
  Write(path);  // and on a network one back to a rollback journal
  EXPECT_EQ(JournalMode(path), "delete");
  EXPECT_EQ(warnings, (std::vector<std::string>{"nfs", "fuse.sshfs"}));
}

TEST_F(Placement, AReadLeavesTheFileAsItWas) {
  const std::string path = (dir_ / "jobs.db").string();
  On(kNfs);
  CreateJobDatabase(path);
  Write(path);
  On(kExt4);
  const std::string before = ReadAll(path);
  {
    auto db = Engine().OpenDatabase(path);
    EXPECT_EQ(db->OpenRecordset("select count(*) from data")->Fields(0).Value(), Variant(1LL));
  }
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(JournalMode(path), "delete");
}

// Reads the one job, then tries to write: "" when both went as they should.
std::string ReadButNotWrite(const std::string& path) {
  try {
    auto db = Engine().OpenDatabase(path);
    if (db->OpenRecordset("select count(*) from data")->Fields(0).Value() != Variant(1LL))
      return "no row read";
    try {
      db->Execute("delete from NCDATA");
      return "the write went through";
    } catch (const KxError& e) {
      if (e.Number() != dberr::ReadOnly) return "write failed with " + std::to_string(e.Number());
    }
  } catch (const KxError& e) {
    return e.Description();
  }
  return {};
}

TEST_F(Placement, AReadOnlyFileOrFileSystemIsReadNotWritten) {
  const std::string path = (dir_ / "jobs.db").string();
  CreateJobDatabase(path);  // WAL, as on a local disk
  Write(path);
  if (geteuid() != 0) {
    chmod(path.c_str(), 0444);
    EXPECT_EQ(ReadButNotWrite(path), "");
    chmod(path.c_str(), 0644);
    return;
  }
  // Root writes any file: the folder becomes a read-only mount in a mount namespace of a child's own.
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(out[0]);
    const std::string folder = dir_.Path().string();
    std::string result;
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
      result = "skip";
    } else {
      result = ReadButNotWrite(path);
    }
    (void)!write(out[1], result.data(), result.size());
    _exit(0);
  }
  close(out[1]);
  std::string result;
  char buf[256];
  for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) result.append(buf, static_cast<std::size_t>(n));
  close(out[0]);
  waitpid(child, nullptr, 0);
  if (result == "skip") {
    std::cout << "Read-only mount test skipped: no private mount namespace here (unshare -m)." << std::endl;
    GTEST_SKIP();
  }
  EXPECT_EQ(result, "");
}

}  // namespace
}  // namespace kx::test
