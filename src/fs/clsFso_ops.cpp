// clsFso: copy, move, delete (with the deletion guards) and folder creation.
#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>

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
using fs_detail::HasWildcard;
using fs_detail::IsProtectedLocation;
using fs_detail::Raise;
using fs_detail::RaiseErrno;
using fs_detail::RemoveTrailingBackslash;
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

// The sources a copy or move names: one path, or the matches of a wildcard in its last name.
std::vector<fsys::path> Sources(const std::string& source, int want) {
  auto [folder, name] = SplitLast(source);
  if (!HasWildcard(name)) return {ToNative(source)};
  std::vector<fsys::path> out;
  fsys::path native = FolderNative(folder);
  for (const auto& n : fs_detail::MatchNames(native, name, want)) out.push_back(native / n);
  return out;
}

// Shell operations (copy and move): a target that is an existing folder receives the
// sources inside it; otherwise it is the new name (its missing parents are created, the
// shell's confirmation dialogs are not shown on Linux: overwriting is confirmed).
int ShellTransfer(const std::string& source, const std::string& destination, bool move) {
  if (source.empty() || destination.empty()) return ShellCode(ENOENT);
  std::vector<fsys::path> sources = Sources(source, 0);
  if (sources.empty()) return ShellCode(ENOENT);
  fsys::path dst = ToNative(destination);
  const bool intoFolder = StatOf(dst).dir || sources.size() > 1 || HasWildcard(SplitLast(source).second);
  std::error_code ec;
  for (const fsys::path& src : sources) {
    Stat s = StatOf(src);
    if (!s.exists) return ShellCode(ENOENT);
    if (move && IsProtectedLocation(src)) return ShellCode(EACCES);
    fsys::path target = intoFolder ? dst / src.filename() : dst;
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

// Shell delete of one name or a wildcard in the last name; the trash with FOF_ALLOWUNDO.
int ShellDelete(const std::string& path, std::int16_t flags) {
  auto [folder, name] = SplitLast(path);
  std::vector<fsys::path> targets = HasWildcard(name) ? Sources(path, (flags & kFilesOnly) ? 1 : 0)
                                                      : std::vector<fsys::path>{ToNative(path)};
  if (targets.empty()) return ShellCode(ENOENT);
  for (const fsys::path& t : targets) {
    if (IsProtectedLocation(t)) continue;
    if (!StatOf(t).exists && !fsys::is_symlink(t)) return ShellCode(ENOENT);
    int rc = (flags & kAllowUndo) ? fs_detail::MoveToTrash(t) : fs_detail::Remove(t);
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

// The add-in's data folder under the common documents: the host folder's name, "\AddIns\"
// and the add-in folder's name when the library lies in an AddIns folder, else the library
// folder's own name.
std::string AddInDataFolder(const clsFso& fso) {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&AddInDataFolder), &info) == 0 || !info.dli_fname) return {};
  std::error_code ec;
  fsys::path lib = fsys::absolute(info.dli_fname, ec);
  std::string addInPath = ToWindows(lib.parent_path());
  std::string docs = fso.GetSHSpecialFolder(46);
  std::size_t i = FindLastNoCase(addInPath, "\\AddIns\\");
  if (i != std::string::npos) {
    std::size_t j = i == 0 ? std::string::npos : addInPath.rfind('\\', i - 1);
    return fso.BuildPath(docs, addInPath.substr(j == std::string::npos ? 0 : j + 1));
  }
  return fso.BuildPath(docs, fso.GetBaseName(addInPath));
}

}  // namespace

