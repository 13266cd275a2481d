// Every delete, move and copy tried against protected folders in many spellings (drive
// letters, shares, "." and "..", case, trailing separators, relative paths, links, doubled
// separators), in both modes, with and without the trash. Every protected folder is a bait in
// the test's temp folder; where a private mount namespace can be had, the real file system
// is read-only for the whole run, and only then are the system's own folders tried as well.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>

#include "core/error.h"
#include "core/text.h"
#include "fs/fs_env.h"
#include "fs_fixture.h"

namespace kx::test {
namespace {

namespace fsys = std::filesystem;

bool WriteProc(const char* file, const std::string& text) {
  std::ofstream out(file);
  out << text;
  return static_cast<bool>(out.flush());
}

// A mount namespace of our own in which every existing mount is read-only and /tmp is a
// fresh tmpfs: a guard that fails cannot harm the machine. As root, or through a user
// namespace. False (nothing changed) where neither is allowed.
bool EnterPrivateMounts() {
  const uid_t uid = ::getuid();
  const gid_t gid = ::getgid();
  if (::unshare(CLONE_NEWNS) != 0) {
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    WriteProc("/proc/self/setgroups", "deny");
    if (!WriteProc("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteProc("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
      return false;
  }
  struct mount_attr readOnly {};
  readOnly.attr_set = MOUNT_ATTR_RDONLY;
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount_setattr(AT_FDCWD, "/", AT_RECURSIVE, &readOnly, sizeof readOnly) != 0 ||
      ::mount("kx-attacks", "/tmp", "tmpfs", 0, "size=64m,mode=1777") != 0) {
    // Half-made: whatever is still writable must not be tried.
    ::_exit(71);
  }
  ::setenv("TMPDIR", "/tmp", 1);
  return true;
}

// The baits: drive roots D: and \\srv\nc, a second letter E: for T:, a home folder below
// T:\data, the program files T:\opt, the add-in T:\host\AddIns\Kx, the documents T:\docs,
// a job T:\jobs\A100 with links into the program files, and a work area T:\temp\Plovnik.
// Every folder holds a marker.txt, so a merge into it shows.
class AttackWorld : public FsTest {
 protected:
  static void SetUpTestSuite() {
    static const bool confined = EnterPrivateMounts();
    confined_ = confined;
  }

  void SetUp() override {
    FsTest::SetUp();
    if (const char* home = std::getenv("HOME")) home_ = home;
    setenv("HOME", (tmp / "data/home/u").c_str(), 1);
    setenv("KESTRAFIX_PROGRAM_FILES", (tmp / "opt").c_str(), 1);
    setenv("Temp", (tmp / "temp").c_str(), 1);
    SetAddInPathForTests((tmp / "host/AddIns/Kx").string());
    SetDriveRootForTests("D:", tmp / "d-root");
    SetDriveRootForTests("E:", tmp.Path());
    SetDriveRootForTests("\\\\srv\\nc", tmp / "share");
    if (confined_) SetDriveRootForTests("R:", "/");
    tmp.Write("marker.txt", "");
    for (const std::string& dir :
         Split("d-root d-root/job share share/x data data/home data/home/u opt opt/app "
               "opt/app/bin host host/AddIns host/AddIns/Kx docs jobs jobs/A100 "
               "jobs/A100/sub temp temp/Plovnik",
               " "))
      tmp.Write(dir + "/marker.txt", dir);
    tmp.Write("opt/app/bin/tool", "tool");
    tmp.Write("host/AddIns/Kx/libkestrafix.so", "lib");
    tmp.Write("jobs/A100/a.nc", "a");
    fsys::create_directory_symlink(tmp / "opt", tmp / "jobs/A100/pf");
    fsys::create_directory_symlink(tmp / "opt/app", tmp / "jobs/A100/pfapp");
    tmp.Write("payload/f", "payload");
    for (const char* name : {"marker.txt", "tool", "libkestrafix.so"})
      tmp.Write(std::string("payload/dir/") + name, "payload");
    tmp.MakeDir("moved");
    cwd_ = fsys::current_path();
    fsys::current_path(tmp / "d-root/job");
  }
  void TearDown() override {
    fsys::current_path(cwd_);
    SetAddInPathForTests(std::nullopt);
    unsetenv("KESTRAFIX_PROGRAM_FILES");
    home_.empty() ? unsetenv("HOME") : setenv("HOME", home_.c_str(), 1);
    FsTest::TearDown();
  }

  std::string Expand(std::string text) const {
    std::string slashed = tmp.Path().string();
    std::string doubled = ReplaceAll(slashed, "/", "\\\\");
    text = ReplaceAll(text, "<tmp/>", slashed);
    return ReplaceAll(text, "<tmp\\\\>", doubled);
  }

  // Every file and link of the temp folder but the trash and the payload.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> out;
    for (auto it = fsys::recursive_directory_iterator(tmp.Path()); it != fsys::recursive_directory_iterator();
         ++it) {
      const std::string rel = it->path().lexically_relative(tmp.Path()).string();
      if (it.depth() == 0 && (rel == "xdg-data" || rel == "payload")) {
        it.disable_recursion_pending();
        continue;
      }
      if (it->is_symlink())
        out[rel] = "-> " + fsys::read_symlink(it->path()).string();
      else if (it->is_regular_file())
        out[rel] = ReadAll(it->path());
    }
    return out;
  }

  // Runs an attack: refused or an error are both fine, a file lost or changed is not, nor a
  // new one where `noNewFiles`. A refused delete says nothing (0, no error): a delete that
  // was tried and failed (the read-only system in the namespace) shows that way.
  void Try(const std::string& what, const std::function<std::int32_t()>& attack, bool noNewFiles = true,
           bool silent = false) {
    SCOPED_TRACE(what);
    const auto before = Snapshot();
    std::int32_t rc = 0;
    bool threw = false;
    try {
      rc = attack();
    } catch (const KxError&) {
      threw = true;
    }
    if (silent) {
      EXPECT_TRUE(rc == 0 && !threw) << "result " << rc << (threw ? ", raised" : "");
    }
    const auto after = Snapshot();
    std::string damage;
    for (const auto& [rel, content] : before) {
      auto it = after.find(rel);
      if (it == after.end())
        damage += " lost " + rel;
      else if (it->second != content)
        damage += " changed " + rel;
    }
    for (const auto& [rel, content] : after)
      if (noNewFiles && !before.count(rel)) damage += " new " + rel;
    EXPECT_EQ(damage, "");
  }

  static inline bool confined_ = false;
  fsys::path cwd_;
  std::string home_;
};

// What a spelling names: a file, a folder, or a folder inside one protected as a whole
// (where no new file may appear either).
enum Kind { kFile, kFolder, kWhole };
struct Spelling {
  const char* text;  // "<tmp/>" and "<tmp\\\\>" stand for the temp folder's native path
  Kind kind;
  bool system = false;  // a real system folder: only tried inside the private namespace
};
void PrintTo(const Spelling& s, std::ostream* os) { *os << s.text; }

class AttackTest : public AttackWorld, public ::testing::WithParamInterface<Spelling> {};

TEST_P(AttackTest, NothingProtectedIsDeletedMovedOrReplaced) {
  const Spelling& s = GetParam();
  if (s.system && !confined_) GTEST_SKIP() << "no private mount namespace: system folders are not tried";
  const std::string target = Expand(s.text);
  const bool file = s.kind == kFile;
  for (clsFso* f : {&fso, &fallback}) {
    const std::string mode = f == &fso ? "object " : "fallback ";
    for (bool recycle : {false, true}) {
      for (std::int16_t flags : {0, 0x14}) {
        const auto del = [&] {
          return file ? f->DeleteFile(target, recycle, flags) : f->DeleteFolder(target, recycle, flags);
        };
        Try(mode + "delete", del, true, true);
      }
    }
    Try(mode + "move away", [&] {
      return file ? f->MoveFile(target, "T:\\moved\\x", true) : f->MoveFolder(target, "T:\\moved\\x", true);
    });
    // Into a folder protected only itself a new entry may come (the shell copies into an
    // existing folder); nothing in it may be replaced.
    const bool noNewFiles = s.kind != kFolder;
    const auto copyOnto = [&] {
      return file ? f->CopyFile("T:\\payload\\f", target, true)
                  : f->CopyFolder("T:\\payload\\dir", target, true);
    };
    const auto moveOnto = [&] {
      tmp.Write("payload/f", "payload");
      tmp.Write("payload/dir/marker.txt", "payload");
      return file ? f->MoveFile("T:\\payload\\f", target, true)
                  : f->MoveFolder("T:\\payload\\dir", target, true);
    };
    Try(mode + "copy onto", copyOnto, noNewFiles);
    Try(mode + "move onto", moveOnto, noNewFiles);
    if (s.kind == kWhole) {
      Try(mode + "pattern into", [&] { return f->CopyFile("T:\\payload\\dir\\*", target + "\\", true); });
      Try(mode + "folder into", [&] { return f->CopyFolder("T:\\payload\\dir", target + "\\"); });
    }
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Spellings, AttackTest, ::testing::Values(
    // Drive and share roots.
    Spelling{"D:\\", kFolder}, Spelling{"D:\\.", kFolder}, Spelling{"D:\\job\\..", kFolder},
    Spelling{"d:\\JOB\\..\\", kFolder}, Spelling{"D:\\\\", kFolder}, Spelling{"D:", kFolder},
    Spelling{".\\..", kFolder}, Spelling{"..\\job\\..\\.", kFolder}, Spelling{"\\\\srv\\nc", kFolder},
    Spelling{"\\\\srv\\nc\\.", kFolder}, Spelling{"\\\\SRV\\NC\\", kFolder}, Spelling{"\\\\srv\\nc\\x\\..", kFolder},
    Spelling{"T:\\", kFolder}, Spelling{"E:\\jobs\\..", kFolder}, Spelling{"Z:<tmp/>", kFolder},
    // Home folders and what holds them.
    Spelling{"T:\\data\\home\\u", kFolder}, Spelling{"T:\\DATA\\HOME\\U\\", kFolder},
    Spelling{"E:\\data\\home\\u\\.", kFolder}, Spelling{"T:\\data\\home", kFolder}, Spelling{"T:\\data", kFolder},
    Spelling{"T:\\jobs\\..\\data", kFolder}, Spelling{"Z:<tmp\\\\>\\\\data\\\\home", kFolder},
    // The program files, as a whole.
    Spelling{"T:\\opt", kWhole}, Spelling{"T:\\opt\\app", kWhole}, Spelling{"T:\\OPT\\App\\bin\\tool", kFile},
    Spelling{"E:\\opt\\app\\bin", kWhole}, Spelling{"T:\\jobs\\..\\opt\\app", kWhole},
    Spelling{"Z:<tmp/>/opt/app", kWhole}, Spelling{"Z:<tmp\\\\>\\\\opt", kWhole},
    Spelling{"T:\\jobs\\A100\\pf\\app", kWhole}, Spelling{"T:\\jobs\\A100\\pfapp\\bin\\tool", kFile},
    Spelling{".\\..\\..\\opt\\app\\bin\\tool", kFile}, Spelling{"T:\\jobs\\A100\\pf", kWhole},
    // The add-in folder (as a whole), the host folder, the common documents.
    Spelling{"T:\\host\\AddIns\\Kx", kWhole}, Spelling{"T:\\host\\addins\\kx\\libkestrafix.so", kFile},
    Spelling{"T:\\host", kFolder}, Spelling{"T:\\host\\AddIns", kFolder}, Spelling{"E:\\HOST\\.", kFolder},
    Spelling{"T:\\docs", kFolder}, Spelling{"T:\\Docs\\.", kFolder},
    // The system's own folders.
    Spelling{"Z:\\usr\\share", kWhole, true}, Spelling{"Z:\\\\etc", kWhole, true},
    Spelling{"z:/USR/bin", kWhole, true}, Spelling{"Z:\\etc\\hostname", kFile, true},
    Spelling{"R:\\", kWhole, true}, Spelling{"R:\\var\\..\\usr", kWhole, true}, Spelling{"Z:\\", kWhole, true}));
// clang-format on

// A move or copy with OverWrite onto the source itself, its parent or its own child leaves
// the source as it was and says so: the platform object's error, or the shell's non-zero code.
struct SelfCase {
  const char* op;  // "MoveFile", "MoveFolder", "CopyFile", "CopyFolder"
  const char* source;
  const char* destination;
};
void PrintTo(const SelfCase& c, std::ostream* os) {
  *os << c.op << " " << c.source << " -> " << c.destination;
}

class SelfTargetTest : public AttackWorld, public ::testing::WithParamInterface<SelfCase> {};

TEST_P(SelfTargetTest, SourceSurvivesAndTheErrorIsReported) {
  const SelfCase& c = GetParam();
  fsys::create_symlink(tmp / "jobs/A100/a.nc", tmp / "jobs/A100/link.nc");
  fsys::create_hard_link(tmp / "jobs/A100/a.nc", tmp / "jobs/hard.nc");
  const std::string op = c.op;
  for (clsFso* f : {&fso, &fallback}) {
    SCOPED_TRACE(f == &fso ? "object" : "fallback");
    const auto before = Snapshot();
    std::int32_t rc = 0;
    long error = 0;
    try {
      if (op == "MoveFile") rc = f->MoveFile(c.source, c.destination, true);
      if (op == "MoveFolder") rc = f->MoveFolder(c.source, c.destination, true);
      if (op == "CopyFile") rc = f->CopyFile(c.source, c.destination, true);
      if (op == "CopyFolder") rc = f->CopyFolder(c.source, c.destination, true);
    } catch (const KxError& e) {
      error = e.Number();
    }
    EXPECT_EQ(Snapshot(), before);
    if (f == &fso) {
      EXPECT_NE(error, 0);
    } else {
      EXPECT_NE(rc, 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelfTargetTest,
    ::testing::Values(SelfCase{"MoveFile", "T:\\jobs\\A100\\a.nc", "T:\\jobs\\A100\\a.nc"},
                      SelfCase{"MoveFile", "T:\\jobs\\A100\\a.nc", "T:\\JOBS\\a100\\A.NC"},
                      SelfCase{"MoveFile", "T:\\jobs\\A100\\a.nc", "E:\\jobs\\A100\\a.nc"},
                      SelfCase{"MoveFile", "T:\\jobs\\A100\\a.nc", "T:\\jobs\\A100\\link.nc"},
                      SelfCase{"MoveFile", "T:\\jobs\\A100\\a.nc", "T:\\jobs\\hard.nc"},
                      SelfCase{"MoveFolder", "T:\\jobs\\A100", "T:\\jobs\\A100"},
                      SelfCase{"MoveFolder", "T:\\jobs\\A100", "e:\\Jobs\\a100\\"},
                      SelfCase{"MoveFolder", "T:\\jobs\\A100", "T:\\jobs"},
                      SelfCase{"MoveFolder", "T:\\jobs\\A100\\sub", "T:\\jobs\\A100"},
                      SelfCase{"MoveFolder", "T:\\jobs\\A100", "T:\\jobs\\A100\\sub"},
                      SelfCase{"MoveFolder", "T:\\jobs\\A100", "T:\\jobs\\A100\\sub\\new"},
                      SelfCase{"CopyFile", "T:\\jobs\\A100\\a.nc", "T:\\jobs\\a100\\A.nc"},
                      SelfCase{"CopyFile", "T:\\jobs\\A100\\a.nc", "E:\\jobs\\A100\\"},
                      SelfCase{"CopyFile", "T:\\jobs\\A100\\a.nc", "T:\\jobs\\A100\\link.nc"},
                      SelfCase{"CopyFolder", "T:\\jobs\\A100", "T:\\jobs\\A100"},
                      SelfCase{"CopyFolder", "T:\\jobs\\A100\\sub", "T:\\jobs\\A100"},
                      SelfCase{"CopyFolder", "T:\\jobs\\A100", "T:\\jobs\\A100\\sub"}));

// DeleteFiles works in the nesting folder Temp\Plovnik and in the layout folder of the
// add-in's documents mirror (which follows KESTRAFIX_ADDIN_PATH), and nowhere else.
TEST_F(AttackWorld, DeleteFilesStaysInItsWorkAreas) {
  const std::string layout = "T:\\docs\\host\\AddIns\\Kx\\Layout";
  fsys::create_directory_symlink(tmp / "jobs/A100", tmp / "temp/Plovnik/lnk");
  for (clsFso* f : {&fso, &fallback}) {
    for (const std::string& attack : std::vector<std::string>{
             "T:\\temp\\Plovnik\\..\\..\\jobs\\A100\\*", "T:\\temp\\Plovnik\\lnk\\*.nc",
             "T:\\temp\\Plovnik\\..\\..\\opt\\app\\bin\\*", "E:\\temp\\Plovnik\\..\\..\\jobs\\A100\\a.nc",
             layout + "\\..\\..\\..\\..\\..\\jobs\\A100\\*.nc", layout + "\\..\\*"}) {
      for (bool recycle : {false, true})
        Try(
            attack, [&] { return f->DeleteFiles(attack, recycle); }, true, true);
    }
    tmp.Write("docs/host/AddIns/Kx/Layout/a.lay", "a");
    tmp.Write("docs/host/AddIns/Kx/Layout/keep.txt", "k");
    EXPECT_EQ(f->DeleteFiles(layout + "\\*.LAY"), 0);
    EXPECT_FALSE(fsys::exists(tmp / "docs/host/AddIns/Kx/Layout/a.lay"));
    EXPECT_TRUE(fsys::exists(tmp / "docs/host/AddIns/Kx/Layout/keep.txt"));
  }
}

// A name holding "*" or "?" is a name on Linux: such a file is copied and moved as itself.
TEST_F(FsTest, WildcardCharactersInAnExistingNameAreNoPattern) {
  tmp.Write("job/a*b.nc", "star");
  tmp.Write("job/axb.nc", "other");
  tmp.Write("job/q?.nc", "question");
  tmp.MakeDir("out");
  for (clsFso* f : {&fso, &fallback}) {
    SCOPED_TRACE(f == &fso ? "object" : "fallback");
    EXPECT_TRUE(f->FileExists("T:\\job\\a*b.nc"));
    EXPECT_EQ(f->CopyFile("T:\\job\\a*b.nc", "T:\\out\\new.nc", true), 0);
    EXPECT_EQ(ReadAll(tmp / "out/new.nc"), "star");  // a file, not a folder of matches
    EXPECT_EQ(f->CopyFile("T:\\job\\q?.nc", "T:\\out\\", true), 0);
    EXPECT_EQ(ReadAll(tmp / "out/q?.nc"), "question");
    EXPECT_EQ(f->DeleteFile("T:\\out\\q?.nc"), 0);
    EXPECT_FALSE(fsys::exists(tmp / "out/q?.nc"));
    EXPECT_EQ(f->MoveFile("T:\\out\\new.nc", "T:\\out\\a?.nc"), 0);
    EXPECT_EQ(ReadAll(tmp / "out/a?.nc"), "star");
    fsys::remove(tmp / "out/a?.nc");
  }
  EXPECT_EQ(ReadAll(tmp / "job/axb.nc"), "other");
}

}  // namespace
}  // namespace kx::test
