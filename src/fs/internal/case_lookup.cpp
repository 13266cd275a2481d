#include "fs/internal/case_lookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "core/text.h"
#include "fs/unique_fd.h"

namespace kx::fs_detail {

namespace fsys = std::filesystem;

namespace {

// The folded names that a folder holds in more than one spelling, remembered while the
// folder's modification time stays: a path whose components all exist exactly then needs
// no listing of its folders, even when its tail is missing.
class SpellingMemo {
 public:
  bool HasOthers(const fsys::path& dir, std::string_view name) {
    struct stat st {};
    if (::stat(dir.empty() ? "." : dir.c_str(), &st) != 0) return false;
    const Key key{st.st_dev, st.st_ino};
    const std::string folded = FoldCase(name);
    {
      std::lock_guard lock(mutex_);
      auto it = memo_.find(key);
      if (it != memo_.end() && Same(it->second.mtime, st.st_mtim)) return it->second.shared.count(folded) > 0;
    }
    Entry e{st.st_mtim, {}};
    std::set<std::string> once;
    UniqueDir d(::opendir(dir.empty() ? "." : dir.c_str()));
    for (dirent* ent = d ? ::readdir(d.get()) : nullptr; ent; ent = ::readdir(d.get())) {
      std::string f = FoldCase(ent->d_name);
      if (!once.insert(f).second) e.shared.insert(std::move(f));
    }
    const bool others = e.shared.count(folded) > 0;
    std::lock_guard lock(mutex_);
    if (memo_.size() > 4096) memo_.clear();  // a bound, not a policy
    memo_[key] = std::move(e);
    return others;
  }

 private:
  using Key = std::pair<dev_t, ino_t>;
  struct Entry {
    timespec mtime;
    std::set<std::string> shared;
  };
  static bool Same(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
  }

  std::mutex mutex_;
  std::map<Key, Entry> memo_;
};

SpellingMemo& Memo() {
  static SpellingMemo memo;
  return memo;
}

Resolved ResolveFrom(const fsys::path& dir, const std::vector<std::string_view>& comps, std::size_t k) {
  Resolved best{dir, 0};
  for (std::size_t i = k; i < comps.size(); ++i) best.path /= comps[i];
  if (k == comps.size()) return best;
  const std::size_t all = comps.size() - k;
  auto take = [&](std::string_view entry) {
    Resolved sub = ResolveFrom(dir / entry, comps, k + 1);
    if (sub.found + 1 > best.found) best = {std::move(sub.path), sub.found + 1};
    return best.found == all;
  };
  struct stat st {};
  const bool exact = ::lstat((dir / comps[k]).c_str(), &st) == 0;
  if (exact && (take(comps[k]) || !Memo().HasOthers(dir, comps[k]))) return best;
  for (const std::string& entry : EntriesNoCase(dir, comps[k])) {
    if (entry != comps[k] && take(entry)) break;
  }
  return best;
}

}  // namespace

std::vector<std::string> EntriesNoCase(const fsys::path& dir, std::string_view name) {
  std::vector<std::string> out;
  if (name.empty()) return out;
  UniqueDir d(::opendir(dir.empty() ? "." : dir.c_str()));
  for (dirent* e = d ? ::readdir(d.get()) : nullptr; e; e = ::readdir(d.get())) {
    std::string_view n(e->d_name);
    if (n != "." && n != ".." && EqualsNoCase(n, name)) out.emplace_back(n);
  }
  std::sort(out.begin(), out.end());
  return out;
}

Resolved ResolveNoCase(const fsys::path& dir, const std::vector<std::string_view>& components) {
  return ResolveFrom(dir, components, 0);
}

}  // namespace kx::fs_detail
