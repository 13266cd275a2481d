#include "fs/internal/fs_guard.h"

#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <string>
#include <string_view>

#include "fs/fs_env.h"
#include "fs/native_path.h"

namespace kx::fs_detail {

namespace fsys = std::filesystem;

namespace {

bool UnderSystemFolder(const fsys::path& p) {
  static constexpr std::array<std::string_view, 10> kSystem = {"bin", "boot", "dev", "etc", "proc",
                                                               "run", "sbin", "sys", "usr", "var"};
  auto it = p.begin();
  if (it == p.end() || it->string() != "/") return false;
  ++it;
  if (it == p.end()) return true;  // "/" itself
  const std::string top = it->string();
  if (top.rfind("lib", 0) == 0) return true;
  for (auto s : kSystem)
    if (top == s) return true;
  // A top-level folder itself ("/home", "/tmp", "/opt") holds too much to delete whole.
  return std::next(it) == p.end();
}

std::string NoTrailingSlash(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

fsys::path Absolute(const fsys::path& p) {
  if (p.is_absolute()) return p;
  std::error_code ec;
  fsys::path cwd = fsys::current_path(ec);
  return (ec ? fsys::path("/") : cwd) / p;
}

bool Identity(const fsys::path& p, dev_t& dev, ino_t& ino) {
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0) return false;
  dev = st.st_dev;
  ino = st.st_ino;
  return true;
}

// The value of an environment variable as a native folder; empty when unset or empty
// (the text guards refuse everything then already).
fsys::path EnvFolder(std::string_view name) {
  auto v = GetEnvNoCase(name);
  if (!v || v->empty()) return {};
  const std::string text = NormalizeInputPath(*v);
  return IsAbsoluteWindowsPath(text) ? ToNative(text) : fsys::path();
}

}  // namespace

fsys::path ResolveNative(const fsys::path& native) {
  const fsys::path abs = Absolute(native);
  char buf[PATH_MAX];
  if (::realpath(abs.c_str(), buf)) return buf;
  fsys::path resolved = "/";
  bool missing = false;
  for (auto it = std::next(abs.begin()); it != abs.end(); ++it) {
    const std::string c = it->string();
    if (c.empty() || c == ".") continue;
    if (c == "..") {
      resolved = resolved.parent_path();  // canonical so far: the parent is the kernel's
      continue;
    }
    fsys::path next = resolved / c;
    if (!missing && ::realpath(next.c_str(), buf)) {
      resolved = buf;
      continue;
    }
    struct stat st {};
    if (!missing && ::lstat(next.c_str(), &st) != 0) missing = true;
    resolved = std::move(next);  // missing, or a link that leads nowhere: the name itself
  }
  return NoTrailingSlash(resolved.string());
}

bool IsInside(const fsys::path& inner, const fsys::path& outer) {
  const std::string& i = inner.native();
  const std::string& o = outer.native();
  if (o == "/") return i.size() > 1 && i.front() == '/';
  return i.size() > o.size() + 1 && i.compare(0, o.size(), o) == 0 && i[o.size()] == '/';
}

bool Overlaps(const fsys::path& a, const fsys::path& b) {
  const fsys::path ra = ResolveNative(a), rb = ResolveNative(b);
  if (ra == rb || IsInside(ra, rb) || IsInside(rb, ra)) return true;
  dev_t da = 0, db = 0;
  ino_t ia = 0, ib = 0;
  return Identity(ra, da, ia) && Identity(rb, db, ib) && da == db && ia == ib;
}

FsGuard::FsGuard() {
  if (const std::string addIn = AddInPath(); IsAbsoluteWindowsPath(addIn)) Add(ToNative(addIn), Scope::Whole);
  Add(ProgramFilesFolder(), Scope::Whole);
  Add(EnvFolder("SystemRoot"), Scope::Whole);
  Add(EnvFolder("windir"), Scope::Whole);
  Add(EnvFolder("ProgramFiles"), Scope::WholeForFolders);
}

const std::vector<FsGuard::Folder>& FsGuard::All() const {
  if (complete_) return folders_;
  complete_ = true;
  Add("/", Scope::Itself);
  for (const fsys::path& root : MappedRoots()) Add(root, Scope::Itself);
  Add(HomeFolder(), Scope::Itself);
  ::setpwent();
  while (const passwd* pw = ::getpwent())
    if (pw->pw_dir && *pw->pw_dir == '/') Add(pw->pw_dir, Scope::Itself);
  ::endpwent();
  Add(CommonDocumentsFolder(), Scope::Itself);
  Add(CommonAppDataFolder(), Scope::Itself);
  for (const std::string& text : {HostPath(), EnvValueOrStandIn("Temp").value_or("")})
    if (IsAbsoluteWindowsPath(text)) Add(ToNative(text), Scope::Itself);
  return folders_;
}

void FsGuard::Add(const fsys::path& native, Scope scope) const {
  if (native.empty()) return;
  Folder f;
  f.path = ResolveNative(native);
  f.scope = scope;
  f.exists = Identity(f.path, f.dev, f.ino);
  folders_.push_back(std::move(f));
}

bool FsGuard::InsideWhole(const fsys::path& r, bool folder) const {
  auto whole = [folder](const Folder& f) {
    return f.scope == Scope::Whole || (folder && f.scope == Scope::WholeForFolders);
  };
  for (const Folder& f : folders_)
    if (whole(f) && IsInside(r, f.path)) return true;
  // The same by identity, for roads that no text shows (bind mounts, file systems that
  // ignore case): an ancestor that is a folder protected as a whole.
  dev_t dev = 0;
  ino_t ino = 0;
  for (fsys::path a = r.parent_path();; a = a.parent_path()) {
    if (Identity(a, dev, ino)) {
      for (const Folder& f : folders_)
        if (whole(f) && f.exists && f.dev == dev && f.ino == ino) return true;
    }
    if (a == a.parent_path()) break;
  }
  return false;
}

bool FsGuard::Refuses(const fsys::path& native, bool folder) const {
  if (native.empty()) return true;
  const fsys::path lexical = NoTrailingSlash(Absolute(native).lexically_normal().string());
  const fsys::path r = ResolveNative(native);
  if (UnderSystemFolder(lexical) || UnderSystemFolder(r)) return true;
  for (const Folder& f : All())
    if (r == f.path || IsInside(f.path, r)) return true;  // the folder itself, or holds it
  dev_t dev = 0;
  ino_t ino = 0;
  if (Identity(r, dev, ino) && IsProtectedFolder(dev, ino)) return true;
  return InsideWhole(r, folder);
}

bool FsGuard::RefusesNew(const fsys::path& native) const {
  if (native.empty()) return true;
  const fsys::path r = ResolveNative(native);
  return UnderSystemFolder(r) || InsideWhole(r, false);
}

bool FsGuard::IsProtectedFolder(dev_t dev, ino_t ino) const {
  for (const Folder& f : All())
    if (f.exists && f.dev == dev && f.ino == ino) return true;
  return false;
}

bool IsProtectedLocation(const fsys::path& native) { return FsGuard().Refuses(native); }

}  // namespace kx::fs_detail
