// clsFso: copy, move, delete (with the deletion guards) and folder creation.
#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "core/error.h"
#include "core/text.h"
#include "fs/clsFso.h"
#include "fs/fs_env.h"
#include "fs/internal/file_ops.h"
#include "fs/internal/fs_guard.h"
#include "fs/internal/fso_helpers.h"
#include "fs/internal/path_rules.h"
#include "fs/native_path.h"

namespace kx {

namespace fsys = std::filesystem;
using fs_detail::FsGuard;
using fs_detail::HasWildcard;
using fs_detail::IsInside;
using fs_detail::Overlaps;
using fs_detail::Raise;
using fs_detail::RaiseErrno;
using fs_detail::RemoveTrailingBackslash;
using fs_detail::ResolveNative;
using fs_detail::ShellCode;

namespace {

constexpr std::int16_t kAllowUndo = 0x40;  // shell: delete into the trash
constexpr std::int16_t kFilesOnly = 0x80;  // shell: a wildcard takes files only

struct Stat {
  bool exists = false;
  bool dir = false;
  bool readOnly = false;
};

Stat StatOf(const fsys::path& p) {
  struct stat st {};
  Stat s;
  if (p.empty() || ::stat(p.c_str(), &st) != 0) return s;
  s.exists = true;
  s.dir = S_ISDIR(st.st_mode);
  s.readOnly = (st.st_mode & S_IWUSR) == 0;
  return s;
}

// Splits a Windows-form path into its folder text and last name ("" folder for a bare name).
std::pair<std::string, std::string> SplitLast(const std::string& path) {
  std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

fsys::path FolderNative(const std::string& folderText) {
  return folderText.empty() ? fsys::current_path() : ToNative(folderText);
}

// A last name with "*" or "?" is a pattern, unless an entry of exactly that name exists:
// names on Linux may hold both, and such a file is copied or moved as itself.
bool IsPattern(const std::string& path) {
  if (!HasWildcard(SplitLast(path).second)) return false;
  struct stat st {};
  return ::lstat(ToNative(path).c_str(), &st) != 0;
}

// The sources a copy or move names: one path, or the matches of a pattern in its last name.
std::vector<fsys::path> Sources(const std::string& source, int want) {
  if (!IsPattern(source)) return {ToNative(source)};
  auto [folder, name] = SplitLast(source);
  std::vector<fsys::path> out;
  fsys::path native = FolderNative(folder);
  for (const auto& n : fs_detail::MatchNames(native, name, want)) out.push_back(native / n);
  return out;
}

// The guard's snapshot, taken when an operation first needs it.
class LazyGuard {
 public:
  const FsGuard& Get() {
    if (!guard_) guard_.emplace();
    return *guard_;
  }
  bool Refuses(const fsys::path& p, bool folder) { return Get().Refuses(p, folder); }
  // A copy or move target: what is there may be replaced only where it may be deleted, and
  // nothing new may appear inside a folder protected as a whole.
  bool RefusesWrite(const fsys::path& target, bool replace) {
    const Stat t = StatOf(target);
    if (!t.exists) return Get().RefusesNew(target);
    return replace ? Get().Refuses(target, t.dir) : Get().RefusesNew(target / "x");  // a merge adds entries
  }

 private:
  std::optional<FsGuard> guard_;
};

fs_detail::KeepFolder KeepProtected(const FsGuard& guard) {
  return [&guard](const struct stat& st) { return guard.IsProtectedFolder(st.st_dev, st.st_ino); };
}

// Shell operations (copy and move): a target that is an existing folder receives the
// sources inside it; otherwise it is the new name (its missing parents are created, the
// shell's confirmation dialogs are not shown on Linux: overwriting is confirmed). A source
// that may not be deleted is not moved; a target that may not be deleted is not replaced.
int ShellTransfer(const std::string& source, const std::string& destination, bool move) {
  if (source.empty() || destination.empty()) return ShellCode(ENOENT);
  const bool pattern = IsPattern(source);
  std::vector<fsys::path> sources = Sources(source, 0);
  if (sources.empty()) return ShellCode(ENOENT);
  fsys::path dst = ToNative(destination);
  const bool intoFolder = StatOf(dst).dir || sources.size() > 1 || pattern;
  LazyGuard guard;
  std::error_code ec;
  for (const fsys::path& src : sources) {
    Stat s = StatOf(src);
    if (!s.exists) return ShellCode(ENOENT);
    if (move && guard.Refuses(src, s.dir)) return ShellCode(EACCES);
    fsys::path target = intoFolder ? dst / src.filename() : dst;
    if (s.dir && Overlaps(src, target)) return ShellCode(EINVAL);  // onto itself, its parent or child
    if (guard.RefusesWrite(target, true)) return ShellCode(EACCES);
    fsys::create_directories(target.parent_path(), ec);
    int rc = 0;
    if (move)
      rc = fs_detail::Move(src, target, true);
    else
      rc = s.dir ? fs_detail::CopyTree(src, target, true) : fs_detail::CopyFile(src, target, true);
    if (rc != 0) return ShellCode(rc);
  }
  return 0;
}

// Shell delete of the given entries; the trash with FOF_ALLOWUNDO. Protected ones are skipped.
int ShellDelete(const std::vector<fsys::path>& targets, std::int16_t flags, const FsGuard& guard) {
  if (targets.empty()) return ShellCode(ENOENT);
  for (const fsys::path& t : targets) {
    const Stat st = StatOf(t);
    if (guard.Refuses(t, st.dir)) continue;
    if (!st.exists && !fsys::is_symlink(t)) return ShellCode(ENOENT);
    int rc = (flags & kAllowUndo) ? fs_detail::MoveToTrash(t) : fs_detail::Remove(t, KeepProtected(guard));
    if (rc != 0) return ShellCode(rc);
  }
  return 0;
}

std::string Env(std::string_view name) { return EnvValueOrStandIn(name).value_or(""); }

// Steps 2 to 5 of the guards (and the program-files test for folders); true = refused.
bool RefusedByText(const clsFso& fso, const std::string& path, bool folder) {
  std::string parent = fso.GetParentFolderName(path);
  if (parent.empty()) return true;
  if (EqualsNoCase(parent, Env("SystemDrive"))) return true;
  auto contains = [&](std::string_view var) {
    std::string v = Env(var);
    return v.empty() || ContainsNoCase(path, v);  // an empty value is contained in every path
  };
  if (folder && contains("ProgramFiles")) return true;
  return contains("SystemRoot") || contains("windir");
}

}  // namespace

std::int32_t clsFso::CopyFile(const std::string& Source, const std::string& Destination, bool OverWrite,
                              std::int16_t Flags) {
  if (!fsoActive_) {
    if (OverWrite || !FileExists(Destination)) return ShellTransfer(Source, Destination, false);
    return 0;
  }
  (void)Flags;
  const bool intoFolder = IsPattern(Source) || (!Destination.empty() && Destination.back() == '\\');
  std::vector<fsys::path> sources = Sources(Source, 1);
  if (sources.empty()) Raise(err::FileNotFound);
  fsys::path dst = ToNative(Destination);
  if (intoFolder && !StatOf(dst).dir) Raise(err::PathNotFound);
  LazyGuard guard;
  for (const fsys::path& src : sources) {
    Stat s = StatOf(src);
    if (!s.exists || s.dir) Raise(err::FileNotFound);
    fsys::path target = intoFolder ? dst / src.filename() : dst;
    Stat t = StatOf(target);
    if (t.dir) Raise(err::PermissionDenied);
    if (t.exists && !OverWrite) Raise(err::FileAlreadyExists);
    if ((t.exists && t.readOnly) || guard.RefusesWrite(target, true)) Raise(err::PermissionDenied);
    if (!StatOf(target.parent_path()).dir) Raise(err::PathNotFound);
    if (int rc = fs_detail::CopyFile(src, target, OverWrite); rc != 0) RaiseErrno(rc, err::PathNotFound);
  }
  return 0;
}

std::int32_t clsFso::CopyFolder(const std::string& Source, const std::string& Destination, bool OverWrite,
                                std::int16_t Flags) {
  if (!fsoActive_) {
    if (OverWrite || !FolderExists(Destination)) return ShellTransfer(Source, Destination, false);
    return 0;
  }
  (void)Flags;
  const bool pattern = IsPattern(Source);
  std::vector<fsys::path> sources = Sources(Source, 2);
  if (sources.empty()) Raise(err::PathNotFound);
  std::string dest = Destination;
  const bool trailing = !dest.empty() && dest.back() == '\\';
  fsys::path dst = ToNative(dest);
  Stat d = StatOf(dst);
  if (pattern && !d.dir) Raise(err::PathNotFound);
  if (d.exists && !d.dir) Raise(err::FileAlreadyExists);
  LazyGuard guard;
  for (const fsys::path& src : sources) {
    if (!StatOf(src).dir) Raise(err::PathNotFound);
    // "x\dst\" or a pattern puts the folder inside; "x\dst" is the copy itself (merged).
    fsys::path target = (pattern || trailing) ? dst / src.filename() : dst;
    if (!StatOf(target.parent_path()).dir) Raise(err::PathNotFound);
    // Merging with OverWrite replaces what the target holds: as much as deleting it.
    if (guard.RefusesWrite(target, OverWrite)) Raise(err::PermissionDenied);
    if (int rc = fs_detail::CopyTree(src, target, OverWrite); rc != 0) RaiseErrno(rc, err::PathNotFound);
  }
  return 0;
}

namespace {

// Object mode of MoveFile and MoveFolder. The old target is deleted first (through the
// guards), unless it is a source itself or holds or lies in one: then it stays, and the
// platform's error for an existing target follows with the source untouched.
void MoveObject(clsFso& fso, const std::string& Source, const std::string& Destination, bool folder) {
  const bool intoFolder = IsPattern(Source) || (!Destination.empty() && Destination.back() == '\\');
  std::vector<fsys::path> sources = Sources(Source, folder ? 2 : 1);
  if (sources.empty()) Raise(err::FileNotFound);
  bool ownSource = false;
  const fsys::path dst = ToNative(Destination);
  for (const fsys::path& src : sources) {
    Stat s = StatOf(src);
    if (!s.exists || s.dir != folder) Raise(err::FileNotFound);  // before the target goes
    ownSource = ownSource || Overlaps(src, dst);
  }
  if (!ownSource && (folder ? fso.FolderExists(Destination) : fso.FileExists(Destination))) {
    if (folder)
      fso.DeleteFolder(Destination, false, 0x14);
    else
      fso.DeleteFile(Destination, false, 0x94);
  }
  if (intoFolder && !StatOf(dst).dir) Raise(err::PathNotFound);
  LazyGuard guard;
  for (const fsys::path& src : sources) {
    if (guard.Refuses(src, folder)) Raise(err::PermissionDenied);
    fsys::path target = intoFolder ? dst / src.filename() : dst;
    if (StatOf(target).exists) Raise(err::FileAlreadyExists);
    if (!StatOf(target.parent_path()).dir) Raise(err::PathNotFound);
    if (guard.RefusesWrite(target, false)) Raise(err::PermissionDenied);
    if (int rc = fs_detail::Move(src, target, false); rc != 0) RaiseErrno(rc, err::PathNotFound);
  }
}

}  // namespace

std::int32_t clsFso::MoveFile(const std::string& Source, const std::string& Destination, bool OverWrite,
                              std::int16_t Flags) {
  (void)Flags;
  if (FileExists(Destination) && !OverWrite) return 0;
  if (!fsoActive_) return ShellTransfer(Source, Destination, true);
  MoveObject(*this, Source, Destination, false);
  return 0;
}

std::int32_t clsFso::MoveFolder(const std::string& Source, const std::string& Destination, bool OverWrite,
                                std::int16_t Flags) {
  (void)Flags;
  if (FolderExists(Destination) && !OverWrite) return 0;
  if (!fsoActive_) return ShellTransfer(Source, Destination, true);
  MoveObject(*this, Source, Destination, true);
  return 0;
}

namespace {

// DeleteFile and DeleteFolder: the same guards and the same two ways to delete.
std::int32_t DeleteGuarded(clsFso& fso, const std::string& Path, bool Recycle, std::int16_t Flags,
                           bool folder) {
  if (Path.find('*') != std::string::npos) return 0;
  if (RefusedByText(fso, Path, folder)) return 0;
  if (!(folder ? fso.FolderExists(Path) : fso.FileExists(Path))) return 0;
  const fsys::path native = ToNative(Path);
  const FsGuard guard;
  if (guard.Refuses(native, folder)) return 0;
  if (!Recycle && fso.FsoActive()) {
    if (int rc = fs_detail::Remove(native, KeepProtected(guard)); rc != 0)
      RaiseErrno(rc, folder ? err::PathNotFound : err::FileNotFound);
    return 0;
  }
  return ShellDelete({native}, static_cast<std::int16_t>(Flags | (Recycle ? kAllowUndo : 0)), guard);
}

}  // namespace

std::int32_t clsFso::DeleteFile(const std::string& Path, bool Recycle, std::int16_t Flags) {
  return DeleteGuarded(*this, Path, Recycle, Flags, false);
}

std::int32_t clsFso::DeleteFolder(const std::string& Path, bool Recycle, std::int16_t Flags) {
  return DeleteGuarded(*this, Path, Recycle, Flags, true);
}

std::int32_t clsFso::DeleteFiles(const std::string& Path, bool Recycle, std::int16_t Flags) {
  const std::string layout = ComDocsAddInPath(*this) + "\\" + "Layout";
  const std::string nesting = LongPath(RemoveTrailingBackslash(Env("Temp"))) + "\\Plovnik";
  if (!ContainsNoCase(Path, layout) && !ContainsNoCase(Path, nesting)) return 0;
  if (RefusedByText(*this, Path, false)) return 0;
  // The text is not enough ("..", links, a second drive letter): the folder itself must lie
  // in a work area.
  auto [folder, name] = SplitLast(Path);
  const fsys::path where = ResolveNative(FolderNative(folder));
  bool inArea = false;
  for (const std::string& area : {layout, nesting}) {
    const fsys::path a = ResolveNative(ToNative(area));
    inArea = inArea || (IsAbsoluteWindowsPath(area) && (where == a || IsInside(where, a)));
  }
  if (!inArea) return 0;
  const FsGuard guard;
  const int want = (!Recycle && fsoActive_) || (Flags & kFilesOnly) ? 1 : 0;
  std::vector<fsys::path> targets;
  if (HasWildcard(name)) {
    fsys::path native = FolderNative(folder);
    for (const auto& n : fs_detail::MatchNames(native, name, want)) targets.push_back(native / n);
  } else {
    targets.push_back(ToNative(Path));
  }
  if (!Recycle && fsoActive_) {
    // The object deletes files only, wildcards in the last name included.
    if (!HasWildcard(name) && !StatOf(targets.front()).exists) targets.clear();
    if (targets.empty()) Raise(err::FileNotFound);
    for (const fsys::path& t : targets) {
      if (StatOf(t).dir) Raise(err::FileNotFound);
      if (guard.Refuses(t, false)) continue;
      if (int rc = fs_detail::Remove(t); rc != 0) RaiseErrno(rc, err::FileNotFound);
    }
    return 0;
  }
  return ShellDelete(targets, static_cast<std::int16_t>(Flags | (Recycle ? kAllowUndo : 0)), guard);
}

bool clsFso::CreateFolder(const std::string& PathIn, bool IsFolder) {
  if (PathIn.empty()) return false;
  std::string path = ReplaceAll(PathIn, "\"", "");
  const std::string drive = GetDriveName(path);
  if (IsFolder) {
    path = RemoveTrailingBackslash(path);
  } else {
    const std::size_t name = GetFileName(path).size();
    if (path.size() < name + 1) Raise(err::InvalidProcedureCall);
    path = path.substr(0, path.size() - name - 1);
  }
  if (FolderExists(path)) return true;
  const std::string rest = drive.size() + 1 >= path.size() ? std::string() : path.substr(drive.size() + 1);
  std::string current = drive;
  for (const std::string& part : Split(rest, "\\")) {
    current += "\\" + part;
    if (FolderExists(current)) continue;
    fsys::path native = ToNative(current);
    if (::mkdir(native.c_str(), 0777) != 0) {
      int e = errno;
      if (e == EEXIST || e == ENOTDIR || e == EINVAL || e == ENAMETOOLONG) Raise(err::PathFileAccessError);
      RaiseErrno(e, err::PathNotFound);
    }
  }
  return true;
}

}  // namespace kx
