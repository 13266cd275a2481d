// clsFso: folder and file enumeration. Results are keyed by the path itself and kept in
// ascending path order without regard to case (KeyedCollection::InsertSorted drops
// duplicates). Paths are built as folder & "\" & name from the caller's own text.
#include <dirent.h>
#include <sys/stat.h>

#include <set>
#include <unordered_map>

#include "core/error.h"
#include "core/like.h"
#include "fs/clsFso.h"
#include "fs/internal/fso_helpers.h"
#include "fs/internal/path_rules.h"
#include "fs/native_path.h"
#include "fs/unique_fd.h"

namespace kx {

namespace fsys = std::filesystem;
using fs_detail::RemoveTrailingBackslash;

namespace {

enum class Want { Files, Folders };

using Identity = std::pair<dev_t, ino_t>;

bool MatchesAll(std::string_view pattern) { return pattern == "*" || pattern == "*.*"; }

// Calls fn(name) for every entry of `folder` (not "." or "..") of the wanted kind whose name
// matches `pattern`, in the listing's own order. A symbolic link counts as what it points to.
template <class Fn>
void List(const fsys::path& folder, std::string_view pattern, Want want, Fn&& fn) {
  UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return;
  const bool all = MatchesAll(pattern);
  while (dirent* e = ::readdir(dir.get())) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    bool isDir = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st {};
      if (::fstatat(::dirfd(dir.get()), n, &st, 0) != 0) continue;  // a dangling link is nothing
      isDir = S_ISDIR(st.st_mode);
    }
    if (isDir != (want == Want::Folders)) continue;
    if (!all && !DirPatternMatch(n, pattern)) continue;
    if (!fn(std::string_view(n))) return;
  }
}

std::optional<Identity> IdentityOf(const fsys::path& p) {
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return Identity{st.st_dev, st.st_ino};
}

struct Folder {
  std::string path;
  fsys::path native;
};

// Object mode: a folder and, depth permitting, its sub-folders. A folder reached a second
// time through a link is listed but not entered again.
void AddFolderTree(std::vector<Folder>& out, std::set<Identity>& seen, const Folder& f, std::int32_t level,
                   std::int32_t depth, bool top) {
  auto id = IdentityOf(f.native);
  if (!id) {
    if (top) fs_detail::Raise(err::PathNotFound);
    return;  // an unreadable sub-folder is skipped
  }
  out.push_back(f);
  if (!(depth + 1 <= level || level == -1) || !seen.insert(*id).second) return;
  std::vector<Folder> subs;
  List(f.native, "*", Want::Folders, [&](std::string_view name) {
    subs.push_back({f.path + "\\" + std::string(name), f.native / name});
    return true;
  });
  for (const Folder& s : subs) AddFolderTree(out, seen, s, level, depth + 1, false);
}

// The folders of GetAllFolders with their native paths, in walk order.
std::vector<Folder> WalkFolders(const std::string& folderPaths, std::int32_t level, bool objectMode) {
  std::vector<Folder> out;
  std::set<Identity> seen;
  if (objectMode) {
    for (const std::string& entry : fs_detail::SplitList(folderPaths)) {
      std::string root = RemoveTrailingBackslash(entry);
      AddFolderTree(out, seen, {root, ToNative(root)}, level, 0, true);
    }
    return out;
  }
  // Breadth first over a keyed work list: every folder is listed once.
  KeyedCollection<char> keys;
  auto addUnique = [&](std::string path, fsys::path native) {
    if (keys.HasKey(path)) return false;
    keys.Add(0, path);
    out.push_back({std::move(path), std::move(native)});
    return true;
  };
  for (const std::string& entry : fs_detail::SplitList(folderPaths)) {
    std::string root = RemoveTrailingBackslash(entry);
    addUnique(root, ToNative(root));
  }
  std::size_t count = out.size(), levelEnd = count, i = 1;
  std::int32_t current = 1;
  while (i <= count && (current <= level || level == -1)) {
    const Folder item = out[i - 1];
    auto id = IdentityOf(item.native);
    if (id && seen.insert(*id).second) {
      // "*." finds only names without a dot: dotted folder names stay out in this mode.
      List(item.native, "*.", Want::Folders, [&](std::string_view name) {
        if (addUnique(item.path + "\\" + std::string(name), item.native / name)) ++count;
        return true;
      });
    }
    if (i == levelEnd) {
      levelEnd = count;
      ++current;
    }
    ++i;
  }
  return out;
}

}  // namespace

PathList clsFso::GetFiles(const std::string& FolderPath, const std::string& Filters,
                          std::int32_t FileCount) const {
  PathList result;
  if (Filters.empty()) return result;
  const std::string folder = RemoveTrailingBackslash(FolderPath);
  const fsys::path native = ToNative(folder);
  for (const std::string& filter : fs_detail::SplitList(Filters)) {
    bool full = false;
    // Sorted names, so that a count limit keeps the same files on every run.
    for (const std::string& name : fs_detail::MatchNames(native, filter, 1)) {
      std::string path = folder + "\\" + name;
      result.InsertSorted(path, path);
      if (FileCount > 0 && result.Count() >= FileCount) {
        full = true;
        break;
      }
    }
    if (full) break;
  }
  return result;
}

PathList clsFso::GetFolders(const std::string& FolderPath, std::int32_t FolderCount) const {
  PathList result;
  const std::string folder = RemoveTrailingBackslash(FolderPath);
  const fsys::path native = ToNative(folder);
  if (fsoFoldersActive_ && !IdentityOf(native)) fs_detail::Raise(err::PathNotFound);
  std::vector<std::string> names;
  List(native, fsoFoldersActive_ ? "*" : "*.", Want::Folders, [&](std::string_view name) {
    names.emplace_back(name);
    return true;
  });
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    int c = CompareNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  for (const std::string& name : names) {
    std::string path = folder + "\\" + name;
    result.InsertSorted(path, path);
    if (FolderCount > 0 && result.Count() >= FolderCount) break;
  }
  return result;
}

PathList clsFso::GetAllFolders(const std::string& FolderPaths, std::int32_t Level) const {
  PathList result;
  for (Folder& f : WalkFolders(FolderPaths, Level, fsoFoldersActive_)) result.InsertSorted(f.path, f.path);
  return result;
}

PathList clsFso::GetAllFiles(const std::string& FolderPaths, const std::string& Filters,
                             std::int32_t Level) const {
  std::vector<Folder> walk = WalkFolders(FolderPaths, Level, fsoFoldersActive_);
  PathList result;
  if (Filters.empty()) return result;
  // Folder order as GetAllFolders returns it.
  PathList order;
  std::unordered_map<std::string, const Folder*> byPath;
  for (const Folder& f : walk) {
    if (order.InsertSorted(f.path, f.path) > 0) byPath.emplace(f.path, &f);
  }
  const std::vector<std::string> filters = fs_detail::SplitList(Filters);
  std::string path;
  for (const std::string& folderPath : order) {
    const Folder& f = *byPath.at(folderPath);
    for (const std::string& filter : filters) {
      List(f.native, filter, Want::Files, [&](std::string_view name) {
        path.assign(f.path).append("\\").append(name);
        result.InsertSorted(path, path);
        return true;
      });
    }
  }
  return result;
}

}  // namespace kx
