#include "fs/native_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "core/text.h"
#include "fs/ini_profile.h"
#include "fs/internal/case_lookup.h"
#include "fs/unique_fd.h"

extern char** environ;

namespace kx {

namespace fsys = std::filesystem;

namespace {

struct MapEntry {
  std::string key;  // "D:" or "\\srv\share"
  fsys::path root;  // lexically normal, no trailing separator (except "/")
};

struct MapState {
  std::mutex mutex;
  std::vector<MapEntry> overrides;
  fsys::path file;
  struct timespec mtime {};
  off_t size = -1;
  ino_t ino = 0;
  std::vector<MapEntry> fromFile;
};

MapState& State() {
  static MapState state;
  return state;
}

std::string GetEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// "d", "D:", "D:\" give "D:"; "\\srv\share\" gives "\\srv\share"; anything else "".
std::string DriveKey(std::string_view text) {
  std::string t = Trim(text);
  std::replace(t.begin(), t.end(), '/', '\\');
  if (t.size() > 2 && t[0] == '\\' && t[1] == '\\') {
    while (!t.empty() && t.back() == '\\') t.pop_back();
    return t.size() > 2 ? t : std::string();
  }
  if (!t.empty() && std::isalpha(static_cast<unsigned char>(t[0])) &&
      (t.size() == 1 || (t[1] == ':' && (t.size() == 2 || (t.size() == 3 && t[2] == '\\'))))) {
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])))) + ":";
  }
  return {};
}

fsys::path CleanRoot(fsys::path p) {
  p = p.lexically_normal();
  std::string s = p.string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return fsys::path(s);
}

std::vector<MapEntry> LoadMapFile(const fsys::path& file) {
  std::vector<MapEntry> out;
  for (auto& [k, v] : GetPrivateProfileSectionNative(file, "Drives")) {
    std::string key = DriveKey(k);
    std::string value = v;
    if (value.rfind("~/", 0) == 0 || value == "~") value = GetEnv("HOME") + value.substr(1);
    if (key.empty() || value.empty() || value.front() != '/') continue;  // only absolute roots
    out.push_back({key, CleanRoot(value)});
  }
  return out;
}

// Overrides, then the map file, then the default "Z:" = "/"; the first entry of a key wins.
std::vector<MapEntry> Entries() {
  MapState& s = State();
  std::lock_guard lock(s.mutex);
  fsys::path file = DriveMapFile();
  struct stat st {};
  if (file.empty() || ::stat(file.c_str(), &st) != 0) {
    s.fromFile.clear();
    s.file.clear();
    s.size = -1;
  } else if (file != s.file || st.st_size != s.size || st.st_ino != s.ino ||
             st.st_mtim.tv_sec != s.mtime.tv_sec || st.st_mtim.tv_nsec != s.mtime.tv_nsec) {
    s.fromFile = LoadMapFile(file);
    s.file = file;
    s.size = st.st_size;
    s.ino = st.st_ino;
    s.mtime = st.st_mtim;
  }
  std::vector<MapEntry> all;
  auto add = [&](const MapEntry& e) {
    for (const auto& have : all)
      if (EqualsNoCase(have.key, e.key)) return;
    all.push_back(e);
  };
  for (const auto& e : s.overrides) add(e);
  for (const auto& e : s.fromFile) add(e);
  add({"Z:", "/"});
  return all;
}

std::optional<fsys::path> Lookup(const std::vector<MapEntry>& entries, std::string_view key) {
  for (const auto& e : entries)
    if (EqualsNoCase(e.key, key)) return e.root;
  return std::nullopt;
}

// A place that never exists and can never be created, for drives without a root.
fsys::path Unmapped(std::string_view key) {
  std::string tag;
  for (char c : key) tag += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return fsys::path("/proc/kestrafix-unmapped-drive") / tag;
}

fsys::path CurrentDir() {
  std::error_code ec;
  fsys::path cwd = fsys::current_path(ec);
  return ec ? fsys::path("/") : cwd;
}

}  // namespace

