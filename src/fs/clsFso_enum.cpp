// clsFso: folder and file enumeration. Results are keyed by the path itself and kept in
// ascending path order without regard to case (KeyedCollection::InsertSorted drops
// duplicates). Paths are built as folder & "\" & name from the caller's own text.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
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
  std::size_t parent = SIZE_MAX;              // fallback walk: index of the folder it was listed in
  std::optional<Identity> id = std::nullopt;  // fallback walk: set when the folder is listed
};

// The guard against link loops: a folder is not entered when the same real folder is
// already on the way down to it (it would only repeat that way). Any other folder, also one
// seen before through a link or from another root, is entered and walked to the level.

// Object mode: a folder and, depth permitting, its sub-folders.
void AddFolderTree(std::vector<Folder>& out, std::vector<Identity>& way, const Folder& f, std::int32_t level,
                   std::int32_t depth, bool top) {
  auto id = IdentityOf(f.native);
  if (!id) {
    if (top) fs_detail::Raise(err::PathNotFound);
    return;  // an unreadable sub-folder is skipped
  }
  out.push_back(f);
  if (!(depth + 1 <= level || level == -1) || std::find(way.begin(), way.end(), *id) != way.end()) return;
  std::vector<Folder> subs;
  List(f.native, "*", Want::Folders, [&](std::string_view name) {
    subs.push_back({f.path + "\\" + std::string(name), f.native / name});
    return true;
  });
  way.push_back(*id);
  for (const Folder& s : subs) AddFolderTree(out, way, s, level, depth + 1, false);
  way.pop_back();
}

// Fallback walk: whether folder i is the same real folder as one it was reached through.
bool ReachedThroughItself(const std::vector<Folder>& folders, std::size_t i) {
  for (std::size_t a = folders[i].parent; a != SIZE_MAX; a = folders[a].parent) {
    if (folders[a].id == folders[i].id) return true;
  }
  return false;
}

// The folders of GetAllFolders with their native paths, in walk order.
std::vector<Folder> WalkFolders(const std::string& folderPaths, std::int32_t level, bool objectMode) {
  std::vector<Folder> out;
  if (objectMode) {
    std::vector<Identity> way;
    for (const std::string& entry : fs_detail::SplitList(folderPaths)) {
      std::string root = RemoveTrailingBackslash(entry);
      AddFolderTree(out, way, {root, ToNative(root)}, level, 0, true);
    }
    return out;
  }
  // Breadth first over a keyed work list: every folder is listed once.
  KeyedCollection<char> keys;
  auto addUnique = [&](std::string path, fsys::path native, std::size_t parent) {
    if (keys.HasKey(path)) return false;
    keys.Add(0, path);
    out.push_back({std::move(path), std::move(native), parent});
    return true;
  };
  for (const std::string& entry : fs_detail::SplitList(folderPaths)) {
    std::string root = RemoveTrailingBackslash(entry);
    addUnique(root, ToNative(root), SIZE_MAX);
  }
  std::size_t count = out.size(), levelEnd = count, i = 1;
  std::int32_t current = 1;
  while (i <= count && (current <= level || level == -1)) {
    out[i - 1].id = IdentityOf(out[i - 1].native);
    const Folder item = out[i - 1];
    if (item.id && !ReachedThroughItself(out, i - 1)) {
      // "*." finds only names without a dot: dotted folder names stay out in this mode.
      List(item.native, "*.", Want::Folders, [&](std::string_view name) {
        if (addUnique(item.path + "\\" + std::string(name), item.native / name, i - 1)) ++count;
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
