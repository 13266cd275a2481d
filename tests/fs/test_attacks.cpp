// Every delete, move and copy tried against protected folders in many spellings (drive
// letters, shares, "." and "..", case, trailing separators, relative paths, links, doubled
// separators), in both modes, with and without the trash. Every protected folder is a bait in
// the test environment's folder; where a private mount namespace can be had, the real file system
// is read-only for the whole run, and only then are the system's own folders tried as well.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <map>

#include "case_table.h"
#include "core/error.h"
#include "core/text.h"
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
  // A working folder below the old /tmp (a checkout there) is hidden now: start from the root.
  if (::chdir("/") != 0) ::_exit(71);
  return true;
}

// The baits, in the test environment's own installation (T: and E: are its folder, C: too):
// the drive roots D: (its data folder) and \\srv\nc, a home folder below T:\users, the program
// files T:\programs, the add-in T:\host\AddIns\Kestrafix, the documents T:\documents, a job
// T:\jobs\A100 with links into the program files, and a work area T:\temp\Plovnik. Every
// folder holds a marker.txt, so a merge into it shows. Inside the namespace R: is / and U: /usr.
class AttackWorld : public FsTest {
 protected:
  static void SetUpTestSuite() {
    static const bool confined = EnterPrivateMounts();
    confined_ = confined;
  }

  AttackWorld() {
    env.MapDrive("T:", env.Path());
    env.MapDrive("E:", env.Path());
    env.MapDrive("\\\\srv\\nc", env / "share");
    env.Set("HOME", (env / "users/home/u").string());
    env.Set("Temp", (env / "temp").string());
    env.Set("KESTRAFIX_ADDIN_PATH", "C:\\host\\AddIns\\Kestrafix\\");  // its trailing \ changes nothing
    env.Write("marker.txt");
    for (const std::string& dir :
         Split("data data/job share share/x users users/home users/home/u programs programs/app "
               "programs/app/bin host host/AddIns host/AddIns/Kestrafix documents jobs jobs/A100 "
               "jobs/A100/sub temp temp/Plovnik",
               " "))
      env.Write(dir + "/marker.txt", dir);
    env.Write("programs/app/bin/tool", "tool");
    env.Write("host/AddIns/Kestrafix/libkestrafix.so", "lib");
    env.Write("jobs/A100/a.nc", "a");
    fsys::create_directory_symlink(env / "programs", env / "jobs/A100/pf");
    fsys::create_directory_symlink(env / "programs/app", env / "jobs/A100/pfapp");
    fsys::create_directory_symlink(env / "jobs/A100", env / "temp/Plovnik/lnk");
    for (const char* name : {"f", "dir/marker.txt", "dir/tool", "dir/libkestrafix.so"})
      env.Write(std::string("payload/") + name, "payload");
    env.MakeDir("moved");
    if (confined_) {
      env.MapDrive("R:", "/");
      env.MapDrive("U:", "/usr");
      fsys::create_directory_symlink("/usr/share", env / "jobs/A100/sys");
    }
    fsys::current_path(env / "data/job");
  }
  ~AttackWorld() override {
    std::error_code ignored;  // never throw from here
    fsys::current_path(cwd_, ignored);
  }

  std::string Expand(std::string text) const {
    text = ReplaceAll(text, "<env/>", env.Path().string());
    return ReplaceAll(text, "<env\\\\>", ReplaceAll(env.Path().string(), "/", "\\\\"));
  }

  // Every file and link of the installation but the trash and the payload.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> out;
    for (auto it = fsys::recursive_directory_iterator(env.Path()); it != fsys::recursive_directory_iterator();
         ++it) {
      const std::string rel = it->path().lexically_relative(env.Path()).string();
      if (rel.starts_with("xdg-data") || rel.starts_with("payload")) continue;
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
    std::int32_t rc = -1;
    try {
      rc = attack();
    } catch (const KxError&) {
    }
    EXPECT_TRUE(rc == 0 || !silent) << "not refused silently: " << rc;
    auto after = Snapshot();
    if (!noNewFiles) std::erase_if(after, [&](const auto& entry) { return !before.count(entry.first); });
    EXPECT_EQ(after, before);
  }

  static inline bool confined_ = false;
  fsys::path cwd_ = fsys::current_path();
};

// The spellings of tests/data/cases/attack_spellings.txt.
class AttackTest : public AttackWorld, public ::testing::WithParamInterface<Case> {};