std::int32_t clsFso::CopyFile(const std::string& Source, const std::string& Destination, bool OverWrite,
                              std::int16_t Flags) {
  if (!fsoActive_) {
    if (OverWrite || !FileExists(Destination)) return ShellTransfer(Source, Destination, false);
    return 0;
  }
  (void)Flags;
  auto [srcFolder, srcName] = SplitLast(Source);
  const bool wild = HasWildcard(srcName);
  const bool intoFolder = wild || (!Destination.empty() && Destination.back() == '\\');
  std::vector<fsys::path> sources = Sources(Source, 1);
  if (sources.empty()) Raise(err::FileNotFound);
  fsys::path dst = ToNative(Destination);
  if (intoFolder && !StatOf(dst).dir) Raise(err::PathNotFound);
  for (const fsys::path& src : sources) {
    Stat s = StatOf(src);
    if (!s.exists || s.dir) Raise(err::FileNotFound);
    fsys::path target = intoFolder ? dst / src.filename() : dst;
    Stat t = StatOf(target);
    if (t.dir) Raise(err::PermissionDenied);
    if (t.exists && !OverWrite) Raise(err::FileAlreadyExists);
    if (t.exists && t.readOnly) Raise(err::PermissionDenied);
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
  const bool wild = HasWildcard(SplitLast(Source).second);
  std::vector<fsys::path> sources = Sources(Source, 2);
  if (sources.empty()) Raise(err::PathNotFound);
  std::string dest = Destination;
  const bool trailing = !dest.empty() && dest.back() == '\\';
  fsys::path dst = ToNative(dest);
  Stat d = StatOf(dst);
  if (wild && !d.dir) Raise(err::PathNotFound);
  if (d.exists && !d.dir) Raise(err::FileAlreadyExists);
  for (const fsys::path& src : sources) {
    if (!StatOf(src).dir) Raise(err::PathNotFound);
    // "x\dst\" or a wildcard puts the folder inside; "x\dst" is the copy itself (merged).
    fsys::path target = (wild || trailing) ? dst / src.filename() : dst;
    if (!StatOf(target.parent_path()).dir) Raise(err::PathNotFound);
    if (int rc = fs_detail::CopyTree(src, target, OverWrite); rc != 0) RaiseErrno(rc, err::PathNotFound);
  }
  return 0;
}

std::int32_t clsFso::MoveFile(const std::string& Source, const std::string& Destination, bool OverWrite,
                              std::int16_t Flags) {
  if (FileExists(Destination) && !OverWrite) return 0;
  if (!fsoActive_) return ShellTransfer(Source, Destination, true);
  if (FileExists(Destination)) DeleteFile(Destination, false, 0x94);
  auto [srcFolder, srcName] = SplitLast(Source);
  const bool intoFolder = HasWildcard(srcName) || (!Destination.empty() && Destination.back() == '\\');
  std::vector<fsys::path> sources = Sources(Source, 1);
  if (sources.empty()) Raise(err::FileNotFound);
  fsys::path dst = ToNative(Destination);
  if (intoFolder && !StatOf(dst).dir) Raise(err::PathNotFound);
  (void)Flags;
  for (const fsys::path& src : sources) {
    Stat s = StatOf(src);
    if (!s.exists || s.dir) Raise(err::FileNotFound);
    if (IsProtectedLocation(src)) Raise(err::PermissionDenied);
    fsys::path target = intoFolder ? dst / src.filename() : dst;
    if (StatOf(target).exists) Raise(err::FileAlreadyExists);
    if (!StatOf(target.parent_path()).dir) Raise(err::PathNotFound);
    if (int rc = fs_detail::Move(src, target, false); rc != 0) RaiseErrno(rc, err::PathNotFound);
  }
  return 0;
}

std::int32_t clsFso::MoveFolder(const std::string& Source, const std::string& Destination, bool OverWrite,
                                std::int16_t Flags) {
  if (FolderExists(Destination) && !OverWrite) return 0;
  if (!fsoActive_) return ShellTransfer(Source, Destination, true);
  if (FolderExists(Destination)) DeleteFolder(Destination, false, 0x14);
  (void)Flags;
  const bool intoFolder =
      HasWildcard(SplitLast(Source).second) || (!Destination.empty() && Destination.back() == '\\');
  std::vector<fsys::path> sources = Sources(Source, 2);
  if (sources.empty()) Raise(err::FileNotFound);
  fsys::path dst = ToNative(Destination);
  if (intoFolder && !StatOf(dst).dir) Raise(err::PathNotFound);
  for (const fsys::path& src : sources) {
    if (!StatOf(src).dir) Raise(err::FileNotFound);
    if (IsProtectedLocation(src)) Raise(err::PermissionDenied);
    fsys::path target = intoFolder ? dst / src.filename() : dst;
    if (StatOf(target).exists) Raise(err::FileAlreadyExists);
    if (!StatOf(target.parent_path()).dir) Raise(err::PathNotFound);
    if (int rc = fs_detail::Move(src, target, false); rc != 0) RaiseErrno(rc, err::PathNotFound);
  }
  return 0;
}

namespace {

// DeleteFile and DeleteFolder: the same guards and the same two ways to delete.
std::int32_t DeleteGuarded(clsFso& fso, const std::string& Path, bool Recycle, std::int16_t Flags,
                           bool folder) {
  if (Path.find('*') != std::string::npos) return 0;
  if (RefusedByText(fso, Path, folder)) return 0;
  if (!(folder ? fso.FolderExists(Path) : fso.FileExists(Path))) return 0;
  fsys::path native = ToNative(Path);
  if (IsProtectedLocation(native)) return 0;
  if (!Recycle && fso.FsoActive()) {
    if (int rc = fs_detail::Remove(native); rc != 0)
      RaiseErrno(rc, folder ? err::PathNotFound : err::FileNotFound);
    return 0;
  }
  return ShellDelete(Path, static_cast<std::int16_t>(Flags | (Recycle ? kAllowUndo : 0)));
}

}  // namespace

std::int32_t clsFso::DeleteFile(const std::string& Path, bool Recycle, std::int16_t Flags) {
  return DeleteGuarded(*this, Path, Recycle, Flags, false);
}

std::int32_t clsFso::DeleteFolder(const std::string& Path, bool Recycle, std::int16_t Flags) {
  return DeleteGuarded(*this, Path, Recycle, Flags, true);
}

std::int32_t clsFso::DeleteFiles(const std::string& Path, bool Recycle, std::int16_t Flags) {
  const std::string layout = AddInDataFolder(*this) + "\\" + "Layout";
  const std::string nesting = LongPath(RemoveTrailingBackslash(Env("Temp"))) + "\\Plovnik";
  if (!ContainsNoCase(Path, layout) && !ContainsNoCase(Path, nesting)) return 0;
  if (RefusedByText(*this, Path, false)) return 0;
  auto [folder, name] = SplitLast(Path);
  if (IsProtectedLocation(FolderNative(folder))) return 0;
  if (!Recycle && fsoActive_) {
    // The object deletes files only, wildcards in the last name included.
    std::vector<fsys::path> targets = Sources(Path, 1);
    if (!HasWildcard(name) && !targets.empty() && !StatOf(targets.front()).exists) targets.clear();
    if (targets.empty()) Raise(err::FileNotFound);
    for (const fsys::path& t : targets) {
      if (StatOf(t).dir) Raise(err::FileNotFound);
      if (IsProtectedLocation(t)) continue;
      if (int rc = fs_detail::Remove(t); rc != 0) RaiseErrno(rc, err::FileNotFound);
    }
    return 0;
  }
  return ShellDelete(Path, static_cast<std::int16_t>(Flags | (Recycle ? kAllowUndo : 0)));
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