bool IsNativeAbsolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::optional<std::string> GetEnvNoCase(std::string_view name) {
  if (const char* exact = std::getenv(std::string(name).c_str())) return std::string(exact);
  for (char** e = environ; e && *e; ++e) {
    std::string_view entry(*e);
    std::size_t eq = entry.find('=');
    if (eq != name.size()) continue;
    bool same = std::equal(name.begin(), name.end(), entry.begin(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    if (same) return std::string(entry.substr(eq + 1));
  }
  return std::nullopt;
}

fsys::path DriveMapFile() {
  std::string env = GetEnv("KESTRAFIX_DRIVE_MAP");
  if (!env.empty()) return env;
  std::error_code ec;
  std::string home = GetEnv("HOME");
  std::string cfgHome = GetEnv("XDG_CONFIG_HOME");
  if (cfgHome.empty() && !home.empty()) cfgHome = home + "/.config";
  std::vector<fsys::path> candidates;
  if (!cfgHome.empty()) candidates.push_back(fsys::path(cfgHome) / "kestrafix" / "drives.ini");
  std::string dirs = GetEnv("XDG_CONFIG_DIRS");
  if (dirs.empty()) dirs = "/etc/xdg";
  for (const auto& d : Split(dirs, ":"))
    if (!d.empty()) candidates.push_back(fsys::path(d) / "kestrafix" / "drives.ini");
  for (const auto& c : candidates)
    if (fsys::is_regular_file(c, ec)) return c;
  return {};
}

std::optional<fsys::path> DriveRoot(std::string_view drive) {
  std::string key = DriveKey(drive);
  if (key.empty()) return std::nullopt;
  return Lookup(Entries(), key);
}

std::vector<std::pair<std::string, fsys::path>> MappedDrives() {
  std::vector<std::pair<std::string, fsys::path>> out;
  for (const auto& e : Entries())
    if (e.key.size() == 2) out.emplace_back(e.key, e.root);
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<fsys::path> MappedRoots() {
  std::vector<fsys::path> out;
  for (const auto& e : Entries()) out.push_back(e.root);
  return out;
}

bool IsAbsoluteWindowsPath(std::string_view path) {
  if (IsNativeAbsolute(path)) return true;
  auto sep = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 2 && sep(path[0]) && sep(path[1])) {
    // "\\server\share": both parts present.
    std::size_t a = path.find_first_of("\\/", 2);
    return a != std::string_view::npos && a > 2 && a + 1 < path.size() && !sep(path[a + 1]);
  }
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])) &&
         (path.size() == 2 || sep(path[2]));
}

std::optional<std::string> FindEntryNoCase(const fsys::path& dir, std::string_view name) {
  if (name.empty()) return std::nullopt;
  struct stat st {};
  if (::lstat((dir / name).c_str(), &st) == 0) return std::string(name);
  std::vector<std::string> found = fs_detail::EntriesNoCase(dir, name);
  if (found.empty()) return std::nullopt;
  return found.front();
}