TEST_P(AttackTest, NothingProtectedIsDeletedMovedOrReplaced) {
  const std::string target = Expand(GetParam().in[0]), kind = GetParam().out;
  if (kind.starts_with("system") && !confined_)
    GTEST_SKIP() << "no private mount namespace: system folders are not tried";
  const bool file = kind.ends_with("file"), whole = kind.ends_with("whole");
  for (clsFso* f : {&fso, &fallback}) {
    const std::string mode = f == &fso ? "object " : "fallback ";
    for (bool recycle : {false, true}) {
      for (std::int16_t flags : {0, 0x14}) {
        const auto del = [&] {
          if (kind.ends_with("pattern")) return f->DeleteFiles(target, recycle);
          return file ? f->DeleteFile(target, recycle, flags) : f->DeleteFolder(target, recycle, flags);
        };
        Try(mode + "delete", del, true, true);
      }
    }
    if (kind.ends_with("pattern")) continue;
    Try(mode + "move away", [&] {
      return file ? f->MoveFile(target, "T:\\moved\\x", true) : f->MoveFolder(target, "T:\\moved\\x", true);
    });
    // Into a folder protected only itself a new entry may come (the shell copies into an
    // existing folder); nothing in it may be replaced.
    const bool noNewFiles = file || whole;
    const auto copyOnto = [&] {
      return file ? f->CopyFile("T:\\payload\\f", target, true)
                  : f->CopyFolder("T:\\payload\\dir", target, true);
    };
    const auto moveOnto = [&] {
      env.Write("payload/f", "payload");
      env.Write("payload/dir/marker.txt", "payload");
      return file ? f->MoveFile("T:\\payload\\f", target, true)
                  : f->MoveFolder("T:\\payload\\dir", target, true);
    };
    Try(mode + "copy onto", copyOnto, noNewFiles);
    Try(mode + "move onto", moveOnto, noNewFiles);
    if (whole) {
      Try(mode + "pattern into", [&] { return f->CopyFile("T:\\payload\\dir\\*", target + "\\", true); });
      Try(mode + "folder into", [&] { return f->CopyFolder("T:\\payload\\dir", target + "\\"); });
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Spellings, AttackTest, ::testing::ValuesIn(Cases("attack_spellings.txt")));

// A move or copy with OverWrite onto the source itself, its parent or its own child
// (tests/data/cases/self_targets.txt) leaves the source as it was and says so: the platform
// object's error, or the shell's non-zero code.
class SelfTargetTest : public AttackWorld, public ::testing::WithParamInterface<Case> {};

TEST_P(SelfTargetTest, SourceSurvivesAndTheErrorIsReported) {
  const std::string source = GetParam().in[0], destination = GetParam().in[1], op = GetParam().out;
  fsys::create_symlink(env / "jobs/A100/a.nc", env / "jobs/A100/link.nc");
  fsys::create_hard_link(env / "jobs/A100/a.nc", env / "jobs/hard.nc");
  for (clsFso* f : {&fso, &fallback}) {
    SCOPED_TRACE(f == &fso ? "object" : "fallback");
    const auto before = Snapshot();
    std::int32_t rc = 0;
    long error = 0;
    try {
      if (op == "MoveFile") rc = f->MoveFile(source, destination, true);
      if (op == "MoveFolder") rc = f->MoveFolder(source, destination, true);
      if (op == "CopyFile") rc = f->CopyFile(source, destination, true);
      if (op == "CopyFolder") rc = f->CopyFolder(source, destination, true);
    } catch (const KxError& e) {
      error = e.Number();
    }
    EXPECT_EQ(Snapshot(), before);
    EXPECT_NE(f == &fso ? error : rc, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SelfTargetTest, ::testing::ValuesIn(Cases("self_targets.txt")));

// DeleteFiles works in the nesting folder Temp\Plovnik and in the layout folder of the
// add-in's documents mirror (which follows KESTRAFIX_ADDIN_PATH); attacks on it are spellings.
TEST_F(AttackWorld, DeleteFilesWorksInItsWorkAreas) {
  const std::string areas[] = {"temp/Plovnik/", "documents/host/AddIns/Kestrafix/Layout/"};
  for (clsFso* f : {&fso, &fallback}) {
    for (const std::string& area : areas)
      for (const char* name : {"a.lay", "b.lay", "keep.txt"}) env.Write(area + name, name);
    EXPECT_EQ(f->DeleteFiles("T:\\documents\\host\\AddIns\\Kestrafix\\Layout\\*.LAY"), 0);
    EXPECT_EQ(f->DeleteFiles("T:\\temp\\Plovnik\\?.lay"), 0);
    for (const std::string& area : areas) {
      EXPECT_FALSE(fsys::exists(env / (area + "a.lay")) || fsys::exists(env / (area + "b.lay"))) << area;
      EXPECT_TRUE(fsys::exists(env / (area + "keep.txt"))) << area;
    }
  }
}

}  // namespace
}  // namespace kx::test