fsys::path ToNative(std::string_view windowsPath, PathTrace* trace) {
  if (windowsPath.empty()) return {};
  if (IsNativeAbsolute(windowsPath)) return fsys::path(windowsPath);
  std::string text(windowsPath);
  std::replace(text.begin(), text.end(), '/', '\\');
  fsys::path base;        // the native folder the components are resolved from
  std::string_view rest;  // the components after the root
  bool rooted = true;     // ".." stops at the root of a drive or share
  std::vector<MapEntry> entries = Entries();
  if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') {
    std::size_t a = text.find('\\', 2);
    std::size_t b = a == std::string::npos ? a : text.find('\\', a + 1);
    std::string key = text.substr(0, b);
    auto root = Lookup(entries, DriveKey(key));
    if (trace) trace->entry = DriveKey(key);
    if (!root) return Unmapped(key) / text.substr(b == std::string::npos ? text.size() : b + 1);
    base = *root;
    rest = std::string_view(text).substr(b == std::string::npos ? text.size() : b);
  } else if (text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]))) {
    std::string key = DriveKey(text.substr(0, 2));
    auto root = Lookup(entries, key);
    if (trace) trace->entry = key;
    if (!root) return Unmapped(key) / text.substr(2);
    base = *root;
    rest = std::string_view(text).substr(2);
    // "D:rel" is relative to the drive's current folder: the process's own on its drive.
    if (!rest.empty() && rest.front() != '\\' && EqualsNoCase(ToWindows(CurrentDir()).substr(0, 2), key)) {
      base = CurrentDir();
      rooted = false;
    }
  } else if (text.front() == '\\') {
    std::string cwdWin = ToWindows(CurrentDir());
    auto root = cwdWin.size() >= 2 && cwdWin[1] == ':' ? Lookup(entries, cwdWin.substr(0, 2)) : std::nullopt;
    base = root ? *root : fsys::path("/");
    if (trace && root) trace->entry = cwdWin.substr(0, 2);
    rest = text;
  } else {
    base = CurrentDir();
    rest = text;
    rooted = false;
  }
  // "." and ".." apply to the text; ".." stops at the root of a drive or share.
  std::vector<std::string_view> comps;
  std::size_t pos = 0;
  while (pos <= rest.size()) {
    std::size_t next = rest.find('\\', pos);
    if (next == std::string_view::npos) next = rest.size();
    std::string_view comp = rest.substr(pos, next - pos);
    pos = next + 1;
    if (comp.empty() || comp == ".") continue;
    if (comp != "..") {
      comps.push_back(comp);
    } else if (!comps.empty()) {
      comps.pop_back();
    } else if (!rooted) {
      base = base.parent_path();
    }
  }
  fs_detail::Resolved r = fs_detail::ResolveNoCase(base, comps);
  if (trace) {
    trace->root = base;
    // The resolved path ends in one name per component: the first `found` are names on disk.
    std::vector<std::string> names;
    fsys::path p = r.path;
    for (std::size_t i = 0; i < comps.size(); ++i, p = p.parent_path()) names.push_back(p.filename().string());
    for (std::size_t i = 0; i < comps.size(); ++i)
      trace->components.emplace_back(std::string(comps[i]), i < r.found ? names[comps.size() - 1 - i] : "");
  }
  return std::move(r.path);
}

std::string ToWindows(const fsys::path& nativeIn, PathTrace* trace) {
  if (nativeIn.empty()) return {};
  fsys::path native = nativeIn.is_absolute() ? nativeIn : CurrentDir() / nativeIn;
  native = CleanRoot(native);
  const std::string s = native.string();
  const MapEntry* best = nullptr;
  std::size_t bestLen = 0;
  const std::vector<MapEntry> entries = Entries();
  for (const auto& e : entries) {
    const std::string r = e.root.string();
    bool match =
        r == "/" || s == r || (s.size() > r.size() && s.compare(0, r.size(), r) == 0 && s[r.size()] == '/');
    if (!match) continue;
    std::size_t len = r == "/" ? 0 : r.size();
    if (!best || len > bestLen) {
      best = &e;
      bestLen = len;
    }
  }
  if (!best) return s;
  if (trace) {
    trace->entry = best->key;
    trace->root = best->root;
  }
  std::string tail = s.substr(std::min(s.size(), bestLen));
  while (!tail.empty() && tail.front() == '/') tail.erase(0, 1);
  std::replace(tail.begin(), tail.end(), '/', '\\');
  if (best->key.size() == 2) return best->key + "\\" + tail;
  return tail.empty() ? best->key : best->key + "\\" + tail;
}

std::string NormalizeInputPath(std::string_view path) {
  if (IsNativeAbsolute(path)) return ToWindows(fsys::path(path));
  return std::string(path);
}

void SetDriveRootForTests(std::string drive, fsys::path root) {
  std::string key = DriveKey(drive);
  if (key.empty()) return;
  MapState& s = State();
  std::lock_guard lock(s.mutex);
  auto it =
      std::find_if(s.overrides.begin(), s.overrides.end(), [&](const MapEntry& e) { return e.key == key; });
  if (it != s.overrides.end()) s.overrides.erase(it);
  s.overrides.push_back({key, CleanRoot(std::move(root))});
}

void ClearDriveMapOverrides() {
  MapState& s = State();
  std::lock_guard lock(s.mutex);
  s.overrides.clear();
}

}  // namespace kx
